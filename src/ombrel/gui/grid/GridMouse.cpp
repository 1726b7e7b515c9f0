#include "ombrel/gui/grid/detail/GridMouse.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/detail/GridTracking.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

// Flow of the mouse gestures
//   header:  press on a border -> Resizing -> moves set the width -> release ends
//            press on a cell   -> Pressed  -> release within 4 px: sort click
//                                          -> move beyond 4 px: DraggingColumn (if movable):
//                                             drag image shown; moves place the drop marker
//                                             and move the image -> release moves the column
//   rows:    plain press (the grid selects) -> band started -> moves select what it covers;
//            outside the row areas the AutoScroll timer scrolls and the band follows its rows
//            plain press on a selected row -> held -> move beyond 4 px: drag of the rows
//                                                 -> release: the plain-press rules
//   ends:    left or right release, lost capture or focus, Escape, window destroyed: EndAll
//
// Sections: 1. header gestures  2. rubber band  3. autoscroll  4. double clicks and cursor
// 5. drags of rows  6. the message filter.

namespace Ombrel::GUI {

namespace {

CPoint PointOf(LPARAM lParam)
{
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

CRect Normalized(CPoint a, CPoint b)
{
    return CRect(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                 std::max(a.y, b.y) + 1);
}

// The parts of `rect` outside `hole`: up to four strips.
std::vector<CRect> Subtract(const CRect& rect, const CRect& hole)
{
    CRect inner;
    if (!inner.IntersectRect(rect, hole))
        return rect.IsRectEmpty() ? std::vector<CRect>{} : std::vector<CRect>{rect};
    std::vector<CRect> parts;
    const auto add = [&](const CRect& part) {
        if (!part.IsRectEmpty())
            parts.push_back(part);
    };
    add(CRect(rect.left, rect.top, rect.right, inner.top));
    add(CRect(rect.left, inner.bottom, rect.right, rect.bottom));
    add(CRect(rect.left, inner.top, inner.left, inner.bottom));
    add(CRect(inner.right, inner.top, rect.right, inner.bottom));
    return parts;
}

// The header-click sort rules: Shift clears every level; otherwise, with sorting allowed, Ctrl
// toggles the field's level or adds it as a new last level, and a plain click makes the field
// the only level (toggling it when it already is).
void ApplyHeaderClick(CHeader& header, std::int32_t fieldId, bool shift, bool control)
{
    if (shift) {
        header.ClearSort();
        return;
    }
    if (!header.IsSortEnabled())
        return;
    const int count = header.GetSortCount();
    if (control) {
        for (int level = 0; level < count; ++level) {
            const CSortInfo info = header.GetSort(level);
            if (info.GetFieldId() == fieldId) {
                header.SetSort(level, CSortInfo(fieldId, !info.IsDescending()));
                return;
            }
        }
        if (count >= kMaxSortLevels)
            return;
        const bool descending = count > 0 && header.GetSort(count - 1).IsDescending();
        header.SetSort(count, CSortInfo(fieldId, descending));
        return;
    }
    if (count == 0) {
        header.SetSort(0, CSortInfo(fieldId, false));
        return;
    }
    const CSortInfo first = header.GetSort(0);
    if (count == 1 && first.GetFieldId() == fieldId) {
        header.SetSort(0, CSortInfo(fieldId, !first.IsDescending()));
        return;
    }
    header.ClearSort();
    header.SetSort(0, CSortInfo(fieldId, first.IsDescending()));
}

} // namespace

struct CGridMouse::Impl
{
    Impl(CGrid& g, CGridLayout& l, const GridOptions& o, GridTracking& t)
        : grid(g), layout(l), options(o), tracking(t)
    {
    }

    CGrid& grid;
    CGridLayout& layout;
    const GridOptions& options;
    GridTracking& tracking;

    HeaderState state = HeaderState::Idle;
    std::int32_t column = -2;         // the column concerned (field identifier)
    CPoint pressPoint;                // Pressed: where the press was
    int lastRightEdge = -1;           // Resizing: the right edge last applied
    std::int64_t lastMarkerPaint = 0; // DraggingColumn: grid time of the last marker repaint
    std::unique_ptr<CImageList> dragImage; // DraggingColumn: the header cell under the pointer

    bool bandActive = false;
    CPoint bandStart;                 // client coordinates, moved with the rows on scrolling
    int bandTopRow = -1;              // the top row and horizontal position the start point
    int bandHorzPosition = 0;         // was last placed against
    bool autoScrolling = false;
    CPoint lastPoint;                 // the pointer at the last move, client coordinates

    IRowDrag* rowDrag = nullptr;      // null: no drags of rows
    bool rowDragPending = false;      // a press on a selected row awaits a move or a release
    CPoint rowDragPress;              // where that press was

    CHeader* Header() const { return options.header; }

    // Height in pixels of the row at `position` of `rowType`; 0 for none.
    int RowHeightAt(int rowType, int position) const
    {
        return std::max(layout.GetRowHeight(grid.GetRowAt(position, rowType)), 0);
    }

    bool InHeaderBand(CPoint point) const
    {
        if (Header() == nullptr || !options.showHeader)
            return false;
        return layout.GetHeaderArea().PtInRect(point);
    }

    CColumn* Column() const { return Header() ? Header()->GetColumnById(column) : nullptr; }

    bool MayMove(std::int32_t fieldId) const
    {
        CHeader* header = Header();
        if (header == nullptr || header->GetVisibleColumnById(fieldId) == nullptr)
            return false;
        return header->IsFixedColumn(fieldId) ? header->CanMoveFixedColumns()
                                              : header->CanMoveScrollableColumns();
    }

    void InvalidateHeader()
    {
        const CRect area = layout.GetHeaderArea();
        if (!area.IsRectEmpty())
            grid.InvalidateRect(&area, false);
    }

    // 1. Header gestures
    bool OnHeaderPress(CPoint point);
    void OnHeaderMove(CPoint point, UINT keys);
    void OnHeaderRelease(CPoint point, UINT keys);
    void StartColumnDrag(CPoint point);
    // The dragged header cell as a translucent picture that follows the pointer.
    void ShowDragImage(CPoint point);
    bool PaintCellImage(CBitmap& bitmap, const CRect& cell);
    void EndDragImage();
    void UpdateDropMarker(CPoint point);
    // The column a drop at `point` lands next to, and whether after it; null for none.
    CColumn* DropTarget(CPoint point, bool& after) const;
    void EndHeaderTracking();

    // 2. Rubber band
    void StartBand(CPoint point);
    void UpdateBand(CPoint point);
    void SelectRowsInBand(int rowType, const CRect& band);
    // First and last position of `rowType` whose band meets [top, bottom); false for none.
    bool PositionsInBand(int rowType, int top, int bottom, int& first, int& last) const;
    void RepaintBandChange(const CRect& before, const CRect& after);
    void FollowScroll();
    void EndBand();

    // 3. Autoscroll
    void StartAutoScroll();
    void OnAutoScrollTimer();
    void StopAutoScroll();

    // 4. Double clicks and cursor
    bool OnDoubleClick(CPoint point);
    bool OnSetCursor();

    // 5. Drags of rows
    bool OnRowPress(CPoint point, UINT keys);
    // True when the move started a drag (which has ended when this returns).
    bool OnRowDragMove(CPoint point, UINT keys);
    void OnRowDragRelease();

    void EndAll();
    void Cancel();
};

// ---- 1. Header gestures -----------------------------------------------------------------------

bool CGridMouse::Impl::OnHeaderPress(CPoint point)
{
    if (CColumn* border = layout.HitTestColumnBorder(point)) {
        state = HeaderState::Resizing;
        column = border->GetFieldId();
        lastRightEdge = -1;
    } else if (CColumn* cell = layout.HitTestColumn(point.x, point.y)) {
        state = HeaderState::Pressed;
        column = cell->GetFieldId();
        pressPoint = point;
        tracking.trackedFieldId = column;
        tracking.trackedPressed = true;
        InvalidateHeader();
    } else {
        return false;
    }
    grid.SetCapture();
    if (CWnd::GetFocus() != &grid)
        grid.CWnd::SetFocus();
    return true;
}

void CGridMouse::Impl::OnHeaderMove(CPoint point, UINT keys)
{
    switch (state) {
    case HeaderState::Pressed:
        if (std::abs(point.x - pressPoint.x) > kDragThreshold ||
            std::abs(point.y - pressPoint.y) > kDragThreshold) {
            state = HeaderState::Idle;
            tracking.trackedPressed = false;
            if (MayMove(column))
                StartColumnDrag(point);
            else
                EndHeaderTracking();
            UpdateDropMarker(point);
        }
        break;
    case HeaderState::Resizing: {
        CColumn* resized = Column();
        if ((keys & MK_LBUTTON) == 0 || resized == nullptr) {
            EndHeaderTracking();
            break;
        }
        const int left = Header()->GetColumnRect(&grid, column).left;
        const int right = std::max(point.x, left + kMinimumColumnWidth);
        if (right != lastRightEdge) {
            lastRightEdge = right;
            resized->SetWidth(right - left);
            layout.UpdateLayout();
            grid.InvalidateRect(nullptr, false);
        }
        break;
    }
    case HeaderState::DraggingColumn:
        UpdateDropMarker(point);
        if (dragImage)
            CImageList::DragMove(point);
        break;
    case HeaderState::Idle:
        break;
    }
}

void CGridMouse::Impl::StartColumnDrag(CPoint point)
{
    state = HeaderState::DraggingColumn;
    tracking.trackedFieldId = column;
    tracking.trackedPressed = false;
    tracking.dropIndex = -1;
    lastMarkerPaint = 0;
    ShowDragImage(point);
}

void CGridMouse::Impl::ShowDragImage(CPoint point)
{
    const CRect cell = Header()->GetClippedColumnRect(&grid, column);
    CBitmap bitmap;
    if (cell.IsRectEmpty() || !PaintCellImage(bitmap, cell))
        return;
    auto images = std::make_unique<CImageList>();
    if (!images->Create(cell.Width(), cell.Height(), ILC_COLOR32, 1, 0) ||
        images->Add(&bitmap, nullptr) < 0 ||
        !images->BeginDrag(0, CPoint(point.x - cell.left, point.y - cell.top)))
        return;
    dragImage = std::move(images);
    // The grid has no frame, so its client points are window points too.
    CImageList::DragEnter(&grid, point);
}

bool CGridMouse::Impl::PaintCellImage(CBitmap& bitmap, const CRect& cell)
{
    CDC dc;
    if (!bitmap.CreateCompatibleBitmap(nullptr, cell.Width(), cell.Height()) ||
        !dc.CreateCompatibleDC(nullptr))
        return false;
    CBitmap* previous = dc.SelectObject(&bitmap);
    ColumnPaintContext context;
    context.rect = CRect(0, 0, cell.Width(), cell.Height());
    context.updateRect = context.rect;
    context.grid = &grid;
    context.header = Header();
    context.column = Column();
    CFont* font = Header()->GetFont();
    if (font == nullptr)
        font = grid.GetFont();
    context.font = font != nullptr ? font : CPaintDefaults::Get().GetFont();
    context.imageList = Header()->GetImageList();
    context.textColor = GetSysColor(COLOR_WINDOWTEXT);
    context.state = HeaderCellTracked;
    grid.GetCustomDraw()->DrawColumn(context, dc, options.paintOptions);
    dc.SelectObject(previous);
    return true;
}

void CGridMouse::Impl::EndDragImage()
{
    if (!dragImage)
        return;
    CImageList::EndDrag();
    dragImage.reset();
}

CColumn* CGridMouse::Impl::DropTarget(CPoint point, bool& after) const
{
    CHeader* header = Header();
    if (header == nullptr)
        return nullptr;
    if (CColumn* target = header->ColumnFromPoint(&grid, point.x)) {
        const CRect rect = header->GetColumnRect(&grid, target->GetFieldId());
        after = point.x >= rect.left + rect.Width() / 2;
        return target;
    }
    // Right of the last column the marker stands after it, and so does the drop.
    CColumn* last = header->GetLastVisibleColumn();
    if (last == nullptr || point.x < header->GetColumnRect(&grid, last->GetFieldId()).right)
        return nullptr;
    after = true;
    return last;
}

void CGridMouse::Impl::UpdateDropMarker(CPoint point)
{
    if (state != HeaderState::DraggingColumn)
        return;
    bool after = false;
    CColumn* target = DropTarget(point, after);
    const int index =
        target ? Header()->GetVisibleColumnIndex(target->GetFieldId()) + (after ? 1 : 0) : -1;
    const std::int64_t now = GetGridTime();
    if (index != tracking.dropIndex || now - lastMarkerPaint >= kDropMarkerRefreshMs) {
        tracking.dropIndex = index;
        lastMarkerPaint = now;
        InvalidateHeader();
    }
}

void CGridMouse::Impl::OnHeaderRelease(CPoint point, UINT keys)
{
    CHeader* header = Header();
    if (header == nullptr)
        return;
    if (state == HeaderState::Pressed) {
        CColumn* clicked = layout.HitTestColumn(point.x, point.y);
        if (clicked != nullptr && clicked->GetFieldId() == column)
            ApplyHeaderClick(*header, column, (keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0);
    } else if (state == HeaderState::DraggingColumn) {
        bool after = false;
        CColumn* target = DropTarget(point, after);
        if (target != nullptr && target->GetFieldId() != column && MayMove(target->GetFieldId())) {
            if (after)
                header->MoveColumnAfter(column, target->GetFieldId());
            else
                header->MoveColumnBefore(column, target->GetFieldId());
            grid.InvalidateRect(nullptr, false);
        }
    }
}

void CGridMouse::Impl::EndHeaderTracking()
{
    const bool shown = tracking.trackedFieldId != -2 || tracking.dropIndex >= 0;
    EndDragImage();
    state = HeaderState::Idle;
    column = -2;
    tracking.trackedFieldId = -2;
    tracking.trackedPressed = false;
    tracking.dropIndex = -1;
    if (shown)
        InvalidateHeader();
}

// ---- 2. Rubber band ---------------------------------------------------------------------------

void CGridMouse::Impl::StartBand(CPoint point)
{
    bandActive = true;
    bandStart = point;
    bandTopRow = layout.GetTopRow();
    bandHorzPosition = layout.GetHorzPosition();
    tracking.rubberBand = CRect();
}

void CGridMouse::Impl::UpdateBand(CPoint point)
{
    if (!bandActive)
        return;
    const CRect client = grid.GetClientRect();
    point.x = std::clamp(point.x, client.left, std::max(client.right - 1, client.left));
    point.y = std::clamp(point.y, client.top, std::max(client.bottom - 1, client.top));
    const CRect band = Normalized(bandStart, point);
    if (grid.IsSelectionEnabled() && grid.IsMultipleSelectionEnabled()) {
        for (int rowType : {ROW_FIXED, ROW_NORMAL}) {
            if (grid.IsSelectable(rowType))
                SelectRowsInBand(rowType, band);
        }
    }
    const CRect before = tracking.rubberBand;
    tracking.rubberBand = band;
    RepaintBandChange(before, band);
}

bool CGridMouse::Impl::PositionsInBand(int rowType, int top, int bottom, int& first,
                                       int& last) const
{
    const int count = grid.GetRowCount(rowType);
    first = -1;
    last = -1;
    const auto meets = [&](int rowTop, int rowBottom, int position) {
        if (rowBottom > top && rowTop < bottom) {
            first = first < 0 ? position : std::min(first, position);
            last = std::max(last, position);
        }
    };
    const auto heightAt = [&](int position) { return RowHeightAt(rowType, position); };
    if (rowType == ROW_FIXED) {
        int y = layout.GetFixedArea().top;
        for (int position = 0; position < count && y < bottom; ++position) {
            const int height = heightAt(position);
            meets(y, y + height, position);
            y += height;
        }
        return first >= 0;
    }
    const int topRow = layout.GetTopRow();
    if (topRow < 0)
        return false;
    // Rows on screen from the top row down, then rows scrolled above by their pixel distance.
    int y = layout.GetNormalArea().top;
    for (int position = topRow; position < count && y < bottom; ++position) {
        const int height = heightAt(position);
        meets(y, y + height, position);
        y += height;
    }
    y = layout.GetNormalArea().top;
    for (int position = topRow - 1; position >= 0 && y > top; --position) {
        const int height = heightAt(position);
        y -= height;
        meets(y, y + height, position);
    }
    return first >= 0;
}

void CGridMouse::Impl::SelectRowsInBand(int rowType, const CRect& band)
{
    int first = -1;
    int last = -1;
    PositionsInBand(rowType, band.top, band.bottom, first, last);
    std::vector<CGridItem*> selected;
    grid.GetSelectedRows(rowType, selected);
    for (CGridItem* row : selected) {
        const int position = grid.GetVisibleIndex(row);
        if (position >= 0 && (position < first || position > last))
            grid.SelectAt(position, rowType, false);
    }
    for (int position = first; position >= 0 && position <= last; ++position) {
        if (!grid.IsSelectedAt(position, rowType))
            grid.SelectAt(position, rowType, true);
    }
}

void CGridMouse::Impl::RepaintBandChange(const CRect& before, const CRect& after)
{
    // The band is filled and framed: what changes is the area in one rectangle and not in the
    // other, and the frame lines of both, which lie one pixel inside each.
    CRect keep = after;
    keep.IntersectRect(before, after);
    keep.DeflateRect(1, 1);
    for (const CRect* rect : {&before, &after}) {
        for (const CRect& strip : Subtract(*rect, keep))
            grid.InvalidateRect(&strip, false);
    }
}

void CGridMouse::Impl::FollowScroll()
{
    if (!bandActive)
        return;
    // The start point stays on the row it was pressed on: it moves by the pixels scrolled.
    const int topRow = layout.GetTopRow();
    int moved = 0;
    for (int position = bandTopRow; position >= 0 && position < topRow; ++position)
        moved += RowHeightAt(ROW_NORMAL, position);
    for (int position = topRow; position >= 0 && position < bandTopRow; ++position)
        moved -= RowHeightAt(ROW_NORMAL, position);
    bandStart.y -= moved;
    bandStart.x -= layout.GetHorzPosition() - bandHorzPosition;
    bandTopRow = topRow;
    bandHorzPosition = layout.GetHorzPosition();
    UpdateBand(lastPoint);
}

void CGridMouse::Impl::EndBand()
{
    if (!bandActive)
        return;
    bandActive = false;
    const CRect last = tracking.rubberBand;
    tracking.rubberBand = CRect();
    if (!last.IsRectEmpty())
        grid.InvalidateRect(&last, false);
}

// ---- 3. Autoscroll ----------------------------------------------------------------------------

void CGridMouse::Impl::StartAutoScroll()
{
    if (autoScrolling)
        return;
    autoScrolling = grid.SetTimer(TimerId(GridTimer::AutoScroll), kAutoScrollPeriodMs) != 0;
}

void CGridMouse::Impl::StopAutoScroll()
{
    if (!autoScrolling)
        return;
    autoScrolling = false;
    grid.KillTimer(TimerId(GridTimer::AutoScroll));
}

void CGridMouse::Impl::OnAutoScrollTimer()
{
    const CRect client = grid.GetClientRect();
    const bool outsideSideways = lastPoint.x < client.left || lastPoint.x >= client.right;
    if (GetKeyState(VK_LBUTTON) >= 0 || (!bandActive && outsideSideways)) {
        StopAutoScroll();
        return;
    }
    const CRect normal = layout.GetNormalArea();
    const int count = grid.GetRowCount(ROW_NORMAL);
    if (lastPoint.y < normal.top) {
        // Up line by line until the rows scrolled in cover the distance (at least one line).
        const int distance = normal.top - lastPoint.y;
        for (int scrolled = 0; scrolled < distance;) {
            const int top = layout.GetTopRow();
            if (top <= 0)
                break;
            layout.OnVScroll(SB_LINEUP, 0);
            if (layout.GetTopRow() == top)
                break;
            scrolled += RowHeightAt(ROW_NORMAL, layout.GetTopRow());
        }
    } else if (lastPoint.y >= normal.bottom) {
        const int distance = lastPoint.y - normal.bottom + 1;
        for (int scrolled = 0; scrolled < distance;) {
            if (grid.GetFocusType() == ROW_NORMAL && grid.GetFocusIndex() == count - 1)
                break;
            const int top = layout.GetTopRow();
            layout.OnVScroll(SB_LINEDOWN, 0);
            if (layout.GetTopRow() == top)
                break;
            scrolled += RowHeightAt(ROW_NORMAL, top);
        }
    }
    UpdateBand(lastPoint);
}

// ---- 4. Double clicks and cursor --------------------------------------------------------------

bool CGridMouse::Impl::OnDoubleClick(CPoint point)
{
    if (InHeaderBand(point)) {
        CColumn* border = layout.HitTestColumnBorder(point);
        if (border == nullptr)
            return false;
        const int width = grid.GetOptimalWidth(border->GetFieldId());
        if (width > 0) {
            border->SetWidth(width);
            layout.UpdateLayout();
            grid.InvalidateRect(nullptr, false);
        }
        return true;
    }
    // The second press of a double click on an expand button toggles it again, as a second
    // click would.
    if (layout.OnExpandButtonPress(point))
        return true;
    CGridItem* row = layout.HitTestRow(point.x, point.y);
    if (row == nullptr)
        return false;
    if (grid.IsExpanded(row))
        grid.Collapse(row);
    else
        grid.Expand(row);
    return true;
}

bool CGridMouse::Impl::OnSetCursor()
{
    CPoint point;
    if (!GetCursorPos(&point))
        return false;
    grid.ScreenToClient(&point);
    const bool overBorder = state == HeaderState::Idle && InHeaderBand(point) &&
                            layout.HitTestColumnBorder(point) != nullptr;
    if (state != HeaderState::Resizing && !overBorder)
        return false;
    SetCursor(LoadCursor(IDC_SIZEWE));
    return true;
}

// ---- 5. Drags of rows -------------------------------------------------------------------------

bool CGridMouse::Impl::OnRowPress(CPoint point, UINT keys)
{
    if (rowDrag == nullptr || (keys & (MK_SHIFT | MK_CONTROL)) != 0 ||
        layout.HitTestExpandButton(point) != nullptr || !rowDrag->IsDragPress(point))
        return false;
    rowDragPending = true;
    rowDragPress = point;
    grid.SetCapture();
    if (CWnd::GetFocus() != &grid)
        grid.CWnd::SetFocus();
    return true;
}

bool CGridMouse::Impl::OnRowDragMove(CPoint point, UINT keys)
{
    if ((keys & MK_LBUTTON) == 0) {
        rowDragPending = false; // the release went elsewhere
        return false;
    }
    if (std::abs(point.x - rowDragPress.x) <= kDragThreshold &&
        std::abs(point.y - rowDragPress.y) <= kDragThreshold)
        return false;
    rowDragPending = false;
    // The modal drag takes the pointer itself; the grid's capture would keep its moves.
    if (GetCapture() == &grid)
        ReleaseCapture();
    rowDrag->StartRowDrag(rowDragPress);
    return true;
}

void CGridMouse::Impl::OnRowDragRelease()
{
    if (!rowDragPending)
        return;
    rowDragPending = false;
    if (rowDrag != nullptr)
        rowDrag->ApplyPress(rowDragPress);
}

void CGridMouse::Impl::EndAll()
{
    rowDragPending = false;
    EndBand();
    StopAutoScroll();
    EndHeaderTracking();
}

void CGridMouse::Impl::Cancel()
{
    EndAll();
    if (GetCapture() == &grid)
        ReleaseCapture();
}

// ---- 6. The message filter --------------------------------------------------------------------

CGridMouse::CGridMouse(CGrid& grid, CGridLayout& layout, const GridOptions& options,
                       GridTracking& tracking)
    : m_impl(std::make_unique<Impl>(grid, layout, options, tracking))
{
}

CGridMouse::~CGridMouse() = default;

bool CGridMouse::PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    Impl& impl = *m_impl;
    const UINT keys = GET_KEYSTATE_WPARAM(wParam);
    switch (message) {
    case WM_LBUTTONDOWN: {
        const CPoint point = PointOf(lParam);
        impl.EndAll();
        impl.lastPoint = point;
        if (impl.InHeaderBand(point)) {
            result = 0;
            return impl.OnHeaderPress(point);
        }
        if (impl.OnRowPress(point, keys)) {
            result = 0;
            return true;
        }
        if ((keys & (MK_SHIFT | MK_CONTROL)) == 0 &&
            impl.layout.HitTestPosition(point).type != ROW_DETACHED)
            impl.StartBand(point);
        return false;
    }
    case WM_MOUSEMOVE: {
        const CPoint point = PointOf(lParam);
        impl.lastPoint = point;
        if (impl.rowDragPending) {
            if (impl.OnRowDragMove(point, keys))
                impl.EndAll();
            return false;
        }
        if (impl.state != HeaderState::Idle) {
            impl.OnHeaderMove(point, keys);
            return false;
        }
        if ((keys & MK_LBUTTON) != 0 && !impl.InHeaderBand(point)) {
            const bool inRows = impl.layout.GetFixedArea().PtInRect(point) ||
                                impl.layout.GetNormalArea().PtInRect(point);
            if (!inRows)
                impl.StartAutoScroll();
            impl.UpdateBand(point);
        }
        return false;
    }
    case WM_LBUTTONUP:
        impl.OnRowDragRelease();
        impl.OnHeaderRelease(PointOf(lParam), keys);
        impl.EndAll();
        return false;
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
        impl.EndAll();
        return false;
    case WM_KILLFOCUS:
        impl.Cancel();
        return false;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE &&
            (impl.state != HeaderState::Idle || impl.bandActive || impl.rowDragPending)) {
            impl.Cancel();
            result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONDBLCLK:
        impl.EndAll();
        result = 0;
        return impl.OnDoubleClick(PointOf(lParam));
    case WM_TIMER:
        if (wParam != TimerId(GridTimer::AutoScroll))
            return false;
        impl.OnAutoScrollTimer();
        result = 0;
        return true;
    case WM_SETCURSOR:
        result = 1;
        return impl.OnSetCursor();
    default:
        return false;
    }
}

void CGridMouse::OnWindowDestroying()
{
    m_impl->Cancel();
}

void CGridMouse::OnViewScrolled()
{
    m_impl->FollowScroll();
}

void CGridMouse::SetRowDrag(IRowDrag* rowDrag)
{
    m_impl->rowDrag = rowDrag;
    m_impl->rowDragPending = false;
}

bool CGridMouse::IsRowDragPending() const
{
    return m_impl->rowDragPending;
}

CGridMouse::HeaderState CGridMouse::GetHeaderState() const
{
    return m_impl->state;
}

bool CGridMouse::IsRubberBandActive() const
{
    return m_impl->bandActive;
}

bool CGridMouse::IsAutoScrolling() const
{
    return m_impl->autoScrolling;
}

} // namespace Ombrel::GUI
