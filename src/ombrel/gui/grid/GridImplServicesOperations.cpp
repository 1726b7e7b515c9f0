// The grid's operations on the services: the tooltip operations, forwarded to the grid's
// tooltip service; the settings records and switches stored for the other services; the
// keyboard and clipboard services; keyboard commands.
//
// Keys of the grid window: PreTranslateKeyMessage (from CGrid::PreTranslateMessage) offers a
// key-down or key-up to the services, then (Escape ending any edit first) to the key manager;
// a key nobody handled goes on to the window procedure, which does not offer it to the
// services again, and then to the type-ahead search.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/services/CopyPaste.h"
#include "ombrel/gui/services/DragDrop.h"
#include "ombrel/gui/services/KeyManager.h"
#include "ombrel/gui/services/detail/GridTooltips.h"
#include "ombrel/platform/Input.h"

#include <utility>

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
    case G::SetKeyManager:
        return Run<Op::SetKeyManager>(p, [&](IKeyManager* manager) { return SetKeyManager(manager); });
    case G::GetKeyManager:
        return Run<Op::GetKeyManager>(p, [&] { return GetKeyManager(); });
    case G::Copy:
        return Run<Op::Copy>(p, [&] { return GetCopyPaste()->Copy(&m_grid); });
    case G::Cut:
        return Run<Op::Cut>(p, [&] { return GetCopyPaste()->Cut(&m_grid); });
    case G::Paste:
        return Run<Op::Paste>(p, [&] {
            const bool anyType = m_pasteSettings.pasteIntoFixedRows || m_pasteSettings.pasteIntoNormalRows;
            return m_pasteEnabled && anyType && GetCopyPaste()->Paste(&m_grid);
        });
    case G::CanPaste:
        return Run<Op::CanPaste>(p, [&] { return CanPaste(); });
    case G::SetCopyPaste:
        return Run<Op::SetCopyPaste>(p, [&](ICopyPaste* service) { return SetCopyPaste(service); });
    case G::GetCopyPaste:
        return Run<Op::GetCopyPaste>(p, [&] { return GetCopyPaste(); });
    case G::SetDragDrop:
        return Run<Op::SetDragDrop>(p, [&](IDragDrop* service) { return SetDragDrop(service); });
    case G::GetDragDrop:
        return Run<Op::GetDragDrop>(p, [&] { return GetDragDrop(); });
    }
    return 0;
}

// ---- Keyboard ---------------------------------------------------------------------------------

namespace {

// Whether `window` is a descendant of `ancestor`.
bool IsInsideWindow(CWnd* window, const CWnd& ancestor)
{
    for (CWnd* at = window->GetParent(); at != nullptr; at = at->GetParent()) {
        if (at == &ancestor)
            return true;
    }
    return false;
}

} // namespace

bool CGridImpl::PreTranslateKeyMessage(const MSG& msg)
{
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if ((!down && !up) || m_state != WindowState::Live)
        return false;
    if (msg.hwnd != &m_grid) {
        // A key for an editor or an embedded control inside the grid: its service may take it
        // before the host frame's accelerators do.
        if (!down || msg.hwnd == nullptr || !IsInsideWindow(msg.hwnd, m_grid))
            return false;
        return AnyService([&](IGridService& service) { return service.PreTranslateChildKey(msg); });
    }
    m_preFilteredKey = {};
    if (LRESULT taken = 0; OfferToServices(msg.message, msg.wParam, msg.lParam, taken))
        return true;
    m_preFilteredKey = {msg.message, msg.wParam, msg.lParam};
    const auto key = static_cast<UINT>(msg.wParam);
    const auto repeatCount = static_cast<UINT>(msg.lParam & 0xFFFF);
    const auto flags = static_cast<UINT>((static_cast<std::uint64_t>(msg.lParam) >> 16) & 0xFFFF);
    if (up)
        return GetKeyManager()->OnKeyUp(&m_grid, key, repeatCount, flags);
    if (key == VK_ESCAPE) {
        constexpr int kEndedByEscape = 2;
        EachService([&](IGridService& service) { service.EndEditing(kEndedByEscape); });
    }
    return GetKeyManager()->OnKeyDown(&m_grid, key, repeatCount, flags);
}

bool CGridImpl::TakePreFilteredKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    const PreFilteredKey offered = m_preFilteredKey;
    m_preFilteredKey = {};
    return offered.message != 0 && offered.message == message && offered.wParam == wParam &&
           offered.lParam == lParam;
}

bool CGridImpl::ProcessKeyCommand(const GridKeyCommand& command)
{
    if (m_rows->GetRowCount(ROW_NORMAL) == 0 || GetKeyState(VK_LBUTTON) < 0)
        return false;
    IKeyManager* keys = GetKeyManager();
    const bool extend = command.extend;
    const bool focusOnly = command.focusOnly;
    switch (command.kind) {
    case GridKeyCommand::MoveUp: keys->MoveUp(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::MoveDown: keys->MoveDown(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::PageUp: keys->PageUp(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::PageDown: keys->PageDown(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::MoveHome: keys->MoveHome(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::MoveEnd: keys->MoveEnd(&m_grid, extend, focusOnly); return true;
    case GridKeyCommand::TypeAhead: return m_selection->SearchByChar(command.character);
    default: return false;
    }
}

// ---- Keyboard and clipboard services ----------------------------------------------------------

namespace {

template <class Service>
void DeleteIfAutoDelete(Service* service)
{
    const auto* autoDelete = dynamic_cast<const IAutoDelete*>(service);
    if (autoDelete != nullptr && autoDelete->IsAutoDelete())
        delete service;
}

} // namespace

IKeyManager* CGridImpl::GetKeyManager() const
{
    return m_keyManager != nullptr ? m_keyManager : &CKeyManager::GetDefault();
}

IKeyManager* CGridImpl::SetKeyManager(IKeyManager* manager)
{
    // Setting the one it holds hands nothing back: the caller must not think it owns it.
    if (manager == m_keyManager)
        return nullptr;
    return std::exchange(m_keyManager, manager);
}

ICopyPaste* CGridImpl::GetCopyPaste() const
{
    return m_copyPaste != nullptr ? m_copyPaste : &CCopyPaste::GetDefault();
}

ICopyPaste* CGridImpl::SetCopyPaste(ICopyPaste* service)
{
    if (service == m_copyPaste)
        return nullptr;
    return std::exchange(m_copyPaste, service);
}

IDragDrop* CGridImpl::GetDragDrop() const
{
    return m_dragDrop != nullptr ? m_dragDrop : &CDragDrop::GetDefault();
}

IDragDrop* CGridImpl::SetDragDrop(IDragDrop* service)
{
    if (service == m_dragDrop)
        return nullptr;
    return std::exchange(m_dragDrop, service);
}

bool CGridImpl::CanPaste()
{
    const bool anyType = m_pasteSettings.pasteIntoFixedRows || m_pasteSettings.pasteIntoNormalRows;
    return m_pasteEnabled && anyType && GetCopyPaste()->CanPaste(&m_grid);
}

void CGridImpl::ReleaseOwnServices()
{
    DeleteIfAutoDelete(std::exchange(m_keyManager, nullptr));
    DeleteIfAutoDelete(std::exchange(m_copyPaste, nullptr));
    DeleteIfAutoDelete(std::exchange(m_dragDrop, nullptr));
}

} // namespace Ombrel::GUI
