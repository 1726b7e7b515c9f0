// The grid's operations on the header and its columns: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/rows/GridRows.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunHeaderOperation(GridHeaderOperation op, LPARAM p)
{
    using G = GridHeaderOperation;
    CGridLayout& layout = *m_layout;
    CHeader* header = m_options.header;

    switch (op) {
    case G::SetHeader:
        return Run<Op::SetHeader>(p, [&](CHeader* newHeader) { return SetHeader(newHeader); });
    case G::GetHeader:
        return Run<Op::GetHeader>(p, [&] { return header; });
    case G::HeaderChanged:
        return Run<Op::HeaderChanged>(p, [&](CHeader* source, CColumn* column, int code) {
            OnHeaderChange(source, column, code);
        });
    case G::ShowHeader:
        return Run<Op::ShowHeader>(p, [&](bool show) { ShowHeader(show); });
    case G::IsHeaderShown:
        return Run<Op::IsHeaderShown>(p, [&] { return m_options.showHeader; });
    case G::AutoSizeColumn:
        return Run<Op::AutoSizeColumn>(p, [&](std::int32_t id) {
            if (header)
                AutoSizeColumn(header->GetColumnById(id));
        });
    case G::AutoSizeColumnAt:
        return Run<Op::AutoSizeColumnAt>(p, [&](int position) {
            if (header)
                AutoSizeColumn(header->GetColumn(position));
        });
    case G::AutoSizeColumns:
        return Run<Op::AutoSizeColumns>(p, [&] { AutoSizeColumns(); });
    case G::MeasureHeaderHeight:
        return Run<Op::MeasureHeaderHeight>(p, [&] { return MeasureHeaderHeight(); });
    case G::HitTestColumn:
        return Run<Op::HitTestColumn>(p, [&](int x, int y) { return layout.HitTestColumn(x, y); });
    case G::GetFocusColumn:
        return Run<Op::GetFocusColumn>(p, [&] { return GetFocusColumn(); });
    case G::GetHierarchyColumn:
        return Run<Op::GetHierarchyColumn>(p, [&] { return GetHierarchyColumn(); });
    case G::EnsureColumnVisible:
        return Run<Op::EnsureColumnVisible>(p, [&](std::int32_t id) { EnsureColumnVisible(id); });
    case G::SetSortEnabled:
        return Run<Op::SetSortEnabled>(p, [&](bool enable) {
            if (header)
                header->SetSortEnabled(enable);
        });
    case G::IsSortEnabled:
        return Run<Op::IsSortEnabled>(p, [&] { return header != nullptr && header->IsSortEnabled(); });
    case G::SetMultiSortEnabled:
        return Run<Op::SetMultiSortEnabled>(p, [&](bool enable) {
            if (header)
                header->SetMultiSortEnabled(enable);
        });
    case G::IsMultiSortEnabled:
        return Run<Op::IsMultiSortEnabled>(p, [&] { return header != nullptr && header->IsMultiSortEnabled(); });

    }
    return 0;
}
// ---- Header and columns -------------------------------------------------------------------

CHeader* CGridImpl::SetHeader(CHeader* header)
{
    CHeader* previous = m_options.header;
    if (header == previous)
        return previous;
    if (previous)
        previous->RemoveNotify(this);
    m_options.header = header;
    if (header)
        header->AddNotify(this);
    m_rows->Resort();
    m_layout->UpdateLayout();
    Invalidate();
    return previous;
}

void CGridImpl::ShowHeader(bool show)
{
    if (m_options.showHeader == show)
        return;
    m_options.showHeader = show;
    m_layout->UpdateLayout();
    Invalidate();
}

std::int32_t CGridImpl::GetHierarchyColumn() const
{
    CHeader* header = m_options.header;
    CColumn* column = header ? header->GetFirstVisibleColumn() : nullptr;
    return column ? column->GetFieldId() : 0;
}

CColumn* CGridImpl::GetFocusColumn() const
{
    CHeader* header = m_options.header;
    return header ? header->GetFocusColumn() : nullptr;
}

void CGridImpl::EnsureColumnVisible(std::int32_t fieldId)
{
    CHeader* header = m_options.header;
    if (!header || !HasWindow() || header->IsFixedColumn(fieldId))
        return;
    const CRect rect = header->GetColumnRect(&m_grid, fieldId);
    if (rect.IsRectEmpty())
        return;
    const int boundary = header->GetFixedWidth();
    const int clientWidth = m_grid.GetClientRect().Width();
    const int position = m_layout->GetHorzPosition();
    int target = position;
    if (rect.right > clientWidth)
        target += rect.right - clientWidth;
    // The left edge wins when the column is wider than the scrolling part of the client.
    if (rect.left - (target - position) < boundary)
        target = position - (boundary - rect.left);
    target = std::max(target, 0);
    if (target != position)
        m_layout->OnHScroll(SB_THUMBPOSITION, static_cast<UINT>(target));
}

} // namespace Ombrel::GUI
