// The print preview over a real grid: page arrangement, zoom lists, navigation, the buttons,
// and printing from it to a PDF file.
#include "ombrel/gui/print/GridPrintPreview.h"

#include "PrintTestSupport.h"
#include "support/PdfPages.h"
#include "ombrel/gui/print/GridPagination.h"
#include "ombrel/gui/print/PreviewGeometry.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/gui/print/TitlePrintBar.h"
#include "ombrel/platform/Printer.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Ombrel::GUI {
namespace {

using Testing::AnswerNextModalDialog;
using Ombrel::Test::CountPdfPages;
using Testing::CPrintedGridWindow;
using Testing::PickListEntry;
using Testing::TemporaryPath;

constexpr int kThreePages = 2;
constexpr int k150Percent = 7;
constexpr int k200Percent = 8;

class GridPrintPreviewTest : public ::testing::Test
{
protected:
    CGridPrintPreview* Open(int rows, PrintSettings settings = {})
    {
        window = std::make_unique<CPrintedGridWindow>(rows);
        CGridPrintPreview* preview = window->grid.PrintPreview(settings);
        if (preview != nullptr) {
            preview->MoveWindow(0, 0, 900, 600);
            preview->FinishPagination();
        }
        return preview;
    }

    void ClickButton(CGridPrintPreview& preview, UINT id)
    {
        CWnd* button = preview.GetPrintBar().GetDlgItem(id);
        ASSERT_NE(button, nullptr);
        const CRect rect = button->GetClientRect();
        Ombrel::Test::Click(*button, rect.CenterPoint());
    }

    std::unique_ptr<CPrintedGridWindow> window;
};

TEST_F(GridPrintPreviewTest, AGridThatFitsOnePageShowsOneCentredPageInThreePagesMode)
{
    CGridPrintPreview* preview = Open(5);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetWindowText(), CString("Print preview"));
    ASSERT_EQ(preview->GetPageCount(), 1);

    PickListEntry(preview->GetPrintBar().GetPageZoomList(), kThreePages);
    EXPECT_EQ(preview->GetPageZoomMode(), kThreePages);
    EXPECT_EQ(preview->GetPagesShown(), 1);
    EXPECT_TRUE(preview->GetPageRect(1).IsRectEmpty());
    const CRect page = preview->GetPageRect(0);
    const CRect client = preview->GetClientRect();
    const CRect bar = preview->GetPrintBar().GetClientRect();
    const CRect area = PreviewGeometry::PageArea(client, bar.Height());
    EXPECT_NEAR(page.CenterPoint().x, area.CenterPoint().x, 1);
    EXPECT_NEAR(page.CenterPoint().y, area.CenterPoint().y, 1);
    // As tall as the area allows, inside the gaps, with the paper's proportions.
    EXPECT_EQ(page.Height(), area.Height() - 2 * PreviewGeometry::kPageGap);
    const CSize paper = preview->GetPaperScreenSize();
    EXPECT_NEAR(double(page.Height()) / page.Width(), double(paper.cy) / paper.cx, 0.01);
}

TEST_F(GridPrintPreviewTest, FixedZoomsShowOnePageAtThatScaleOfThePaper)
{
    CGridPrintPreview* preview = Open(300);
    ASSERT_NE(preview, nullptr);
    ASSERT_GT(preview->GetPageCount(), 1);
    const CSize paper = preview->GetPaperScreenSize();
    for (auto [entry, zoom] : {std::pair{k150Percent, 1.5}, std::pair{k200Percent, 2.0}}) {
        PickListEntry(preview->GetPrintBar().GetPageZoomList(), entry);
        EXPECT_EQ(preview->GetPagesShown(), 1);
        const CRect page = preview->GetPageRect(0);
        EXPECT_EQ(page.Width(), static_cast<int>(paper.cx * zoom));
        EXPECT_EQ(page.Height(), static_cast<int>(paper.cy * zoom));
        // Bigger than the window: both scroll bars.
        SCROLLINFO info;
        EXPECT_TRUE(preview->GetScrollInfo(SB_HORZ, &info));
        EXPECT_GT(info.nMax, 0);
    }
}

TEST_F(GridPrintPreviewTest, TheBarSelectsThePrinterZoomEntryOfTheExactZoomOnly)
{
    PrintSettings settings;
    CGridPrintPreview* preview = Open(5, settings);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetPrintBar().GetPrinterZoomList().GetCurSel(), 5); // "100%"
    EXPECT_EQ(preview->GetPrintBar().GetPrinterZoomList().GetLBText(5), CString("100%"));
    EXPECT_EQ(preview->GetPrintBar().GetPageZoomList().GetCurSel(), 0);  // "One Page"
    EXPECT_EQ(preview->GetPrintBar().GetPageZoomList().GetCount(), 10);

    settings.printerZoom = 0.3;
    preview = window->grid.PrintPreview(settings);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetPrintBar().GetPrinterZoomList().GetCurSel(), -1);

    settings.printerZoom = 0.1;
    preview = window->grid.PrintPreview(settings);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetPrintBar().GetPrinterZoomList().GetCurSel(), 1); // "10%", not "Auto"
}

TEST_F(GridPrintPreviewTest, APrinterZoomCutsThePagesAgain)
{
    CGridPrintPreview* preview = Open(400);
    ASSERT_NE(preview, nullptr);
    const int atFull = preview->GetPageCount();
    PickListEntry(preview->GetPrintBar().GetPrinterZoomList(), 3); // "50%"
    EXPECT_EQ(preview->GetPrintSettings().printerZoom, 0.5);
    preview->FinishPagination();
    EXPECT_LT(preview->GetPageCount(), atFull);

    // "Auto" fits a grid with columns at 10%.
    PickListEntry(preview->GetPrintBar().GetPrinterZoomList(), 0);
    EXPECT_EQ(preview->GetPrintSettings().printerZoom, 0.1);
}

TEST_F(GridPrintPreviewTest, NavigationMovesByScreensOfPagesAndStopsAtTheEnds)
{
    CGridPrintPreview* preview = Open(2000);
    ASSERT_NE(preview, nullptr);
    const int pages = preview->GetPageCount();
    ASSERT_GT(pages, 4);
    preview->SetPageZoomMode(1); // two pages
    const int last = (pages - 1) / 2;
    preview->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(preview->GetFirstVisiblePage(), 2);
    preview->SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(preview->GetFirstVisiblePage(), last * 2);
    preview->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(preview->GetFirstVisiblePage(), last * 2);
    preview->SendMessage(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(preview->GetFirstVisiblePage(), 0);
    preview->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1));
    EXPECT_EQ(preview->GetFirstVisiblePage(), 2);
}

TEST_F(GridPrintPreviewTest, CloseClosesThePreview)
{
    CGridPrintPreview* preview = Open(5);
    ASSERT_NE(preview, nullptr);
    ClickButton(*preview, CTitlePrintBar::kCloseButton);
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsWindow(preview); }));
}

TEST_F(GridPrintPreviewTest, AConfirmedPrintClosesThePreviewAndPrintsEveryPage)
{
    CGridPrintPreview* preview = Open(260);
    ASSERT_NE(preview, nullptr);
    const int pages = preview->GetPageCount();
    ASSERT_GT(pages, 1);
    const std::string path = TemporaryPath("preview.pdf");
    std::filesystem::remove(path);
    preview->GetPrinter().SetPdfOutput(path.c_str());

    AnswerNextModalDialog(true);
    ClickButton(*preview, CTitlePrintBar::kPrintButton);
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsWindow(preview); }));
    EXPECT_EQ(CountPdfPages(path), pages);
    std::filesystem::remove(path);
}

TEST_F(GridPrintPreviewTest, ACancelledPrintClosesThePreviewAndPrintsNothing)
{
    CGridPrintPreview* preview = Open(5);
    ASSERT_NE(preview, nullptr);
    const std::string path = TemporaryPath("cancelled.pdf");
    std::filesystem::remove(path);
    preview->GetPrinter().SetPdfOutput(path.c_str());

    AnswerNextModalDialog(false);
    ClickButton(*preview, CTitlePrintBar::kPrintButton);
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsWindow(preview); }));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(GridPrintPreviewTest, ALongGridIsCutInStepsWhileThePreviewShows)
{
    window = std::make_unique<CPrintedGridWindow>(3 * CGridPrintPreview::kLinesPerStep);
    CGridPrintPreview* preview = window->grid.PrintPreview(PrintSettings{});
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->IsPaginating());
    const int early = preview->GetPageCount();
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !preview->IsPaginating(); }, std::chrono::seconds(60)));
    EXPECT_GT(preview->GetPageCount(), early);
    // Scrolling reaches the pages cut last.
    preview->SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(preview->GetFirstVisiblePage(), preview->GetPageCount() - 1);
}

TEST_F(GridPrintPreviewTest, TheGridWindowGoingClosesItsPreview)
{
    CGridPrintPreview* preview = Open(5);
    ASSERT_NE(preview, nullptr);
    window->grid.DestroyWindow();
    EXPECT_FALSE(IsWindow(preview));
}

} // namespace
} // namespace Ombrel::GUI
