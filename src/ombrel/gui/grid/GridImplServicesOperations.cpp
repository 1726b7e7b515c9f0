// The grid's operations on the services: the tooltip operations, forwarded to the grid's
// tooltip service; the settings records and switches stored for the other services; keyboard
// commands.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/services/detail/GridTooltips.h"

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
        return Run<Op::SetTooltipKind>(p, [&](int kind) { return m_tooltips->SetKind(kind); });
    case G::GetTooltipKind:
        return Run<Op::GetTooltipKind>(p, [&] { return static_cast<int>(m_tooltips->GetKind()); });
    case G::EnableInstantTooltipReshow:
        return Run<Op::EnableInstantTooltipReshow>(p, [&](bool on) { m_tooltips->EnableInstantReshow(on); });
    case G::IsInstantTooltipReshowEnabled:
        return Run<Op::IsInstantTooltipReshowEnabled>(p, [&] { return m_tooltips->IsInstantReshowEnabled(); });
    case G::SetTooltip:
        return Run<Op::SetTooltip>(p, [&](ITooltip* provider) { m_tooltips->SetProvider(provider); });
    case G::GetTooltip:
        return Run<Op::GetTooltip>(p, [&] { return m_tooltips->GetProvider(); });
    case G::SetTooltipCtrl:
        return Run<Op::SetTooltipCtrl>(p, [&](ITooltipCtrl* control) { m_tooltips->SetControl(control); });
    case G::GetTooltipCtrl:
        return Run<Op::GetTooltipCtrl>(p, [&] { return m_tooltips->GetControl(); });
    case G::GetTooltipSettings:
        return Run<Op::GetTooltipSettings>(p, [&] { return m_tooltips->GetSettings(); });
    case G::SetTooltipSettings:
        return Run<Op::SetTooltipSettings>(p, [&](const TooltipSettings* s) {
            return s != nullptr && m_tooltips->SetSettings(*s);
        });
    case G::EnableTooltips:
        return Run<Op::EnableTooltips>(p, [&](bool on) { m_tooltips->Enable(on); });
    case G::AreTooltipsEnabled:
        return Run<Op::AreTooltipsEnabled>(p, [&] { return m_tooltips->IsEnabled(); });
    case G::GetInPlaceTooltipSettings:
        return Run<Op::GetInPlaceTooltipSettings>(p, [&] { return m_tooltips->GetInPlaceSettings(); });
    case G::SetInPlaceTooltipSettings:
        return Run<Op::SetInPlaceTooltipSettings>(p, [&](const TooltipSettings* s) {
            return s != nullptr && m_tooltips->SetInPlaceSettings(*s);
        });
    case G::SetInPlaceTooltipCtrl:
        return Run<Op::SetInPlaceTooltipCtrl>(p, [&](ITooltipCtrl* control) {
            m_tooltips->SetInPlaceControl(control);
        });
    case G::GetInPlaceTooltipCtrl:
        return Run<Op::GetInPlaceTooltipCtrl>(p, [&] { return m_tooltips->GetInPlaceControl(); });
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
