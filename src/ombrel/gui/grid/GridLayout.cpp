// Layout, scrolling and hit-testing of the grid window.
//
// Sections:
//   1. Impl: state, areas, walking the rows on screen
//   2. Areas and row/cell geometry
//   3. Counting rows that fit, rows on screen
//   4. Top row, view movement, scroll ranges and the changed-position memory
//   5. Bringing rows into view (immediate flag, ensure-visible timer)
//   6. Scroll commands and the mouse wheel
//   7. Window size
//   8. Hit-testing (rows, columns, expand buttons, column borders)
//   9. Row heights
//
// Vertical geometry, top to bottom: header (when set and shown), fixed rows (never scroll
// vertically), separator (only with fixed rows), normal rows from the top row on. All areas
// span the client width. Horizontally, the header's fixed columns stay put and the others are
// shifted left by the horizontal scroll position, which lives in the window's scroll bar (the
// header reads it from there too).

#include "ombrel/gui/grid/detail/GridLayout.h"

#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>
#include <optional>

namespace Ombrel::GUI {

namespace {

// Paint option bit of the tree column; it also makes expand buttons react to clicks.
constexpr std::uint32_t kTreeColumnOption = PaintTreeIndent;

// A position of the changed-position memory meaning "nothing changed".
constexpr int kNothingChanged = INT_MAX;

// Vertical extent of one row on screen, before clipping to its area.
struct Band
{
    std::int64_t top = 0;
    std::int64_t bottom = 0;
};

int ClampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

bool IsRowType(int rowType)
{
    return rowType == ROW_FIXED || rowType == ROW_NORMAL;
}

CRect Intersection(const CRect& a, const CRect& b)
{
    CRect result;
    if (!result.IntersectRect(a, b))
        return CRect();
    return result;
}

} // namespace

// ---- 1. Impl ------------------------------------------------------------------------------

struct CGridLayout::Impl
{
    Impl(CWnd& w, CGridRows& r, const GridOptions& o, IGridLayoutHost& h)
        : window(w), rows(r), options(o), host(h)
    {}

    struct Areas
    {
        CRect client;
        CRect header;
        CRect fixed;
        CRect separator;
        CRect normal;
    };

    CWnd& window;
    CGridRows& rows;
    const GridOptions& options;
    IGridLayoutHost& host;

    int topRow = -1; // visible position of the first normal row on screen; -1 while none
    // Smallest positions where the visible sequences changed since the last layout; the
    // layout repaints from there. Merged by keeping the smallest.
    // Starts at 0 so that the first layout paints every row.
    int changedNormal = 0;
    int changedFixed = kNothingChanged;

    // Set by every paint; while set, EnsureVisible acts at once.
    bool immediate = false;
    // The deferred EnsureVisible target: a normal position, or else a row (-1 / null: none).
    int pendingPosition = -1;
    CGridItem* pendingRow = nullptr;

    // Whether UpdateLayout is running. Setting the scroll bars may resize the client area,
    // which re-enters through WM_SIZE (or UpdateLayout) and only asks for another pass.
    enum class Pass
    {
        Idle,
        Running,
        RerunRequested, // running, and the current pass must be repeated
    };
    Pass pass = Pass::Idle;
    // The client area was resized during the running layout; the last page is filled after it.
    bool resizedDuringLayout = false;

    bool WindowExists() const { return window.GetSafeHwnd() != nullptr; }

    CHeader* Header() const { return options.header; }

    CItemContainer& Container(int rowType) const { return rows.GetContainer(rowType); }

    int RowCount(int rowType) const { return rows.GetRowCount(rowType); }

    CGridItem* RowAt(int position, int rowType) const { return rows.GetRowAt(position, rowType); }

    int HeightAt(int position, int rowType) const
    {
        const CGridItem* row = RowAt(position, rowType);
        return row ? std::max(0, row->GetHeight()) : 0;
    }

    CRect ClientRect() const { return WindowExists() ? window.GetClientRect() : CRect(); }

    Areas ComputeAreas() const
    {
        Areas areas;
        const CRect client = ClientRect();
        areas.client = client;
        std::int64_t y = client.top;
        const CHeader* header = Header();
        if (header && options.showHeader)
            y += std::max(0, header->GetHeight());
        y = std::min<std::int64_t>(y, client.bottom);
        areas.header = CRect(client.left, client.top, client.right, ClampToInt(y));

        const int fixedCount = RowCount(ROW_FIXED);
        std::int64_t fixedBottom = y;
        for (int position = 0; position < fixedCount && fixedBottom < client.bottom; ++position)
            fixedBottom += HeightAt(position, ROW_FIXED);
        fixedBottom = std::min<std::int64_t>(fixedBottom, client.bottom);
        areas.fixed = CRect(client.left, ClampToInt(y), client.right, ClampToInt(fixedBottom));

        std::int64_t separatorBottom = fixedBottom;
        if (options.showSeparator && fixedCount > 0)
            separatorBottom += std::max(0, options.separatorThickness);
        separatorBottom = std::min<std::int64_t>(separatorBottom, client.bottom);
        areas.separator =
            CRect(client.left, ClampToInt(fixedBottom), client.right, ClampToInt(separatorBottom));
        areas.normal = CRect(client.left, ClampToInt(separatorBottom), client.right, client.bottom);
        return areas;
    }

    const CRect& AreaOf(const Areas& areas, int rowType) const
    {
        return rowType == ROW_FIXED ? areas.fixed : areas.normal;
    }

    // First position on screen: 0 for fixed rows, the top row for normal rows (-1: none).
    int FirstOnScreen(int rowType) const
    {
        if (rowType == ROW_FIXED)
            return RowCount(ROW_FIXED) > 0 ? 0 : -1;
        return topRow;
    }

    // Calls visit(position, band) for each row on screen of `rowType`, from the first on
    // screen down, until the band leaves the area, the sequence ends, or visit returns false.
    template <class Visit> void ForEachOnScreen(int rowType, const CRect& area, Visit visit) const
    {
        const int first = FirstOnScreen(rowType);
        if (first < 0)
            return;
        const int count = RowCount(rowType);
        std::int64_t y = area.top;
        for (int position = first; position < count && y < area.bottom; ++position) {
            const Band band{y, y + HeightAt(position, rowType)};
            if (!visit(position, band))
                return;
            y = band.bottom;
        }
    }

    std::optional<Band> BandOf(int position, int rowType, const CRect& area) const
    {
        std::optional<Band> found;
        if (position < FirstOnScreen(rowType))
            return found;
        ForEachOnScreen(rowType, area, [&](int current, const Band& band) {
            if (current == position)
                found = band;
            return current < position;
        });
        return found;
    }

    CRect RowRectAt(int position, int rowType, bool clipToArea) const
    {
        if (!IsRowType(rowType))
            return CRect();
        const Areas areas = ComputeAreas();
        const CRect& area = AreaOf(areas, rowType);
        const std::optional<Band> band = BandOf(position, rowType, area);
        if (!band)
            return CRect();
        const std::int64_t bottom =
            clipToArea ? std::min<std::int64_t>(band->bottom, area.bottom) : band->bottom;
        return CRect(area.left, ClampToInt(band->top), area.right, ClampToInt(bottom));
    }

    // Row type and visible position of a valid visible row.
    std::optional<RowPosition> PositionOf(CGridItem* row) const
    {
        if (!rows.IsValid(row) || !rows.IsVisible(row))
            return std::nullopt;
        return RowPosition{rows.GetVisibleIndex(row), rows.GetRowType(row)};
    }

    bool IsVisibleNormalRow(CGridItem* row) const
    {
        const std::optional<RowPosition> where = PositionOf(row);
        return where && where->type == ROW_NORMAL;
    }

    int CountThatFit(int start, bool downwards, std::int64_t height) const
    {
        const int count = RowCount(ROW_NORMAL);
        if (start < 0 || start >= count)
            return 0;
        std::int64_t total = 0;
        int fitting = 0;
        const int step = downwards ? 1 : -1;
        for (int position = start; position >= 0 && position < count; position += step) {
            total += HeightAt(position, ROW_NORMAL);
            if (total > height)
                break;
            ++fitting;
        }
        return fitting;
    }

    int NormalAreaHeight() const { return ComputeAreas().normal.Height(); }

    // Whole rows that fit at the end of the sequence: fit(from the end).
    int FitFromEnd() const
    {
        return CountThatFit(RowCount(ROW_NORMAL) - 1, false, NormalAreaHeight());
    }

    void Invalidate(const CRect& rect)
    {
        if (!rect.IsRectEmpty())
            window.InvalidateRect(&rect, false);
    }
};

CGridLayout::CGridLayout(CWnd& window, CGridRows& rows, const GridOptions& options,
                         IGridLayoutHost& host)
    : m_impl(std::make_unique<Impl>(window, rows, options, host))
{}

CGridLayout::~CGridLayout() = default;

// ---- 2. Areas and geometry ----------------------------------------------------------------

CRect CGridLayout::GetHeaderArea() const
{
    return m_impl->ComputeAreas().header;
}

CRect CGridLayout::GetFixedArea() const
{
    return m_impl->ComputeAreas().fixed;
}

CRect CGridLayout::GetSeparatorArea() const
{
    return m_impl->ComputeAreas().separator;
}

CRect CGridLayout::GetNormalArea() const
{
    return m_impl->ComputeAreas().normal;
}

CRect CGridLayout::GetRowsArea(int rowType) const
{
    if (!IsRowType(rowType))
        return CRect();
    return m_impl->AreaOf(m_impl->ComputeAreas(), rowType);
}

CRect CGridLayout::GetRowRect(CGridItem* row) const
{
    const std::optional<RowPosition> where = m_impl->PositionOf(row);
    return where ? GetRowRectAt(where->index, where->type) : CRect();
}

CRect CGridLayout::GetRowRectAt(int position, int rowType) const
{
    return m_impl->RowRectAt(position, rowType, true);
}

CRect CGridLayout::GetVisibleRowRect(CGridItem* row) const
{
    return Intersection(GetRowRect(row), m_impl->ClientRect());
}

CRect CGridLayout::GetFullRowRectAt(int position, int rowType) const
{
    return m_impl->RowRectAt(position, rowType, false);
}

CRect CGridLayout::GetCellRect(CGridItem* row, std::int32_t fieldId) const
{
    CHeader* header = m_impl->Header();
    if (!header || !header->GetVisibleColumnById(fieldId))
        return CRect();
    const CRect rowRect = GetRowRect(row);
    if (rowRect.IsRectEmpty())
        return CRect();
    const CRect column = header->GetColumnRect(&m_impl->window, fieldId);
    const CRect cell(column.left, rowRect.top, column.right, rowRect.bottom);
    return cell.IsRectEmpty() ? CRect() : cell;
}

CRect CGridLayout::GetVisibleCellRect(CGridItem* row, std::int32_t fieldId) const
{
    CHeader* header = m_impl->Header();
    if (!header || !header->GetVisibleColumnById(fieldId))
        return CRect();
    const CRect rowRect = GetRowRect(row);
    if (rowRect.IsRectEmpty())
        return CRect();
    const CRect column = header->GetClippedColumnRect(&m_impl->window, fieldId);
    return Intersection(CRect(column.left, rowRect.top, column.right, rowRect.bottom),
                        m_impl->ClientRect());
}

CRect CGridLayout::GetPositionsRect(int rowType, int first, int last) const
{
    if (!IsRowType(rowType))
        return CRect();
    if (first > last)
        std::swap(first, last);
    const Impl::Areas areas = m_impl->ComputeAreas();
    const CRect& area = m_impl->AreaOf(areas, rowType);
    std::optional<std::int64_t> top;
    std::int64_t bottom = 0;
    m_impl->ForEachOnScreen(rowType, area, [&](int position, const Band& band) {
        if (position >= first && position <= last) {
            if (!top)
                top = band.top;
            bottom = band.bottom;
        }
        return position < last;
    });
    if (!top)
        return CRect();
    const CRect rect(area.left, ClampToInt(*top), area.right,
                     ClampToInt(std::min<std::int64_t>(bottom, area.bottom)));
    return rect.IsRectEmpty() ? CRect() : rect;
}

CRect CGridLayout::GetExpandButtonRect(CGridItem* row) const
{
    const Impl& impl = *m_impl;
    CHeader* header = impl.Header();
    if (!header || (impl.options.paintOptions & kTreeColumnOption) == 0)
        return CRect();
    if (!impl.rows.IsValid(row) || (!impl.options.buttonsOnAllRows && row->GetChildCount() == 0))
        return CRect();
    const CColumn* treeColumn = header->GetFirstVisibleColumn();
    if (!treeColumn)
        return CRect();
    const CRect cell = GetCellRect(row, treeColumn->GetFieldId());
    if (cell.IsRectEmpty())
        return CRect();
    // The button is a square of the row's height, indented by one square per level.
    const std::int64_t side = std::max(0, row->GetHeight());
    const std::int64_t left = cell.left + std::max(0, impl.rows.GetLevel(row)) * side;
    const CRect button(ClampToInt(left), cell.top, ClampToInt(left + side), cell.bottom);
    return Intersection(button, GetVisibleCellRect(row, treeColumn->GetFieldId()));
}

// ---- Repaint helpers ----------------------------------------------------------------------

void CGridLayout::InvalidateRow(CGridItem* row)
{
    m_impl->Invalidate(GetVisibleRowRect(row));
}

void CGridLayout::InvalidateCell(CGridItem* row, std::int32_t fieldId)
{
    m_impl->Invalidate(GetVisibleCellRect(row, fieldId));
}

void CGridLayout::InvalidatePositions(int rowType, int first, int last)
{
    m_impl->Invalidate(GetPositionsRect(rowType, first, last));
}

// ---- 3. Counting --------------------------------------------------------------------------

int CGridLayout::CountRowsThatFit(int start, bool downwards, int height) const
{
    return m_impl->CountThatFit(start, downwards, height);
}

int CGridLayout::GetPageRowCount(bool downwards) const
{
    return m_impl->CountThatFit(m_impl->topRow, downwards, m_impl->NormalAreaHeight());
}

int CGridLayout::GetLastVisibleIndex(int rowType) const
{
    if (!IsRowType(rowType))
        return -1;
    const Impl::Areas areas = m_impl->ComputeAreas();
    int last = -1;
    m_impl->ForEachOnScreen(rowType, m_impl->AreaOf(areas, rowType),
                            [&](int position, const Band&) {
                                last = position;
                                return true;
                            });
    return last;
}

bool CGridLayout::IsOnScreen(int position, int rowType) const
{
    if (!IsRowType(rowType))
        return false;
    const int first = m_impl->FirstOnScreen(rowType);
    return first >= 0 && position >= first && position <= GetLastVisibleIndex(rowType);
}

bool CGridLayout::IsOnScreen(CGridItem* row) const
{
    const std::optional<RowPosition> where = m_impl->PositionOf(row);
    return where && IsOnScreen(where->index, where->type);
}

// ---- 4. Top row, view movement, scroll ranges ---------------------------------------------

int CGridLayout::GetTopRow() const
{
    return m_impl->topRow;
}

void CGridLayout::StoreTopRow(int index)
{
    const int count = m_impl->RowCount(ROW_NORMAL);
    m_impl->topRow = count == 0 ? -1 : std::clamp(index, -1, count - 1);
    assert(m_impl->topRow < count && "the top row is a normal position or -1");
}

bool CGridLayout::SetTopRow(int index, bool scroll)
{
    Impl& impl = *m_impl;
    if (!impl.WindowExists())
        return false;
    const int count = impl.RowCount(ROW_NORMAL);
    if (index == impl.topRow)
        return true;
    if (index >= count || (index < 0 && count > 0))
        return false;
    const int oldTop = impl.topRow;
    // Repaints kept for the frame are placed while the rows are still where they were asked
    // for: moved pixels carry their rectangles along.
    impl.host.FlushPendingRepaints();
    if (!scroll) {
        impl.topRow = std::max(index, -1);
        return true;
    }
    // The row cut by the area's bottom before the move, if any: moving pixels up shows more
    // of it, and what was drawn of it was laid out for its cut rectangle.
    const int lastBefore = GetLastVisibleIndex(ROW_NORMAL);
    const bool lastWasCut =
        GetFullRowRectAt(lastBefore, ROW_NORMAL).bottom > impl.ComputeAreas().normal.bottom;

    impl.topRow = std::max(index, -1);
    impl.window.SetScrollPos(SB_VERT, std::max(impl.topRow, 0));

    const CRect area = impl.ComputeAreas().normal;
    if (area.IsRectEmpty())
        return true;
    if (oldTop < 0 || impl.topRow < 0 || !impl.host.CanScrollPixels()) {
        impl.Invalidate(area);
        impl.host.OnViewScrolled();
        return true;
    }
    // The distance in pixels between the old and the new top row, counted only as far as it
    // matters: from the area's height on, the whole area is repainted anyway.
    const int from = std::min(oldTop, impl.topRow);
    const int to = std::max(oldTop, impl.topRow);
    std::int64_t distance = 0;
    for (int position = from; position < to && distance < area.Height(); ++position)
        distance += impl.HeightAt(position, ROW_NORMAL);
    if (distance >= area.Height()) {
        impl.Invalidate(area);
    } else if (distance > 0) {
        const int dy = static_cast<int>(impl.topRow > oldTop ? -distance : distance);
        // Moves the pixels and invalidates the uncovered band.
        impl.window.ScrollWindow(0, dy, &area, &area);
        if (dy < 0 && lastWasCut) {
            const CRect cutRow = GetFullRowRectAt(lastBefore, ROW_NORMAL);
            if (!cutRow.IsRectEmpty())
                impl.Invalidate(
                    CRect(area.left, std::max(cutRow.top, area.top), area.right, area.bottom));
        }
    }
    impl.host.OnViewScrolled();
    return true;
}

bool CGridLayout::ScrollToRow(CGridItem* row)
{
    if (!m_impl->IsVisibleNormalRow(row))
        return false;
    return SetTopRow(m_impl->rows.GetVisibleIndex(row), true);
}

void CGridLayout::UpdateLayout()
{
    Impl& impl = *m_impl;
    if (!impl.WindowExists())
        return;
    if (impl.pass != Impl::Pass::Idle) {
        impl.pass = Impl::Pass::RerunRequested;
        return;
    }
    impl.pass = Impl::Pass::Running;
    StoreTopRow(impl.topRow < 0 ? 0 : impl.topRow);

    // Showing or hiding a scroll bar changes the client area; a few passes settle it.
    constexpr int kMaxPasses = 3;
    for (int round = 0; round < kMaxPasses; ++round) {
        impl.pass = Impl::Pass::Running;
        const Impl::Areas areas = impl.ComputeAreas();
        if (areas.normal.IsRectEmpty())
            break;
        SCROLLINFO vertical;
        vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        vertical.nMin = 0;
        vertical.nMax = std::max(impl.RowCount(ROW_NORMAL) - 1, 0);
        vertical.nPage =
            static_cast<UINT>(impl.CountThatFit(impl.topRow, true, areas.normal.Height()));
        vertical.nPos = std::max(impl.topRow, 0);
        impl.window.SetScrollInfo(SB_VERT, vertical);

        SCROLLINFO horizontal;
        horizontal.fMask = SIF_RANGE | SIF_PAGE;
        if (const CHeader* header = impl.Header()) {
            const std::int64_t total =
                std::int64_t{header->GetFixedWidth()} + header->GetScrollableWidth();
            horizontal.nMax = ClampToInt(std::max<std::int64_t>(total - 1, 0));
            horizontal.nPage = static_cast<UINT>(areas.normal.Width());
        } else {
            // Without columns nothing scrolls sideways; a bar left from a removed header goes.
            horizontal.fMask |= SIF_POS;
        }
        impl.window.SetScrollInfo(SB_HORZ, horizontal);
        if (impl.pass != Impl::Pass::RerunRequested)
            break;
    }

    const Impl::Areas areas = impl.ComputeAreas();
    if (impl.changedFixed != kNothingChanged) {
        // Fixed rows push the normal rows down: everything from the change on is redrawn.
        std::int64_t y = areas.fixed.top;
        const int fixedCount = impl.RowCount(ROW_FIXED);
        for (int position = 0;
             position < impl.changedFixed && position < fixedCount && y < areas.client.bottom;
             ++position)
            y += impl.HeightAt(position, ROW_FIXED);
        impl.Invalidate(
            CRect(areas.client.left, ClampToInt(y), areas.client.right, areas.client.bottom));
    }
    const int count = impl.RowCount(ROW_NORMAL);
    if (impl.changedNormal != kNothingChanged) {
        // From the changed position (or the area's top, when it lies above the top row) down;
        // past the last row this clears what removed rows left behind.
        std::int64_t y = areas.normal.top;
        if (impl.topRow >= 0) {
            for (int position = impl.topRow;
                 position < impl.changedNormal && position < count && y < areas.normal.bottom;
                 ++position)
                y += impl.HeightAt(position, ROW_NORMAL);
        }
        impl.Invalidate(
            CRect(areas.normal.left, ClampToInt(y), areas.normal.right, areas.normal.bottom));
    }
    impl.changedNormal = kNothingChanged;
    impl.changedFixed = kNothingChanged;
    assert((impl.topRow == -1 || impl.topRow < count) && "the top row is -1 or a normal position");
    impl.pass = Impl::Pass::Idle;
    if (impl.resizedDuringLayout) {
        impl.resizedDuringLayout = false;
        FillLastPage();
    }
}

void CGridLayout::OnRowsEntered(int rowType, int position, int)
{
    if (rowType == ROW_NORMAL)
        m_impl->changedNormal = std::min(m_impl->changedNormal, std::max(position, 0));
    else if (rowType == ROW_FIXED)
        m_impl->changedFixed = std::min(m_impl->changedFixed, std::max(position, 0));
}

void CGridLayout::OnRowsLeft(int rowType, int position, int count)
{
    OnRowsEntered(rowType, position, count);
}

// ---- 5. Bringing rows into view -----------------------------------------------------------

namespace {

// Moves the view so that normal position `position` is fully shown: up to it when it is above
// the top row, else just far enough that it becomes the last whole row.
void BringIntoView(CGridLayout& layout, int position, int areaHeight)
{
    const int top = layout.GetTopRow();
    if (top < 0 || position < top) {
        layout.SetTopRow(position, true);
        return;
    }
    // A row taller than the area still becomes the top row rather than being skipped.
    const int fit = std::max(1, layout.CountRowsThatFit(position, false, areaHeight));
    if (position - top + 1 <= fit)
        return;
    layout.SetTopRow(position + 1 - fit, true);
}

} // namespace

void CGridLayout::EnsureVisible(int position)
{
    Impl& impl = *m_impl;
    if (position < 0 || position >= impl.RowCount(ROW_NORMAL))
        return;
    if (impl.immediate) {
        const int before = impl.topRow;
        BringIntoView(*this, position, impl.NormalAreaHeight());
        if (impl.topRow != before)
            impl.immediate = false;
        return;
    }
    impl.pendingPosition = position;
    impl.pendingRow = nullptr;
    impl.window.SetTimer(kEnsureVisibleTimer, kEnsureVisibleDelayMs);
}

void CGridLayout::EnsureVisible(CGridItem* row)
{
    Impl& impl = *m_impl;
    if (!impl.IsVisibleNormalRow(row))
        return;
    if (impl.immediate) {
        EnsureVisible(impl.rows.GetVisibleIndex(row));
        return;
    }
    impl.pendingRow = row;
    impl.pendingPosition = -1;
    impl.window.SetTimer(kEnsureVisibleTimer, kEnsureVisibleDelayMs);
}

void CGridLayout::OnPaint()
{
    m_impl->immediate = true;
}

bool CGridLayout::IsImmediate() const
{
    return m_impl->immediate;
}

void CGridLayout::OnEnsureVisibleTimer()
{
    Impl& impl = *m_impl;
    impl.window.KillTimer(kEnsureVisibleTimer);
    UpdateLayout();
    const int position = impl.pendingPosition;
    CGridItem* row = impl.pendingRow;
    impl.pendingPosition = -1;
    impl.pendingRow = nullptr;
    const int count = impl.RowCount(ROW_NORMAL);
    if (position >= 0 && position < count)
        BringIntoView(*this, position, impl.NormalAreaHeight());
    else if (impl.IsVisibleNormalRow(row))
        BringIntoView(*this, impl.rows.GetVisibleIndex(row), impl.NormalAreaHeight());
}

// ---- 6. Scroll commands and the wheel -----------------------------------------------------

namespace {

// The thumb position of a bar. A scroll message carries only 16 bits of it, so the bar's own
// tracked position is preferred whenever it agrees with the message in those bits; a wider
// position can only come from a direct call and is taken as it is.
int ThumbPosition(const CWnd& window, int bar, UINT position)
{
    if (position > 0xFFFFu)
        return static_cast<int>(std::min<UINT>(position, INT_MAX));
    SCROLLINFO info;
    if (window.GetScrollInfo(bar, &info, SIF_TRACKPOS) &&
        (static_cast<UINT>(info.nTrackPos) & 0xFFFFu) == position)
        return info.nTrackPos;
    return static_cast<int>(position);
}

} // namespace

void CGridLayout::OnVScroll(UINT code, UINT position)
{
    Impl& impl = *m_impl;
    const int count = impl.RowCount(ROW_NORMAL);
    if (count > 0) {
        const int top = std::max(impl.topRow, 0);
        const int areaHeight = impl.NormalAreaHeight();
        // The top row from which the last row is the last whole row on screen.
        const int lastPageTop = count - impl.FitFromEnd();
        std::optional<int> target;
        switch (code) {
        case SB_LINEUP:
            if (top > 0)
                target = top - 1;
            break;
        case SB_LINEDOWN:
            if (top < lastPageTop)
                target = top + 1;
            break;
        case SB_PAGEUP: {
            // The old top row becomes the last row; a page always moves by one row at least.
            const int step = std::max(1, impl.CountThatFit(top, false, areaHeight) - 1);
            target = std::max(0, top - step);
            break;
        }
        case SB_PAGEDOWN: {
            // The last whole row becomes the top row, never past the last full page, and a
            // page down never moves the view up.
            const int step = std::max(1, impl.CountThatFit(top, true, areaHeight) - 1);
            const int next = std::min(top + step, lastPageTop);
            if (next > top)
                target = next;
            break;
        }
        case SB_TOP:
            target = 0;
            break;
        case SB_BOTTOM:
            if (count >= 2 && lastPageTop + 1 < count)
                target = lastPageTop + 1;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            const int thumb = ThumbPosition(impl.window, SB_VERT, position);
            if (thumb >= 0 && thumb < count)
                target = thumb;
            break;
        }
        default:
            break;
        }
        if (target)
            SetTopRow(*target, true);
    }
    impl.host.HideTransients();
}

int CGridLayout::GetHorzPosition() const
{
    return m_impl->WindowExists() ? m_impl->window.GetScrollPos(SB_HORZ) : 0;
}

void CGridLayout::OnHScroll(UINT code, UINT position)
{
    Impl& impl = *m_impl;
    CHeader* header = impl.Header();
    if (!header || !impl.WindowExists()) {
        impl.host.HideTransients();
        return;
    }
    CWnd* window = &impl.window;
    const int current = window->GetScrollPos(SB_HORZ);
    const int boundary = header->GetFixedWidth();
    const int clientWidth = impl.ClientRect().Width();
    // Width of the scrolling part of the view: the least a page moves.
    const int pageWidth = std::max(1, clientWidth - boundary);
    const CColumn* atBoundary = header->ColumnFromPoint(window, boundary);
    auto rectOf = [&](const CColumn* column) {
        return header->GetColumnRect(window, column->GetFieldId());
    };

    std::optional<std::int64_t> target;
    switch (code) {
    case SB_LINELEFT:
        if (atBoundary) {
            CRect rect = rectOf(atBoundary);
            if (rect.left == boundary) {
                const int index = header->GetVisibleColumnIndex(atBoundary->GetFieldId());
                if (const CColumn* previous = header->GetVisibleColumn(index - 1))
                    rect = rectOf(previous);
            }
            target = std::int64_t{current} + rect.left - boundary;
        }
        break;
    case SB_LINERIGHT:
        if (atBoundary)
            target = std::int64_t{current} + rectOf(atBoundary).right - boundary;
        break;
    case SB_PAGELEFT:
        // The column at the boundary ends at the client's right edge afterwards.
        if (atBoundary) {
            std::int64_t next = std::int64_t{current} + rectOf(atBoundary).right - clientWidth;
            if (next >= current)
                next = std::int64_t{current} - pageWidth;
            target = next;
        }
        break;
    case SB_PAGERIGHT: {
        // The column cut by the client's right edge starts at the boundary afterwards.
        const CColumn* atRight = header->ColumnFromPoint(window, clientWidth - 1);
        if (atRight && !header->IsFixedColumn(atRight->GetFieldId())) {
            std::int64_t next = std::int64_t{current} + rectOf(atRight).left - boundary;
            if (next <= current)
                next = std::int64_t{current} + pageWidth;
            target = next;
        }
        break;
    }
    case SB_LEFT:
        target = 0;
        break;
    case SB_RIGHT:
        target = std::int64_t{header->GetFixedWidth()} + header->GetScrollableWidth();
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = ThumbPosition(*window, SB_HORZ, position);
        break;
    default:
        break;
    }
    if (target) {
        const int limit = window->GetScrollLimit(SB_HORZ);
        const int next = ClampToInt(std::clamp<std::int64_t>(*target, 0, std::max(limit, 0)));
        if (next != current) {
            window->SetScrollPos(SB_HORZ, next);
            window->InvalidateRect(nullptr, false);
            impl.host.OnViewScrolled();
        }
    }
    impl.host.HideTransients();
}

bool CGridLayout::OnMouseWheel(UINT, short delta, CPoint)
{
    Impl& impl = *m_impl;
    if (impl.host.IsEditing() || !impl.WindowExists())
        return false;
    const int lines = impl.options.wheelScrollLines;
    UINT code = 0;
    std::int64_t commands = 0;
    if (lines < 0) {
        // A page per notch.
        commands = delta / WHEEL_DELTA;
        code = commands > 0 ? SB_PAGEUP : SB_PAGEDOWN;
    } else {
        commands = std::int64_t{delta} * lines / WHEEL_DELTA;
        code = commands > 0 ? SB_LINEUP : SB_LINEDOWN;
    }
    // More steps than rows cannot move the view any further.
    commands =
        std::min<std::int64_t>(commands < 0 ? -commands : commands, impl.RowCount(ROW_NORMAL));
    for (std::int64_t i = 0; i < commands; ++i)
        impl.window.SendMessage(WM_VSCROLL, MAKEWPARAM(code, 0), 0);
    return true;
}

// ---- 7. Window size -----------------------------------------------------------------------

void CGridLayout::OnSize(UINT, int, int)
{
    Impl& impl = *m_impl;
    if (impl.pass != Impl::Pass::Idle) {
        // A scroll bar came or went while the layout set the bars; it takes another pass, and
        // the client area may have grown.
        impl.pass = Impl::Pass::RerunRequested;
        impl.resizedDuringLayout = true;
        return;
    }
    UpdateLayout();
    FillLastPage();
}

void CGridLayout::FillLastPage()
{
    Impl& impl = *m_impl;
    const int count = impl.RowCount(ROW_NORMAL);
    if (count < 2)
        return;
    // A taller window shows the last page full instead of leaving space below the last row.
    const int lastPageTop = count - impl.FitFromEnd();
    if (impl.topRow > lastPageTop) {
        SetTopRow(lastPageTop, true);
        UpdateLayout();
    }
}

// ---- 8. Hit-testing -----------------------------------------------------------------------

RowPosition CGridLayout::HitTestPosition(CPoint point) const
{
    const Impl::Areas areas = m_impl->ComputeAreas();
    for (const int rowType : {ROW_NORMAL, ROW_FIXED}) {
        const CRect& area = m_impl->AreaOf(areas, rowType);
        if (!area.PtInRect(point))
            continue;
        RowPosition hit;
        m_impl->ForEachOnScreen(rowType, area, [&](int position, const Band& band) {
            if (point.y >= band.top && point.y < band.bottom) {
                hit = RowPosition{position, rowType};
                return false;
            }
            return true;
        });
        return hit;
    }
    return RowPosition{};
}

CGridItem* CGridLayout::HitTestRow(int x, int y) const
{
    const RowPosition hit = HitTestPosition(CPoint(x, y));
    return hit.IsNone() ? nullptr : m_impl->RowAt(hit.index, hit.type);
}

CColumn* CGridLayout::HitTestColumn(int x, int) const
{
    CHeader* header = m_impl->Header();
    return header ? header->ColumnFromPoint(&m_impl->window, x) : nullptr;
}

CGridItem* CGridLayout::HitTestExpandButton(CPoint point) const
{
    CGridItem* row = HitTestRow(point.x, point.y);
    if (!row)
        return nullptr;
    return GetExpandButtonRect(row).PtInRect(point) ? row : nullptr;
}

bool CGridLayout::OnExpandButtonPress(CPoint point)
{
    Impl& impl = *m_impl;
    CGridItem* row = HitTestExpandButton(point);
    if (!row)
        return false;
    IGridRowsOwner& owner = impl.rows.GetOwner();
    const RowPosition focus = owner.GetFocus();
    CGridItem* focusedRow = focus.IsNone() ? nullptr : impl.RowAt(focus.index, focus.type);

    impl.rows.Expand(row, !row->IsExpanded(), false);

    // The focus stays on its row, wherever that row now is, if it may still hold it.
    std::optional<RowPosition> kept = focusedRow ? impl.PositionOf(focusedRow) : std::nullopt;
    if (kept && (impl.options.focusableTypes & kept->type) == 0)
        kept.reset();
    const RowPosition wanted = kept ? *kept : RowPosition{};
    if (!(owner.GetFocus() == wanted))
        owner.SetFocus(wanted);
    UpdateLayout();
    return true;
}

CColumn* CGridLayout::HitTestColumnBorder(CPoint point) const
{
    CHeader* header = m_impl->Header();
    if (!header)
        return nullptr;
    CWnd* window = &m_impl->window;
    CColumn* column = header->ColumnFromPoint(window, point.x);
    if (!column)
        return nullptr;
    CRect rect = header->GetColumnRect(window, column->GetFieldId());
    // Just right of a column's left edge is the previous column's right border.
    constexpr int kLeftEdgeSlack = 3;
    if (point.x - rect.left <= kLeftEdgeSlack) {
        const int index = header->GetVisibleColumnIndex(column->GetFieldId());
        if (index > 0) {
            if (CColumn* previous = header->GetVisibleColumn(index - 1)) {
                column = previous;
                rect = header->GetColumnRect(window, column->GetFieldId());
            }
        }
    }
    constexpr int kBorderSlack = 4;
    const bool onBorder =
        rect.right - kBorderSlack < point.x && point.x < rect.right + kBorderSlack;
    return onBorder ? column : nullptr;
}

// ---- 9. Row heights -----------------------------------------------------------------------

int CGridLayout::GetRowHeight(CGridItem* row) const
{
    return m_impl->rows.IsValid(row) ? row->GetHeight() : -1;
}

void CGridLayout::SetRowHeight(CGridItem* row, int height)
{
    Impl& impl = *m_impl;
    if (!impl.rows.IsValid(row) || height < 0 || row->GetHeight() == height)
        return;
    row->SetHeight(height);
    if (const std::optional<RowPosition> where = impl.PositionOf(row)) {
        OnRowsEntered(where->type, where->index, 1);
        UpdateLayout();
    }
}

bool CGridLayout::ApplyMeasuredRowHeight(int rowType, int height)
{
    Impl& impl = *m_impl;
    if (!IsRowType(rowType) || height <= 0)
        return false;
    CItemContainer& container = impl.Container(rowType);
    if (container.GetDefaultRowHeight() == height)
        return false;
    container.SetDefaultRowHeight(height);
    OnRowsEntered(rowType, 0, container.GetRowCount());
    UpdateLayout();
    if (impl.WindowExists())
        impl.window.InvalidateRect(nullptr, false);
    return true;
}

} // namespace Ombrel::GUI
