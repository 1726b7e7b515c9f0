#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/grid/detail/GridTracking.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/BackgroundImage.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintSnapshot.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>

// The paint pass.
//
// One WM_PAINT:
//   BeforePaint   update region -> list of update rectangles (one bounding rectangle when the
//                 region's data would not fit the region data limit)
//   layout        immediate flag of EnsureVisible set (CGridLayout::OnPaint, once a pass)
//   PaintUpdateRects  no header: window colour, done;
//                 grid font into the paint DC; back buffer and background picture prepared;
//                 for each update rectangle:
//                     [picture part copied] -> PaintRectangle -> [back buffer part to screen]
//   AfterPaint    update rectangles forgotten
//
// PaintRectangle walks the client area from the top, skipping bands that miss the rectangle:
//   header strip | fixed rows 0.. | separator | normal rows from the top row | empty lines
//
// Sections below: 1. frame of one pass (pass state, memory canvases)  2. line painting
// 3. the rectangle walk  4. back buffer, background picture and the entry points.

namespace Ombrel::GUI {

namespace {

// ---- 1. Frame of one pass --------------------------------------------------------------------

// What every line of one rectangle needs, read once from the grid before the walk so that the
// walk itself touches only rows.
struct PassState
{
    CRect client;
    CRect updateRect;
    std::uint32_t flags = 0;
    ICustomDraw* customDraw = nullptr;
    CFont* font = nullptr;
    GridAppearance appearance;
    HighlightSettings highlight;
    BackgroundImage backgroundImage;
    CImageList* imageList = nullptr;
    bool stretchImages = false;
    int focusIndex = -1;
    int focusType = ROW_DETACHED;
    PaintSnapshot snapshot; // read once for every line of the rectangle
};

// A memory device context drawing into a bitmap for the duration of a pass. The bitmap is
// released again when the canvas goes, so it can be selected elsewhere afterwards.
class CMemoryCanvas
{
public:
    CMemoryCanvas() = default;
    CMemoryCanvas(const CMemoryCanvas&) = delete;
    CMemoryCanvas& operator=(const CMemoryCanvas&) = delete;

    ~CMemoryCanvas()
    {
        if (m_previousFont != nullptr)
            m_dc.SelectObject(m_previousFont);
        if (m_previousBitmap != nullptr)
            m_dc.SelectObject(m_previousBitmap);
    }

    // False when the bitmap cannot be selected (not created, or selected elsewhere).
    bool Attach(CDC& reference, CBitmap& bitmap)
    {
        if (!m_dc.CreateCompatibleDC(&reference))
            return false;
        m_previousBitmap = m_dc.SelectObject(&bitmap);
        return m_previousBitmap != nullptr;
    }

    void SelectFont(CFont* font)
    {
        if (font != nullptr)
            m_previousFont = m_dc.SelectObject(font);
    }

    CDC& GetDC() { return m_dc; }

private:
    CDC m_dc;
    CBitmap* m_previousBitmap = nullptr;
    CFont* m_previousFont = nullptr;
};

// Restores a device context's text and background colours when it goes.
class CColourGuard
{
public:
    explicit CColourGuard(CDC& dc) : m_dc(dc), m_text(dc.GetTextColor()), m_back(dc.GetBkColor()) {}
    ~CColourGuard()
    {
        m_dc.SetTextColor(m_text);
        m_dc.SetBkColor(m_back);
    }
    CColourGuard(const CColourGuard&) = delete;
    CColourGuard& operator=(const CColourGuard&) = delete;

private:
    CDC& m_dc;
    COLORREF m_text;
    COLORREF m_back;
};

bool BandMeets(int top, int bottom, const CRect& rect)
{
    return top < bottom && top < rect.bottom && bottom > rect.top;
}

bool IsRowSelected(CItemContainer& container, int position)
{
    CGridItem* row = container.GetRowAt(position);
    return row != nullptr && row->IsSelected();
}

// Deep in a large grid the rows of a new page and their data objects are cold: each line would
// wait for memory in turn before its first cell could be formatted. Asking for the data objects
// of the rows whose bands meet `area` before the first line is painted lets those waits
// overlap. The rows themselves are warm: the scroll that brought the page in measured them.
// `y` is where the band of the row at `first` begins.
void PrefetchDataObjects(CItemContainer& container, int first, int y, const CRect& area)
{
    const int count = container.GetRowCount();
    for (int position = std::max(first, 0); position < count && y < area.bottom; ++position) {
        const CGridItem* row = container.GetRowAt(position);
        const int bottom = y + std::max(row->GetHeight(), 0);
        const Common::CDataObject* object = row->GetDataObject();
        if (object != nullptr && BandMeets(y, bottom, area))
            __builtin_prefetch(object);
        y = bottom;
    }
}

} // namespace

struct CGridPainter::Impl
{
    CGrid& grid;
    CGridRows& rows;
    CGridLayout& layout;
    const GridOptions& options;
    const GridTracking& tracking;

    std::vector<CRect> updateRects;  // filled by BeforePaint, emptied by AfterPaint
    std::unique_ptr<CBitmap> backBuffer; // client size, while double buffering or a picture
    CSize backBufferSize;

    Impl(CGrid& g, CGridRows& r, CGridLayout& l, const GridOptions& o, const GridTracking& t)
        : grid(g), rows(r), layout(l), options(o), tracking(t)
    {
    }

    CFont* GridFont() const
    {
        CFont* font = grid.GetFont();
        return font != nullptr ? font : CPaintDefaults::Get().GetFont();
    }

    bool WantsBackBuffer()
    {
        const BackgroundImage* image = grid.GetBackgroundImage();
        return options.doubleBuffer || (image != nullptr && image->IsSet());
    }

    PassState MakePassState(const CRect& updateRect, std::uint32_t flags);

    // ---- 2. Line painting --------------------------------------------------------------------
    void PaintLine(CDC& dc, const PassState& pass, const CRect& lineRect, int rowType,
                   int position, int parity, CGridItem* row);
    void Neighbours(int rowType, int position, bool& previous, bool& next);

    // ---- 3. The rectangle walk ---------------------------------------------------------------
    int PaintHeader(CDC& dc, const PassState& pass, int y);
    int PaintRows(CDC& dc, const PassState& pass, int rowType, int first, int y);
    int PaintSeparator(CDC& dc, const PassState& pass, int y);
    void PaintEmptyLines(CDC& dc, const PassState& pass, int parity, int y);
    void PaintRectangle(CDC& dc, const CRect& updateRect, std::uint32_t flags);
    // The drop mark of rows dragged over the grid, over everything else.
    void PaintDropMark(CDC& dc);

    // ---- 4. Back buffer and background picture -----------------------------------------------
    void SyncBackBuffer();
    void CopyBackgroundPicture(CDC& target, CDC* picture, const BackgroundImage& image,
                               const CRect& updateRect);
};

PassState CGridPainter::Impl::MakePassState(const CRect& updateRect, std::uint32_t flags)
{
    PassState pass;
    pass.client = grid.GetClientRect();
    pass.updateRect = updateRect;
    pass.flags = flags;
    pass.customDraw = grid.GetCustomDraw();
    pass.font = GridFont();
    if (const GridAppearance* appearance = grid.GetAppearance())
        pass.appearance = *appearance;
    if (const HighlightSettings* highlight = grid.GetHighlightSettings())
        pass.highlight = *highlight;
    if (const BackgroundImage* image = grid.GetBackgroundImage())
        pass.backgroundImage = *image;
    pass.imageList = grid.GetImageList();
    pass.stretchImages = grid.GetStretchImages();
    pass.focusIndex = grid.GetFocusIndex();
    pass.focusType = grid.GetFocusType();
    pass.snapshot = PaintSnapshot::Take(grid);
    return pass;
}

// ---- 2. Line painting ------------------------------------------------------------------------

// Whether the rows next to a position are selected. The separator does not break a block of
// selected rows: the last fixed row and the first normal row are neighbours.
void CGridPainter::Impl::Neighbours(int rowType, int position, bool& previous, bool& next)
{
    CItemContainer& container = rows.GetContainer(rowType);
    const int count = container.GetRowCount();
    if (position > 0)
        previous = IsRowSelected(container, position - 1);
    else if (rowType == ROW_NORMAL) {
        CItemContainer& fixed = rows.GetContainer(ROW_FIXED);
        previous = IsRowSelected(fixed, fixed.GetRowCount() - 1);
    }
    if (position + 1 < count)
        next = IsRowSelected(container, position + 1);
    else if (rowType == ROW_FIXED)
        next = IsRowSelected(rows.GetContainer(ROW_NORMAL), 0);
}

// `parity` chooses the colours: even lines (0, 2, 4 ...) take the even colours. For rows it is
// their position; empty lines go on counting after the last row.
void CGridPainter::Impl::PaintLine(CDC& dc, const PassState& pass, const CRect& lineRect,
                                   int rowType, int position, int parity, CGridItem* row)
{
    LinePaintContext context;
    const bool even = parity % 2 == 0;
    context.textColor = even ? pass.appearance.evenText : pass.appearance.oddText;
    context.backgroundColor = even ? pass.appearance.evenBackground : pass.appearance.oddBackground;
    context.rect = lineRect;
    context.updateRect = pass.updateRect;
    context.font = pass.font;
    context.leftMargin = kTextMargin;
    context.rightMargin = kTextMargin;
    context.highlight = pass.highlight;
    context.rowType = rowType;
    context.position = row != nullptr ? position : -1;
    context.row = row;
    if (row != nullptr)
        Neighbours(rowType, position, context.previousSelected, context.nextSelected);
    context.grid = &grid;
    context.dc = &dc;
    context.focusIndex = pass.focusIndex;
    context.focusType = pass.focusType;
    context.backgroundImage = pass.backgroundImage;
    context.imageList = pass.imageList;
    context.stretchImages = pass.stretchImages;
    context.trackingRect = tracking.rubberBand;
    context.snapshot = &pass.snapshot;
    pass.customDraw->DrawLine(context, dc, pass.flags);
}

// ---- 3. The rectangle walk -------------------------------------------------------------------
// Each step takes the y where its band starts and returns the y after it.

int CGridPainter::Impl::PaintHeader(CDC& dc, const PassState& pass, int y)
{
    CHeader* header = options.header;
    if (header == nullptr || !options.showHeader)
        return y;
    const int height = header->GetHeight();
    if (BandMeets(y, y + height, pass.updateRect)) {
        HeaderPaintContext context;
        context.rect = CRect(pass.client.left, y, pass.client.right, y + height);
        context.updateRect = pass.updateRect;
        context.grid = &grid;
        context.header = header;
        CFont* headerFont = header->GetFont();
        context.font = headerFont != nullptr ? headerFont : pass.font;
        context.imageList = header->GetImageList();
        context.textColor = GetSysColor(COLOR_WINDOWTEXT);
        context.trackedFieldId = tracking.trackedFieldId;
        context.trackedPressed = tracking.trackedPressed;
        context.dropIndex = tracking.dropIndex;
        pass.customDraw->DrawHeader(context, dc, pass.flags);
    }
    return y + std::max(height, 0);
}

// Paints rows of `rowType` from position `first` while they last and their bands can still
// meet the update rectangle and the client area.
int CGridPainter::Impl::PaintRows(CDC& dc, const PassState& pass, int rowType, int first, int y)
{
    CItemContainer& container = rows.GetContainer(rowType);
    const int count = container.GetRowCount();
    const int limit = std::min(pass.updateRect.bottom, pass.client.bottom);
    CRect area = pass.updateRect;
    area.bottom = limit;
    PrefetchDataObjects(container, first, y, area);
    for (int position = std::max(first, 0); position < count && y < limit; ++position) {
        CGridItem* row = container.GetRowAt(position);
        const int bottom = y + std::max(row->GetHeight(), 0);
        if (BandMeets(y, bottom, pass.updateRect)) {
            PaintLine(dc, pass, CRect(pass.client.left, y, pass.client.right, bottom), rowType,
                      position, position, row);
        }
        y = bottom;
    }
    return y;
}

// A raised band: button highlight on the top and left edges, button shadow on the bottom and
// right edges, button face inside.
int CGridPainter::Impl::PaintSeparator(CDC& dc, const PassState& pass, int y)
{
    const int thickness = options.separatorThickness;
    if (!options.showSeparator || thickness <= 0 || rows.GetRowCount(ROW_FIXED) == 0)
        return y;
    const CRect band(pass.client.left, y, pass.client.right, y + thickness);
    if (BandMeets(band.top, band.bottom, pass.updateRect)) {
        CColourGuard colours(dc);
        dc.Draw3dRect(band, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        CRect inside = band;
        inside.DeflateRect(1, 1);
        if (!inside.IsRectEmpty())
            dc.FillSolidRect(inside, GetSysColor(COLOR_BTNFACE));
    }
    return band.bottom;
}

// Below the last normal row the lines go on, without rows, at the normal default height, so
// that backgrounds and grid lines reach the bottom of the window.
void CGridPainter::Impl::PaintEmptyLines(CDC& dc, const PassState& pass, int parity, int y)
{
    const int height = rows.GetContainer(ROW_NORMAL).GetDefaultRowHeight();
    if (height <= 0)
        return;
    const int limit = std::min(pass.updateRect.bottom, pass.client.bottom);
    for (; y < limit; y += height, ++parity) {
        if (BandMeets(y, y + height, pass.updateRect)) {
            PaintLine(dc, pass, CRect(pass.client.left, y, pass.client.right, y + height),
                      ROW_NORMAL, -1, parity, nullptr);
        }
    }
}

void CGridPainter::Impl::PaintDropMark(CDC& dc)
{
    const CRect& mark = tracking.dropMark;
    if (mark.IsRectEmpty())
        return;
    if (!tracking.dropMarkIsFrame) {
        dc.FillSolidRect(mark, tracking.dropMarkColor);
        return;
    }
    const int width = CGridPainter::kDropFrameWidth;
    dc.FillSolidRect(mark.left, mark.top, mark.Width(), width, tracking.dropMarkColor);
    dc.FillSolidRect(mark.left, mark.bottom - width, mark.Width(), width, tracking.dropMarkColor);
    dc.FillSolidRect(mark.left, mark.top, width, mark.Height(), tracking.dropMarkColor);
    dc.FillSolidRect(mark.right - width, mark.top, width, mark.Height(), tracking.dropMarkColor);
}

void CGridPainter::Impl::PaintRectangle(CDC& dc, const CRect& updateRect, std::uint32_t flags)
{
    PassState pass = MakePassState(updateRect, flags);
    CRect area;
    if (!area.IntersectRect(updateRect, pass.client))
        return;
    pass.updateRect = area;

    // The formats narrow and exclude clip regions as they go; each rectangle starts afresh.
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(area);

    int y = pass.client.top;
    y = PaintHeader(dc, pass, y);
    y = PaintRows(dc, pass, ROW_FIXED, 0, y);
    if (y < area.bottom) {
        y = PaintSeparator(dc, pass, y);
        const int topRow = std::max(layout.GetTopRow(), 0);
        y = PaintRows(dc, pass, ROW_NORMAL, topRow, y);
        const int normalCount = rows.GetRowCount(ROW_NORMAL);
        // Empty lines start after the last row, which the walk reached when y is still short
        // of the rectangle's bottom.
        if (y < area.bottom)
            PaintEmptyLines(dc, pass, std::max(normalCount, 0), y);
    }
    PaintDropMark(dc);

    if (saved != 0)
        dc.RestoreDC(saved);
}

// ---- 4. Back buffer, background picture, entry points ----------------------------------------

// Keeps the back buffer at the client size while one is wanted; the grid rebuilds on size and
// settings changes, this only guards a paint that comes first.
void CGridPainter::Impl::SyncBackBuffer()
{
    const CRect client = grid.GetClientRect();
    const bool wanted = WantsBackBuffer() && !client.IsRectEmpty();
    if (wanted != (backBuffer != nullptr) || (wanted && backBufferSize != client.Size())) {
        backBuffer.reset();
        backBufferSize = CSize();
        if (!wanted)
            return;
        auto bitmap = std::make_unique<CBitmap>();
        if (bitmap->CreateCompatibleBitmap(nullptr, client.Width(), client.Height())) {
            backBuffer = std::move(bitmap);
            backBufferSize = client.Size();
        }
    }
}

// The picture covers its rectangle from the rectangle's top-left corner, unscaled. Cells blend
// over whatever lies under the rectangle, so where there is no picture to copy (the bitmap is
// smaller than the rectangle, or it could not be selected: `picture` null) the window colour
// goes there instead of an old frame of the back buffer.
void CGridPainter::Impl::CopyBackgroundPicture(CDC& target, CDC* picture,
                                               const BackgroundImage& image,
                                               const CRect& updateRect)
{
    CRect covered;
    if (!covered.IntersectRect(updateRect, image.rect))
        return;
    const CRect bitmapRect(image.rect.TopLeft(), image.bitmap->GetSize());
    CRect copied;
    const bool anyCopied = picture != nullptr && copied.IntersectRect(covered, bitmapRect);
    if (!anyCopied || copied != covered)
        target.FillSolidRect(covered, GetSysColor(COLOR_WINDOW));
    if (anyCopied) {
        target.BitBlt(copied.left, copied.top, copied.Width(), copied.Height(), picture,
                      copied.left - image.rect.left, copied.top - image.rect.top, SRCCOPY);
    }
}

CGridPainter::CGridPainter(CGrid& grid, CGridRows& rows, CGridLayout& layout,
                           const GridOptions& options, const GridTracking& tracking)
    : m_impl(std::make_unique<Impl>(grid, rows, layout, options, tracking))
{
}

CGridPainter::~CGridPainter() = default;

void CGridPainter::BeforePaint()
{
    m_impl->updateRects =
        UpdateRectsFromRegion(m_impl->grid.GetUpdateRects(), m_impl->grid.GetUpdateBounds());
}

void CGridPainter::AfterPaint()
{
    m_impl->updateRects.clear();
}

void CGridPainter::Paint()
{
    BeforePaint();
    m_impl->layout.OnPaint();
    PaintUpdateRects();
    AfterPaint();
}

void CGridPainter::PaintUpdateRects()
{
    Impl& impl = *m_impl;
    CPaintDC paintDC(&impl.grid);
    if (impl.options.header == nullptr) {
        paintDC.FillSolidRect(impl.grid.GetClientRect(), GetSysColor(COLOR_WINDOW));
        return;
    }
    if (impl.grid.GetSafeHwnd() == nullptr || impl.updateRects.empty())
        return;

    CFont* font = impl.GridFont();
    CFont* previousFont = paintDC.SelectObject(font);

    BackgroundImage image;
    if (const BackgroundImage* gridImage = impl.grid.GetBackgroundImage())
        image = *gridImage;
    CMemoryCanvas picture;
    const bool hasPicture = image.IsSet() && picture.Attach(paintDC, *image.bitmap);

    impl.SyncBackBuffer();
    CMemoryCanvas buffer;
    const bool buffered = impl.backBuffer != nullptr && buffer.Attach(paintDC, *impl.backBuffer);
    if (buffered)
        buffer.SelectFont(font);

    const std::uint32_t flags = impl.options.paintOptions;
    for (const CRect& rect : impl.updateRects) {
        CDC& target = buffered ? buffer.GetDC() : paintDC;
        if (image.IsSet())
            impl.CopyBackgroundPicture(target, hasPicture ? &picture.GetDC() : nullptr, image, rect);
        impl.PaintRectangle(target, rect, flags);
        if (buffered) {
            paintDC.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &buffer.GetDC(),
                           rect.left, rect.top, SRCCOPY);
        }
    }

    if (previousFont != nullptr)
        paintDC.SelectObject(previousFont);
}

void CGridPainter::RebuildResources()
{
    m_impl->backBuffer.reset();
    m_impl->backBufferSize = CSize();
    m_impl->SyncBackBuffer();
}

void CGridPainter::PaintRectangle(CDC& dc, const CRect& updateRect, std::uint32_t flags)
{
    m_impl->PaintRectangle(dc, updateRect, flags);
}

const std::vector<CRect>& CGridPainter::GetUpdateRects() const
{
    return m_impl->updateRects;
}

bool CGridPainter::HasBackBuffer() const
{
    return m_impl->backBuffer != nullptr;
}

std::vector<CRect> CGridPainter::UpdateRectsFromRegion(const std::vector<CRect>& regionRects,
                                                       const CRect& bounds)
{
    constexpr std::size_t kMaxRects = (kRegionDataLimit - kRegionHeaderBytes) / kRegionRectBytes;
    if (regionRects.empty())
        return {};
    if (regionRects.size() > kMaxRects)
        return {bounds};
    return regionRects;
}

} // namespace Ombrel::GUI
