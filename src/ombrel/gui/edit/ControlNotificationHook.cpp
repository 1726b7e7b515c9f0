#include "ombrel/gui/edit/detail/ControlNotificationHook.h"

#include "ombrel/platform/Wnd.h"

namespace Ombrel::GUI::Detail {

bool CControlNotificationHook::Watch(CWnd* control, Handler handler)
{
    Stop();
    CWnd* parent = control != nullptr ? control->GetParent() : nullptr;
    if (parent == nullptr || !Hook(parent))
        return false;
    m_control = control;
    m_handler = std::move(handler);
    return true;
}

void CControlNotificationHook::Stop()
{
    Unhook();
    m_control = nullptr;
    m_handler = nullptr;
}

LRESULT CControlNotificationHook::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && m_control != nullptr &&
        lParam == reinterpret_cast<LPARAM>(m_control) && m_handler) {
        // A copy: the handler may stop watching, which clears m_handler.
        Handler handler = m_handler;
        if (handler(HIWORD(wParam)))
            return 0;
    }
    return CallNext(message, wParam, lParam);
}

} // namespace Ombrel::GUI::Detail
