#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/Dialog.h"

#include <memory>

namespace Ombrel {
class CPrinter;
}

namespace Ombrel::GUI {

class CGrid;
class CGridPrinting;
class CTitlePrintBar;
struct PrintSettings;

// The print preview: a resizable top-level window titled "Print preview" over a grid, with the
// print bar along its top and one, two or three pages side by side or one page at a fixed
// zoom below it. Opened by CGrid::PrintPreview, which owns it.
//
// Flow: opening (and every change of printer, printer zoom or page set-up) measures the
// printer's page and starts cutting the grid into pages; the cut runs in steps on a timer,
// pages showing as they become known, with the progress painted in the window; Close stops
// it. Painting renders only the pages on screen (each kept as a bitmap until the page or its
// size changes) into a back buffer, then copies it to the screen in one transfer.
//
// Without a printer the page metrics are zero: no pages, no scroll bars, and "Print..."
// prints nothing. Window thread only.
class CGridPrintPreview : public CDialog
{
public:
    static constexpr const char* kTitle = "Print preview";
    // Lines the cut places per timer step: 100 000 rows take a handful of steps.
    static constexpr int kLinesPerStep = 20'000;

    // The window's template: "Print preview", 401 x 201 dialog units.
    static const CDialogTemplate& GetTemplate();

    CGridPrintPreview(CGrid& grid, CGridPrinting& printing, const PrintSettings& settings);
    ~CGridPrintPreview() override;

    // Creates and shows the window over the grid.
    bool Create();

    // ---- What the print bar asks -----------------------------------------------------------
    int GetPageZoomMode() const;
    // 0 to 9: the page-zoom mode; other values are ignored.
    void SetPageZoomMode(int mode);
    // An index of the printer-zoom list, 0 ("Auto") to 8; other values are ignored.
    void SelectPrinterZoom(int index);
    const PrintSettings& GetPrintSettings() const;
    // "Setup...": the page set-up dialog; confirmed, the pages are cut again.
    void OnSetup();
    // "Print...": the print dialog with pages 1 to the page count; confirmed, the grid prints
    // the chosen pages with these settings. The preview closes either way.
    void OnPrint();

    // ---- State -----------------------------------------------------------------------------
    CTitlePrintBar& GetPrintBar();
    CPrinter& GetPrinter();
    // Pages known so far (all of them once the cut is done).
    int GetPageCount() const;
    bool IsPaginating() const;
    // Cuts what is left now.
    void FinishPagination();
    int GetPagesShown() const;
    int GetFirstVisiblePage() const;
    // The paper rectangle of visible slot `slot` in client coordinates; empty when none.
    CRect GetPageRect(int slot) const;
    // The paper's size on screen at zoom 1.0.
    CSize GetPaperScreenSize() const;

    // ---- Messages --------------------------------------------------------------------------
    bool OnInitDialog() override;
    void OnPaint() override;
    bool OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnVScroll(UINT code, UINT position) override;
    void OnHScroll(UINT code, UINT position) override;
    bool OnMouseWheel(UINT flags, short delta, CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    void OnClose() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnDestroy() override;

private:
    struct Impl;
    void Remeasure();
    void UpdateScrollBars();
    void ScrollVertically(int position);
    void PaintPages(CDC& dc);
    void PaintPage(CDC& dc, int page, const CRect& paper);
    void PaintProgress(CDC& dc, const CRect& area);
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
