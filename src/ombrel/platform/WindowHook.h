#pragma once

#include "ombrel/platform/Messages.h"

namespace Ombrel {

class CWnd;

// A listener in front of a window's procedure: it sees every message of the window (sent,
// posted, timers, and the input, focus and paint messages made from the window's widget,
// including those of the standard controls) before the window does, and decides whether the
// window gets it.
//
// Chain: several hooks may share a window. The hook installed last sees a message first; its
// OnMessage passes the message on with CallNext, which calls the next hook, and the last hook's
// CallNext calls the window's WindowProc. A hook that returns without CallNext swallows the
// message: the window's handlers never see it and, for a control, the toolkit's own handling
// of the input (typing, clicking, painting) does not run. A hook may also change the
// parameters it passes on, or act after CallNext returns.
//
// Lifetime: a hook is bound to at most one window. Hooks leave the chain in any order
// (Unhook, or destruction of the hook); a hook removed while messages are being handled is
// skipped by them from then on, and a hook installed meanwhile sees the next message. When the
// window is destroyed, its hooks see WM_NCDESTROY and are then released: they are bound to no
// window, and a window created later (even by the same object) starts without hooks.
//
// Threads: hooks are installed, removed and called on the window's own thread only.
class CWindowHook
{
public:
    CWindowHook() = default;
    virtual ~CWindowHook(); // unhooks
    CWindowHook(const CWindowHook&) = delete;
    CWindowHook& operator=(const CWindowHook&) = delete;

    // Puts this hook at the front of `window`'s chain. False when `window` is no window, is not
    // of the calling thread, or this hook is already bound to a window.
    bool Hook(CWnd* window);
    // Takes this hook out of its chain; false when it is in none.
    bool Unhook();
    // The window this hook is bound to, or null.
    CWnd* GetHookedWindow() const { return m_window; }

    // Sees a message of the hooked window; the result is the message's result. The default
    // passes the message on unchanged.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Passes a message on to the rest of the chain after this hook (then the window); this also
    // holds for a hook that removed itself while handling the message. Outside of this hook's
    // OnMessage it goes straight to the hooked window's procedure; 0 when the hook is bound to no
    // window or the window has been destroyed meanwhile.
    LRESULT CallNext(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend struct WindowHookAccess;
    CWnd* m_window = nullptr; // set by Hook, cleared by Unhook and by the window's destruction
};

} // namespace Ombrel
