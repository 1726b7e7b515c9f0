// The grid's operations on the controls that live in its cells: the handler of each operation
// of the group.

#include "ombrel/gui/grid/detail/GridEmbeddedControls.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"

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
    }
    return 0;
}

} // namespace Ombrel::GUI
