// The grid's print routine: page ranges, the progress dialog's Cancel, and a grid without rows
// to print.
#include "ombrel/gui/print/GridPrinting.h"

#include "PrintTestSupport.h"
#include "support/PdfPages.h"
#include "ombrel/gui/print/PrintJob.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/platform/Printer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace Ombrel::GUI {
namespace {

using Ombrel::Test::CountPdfPages;
using Testing::CPrintedGridWindow;
using Testing::TemporaryPath;

class GridPrintingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = TemporaryPath("out.pdf");
        std::filesystem::remove(path);
        pdf.SetPdfOutput(path.c_str());
        job.printer = &pdf;
        job.showProgress = false;
    }
    void TearDown() override { std::filesystem::remove(path); }

    std::string path;
    CPrinter pdf;
    PrintJob job;
};

TEST_F(GridPrintingTest, PrintsTheChosenPagesOnly)
{
    CPrintedGridWindow window(400);
    const int all = window.grid.Print(PrintSettings{}, job);
    ASSERT_GT(all, 3);
    EXPECT_EQ(CountPdfPages(path), all);

    job.fromPage = 2;
    job.toPage = 3;
    EXPECT_EQ(window.grid.Print(PrintSettings{}, job), 2);
    EXPECT_EQ(CountPdfPages(path), 2);

    // A range past the last page is cut to the pages there are; one wholly past prints nothing.
    job.fromPage = all;
    job.toPage = all + 10;
    EXPECT_EQ(window.grid.Print(PrintSettings{}, job), 1);
    job.fromPage = all + 1;
    EXPECT_EQ(window.grid.Print(PrintSettings{}, job), 0);
}

TEST_F(GridPrintingTest, NothingPrintsWhileTheZoomIsNotPositive)
{
    CPrintedGridWindow window(50);
    PrintSettings settings;
    settings.printerZoom = 0.0;
    EXPECT_EQ(window.grid.Print(settings, job), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(GridPrintingTest, CancellingTheProgressDialogThrowsTheDocumentAway)
{
    CPrintedGridWindow window(3000);
    job.showProgress = true;
    // Cancel as soon as the progress dialog shows.
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || widget->windowTitle() != QStringLiteral("Printing"))
                continue;
            for (auto* button : widget->findChildren<QAbstractButton*>()) {
                if (button->text() == QStringLiteral("Cancel")) {
                    timer->stop();
                    timer->deleteLater();
                    button->click();
                    return;
                }
            }
        }
    });
    timer->start(5);
    EXPECT_EQ(window.grid.Print(PrintSettings{}, job), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    // The grid's window takes input again.
    EXPECT_TRUE(window.grid.IsWindowEnabled());
}

} // namespace
} // namespace Ombrel::GUI
