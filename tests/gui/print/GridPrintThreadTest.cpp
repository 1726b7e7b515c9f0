// Printing asked for from a worker thread runs on the grid's window thread.
#include "ombrel/gui/grid/Grid.h"

#include "PrintTestSupport.h"
#include "support/PdfPages.h"
#include "ombrel/gui/print/PrintJob.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/platform/Printer.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace Ombrel::GUI {
namespace {

TEST(GridPrintThreadTest, APrintCalledFromAWorkerRunsOnTheWindowThread)
{
    Testing::CPrintedGridWindow window(150);
    CPrinter pdf;
    const std::string path = Testing::TemporaryPath("worker.pdf");
    std::filesystem::remove(path);
    pdf.SetPdfOutput(path.c_str());
    PrintJob job;
    job.printer = &pdf;
    job.showProgress = false;

    std::atomic<int> printed{-1};
    std::thread worker([&] { printed = window.grid.Print(PrintSettings{}, job); });
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return printed.load() >= 0; }, std::chrono::seconds(60)));
    worker.join();
    EXPECT_GT(printed.load(), 0);
    EXPECT_EQ(Ombrel::Test::CountPdfPages(path), printed.load());
    std::filesystem::remove(path);
}

} // namespace
} // namespace Ombrel::GUI
