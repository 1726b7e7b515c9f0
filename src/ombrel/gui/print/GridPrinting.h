#pragma once

#include "ombrel/gui/grid/GridService.h"

#include <memory>

namespace Ombrel {
class CPrinter;
}

namespace Ombrel::GUI {

class CGrid;
class CGridPagination;
class CGridPrintPreview;
struct PageMetrics;
struct PrintJob;
struct PrintSettings;

// One grid's printing: its printer (kept across previews, so a page set-up sticks), its open
// preview and the print routine. The grid makes it on the first print or preview and
// registers it as a service; when the grid window goes, an open preview closes and a print
// under way stops.
//
// Print flow: measure the printer's page -> cut the whole grid (the preview's cut, from the
// same settings) -> open the document -> for each page of the range: paint its band onto
// the page -> close the document. With progress shown, the grid's top-level window is
// disabled while the pages go out (as for any modal dialog), the progress dialog is updated
// and messages are handled between pages at least every kPumpIntervalMs, and Cancel throws
// the unfinished document away.
//
// Window thread only.
class CGridPrinting final : public IGridService
{
public:
    static constexpr unsigned kPumpIntervalMs = 100;

    explicit CGridPrinting(CGrid& grid);
    ~CGridPrinting();
    CGridPrinting(const CGridPrinting&) = delete;
    CGridPrinting& operator=(const CGridPrinting&) = delete;

    // Closes an open preview and opens a new one; null while a print runs or when the window
    // cannot be made.
    CGridPrintPreview* OpenPreview(const PrintSettings& settings);
    // The open preview, or null.
    CGridPrintPreview* GetPreview() const;
    // Pages printed; 0 without a printer, for an empty range, on cancel, or while another
    // print of this grid runs.
    int Print(const PrintSettings& settings, const PrintJob& job);
    bool IsPrinting() const { return m_printing; }
    // The grid's printer: the default printer, else a PDF file; made on first use.
    CPrinter& GetPrinter();

    void OnWindowDestroying() override;

private:
    PageMetrics Cut(CPrinter& printer, const PrintSettings& settings, CGridPagination& pagination);
    int PrintPages(CPrinter& printer, const PrintSettings& settings, const PrintJob& job);

    CGrid& m_grid;
    std::unique_ptr<CPrinter> m_printer;
    // A closed preview stays here (no window) until the next one opens or the grid goes: it
    // may still be on the call stack when it closes itself to print.
    std::unique_ptr<CGridPrintPreview> m_preview;
    bool m_printing = false;
    bool m_cancelRequested = false; // the grid window is going: stop after this page
};

} // namespace Ombrel::GUI
