// The grid implementation's dispatch: an operation code goes to the function that runs its
// group. The groups and their operations are listed in GridOperations.h.

#include "ombrel/gui/grid/detail/GridImpl.h"

#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

LRESULT CGridImpl::Dispatch(WPARAM code, LPARAM param)
{
    if (code > static_cast<WPARAM>(kMaxGridOperationCode))
        return 0;
    const auto value = static_cast<int>(code);
    switch (GroupOfGridOperation(value)) {
    case GridOperationGroup::None:
        return 0;
    case GridOperationGroup::Rows:
        return RunRowsOperation(static_cast<GridRowsOperation>(value), param);
    case GridOperationGroup::Layout:
        return RunLayoutOperation(static_cast<GridLayoutOperation>(value), param);
    case GridOperationGroup::Selection:
        return RunSelectionOperation(static_cast<GridSelectionOperation>(value), param);
    case GridOperationGroup::Header:
        return RunHeaderOperation(static_cast<GridHeaderOperation>(value), param);
    case GridOperationGroup::Appearance:
        return RunAppearanceOperation(static_cast<GridAppearanceOperation>(value), param);
    case GridOperationGroup::Services:
        return RunServicesOperation(static_cast<GridServicesOperation>(value), param);
    case GridOperationGroup::Embedded:
        return RunEmbeddedOperation(static_cast<GridEmbeddedOperation>(value), param);
    case GridOperationGroup::Printing:
        return RunPrintingOperation(static_cast<GridPrintingOperation>(value), param);
    case GridOperationGroup::State:
        return RunStateOperation(static_cast<GridStateOperation>(value), param);
    case GridOperationGroup::Posted:
        return RunPostedOperation(static_cast<GridPostedOperation>(value), param);
    }
    return 0;
}

} // namespace Ombrel::GUI
