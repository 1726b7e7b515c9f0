// The grid's operations on layout, scrolling and hit-testing: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/rows/GridRows.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunLayoutOperation(GridLayoutOperation op, LPARAM p)
{
    using G = GridLayoutOperation;
    CGridLayout& layout = *m_layout;

    switch (op) {
    case G::HitTestRow:
        return Run<Op::HitTestRow>(p, [&](int x, int y) { return layout.HitTestRow(x, y); });
    case G::GetRowsArea:
        return Run<Op::GetRowsArea>(p, [&](int type) { return layout.GetRowsArea(type); });
    case G::GetRowRect:
        return Run<Op::GetRowRect>(p, [&](CGridItem* row) { return layout.GetRowRect(row); });
    case G::GetVisibleRowRect:
        return Run<Op::GetVisibleRowRect>(p, [&](CGridItem* row) { return layout.GetVisibleRowRect(row); });
    case G::GetCellRect:
        return Run<Op::GetCellRect>(p, [&](CGridItem* row, std::int32_t id) { return layout.GetCellRect(row, id); });
    case G::GetVisibleCellRect:
        return Run<Op::GetVisibleCellRect>(p, [&](CGridItem* row, std::int32_t id) {
            return layout.GetVisibleCellRect(row, id);
        });
    case G::GetPageRowCount:
        return Run<Op::GetPageRowCount>(p, [&](bool downwards) { return layout.GetPageRowCount(downwards); });
    case G::GetRowHeight:
        return Run<Op::GetRowHeight>(p, [&](CGridItem* row) { return layout.GetRowHeight(row); });
    case G::SetRowHeight:
        return Run<Op::SetRowHeight>(p, [&](CGridItem* row, int height) { layout.SetRowHeight(row, height); });
    case G::UpdateLayout:
        return Run<Op::UpdateLayout>(p, [&] { layout.UpdateLayout(); });
    case G::GetTopRow:
        return Run<Op::GetTopRow>(p, [&] { return layout.GetTopRow(); });
    case G::GetLastVisibleIndex:
        return Run<Op::GetLastVisibleIndex>(p, [&](int type) { return layout.GetLastVisibleIndex(type); });
    case G::EnsureVisible:
        return Run<Op::EnsureVisible>(p, [&](CGridItem* row, int index) {
            if (row != nullptr)
                layout.EnsureVisible(row);
            else
                layout.EnsureVisible(index);
        });
    case G::IsOnScreen:
        return Run<Op::IsOnScreen>(p, [&](CGridItem* row, int index, int type) {
            return row != nullptr ? layout.IsOnScreen(row) : layout.IsOnScreen(index, type);
        });
    case G::SetTopRow:
        return Run<Op::SetTopRow>(p, [&](int index) { return layout.SetTopRow(index, true); });
    case G::ScrollToRow:
        return Run<Op::ScrollToRow>(p, [&](CGridItem* row) { layout.ScrollToRow(row); });
    case G::AutoSizeRows:
        return Run<Op::AutoSizeRows>(p, [&] { RecalcRowHeights(ROW_ALL_TYPES); });
    case G::RecalcRowHeights:
        return Run<Op::RecalcRowHeights>(p, [&](int mask) { RecalcRowHeights(mask); });
    case G::GetOptimalWidth:
        return Run<Op::GetOptimalWidth>(p, [&](std::int32_t id) { return GetOptimalWidth(id); });

    }
    return 0;
}

} // namespace Ombrel::GUI
