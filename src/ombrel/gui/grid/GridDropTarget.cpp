#include "ombrel/gui/grid/detail/GridDropTarget.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/detail/GridTracking.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/WindowMessaging.h"

namespace Ombrel::GUI {

namespace {

bool MayDragType(const DropSettings& settings, int rowType)
{
    return (rowType == ROW_FIXED && settings.dragFlags[0]) ||
           (rowType == ROW_NORMAL && settings.dragFlags[1]);
}

CRect LineAt(const CRect& client, int y, int height)
{
    return CRect(client.left, y - height / 2, client.right, y - height / 2 + height);
}

} // namespace

CGridDropTarget::CGridDropTarget(CGrid& grid, CGridImpl& impl, GridTracking& tracking)
    : m_grid(grid), m_impl(impl), m_tracking(tracking)
{
}

CGridDropTarget::~CGridDropTarget() = default;

// ---- Registration -----------------------------------------------------------------------------

void CGridDropTarget::OnWindowCreated()
{
    Register(&m_grid); // may fail: the grid then simply takes no drops
}

void CGridDropTarget::OnWindowDestroying()
{
    Revoke();
    HideDropMark();
}

// ---- Where a drop lands -----------------------------------------------------------------------

DropInfo CGridDropTarget::PlaceAt(CPoint point) const
{
    DropInfo info;
    info.grid = &m_grid;
    const CGridLayout& layout = m_impl.GetLayout();
    if (layout.GetFixedArea().PtInRect(point))
        info.rowType = ROW_FIXED;
    else if (layout.GetNormalArea().PtInRect(point))
        info.rowType = ROW_NORMAL;
    const RowPosition hit = layout.HitTestPosition(point);
    if (hit.type == ROW_DETACHED || hit.index < 0)
        return info; // the area's root, or no area at all
    info.rowType = hit.type;
    info.index = hit.index;
    const CRect row = layout.GetRowRectAt(hit.index, hit.type);
    const int edge = std::max(row.Height() / kEdgeFraction, 1);
    if (point.y < row.top + edge)
        info.placement = DropPlacement::Before;
    else if (point.y >= row.bottom - edge)
        info.placement = DropPlacement::After;
    else
        info.placement = DropPlacement::Child;
    return info;
}

DropInfo CGridDropTarget::MakeInfo(COleDataObject* data, DWORD keyState, CPoint point) const
{
    DropInfo info = PlaceAt(point);
    info.data = data;
    info.keyState = keyState;
    return info;
}

void CGridDropTarget::ShowDropMark(const DropInfo& info, DROPEFFECT effect)
{
    if (effect == DROPEFFECT_NONE || info.rowType == ROW_DETACHED) {
        HideDropMark();
        return;
    }
    const CGridLayout& layout = m_impl.GetLayout();
    const CRect client = m_grid.GetClientRect();
    CRect mark;
    bool frame = false;
    if (info.index < 0) {
        // After the area's last row, or at its top when it has none.
        const int count = m_grid.GetRowCount(info.rowType);
        const int y = count > 0 ? layout.GetRowRectAt(count - 1, info.rowType).bottom
                                : layout.GetRowsArea(info.rowType).top;
        mark = LineAt(client, y, kMarkLineHeight);
    } else {
        const CRect row = layout.GetRowRectAt(info.index, info.rowType);
        switch (info.placement) {
        case DropPlacement::Before: mark = LineAt(client, row.top, kMarkLineHeight); break;
        case DropPlacement::After: mark = LineAt(client, row.bottom, kMarkLineHeight); break;
        case DropPlacement::Child:
            mark = CRect(client.left, row.top, client.right, row.bottom);
            frame = true;
            break;
        }
    }
    const DropSettings* settings = m_grid.GetDropSettings();
    const COLORREF color = settings != nullptr ? settings->markColor : DropSettings{}.markColor;
    if (mark == m_tracking.dropMark && frame == m_tracking.dropMarkIsFrame &&
        color == m_tracking.dropMarkColor)
        return;
    HideDropMark();
    m_tracking.dropMark = mark;
    m_tracking.dropMarkIsFrame = frame;
    m_tracking.dropMarkColor = color;
    m_grid.InvalidateRect(&mark, false);
}

void CGridDropTarget::HideDropMark()
{
    const CRect old = m_tracking.dropMark;
    m_tracking.dropMark = CRect();
    if (!old.IsRectEmpty() && IsWindow(&m_grid))
        m_grid.InvalidateRect(&old, false);
}

// ---- Drop callbacks ---------------------------------------------------------------------------

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd*, COleDataObject* data, DWORD keyState, CPoint point)
{
    const DropInfo info = MakeInfo(data, keyState, point);
    IDragDrop* service = m_grid.GetDragDrop();
    DROPEFFECT effect = service->OnDragEnter(info);
    // The place under the pointer may refuse what the drag as a whole allows.
    if (effect != DROPEFFECT_NONE && !service->CanDrop(info))
        ShowDropMark(info, DROPEFFECT_NONE);
    else
        ShowDropMark(info, effect);
    return effect;
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd*, COleDataObject* data, DWORD keyState, CPoint point)
{
    const DropInfo info = MakeInfo(data, keyState, point);
    const DROPEFFECT effect = m_grid.GetDragDrop()->OnDragOver(info);
    ShowDropMark(info, effect);
    return effect;
}

void CGridDropTarget::OnDragLeave(CWnd*)
{
    m_grid.GetDragDrop()->OnDragLeave();
    HideDropMark();
}

DROPEFFECT CGridDropTarget::OnDrop(CWnd*, COleDataObject* data, DROPEFFECT dropEffect,
                                   DWORD keyState, CPoint point)
{
    const DropInfo info = MakeInfo(data, keyState, point);
    NotifyDrag(GN_BEGINDROP, point, data, static_cast<int>(dropEffect));
    const DROPEFFECT done = m_grid.GetDragDrop()->OnDrop(info, DropChecked);
    HideDropMark();
    NotifyDrag(GN_ENDDROP, point, data, static_cast<int>(done));
    return done;
}

// ---- Drags of rows ----------------------------------------------------------------------------

bool CGridDropTarget::IsDragPress(CPoint point)
{
    const RowPosition hit = m_impl.GetLayout().HitTestPosition(point);
    CGridItem* row = m_grid.GetRowAt(hit.index, hit.type);
    const DropSettings* settings = m_grid.GetDropSettings();
    return row != nullptr && settings != nullptr && MayDragType(*settings, hit.type) &&
           m_grid.IsSelected(row);
}

void CGridDropTarget::StartRowDrag(CPoint pressPoint)
{
    if (m_dragging)
        return;
    NotifyDrag(GN_BEGINDRAG, pressPoint, nullptr, 0);
    m_dragging = true;
    const DROPEFFECT effect = m_grid.GetDragDrop()->StartDrag(&m_grid);
    m_dragging = false;
    // The window may have gone during the modal drag; the grid object lives on.
    if (IsWindow(&m_grid))
        NotifyDrag(GN_ENDDRAG, pressPoint, nullptr, static_cast<int>(effect));
}

void CGridDropTarget::ApplyPress(CPoint pressPoint)
{
    m_impl.GetSelection().OnLButtonDown(0, pressPoint, true);
}

void CGridDropTarget::NotifyDrag(int code, CPoint point, void* pointer, int effect)
{
    CHeader* header = m_grid.GetHeader();
    CColumn* column = header != nullptr ? header->ColumnFromPoint(&m_grid, point.x) : nullptr;
    m_impl.NotifyColumn(code, column, pointer, effect);
}

} // namespace Ombrel::GUI
