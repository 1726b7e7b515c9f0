// The grid's operations on focus, selection and owner notifications: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/rows/GridRows.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunSelectionOperation(GridSelectionOperation op, LPARAM p)
{
    using G = GridSelectionOperation;
    CGridRows& rows = *m_rows;
    CGridSelection& selection = *m_selection;

    switch (op) {
    case G::GetSelectedCount:
        return Run<Op::GetSelectedCount>(p, [&] { return selection.GetSelectedCount(); });
    case G::GetSelectedRows:
        return Run<Op::GetSelectedRows>(p, [&](int mask, RowList* out) {
            if (out)
                selection.GetSelectedRows(mask, *out);
        });
    case G::Select:
        return Run<Op::Select>(p, [&](CGridItem* row, bool select) { return selection.Select(row, select); });
    case G::SelectAt:
        return Run<Op::SelectAt>(p, [&](int index, int type, bool select) {
            return selection.SelectAt(index, type, select);
        });
    case G::IsSelectedAt:
        return Run<Op::IsSelectedAt>(p, [&](int index, int type) { return selection.IsSelectedAt(index, type); });
    case G::IsSelected:
        return Run<Op::IsSelected>(p, [&](CGridItem* row) { return rows.IsValid(row) && selection.IsSelected(row); });
    case G::SelectAll:
        return Run<Op::SelectAll>(p, [&] { selection.SelectAll(); });
    case G::ClearSelection:
        return Run<Op::ClearSelection>(p, [&] { selection.ClearSelection(); });
    case G::SetFocus:
        return Run<Op::SetFocus>(p, [&](int index, int type) { return selection.SetFocus(index, type, true); });
    case G::GetFocusIndex:
        return Run<Op::GetFocusIndex>(p, [&] { return selection.GetFocusIndex(); });
    case G::GetFocusType:
        return Run<Op::GetFocusType>(p, [&] { return selection.GetFocusType(); });
    case G::SetFocusableTypes:
        return Run<Op::SetFocusableTypes>(p, [&](int mask) { SetFocusableTypes(mask); });
    case G::IsFocusable:
        return Run<Op::IsFocusable>(p, [&](int type) { return selection.IsFocusable(type); });
    case G::EnableSelection:
        return Run<Op::EnableSelection>(p, [&](bool enable) { EnableSelection(enable); });
    case G::IsSelectionEnabled:
        return Run<Op::IsSelectionEnabled>(p, [&] { return m_options.selectionEnabled; });
    case G::EnableMultipleSelection:
        return Run<Op::EnableMultipleSelection>(p, [&](bool enable) { EnableMultipleSelection(enable); });
    case G::IsMultipleSelectionEnabled:
        return Run<Op::IsMultipleSelectionEnabled>(p, [&] { return m_options.multipleSelection; });
    case G::SetSelectableTypes:
        return Run<Op::SetSelectableTypes>(p, [&](int mask) { SetSelectableTypes(mask); });
    case G::IsSelectable:
        return Run<Op::IsSelectable>(p, [&](int type) { return selection.IsSelectable(type); });
    case G::EnableNotifications:
        return Run<Op::EnableNotifications>(p, [&](bool enable) { m_options.notificationsEnabled = enable; });
    case G::AreNotificationsEnabled:
        return Run<Op::AreNotificationsEnabled>(p, [&] { return m_options.notificationsEnabled; });

    }
    return 0;
}
// ---- Focus and selection ----------------------------------------------------------------------

void CGridImpl::SetFocusableTypes(int mask)
{
    m_options.focusableTypes = mask;
    m_selection->OnFocusableTypesChanged();
}

void CGridImpl::EnableSelection(bool enable)
{
    if (m_options.selectionEnabled == enable)
        return;
    m_options.selectionEnabled = enable;
    m_selection->OnSelectionEnabledChanged();
}

void CGridImpl::EnableMultipleSelection(bool enable)
{
    if (m_options.multipleSelection == enable)
        return;
    m_options.multipleSelection = enable;
    m_selection->OnMultipleSelectionChanged();
}

void CGridImpl::SetSelectableTypes(int mask)
{
    m_options.selectableTypes = mask;
    m_selection->OnSelectableTypesChanged();
}

} // namespace Ombrel::GUI
