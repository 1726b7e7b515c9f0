#pragma once

#include "ombrel/platform/Messages.h"

#include <cstddef>
#include <memory>

namespace Ombrel::GUI {

// A listener in front of a window's procedure that shares the window with other listeners: the
// editors, the embedded-control adapter and the grid each hook the same control without
// knowing of one another.
//
// Chain: the hook installed last sees a message first; OnMessage's default (CallNext) passes it
// to the next hook, and the last hook passes it to the window's own procedure. A hook that
// returns without CallNext swallows the message. Hooks leave the chain in any order, also while
// a message is on its way through it.
//
// The chain runs on the framework's window hooks (one CWindowHook link per CHookWnd). Beside it
// a process-wide map, keyed by window handle and guarded by a lock, lists each hooked window's
// hooks in chain order: it answers which hooks a window has (GetFirstHook, GetNextHook) and
// holds exactly the windows that have hooks. Unhooking the last hook of a window, and the
// window's destruction, remove its entry, so that a window created later at the same address
// starts with no hooks.
//
// Threads: hooks are installed, removed and called on the window's thread; the counting
// queries may be asked from any thread.
class CHookWnd
{
public:
    CHookWnd();
    virtual ~CHookWnd(); // unhooks
    CHookWnd(const CHookWnd&) = delete;
    CHookWnd& operator=(const CHookWnd&) = delete;

    // Puts this hook at the front of `window`'s chain. False, and nothing changes, for a window
    // that does not exist, one of another thread, or while this hook is bound to a window.
    bool Hook(CWnd* window);
    // Takes this hook out of its chain; false when it is in none.
    bool Unhook();
    // The window this hook is bound to, or null.
    CWnd* GetHookedWindow() const;
    // The hook after this one in its window's chain; null for the last one or an unbound hook.
    CHookWnd* GetNextHook() const;

    // Sees a message of the hooked window; the result is the message's result. The default
    // passes the message on unchanged.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The first hook of `window`'s chain, null when the window has none (window thread).
    static CHookWnd* GetFirstHook(HWND window);
    // Any thread: how many hooks `window` has, and how many windows have hooks at all.
    static std::size_t GetHookCount(HWND window);
    static std::size_t GetHookedWindowCount();

protected:
    // Passes a message on to the rest of the chain after this hook, then the window's own
    // procedure; 0 when the hook is bound to no window.
    LRESULT CallNext(UINT message, WPARAM wParam, LPARAM lParam);

private:
    class Link;
    std::unique_ptr<Link> m_link; // this hook's place in the framework's chain
};

} // namespace Ombrel::GUI
