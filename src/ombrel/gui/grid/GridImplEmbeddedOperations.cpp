// The grid's operations on the controls that live in its cells and on in-place editing: the
// handler of each operation of the group.

#include "ombrel/gui/grid/detail/GridEditing.h"
#include "ombrel/gui/grid/detail/GridEmbeddedControls.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/rows/GridRows.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunEmbeddedOperation(GridEmbeddedOperation op, LPARAM p)
{
    using G = GridEmbeddedOperation;
    switch (op) {
    case G::AttachEmbeddedControl:
        return Run<Op::AttachEmbeddedControl>(p, [&](CWnd* control, CGridItem* row, std::int32_t fieldId) {
            return m_embedded->Attach(control, row, fieldId);
        });
    case G::HasEmbeddedControl:
        return Run<Op::HasEmbeddedControl>(p, [&](CGridItem* row, std::int32_t fieldId) {
            return m_embedded->Has(row, fieldId);
        });
    case G::SetEditInPlace:
        return Run<Op::SetEditInPlace>(p, [&](IEditInPlace* policy) { return m_editing->SetPolicy(policy); });
    case G::GetEditInPlace:
        return Run<Op::GetEditInPlace>(p, [&] { return m_editing->GetPolicy(); });
    case G::CanBeginEdit:
        return Run<Op::CanBeginEdit>(p, [&](CGridItem* row, int index, int rowType, std::int32_t fieldId, int trigger) {
            if (row == nullptr)
                row = m_rows->GetRowAt(index, rowType);
            return m_editing->CanBeginEdit(row, fieldId, trigger);
        });
    case G::BeginEdit:
        return Run<Op::BeginEdit>(p, [&](CGridItem* row, std::int32_t fieldId, int trigger) {
            return m_editing->BeginEdit(row, fieldId, trigger);
        });
    case G::EndEdit:
        return Run<Op::EndEdit>(p, [&](int code) { return m_editing->EndEdit(code); });
    case G::GetEditor:
        return Run<Op::GetEditor>(p, [&] { return m_editing->GetEditor(); });
    }
    return 0;
}

} // namespace Ombrel::GUI
