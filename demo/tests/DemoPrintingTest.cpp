// The demonstration's printing: --print-pdf output against the preview's page count, the
// preview screenshot, and the File menu commands.
#include "DemoPrinting.h"

#include "DemoDocument.h"
#include "DemoOptions.h"
#include "DemoView.h"
#include "MainFrame.h"
#include "ombrel/GUI.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"
#include "support/PdfPages.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>

namespace Ombrel::Demo {
namespace {

using Ombrel::Test::CountPdfPages;

class DemoPrintingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(document, CRect(0, 0, 900, 420)));
    }

    GUI::CGrid& Grid() { return frame.GetDemoView()->GetGrid(); }

    std::string Path(const char* name)
    {
        return (std::filesystem::temp_directory_path() / name).string();
    }

    CDemoDocument document{400};
    CMainFrame frame;
};

TEST_F(DemoPrintingTest, PrintPdfHasAsManyPagesAsThePreviewCounts)
{
    GUI::CGridPrintPreview* preview = Grid().PrintPreview(GUI::PrintSettings{});
    ASSERT_NE(preview, nullptr);
    preview->FinishPagination();
    const int previewPages = preview->GetPageCount();
    preview->DestroyWindow();
    ASSERT_GT(previewPages, 1);

    const std::string path = Path("demo-print.pdf");
    std::filesystem::remove(path);
    EXPECT_EQ(PrintGridToPdf(Grid(), path), previewPages);
    EXPECT_EQ(CountPdfPages(path), previewPages);
    std::filesystem::remove(path);
}

TEST_F(DemoPrintingTest, ThePreviewScreenshotShowsTwoPages)
{
    const std::string path = Path("demo-preview.png");
    std::filesystem::remove(path);
    auto writer = [](CWnd& window, const std::string& file) {
        return RenderWindowToPng(window, file.c_str());
    };
    ASSERT_TRUE(WritePreviewScreenshot(Grid(), path, writer));
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    // Two sheets of paper side by side: white in the left and the right half (the page edges
    // and margins are white whatever the rows' colours), the background between them.
    auto hasPaper = [&](int x) {
        for (int y = 0; y < image.height(); ++y) {
            if ((image.pixelColor(x, y).rgb() & 0xFFFFFF) == 0xFFFFFFu)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(hasPaper(image.width() / 4));
    EXPECT_TRUE(hasPaper(image.width() * 3 / 4));
    EXPECT_FALSE(hasPaper(image.width() / 2));
    std::filesystem::remove(path);
}

TEST_F(DemoPrintingTest, FilePrintPreviewOpensThePreviewOverTheGrid)
{
    auto previewShown = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == QStringLiteral("Print preview"))
                return true;
        }
        return false;
    };
    ASSERT_FALSE(previewShown());
    EXPECT_TRUE(frame.OnCmdMsg(ID_FILE_PRINT_PREVIEW, 0));
    EXPECT_TRUE(Ombrel::Test::PumpUntil(previewShown));
}

TEST(DemoPrintOptionsTest, PrintOptionsTakeAFileName)
{
    DemoOptions options;
    std::string error;
    EXPECT_TRUE(ParseDemoOptions({CString("--print-pdf"), CString("out.pdf"),
                                  CString("--screenshot-preview"), CString("p.png")},
                                 options, error));
    EXPECT_EQ(options.printPdfPath, "out.pdf");
    EXPECT_EQ(options.previewScreenshotPath, "p.png");
    EXPECT_FALSE(ParseDemoOptions({CString("--print-pdf")}, options, error));
    EXPECT_FALSE(ParseDemoOptions({CString("--screenshot-preview"), CString("")}, options, error));
    EXPECT_TRUE(ParseDemoOptions({CString("--screenshot-columns"), CString("c.png")}, options, error));
    EXPECT_EQ(options.columnsScreenshotPath, "c.png");
    EXPECT_TRUE(options.previewScreenshotPath.empty());
}

} // namespace
} // namespace Ombrel::Demo
