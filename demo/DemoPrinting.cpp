#include "DemoPrinting.h"

#include "ombrel/GUI.h"

#include <chrono>

namespace Ombrel::Demo {

namespace {

constexpr int kTwoPagesMode = 1;
// How long the preview may take to cut and paint before its screenshot is taken.
constexpr std::chrono::seconds kPreviewSettleLimit{30};
constexpr std::chrono::milliseconds kPreviewPaintTime{200};

// The demo prints with the default settings: header on the first band, both row types, 100%.
GUI::PrintSettings DemoPrintSettings()
{
    return GUI::PrintSettings{};
}

void PumpFor(std::chrono::milliseconds duration)
{
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until && PumpMessagesFor(10)) {
    }
}

} // namespace

void AddPrintMenuItems(CFrameWnd& frame, int fileMenu)
{
    frame.AddMenuItem(fileMenu, ID_FILE_PRINT_PREVIEW, "Print pre&view...", "Ctrl+F2");
    frame.AddMenuItem(fileMenu, ID_FILE_PRINT, "&Print...", "Ctrl+P");
    frame.AddMenuSeparator(fileMenu);
}

bool HandlePrintCommand(UINT id, GUI::CGrid& grid)
{
    if (id == ID_FILE_PRINT_PREVIEW) {
        grid.PrintPreview(DemoPrintSettings());
        return true;
    }
    if (id == ID_FILE_PRINT) {
        GUI::PrintJob job;
        job.showPrintDialog = true;
        job.docName = "Corvane";
        grid.Print(DemoPrintSettings(), job);
        return true;
    }
    return false;
}

int PrintGridToPdf(GUI::CGrid& grid, const std::string& path)
{
    CPrinter pdf;
    pdf.SetPdfOutput(path.c_str());
    GUI::PrintJob job;
    job.printer = &pdf;
    job.showProgress = false;
    job.docName = "Corvane";
    return grid.Print(DemoPrintSettings(), job);
}

bool WritePreviewScreenshot(GUI::CGrid& grid, const std::string& path,
                            const std::function<bool(CWnd&, const std::string&)>& writer)
{
    GUI::CGridPrintPreview* preview = grid.PrintPreview(DemoPrintSettings());
    if (preview == nullptr)
        return false;
    preview->MoveWindow(40, 40, 1000, 720);
    preview->GetPrintBar().GetPageZoomList().SetCurSel(kTwoPagesMode);
    preview->SetPageZoomMode(kTwoPagesMode);
    const auto deadline = std::chrono::steady_clock::now() + kPreviewSettleLimit;
    while (preview->IsPaginating() && std::chrono::steady_clock::now() < deadline)
        PumpMessagesFor(10);
    PumpFor(kPreviewPaintTime);
    const bool written = !preview->IsPaginating() && writer && writer(*preview, path);
    if (IsWindow(preview))
        preview->DestroyWindow();
    return written;
}

} // namespace Ombrel::Demo
