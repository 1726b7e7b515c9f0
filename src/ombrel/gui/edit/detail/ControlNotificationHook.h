#pragma once

#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/platform/Messages.h"

#include <functional>

namespace Ombrel::GUI::Detail {

// Hooks a control's parent to see the control's own WM_COMMAND notifications (EN_UPDATE,
// CBN_SELCHANGE, ...) before the parent does: a control cannot see what it tells its parent,
// and every change of the toolkit widget (typed, pasted from a context menu, dropped, set)
// is told that way. The handler returns true to keep the notification from the parent.
class CControlNotificationHook final : public CHookWnd
{
public:
    using Handler = std::function<bool(UINT code)>;

    // Hooks `control`'s parent; false when the control has none.
    bool Watch(CWnd* control, Handler handler);
    void Stop();

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CWnd* m_control = nullptr;
    Handler m_handler;
};

} // namespace Ombrel::GUI::Detail
