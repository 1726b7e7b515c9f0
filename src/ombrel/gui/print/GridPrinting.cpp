#include "ombrel/gui/print/GridPrinting.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/print/GridPageRenderer.h"
#include "ombrel/gui/print/GridPagination.h"
#include "ombrel/gui/print/GridPrintPreview.h"
#include "ombrel/gui/print/PageMetrics.h"
#include "ombrel/gui/print/PrintJob.h"
#include "ombrel/gui/print/PrintProgressDialog.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/base/Clock.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/PrintDialog.h"
#include "ombrel/platform/Printer.h"
#include "ombrel/platform/PrinterDC.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

// Keeps the grid's top-level window disabled while it lives, as a modal dialog would.
class CDisabledWindow
{
public:
    explicit CDisabledWindow(CWnd* window) : m_window(window)
    {
        if (m_window != nullptr && IsWindow(m_window))
            m_wasDisabled = m_window->EnableWindow(false);
    }
    ~CDisabledWindow()
    {
        if (m_window != nullptr && IsWindow(m_window) && !m_wasDisabled)
            m_window->EnableWindow(true);
    }
    CDisabledWindow(const CDisabledWindow&) = delete;
    CDisabledWindow& operator=(const CDisabledWindow&) = delete;

private:
    CWnd* m_window;
    bool m_wasDisabled = true;
};

} // namespace

CGridPrinting::CGridPrinting(CGrid& grid) : m_grid(grid) {}

CGridPrinting::~CGridPrinting() = default;

CPrinter& CGridPrinting::GetPrinter()
{
    if (!m_printer)
        m_printer = std::make_unique<CPrinter>();
    return *m_printer;
}

CGridPrintPreview* CGridPrinting::OpenPreview(const PrintSettings& settings)
{
    if (m_printing || !IsWindow(&m_grid))
        return nullptr;
    if (m_preview && IsWindow(m_preview.get()))
        m_preview->DestroyWindow();
    m_preview = std::make_unique<CGridPrintPreview>(m_grid, *this, settings);
    if (!m_preview->Create()) {
        m_preview.reset();
        return nullptr;
    }
    return m_preview.get();
}

CGridPrintPreview* CGridPrinting::GetPreview() const
{
    return m_preview && IsWindow(m_preview.get()) ? m_preview.get() : nullptr;
}

void CGridPrinting::OnWindowDestroying()
{
    m_cancelRequested = true;
    if (m_preview && IsWindow(m_preview.get()))
        m_preview->DestroyWindow();
}

int CGridPrinting::Print(const PrintSettings& settings, const PrintJob& job)
{
    if (m_printing)
        return 0;
    CPrinter& printer = job.printer != nullptr ? *job.printer : GetPrinter();
    m_printing = true;
    m_cancelRequested = false;
    const int printed = PrintPages(printer, settings, job);
    m_printing = false;
    return printed;
}

// Measures the printer's page and cuts the whole grid, as the preview does.
PageMetrics CGridPrinting::Cut(CPrinter& printer, const PrintSettings& settings,
                               CGridPagination& pagination)
{
    const CSize dpi = ScreenDpi();
    const PageMetrics metrics = MeasurePage(printer, dpi.cx, dpi.cy);
    pagination.Start(CGridPageRenderer::Describe(
        m_grid, settings,
        CGridPagination::BandSize(metrics.ContentScreenSize(settings), settings.printerZoom)));
    pagination.Finish();
    return metrics;
}

int CGridPrinting::PrintPages(CPrinter& printer, const PrintSettings& settings, const PrintJob& job)
{
    CGridPagination pagination;
    PageMetrics metrics = Cut(printer, settings, pagination);
    int first = std::max(job.fromPage, 1);
    int last = std::min(job.toPage, pagination.GetPageCount());
    if (!metrics.IsValid() || first > last)
        return 0;
    if (job.showPrintDialog) {
        CPrintDialog dialog(printer, &m_grid);
        dialog.SetMinMaxPage(1, pagination.GetPageCount());
        if (dialog.DoModal() != IDOK)
            return 0;
        // The dialog may have chosen another printer or paper.
        metrics = Cut(printer, settings, pagination);
        first = dialog.GetFromPage();
        last = std::min(dialog.GetToPage(), pagination.GetPageCount());
        if (!metrics.IsValid() || first > last)
            return 0;
    }

    CPrinterDC dc(printer);
    if (!dc.StartDoc(job.docName != nullptr ? job.docName : "Grid"))
        return 0;
    std::unique_ptr<CDisabledWindow> disabled;
    std::unique_ptr<CPrintProgressDialog> progress;
    if (job.showProgress) {
        disabled = std::make_unique<CDisabledWindow>(m_grid.GetTopLevelParent());
        progress = std::make_unique<CPrintProgressDialog>();
        // Not owned by the grid's window: a disabled owner would disable its Cancel too.
        if (!progress->Create(nullptr))
            progress.reset();
    }
    // The content rectangle in printer pixels, from the printable area's corner (the origin of
    // a printer device context).
    const CRect content = metrics.ContentRect(settings);
    CGridPageRenderer renderer(m_grid);
    std::uint64_t lastPump = GetTickCount64();
    for (int page = first; page <= last; ++page) {
        if (progress) {
            if (GetTickCount64() - lastPump >= kPumpIntervalMs || page == first) {
                progress->SetProgress(page - first + 1, last - first + 1);
                PumpMessages();
                lastPump = GetTickCount64();
            }
            if (progress->IsCancelled() || m_cancelRequested || !IsWindow(&m_grid)) {
                dc.AbortDoc();
                return 0;
            }
        }
        if (!dc.StartPage())
            break;
        renderer.DrawPage(dc, pagination, page - 1, content, false);
        dc.EndPage();
    }
    const int printed = dc.GetPagesPrinted();
    return dc.EndDoc() ? printed : 0;
}

} // namespace Ombrel::GUI
