// The grid's operations on the settings records and switches stored for the services, and keyboard commands: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunServicesOperation(GridServicesOperation op, LPARAM p)
{
    using G = GridServicesOperation;


    switch (op) {
    case G::SetTooltipKind:
        return Run<Op::SetTooltipKind>(p, [&](int kind) { m_tooltipKind = kind; });
    case G::GetTooltipKind:
        return Run<Op::GetTooltipKind>(p, [&] { return static_cast<int>(m_tooltipKind); });
    case G::GetTooltipSettings:
        return Run<Op::GetTooltipSettings>(p, [&] { return &m_tooltipSettings; });
    case G::SetTooltipSettings:
        return Run<Op::SetTooltipSettings>(p, [&](const TooltipSettings* s) { CopyRecord(m_tooltipSettings, s); });
    case G::GetInPlaceTooltipSettings:
        return Run<Op::GetInPlaceTooltipSettings>(p, [&] { return &m_inPlaceTooltipSettings; });
    case G::SetInPlaceTooltipSettings:
        return Run<Op::SetInPlaceTooltipSettings>(p, [&](const TooltipSettings* s) {
            CopyRecord(m_inPlaceTooltipSettings, s);
        });
    case G::GetPasteSettings:
        return Run<Op::GetPasteSettings>(p, [&] { return &m_pasteSettings; });
    case G::SetPasteSettings:
        return Run<Op::SetPasteSettings>(p, [&](const PasteSettings* s) { CopyRecord(m_pasteSettings, s); });
    case G::EnablePaste:
        return Run<Op::EnablePaste>(p, [&](bool enable) { m_pasteEnabled = enable; });
    case G::IsPasteEnabled:
        return Run<Op::IsPasteEnabled>(p, [&] { return m_pasteEnabled; });
    case G::GetDropSettings:
        return Run<Op::GetDropSettings>(p, [&] { return &m_dropSettings; });
    case G::SetDropSettings:
        return Run<Op::SetDropSettings>(p, [&](const DropSettings* s) { CopyRecord(m_dropSettings, s); });
    case G::SetDropOption:
        return Run<Op::SetDropOption>(p, [&](bool enable) { m_dropOption = enable; });
    case G::GetDropOption:
        return Run<Op::GetDropOption>(p, [&] { return m_dropOption; });
    case G::SetKeyboardTypes:
        return Run<Op::SetKeyboardTypes>(p, [&](int mask) { m_options.keyboardTypes = mask; });
    case G::IsKeyboardType:
        return Run<Op::IsKeyboardType>(p, [&](int type) { return type != 0 && (m_options.keyboardTypes & type) == type; });
    case G::GetEditInPlaceSettings:
        return Run<Op::GetEditInPlaceSettings>(p, [&] { return &m_editSettings; });
    case G::SetEditInPlaceSettings:
        return Run<Op::SetEditInPlaceSettings>(p, [&](const EditInPlaceSettings* s) {
            CopyRecord(m_editSettings, s);
            Invalidate();
        });

    case G::ProcessKeyCommand:
        return Run<Op::ProcessKeyCommand>(p, [&](const GridKeyCommand* command) {
            return command != nullptr && ProcessKeyCommand(*command);
        });
    }
    return 0;
}

} // namespace Ombrel::GUI
