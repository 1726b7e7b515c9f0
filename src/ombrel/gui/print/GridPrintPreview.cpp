#include "ombrel/gui/print/GridPrintPreview.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/print/GridPageRenderer.h"
#include "ombrel/gui/print/GridPagination.h"
#include "ombrel/gui/print/GridPrinting.h"
#include "ombrel/gui/print/PageMetrics.h"
#include "ombrel/gui/print/PreviewGeometry.h"
#include "ombrel/gui/print/PrintJob.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/gui/print/TitlePrintBar.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/PageSetupDialog.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/PrintDialog.h"
#include "ombrel/platform/Printer.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <map>
#include <string>

// Sections: 1. state  2. creation and measuring  3. bar requests  4. scrolling  5. painting

namespace Ombrel::GUI {

using namespace PreviewGeometry;

namespace {

constexpr UINT_PTR kPaginationTimer = 1;
constexpr UINT kPaginationStepMs = 10;
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kPageFrame = RGB(64, 64, 64);
// Pixels a wheel notch moves a page shown at a fixed zoom.
constexpr int kWheelPixels = 40;

} // namespace

// ---- 1. State ---------------------------------------------------------------------------------

struct CGridPrintPreview::Impl
{
    CGrid& grid;
    CGridPrinting& printing;
    PrintSettings settings;
    int pageZoomMode = 0;
    PageMetrics metrics;            // of the selected printer; zero without one
    CGridPagination pagination;
    int verticalPosition = 0;       // modes 0-2: screens of pages; 3-9: pixels within pages
    int horizontalPosition = 0;     // fixed-zoom modes only
    ScrollRanges ranges;
    std::unique_ptr<CTitlePrintBar> bar;
    // Rendered page contents at their current size on screen, for the pages on screen only.
    std::map<int, std::unique_ptr<CBitmap>> pageCache;
    CSize pageCacheSize;

    Impl(CGrid& g, CGridPrinting& p, const PrintSettings& s) : grid(g), printing(p), settings(s) {}

    CSize Paper() const { return metrics.PhysicalScreenSize(); }
};

// ---- 2. Creation and measuring -----------------------------------------------------------------

const CDialogTemplate& CGridPrintPreview::GetTemplate()
{
    static const CDialogTemplate preview(
        kTitle,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
            WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | DS_CENTER,
        CRect(0, 0, 401, 201));
    return preview;
}

CGridPrintPreview::CGridPrintPreview(CGrid& grid, CGridPrinting& printing,
                                     const PrintSettings& settings)
    : m_impl(std::make_unique<Impl>(grid, printing, settings))
{
    m_impl->bar = std::make_unique<CTitlePrintBar>(*this);
}

CGridPrintPreview::~CGridPrintPreview()
{
    if (IsWindow(this))
        DestroyWindow();
}

bool CGridPrintPreview::Create()
{
    return CreateIndirect(GetTemplate(), &m_impl->grid);
}

bool CGridPrintPreview::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_impl->bar->Create())
        return false;
    Remeasure();
    CRect client = GetClientRect();
    OnSize(0, client.Width(), client.Height());
    return false;
}

// Measures the printer's page and starts a new cut.
void CGridPrintPreview::Remeasure()
{
    Impl& impl = *m_impl;
    const CSize dpi = ScreenDpi();
    impl.metrics = MeasurePage(impl.printing.GetPrinter(), dpi.cx, dpi.cy);
    const CSize band = CGridPagination::BandSize(impl.metrics.ContentScreenSize(impl.settings),
                                                 impl.settings.printerZoom);
    impl.pagination.Start(CGridPageRenderer::Describe(impl.grid, impl.settings, band));
    // The first step at once, so that the first frame already shows the first pages.
    impl.pagination.Continue(kLinesPerStep);
    impl.pageCache.clear();
    impl.verticalPosition = 0;
    impl.horizontalPosition = 0;
    if (!impl.pagination.IsDone())
        SetTimer(kPaginationTimer, kPaginationStepMs);
    UpdateScrollBars();
    Invalidate(false);
}

void CGridPrintPreview::OnTimer(UINT_PTR id)
{
    if (id != kPaginationTimer) {
        CDialog::OnTimer(id);
        return;
    }
    if (m_impl->pagination.Continue(kLinesPerStep))
        KillTimer(kPaginationTimer);
    UpdateScrollBars();
    Invalidate(false);
}

void CGridPrintPreview::FinishPagination()
{
    if (m_impl->pagination.IsDone())
        return;
    m_impl->pagination.Finish();
    KillTimer(kPaginationTimer);
    UpdateScrollBars();
    Invalidate(false);
}

void CGridPrintPreview::OnClose()
{
    DestroyWindow();
}

void CGridPrintPreview::OnCancel()
{
    DestroyWindow();
}

void CGridPrintPreview::OnDestroy()
{
    KillTimer(kPaginationTimer);
    m_impl->pageCache.clear();
    CDialog::OnDestroy();
}

// ---- 3. Bar requests -------------------------------------------------------------------------

int CGridPrintPreview::GetPageZoomMode() const
{
    return m_impl->pageZoomMode;
}

void CGridPrintPreview::SetPageZoomMode(int mode)
{
    if (mode < 0 || mode >= kPageZoomModes)
        return;
    m_impl->pageZoomMode = mode;
    m_impl->verticalPosition = 0;
    m_impl->horizontalPosition = 0;
    m_impl->pageCache.clear();
    UpdateScrollBars();
    Invalidate(false);
}

void CGridPrintPreview::SelectPrinterZoom(int index)
{
    if (index < 0 || index >= static_cast<int>(CTitlePrintBar::kPrinterZooms.size()))
        return;
    if (index == CTitlePrintBar::kAutoPrinterZoom) {
        CHeader* header = m_impl->grid.GetHeader();
        const bool hasColumns = header != nullptr && header->GetColumnCount() > 0;
        if (!hasColumns || m_impl->metrics.PrintableScreenSize().cx == 0)
            return;
    }
    m_impl->settings.printerZoom = CTitlePrintBar::kPrinterZooms[static_cast<std::size_t>(index)];
    Remeasure();
}

const PrintSettings& CGridPrintPreview::GetPrintSettings() const
{
    return m_impl->settings;
}

void CGridPrintPreview::OnSetup()
{
    CPageSetupDialog dialog(m_impl->printing.GetPrinter(), this);
    if (dialog.DoModal() == IDOK)
        Remeasure();
}

void CGridPrintPreview::OnPrint()
{
    FinishPagination();
    Impl& impl = *m_impl;
    CPrinter& printer = impl.printing.GetPrinter();
    const int pageCount = impl.pagination.GetPageCount();
    CPrintDialog dialog(printer, this);
    dialog.SetMinMaxPage(1, pageCount);
    const bool confirmed = dialog.DoModal() == IDOK;
    // The preview closes first; the grid owns this object, so it outlives the print below.
    DestroyWindow();
    if (!confirmed || pageCount == 0 || !IsWindow(&impl.grid))
        return;
    PrintJob job;
    job.printer = &printer;
    job.fromPage = dialog.GetFromPage();
    job.toPage = dialog.GetToPage();
    impl.grid.Print(impl.settings, job);
}

// ---- State -------------------------------------------------------------------------------------

CTitlePrintBar& CGridPrintPreview::GetPrintBar()
{
    return *m_impl->bar;
}

CPrinter& CGridPrintPreview::GetPrinter()
{
    return m_impl->printing.GetPrinter();
}

int CGridPrintPreview::GetPageCount() const
{
    return m_impl->metrics.IsValid() ? m_impl->pagination.GetPageCount() : 0;
}

bool CGridPrintPreview::IsPaginating() const
{
    return !m_impl->pagination.IsDone();
}

int CGridPrintPreview::GetPagesShown() const
{
    const int pages = GetPageCount();
    return pages == 0 ? 0 : PagesShownAtOnce(m_impl->pageZoomMode, pages);
}

int CGridPrintPreview::GetFirstVisiblePage() const
{
    const Impl& impl = *m_impl;
    if (IsFixedZoomMode(impl.pageZoomMode))
        return FixedZoomPageIndex(impl.verticalPosition, impl.ranges.pageStep);
    return impl.verticalPosition * std::max(GetPagesShown(), 1);
}

CSize CGridPrintPreview::GetPaperScreenSize() const
{
    return m_impl->Paper();
}

CRect CGridPrintPreview::GetPageRect(int slot) const
{
    const Impl& impl = *m_impl;
    const int shown = GetPagesShown();
    if (slot < 0 || slot >= shown || GetFirstVisiblePage() + slot >= GetPageCount())
        return CRect();
    const CRect barRect = impl.bar && IsWindow(impl.bar.get()) ? impl.bar->GetClientRect() : CRect();
    const CRect area = PageArea(GetClientRect(), barRect.Height());
    if (IsFixedZoomMode(impl.pageZoomMode)) {
        return FixedZoomPageRect(area, impl.pageZoomMode, impl.Paper(), impl.verticalPosition,
                                 impl.horizontalPosition, impl.ranges.pageStep);
    }
    return FitPageInSlot(area, shown, slot, impl.Paper());
}

// ---- 4. Scrolling ------------------------------------------------------------------------------

void CGridPrintPreview::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    Impl& impl = *m_impl;
    if (impl.bar && IsWindow(impl.bar.get())) {
        CRect bar;
        impl.bar->GetWindowRect(&bar);
        impl.bar->MoveWindow(0, 0, std::max(cx, 0), bar.Height());
    }
    impl.pageCache.clear();
    UpdateScrollBars();
    Invalidate(false);
}

void CGridPrintPreview::UpdateScrollBars()
{
    Impl& impl = *m_impl;
    const CRect barRect = impl.bar && IsWindow(impl.bar.get()) ? impl.bar->GetClientRect() : CRect();
    const CRect area = PageArea(GetClientRect(), barRect.Height());
    impl.ranges = ComputeScrollRanges(impl.pageZoomMode, GetPageCount(), impl.Paper(), area);
    auto apply = [this](int bar, int maximum, int& position) {
        if (maximum < 0) {
            position = 0;
            ShowScrollBar(bar, false);
            return;
        }
        position = std::clamp(position, 0, maximum);
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = maximum;
        info.nPage = 1;
        info.nPos = position;
        SetScrollInfo(bar, info);
        ShowScrollBar(bar, true);
    };
    apply(SB_VERT, impl.ranges.verticalMax, impl.verticalPosition);
    apply(SB_HORZ, impl.ranges.horizontalMax, impl.horizontalPosition);
}

void CGridPrintPreview::ScrollVertically(int position)
{
    Impl& impl = *m_impl;
    const int clamped = std::clamp(position, 0, std::max(impl.ranges.verticalMax, 0));
    if (clamped == impl.verticalPosition)
        return;
    impl.verticalPosition = clamped;
    SetScrollPos(SB_VERT, clamped);
    Invalidate(false);
}

void CGridPrintPreview::OnVScroll(UINT code, UINT position)
{
    Impl& impl = *m_impl;
    if (impl.ranges.verticalMax < 0)
        return;
    const CRect barRect = impl.bar && IsWindow(impl.bar.get()) ? impl.bar->GetClientRect() : CRect();
    const int pageStep =
        PageUpDownStep(impl.pageZoomMode, impl.Paper(), PageArea(GetClientRect(), barRect.Height()));
    const int current = impl.verticalPosition;
    switch (code) {
    case SB_LINEUP: ScrollVertically(current - 1); break;
    case SB_LINEDOWN: ScrollVertically(current + 1); break;
    case SB_PAGEUP: ScrollVertically(current - pageStep); break;
    case SB_PAGEDOWN: ScrollVertically(current + pageStep); break;
    case SB_TOP: ScrollVertically(0); break;
    case SB_BOTTOM: ScrollVertically(impl.ranges.verticalMax); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: ScrollVertically(static_cast<int>(position)); break;
    default: break;
    }
}

void CGridPrintPreview::OnHScroll(UINT code, UINT position)
{
    Impl& impl = *m_impl;
    if (impl.ranges.horizontalMax < 0)
        return;
    const int page = std::max(GetClientRect().Width() / 2, 1);
    int target = impl.horizontalPosition;
    switch (code) {
    case SB_LINELEFT: target -= kWheelPixels; break;
    case SB_LINERIGHT: target += kWheelPixels; break;
    case SB_PAGELEFT: target -= page; break;
    case SB_PAGERIGHT: target += page; break;
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: target = impl.ranges.horizontalMax; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = static_cast<int>(position); break;
    default: return;
    }
    target = std::clamp(target, 0, impl.ranges.horizontalMax);
    if (target == impl.horizontalPosition)
        return;
    impl.horizontalPosition = target;
    SetScrollPos(SB_HORZ, target);
    Invalidate(false);
}

bool CGridPrintPreview::OnMouseWheel(UINT, short delta, CPoint)
{
    Impl& impl = *m_impl;
    const int notches = -delta / WHEEL_DELTA;
    if (notches == 0 || impl.ranges.verticalMax < 0)
        return true;
    // A screen of pages per notch side by side; some pixels of the page at a fixed zoom.
    const int step = IsFixedZoomMode(impl.pageZoomMode) ? kWheelPixels : 1;
    ScrollVertically(impl.verticalPosition + notches * step);
    return true;
}

// ---- 5. Painting -------------------------------------------------------------------------------

bool CGridPrintPreview::OnEraseBkgnd(CDC*)
{
    return true; // the whole client area is painted from the back buffer
}

void CGridPrintPreview::OnPaint()
{
    CPaintDC screen(this);
    const CRect client = GetClientRect();
    if (client.IsRectEmpty())
        return;
    CDC buffer;
    CBitmap bitmap;
    if (!buffer.CreateCompatibleDC(&screen) ||
        !bitmap.CreateCompatibleBitmap(&screen, client.Width(), client.Height()))
        return;
    CBitmap* previous = buffer.SelectObject(&bitmap);
    buffer.FillSolidRect(client, GetSysColor(COLOR_INACTIVECAPTION));
    PaintPages(buffer);
    buffer.Draw3dRect(client, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW));
    screen.BitBlt(0, 0, client.Width(), client.Height(), &buffer, 0, 0, SRCCOPY);
    if (previous != nullptr)
        buffer.SelectObject(previous);
}

void CGridPrintPreview::PaintPages(CDC& dc)
{
    Impl& impl = *m_impl;
    const int shown = GetPagesShown();
    const int first = GetFirstVisiblePage();
    // The cache keeps only the pages on screen.
    std::erase_if(impl.pageCache,
                  [&](const auto& entry) { return entry.first < first || entry.first >= first + shown; });
    for (int slot = 0; slot < shown; ++slot) {
        const CRect paper = GetPageRect(slot);
        if (!paper.IsRectEmpty())
            PaintPage(dc, first + slot, paper);
    }
    if (IsPaginating()) {
        const CRect barRect = impl.bar && IsWindow(impl.bar.get()) ? impl.bar->GetClientRect() : CRect();
        PaintProgress(dc, PageArea(GetClientRect(), barRect.Height()));
    }
}

// White paper with a dark frame drawn twice, one pixel apart, and the page's band in the part
// that the printable area and the margins leave.
void CGridPrintPreview::PaintPage(CDC& dc, int page, const CRect& paper)
{
    Impl& impl = *m_impl;
    dc.FillSolidRect(paper, kPaper);
    CBrush frame(kPageFrame);
    dc.FrameRect(paper, &frame);
    CRect outer = paper;
    outer.InflateRect(1, 1);
    dc.FrameRect(outer, &frame);

    const CRect content = impl.metrics.ContentRectOnPaper(impl.settings, paper);
    if (content.IsRectEmpty())
        return;
    if (impl.pageCacheSize != content.Size()) {
        impl.pageCache.clear();
        impl.pageCacheSize = content.Size();
    }
    std::unique_ptr<CBitmap>& cached = impl.pageCache[page];
    CDC pageDC;
    if (!pageDC.CreateCompatibleDC(&dc))
        return;
    if (!cached) {
        cached = std::make_unique<CBitmap>();
        if (!cached->CreateCompatibleBitmap(&dc, content.Width(), content.Height())) {
            cached.reset();
            return;
        }
        CBitmap* previous = pageDC.SelectObject(cached.get());
        pageDC.FillSolidRect(CRect(CPoint(0, 0), content.Size()), kPaper);
        CGridPageRenderer(impl.grid).DrawPage(pageDC, impl.pagination, page,
                                              CRect(CPoint(0, 0), content.Size()), true);
        if (previous != nullptr)
            pageDC.SelectObject(previous);
    }
    CBitmap* previous = pageDC.SelectObject(cached.get());
    dc.BitBlt(content.left, content.top, content.Width(), content.Height(), &pageDC, 0, 0, SRCCOPY);
    if (previous != nullptr)
        pageDC.SelectObject(previous);
}

void CGridPrintPreview::PaintProgress(CDC& dc, const CRect& area)
{
    const CGridPagination& pagination = m_impl->pagination;
    const std::string text = "Paginating: " + std::to_string(pagination.GetLinesPlaced()) +
                             " of " + std::to_string(pagination.GetLineCount()) + " rows";
    CRect line(area.left + PreviewGeometry::kPageGap, area.bottom - 24, area.right, area.bottom - 4);
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF previousColor = dc.SetTextColor(GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    dc.DrawText(CString(text.c_str()), line, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    dc.SetTextColor(previousColor);
    dc.SetBkMode(previousMode);
}

} // namespace Ombrel::GUI
