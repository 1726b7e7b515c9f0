// Window hooks: the chain in front of a window's procedure.
//
//   DispatchNow(window, message)
//     -> DispatchThroughHooks: pushes a chain frame {window, position = hooks.size()}
//        -> Advance: the next live hook below `position` gets OnMessage
//           -> hook's CallNext: finds its frame, Advance from its own position
//              -> ... -> CallWindowProcedure(window) when no hook is left
//
// Positions stay valid while frames walk the list: new hooks are appended (above every
// running position), removed hooks leave a null entry, and nulls are dropped only when no
// frame of this thread walks the window's chain. Windows and their hooks belong to one thread,
// so the frames of that thread are all there is to consider and no lock is needed.

#include "ombrel/platform/WindowHook.h"

#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/MessageQueue.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

namespace Ombrel {

struct WindowHookAccess
{
    static void Release(CWindowHook& hook) { hook.m_window = nullptr; }
};

namespace {

// One message on its way through a window's chain.
struct ChainFrame
{
    CWnd* window;
    std::size_t position;  // index of the hook being called; hooks.size() before the first
    CWindowHook* current;  // the hook being called, or null before the first
};

// Innermost last. Frames are strictly nested: a hook's OnMessage runs inside its frame.
thread_local std::vector<ChainFrame*> t_frames;

struct FrameScope
{
    explicit FrameScope(ChainFrame& frame) { t_frames.push_back(&frame); }
    ~FrameScope() { t_frames.pop_back(); }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;
};

bool ChainIsWalked(const CWnd* window)
{
    return std::any_of(t_frames.begin(), t_frames.end(),
                       [window](const ChainFrame* frame) { return frame->window == window; });
}

void DropRemovedEntries(CWnd& window)
{
    if (!ChainIsWalked(&window))
        std::erase(CWnd::Impl::Of(window).hooks, nullptr);
}

bool IsOwnThread(const CWnd& window)
{
    const CWnd::Impl& impl = CWnd::Impl::Of(window);
    return impl.IsCreated() && impl.queue.get() == Internal::CurrentThreadQueueIfAny();
}

// Calls the next live hook below the frame's position, or the window's procedure.
LRESULT Advance(ChainFrame& frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The window may have been destroyed (and its object deleted) by an earlier link.
    if (!IsWindow(frame.window))
        return 0;
    std::vector<CWindowHook*>& hooks = CWnd::Impl::Of(*frame.window).hooks;
    std::size_t position = std::min(frame.position, hooks.size());
    while (position > 0) {
        --position;
        CWindowHook* hook = hooks[position];
        if (hook == nullptr)
            continue;
        ChainFrame saved = frame;
        frame.position = position;
        frame.current = hook;
        LRESULT result = hook->OnMessage(message, wParam, lParam);
        frame.position = saved.position;
        frame.current = saved.current;
        return result;
    }
    return CallWindowProcedure(*frame.window, message, wParam, lParam);
}

} // namespace

LRESULT DispatchThroughHooks(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ChainFrame frame{&wnd, CWnd::Impl::Of(wnd).hooks.size(), nullptr};
    LRESULT result = 0;
    {
        FrameScope scope(frame);
        result = Advance(frame, message, wParam, lParam);
    }
    if (IsWindow(&wnd))
        DropRemovedEntries(wnd);
    return result;
}

void CWnd::Impl::ReleaseHooks()
{
    for (CWindowHook*& hook : hooks) {
        if (hook != nullptr)
            WindowHookAccess::Release(*hook);
        hook = nullptr;
    }
    // Frames still walking this chain see an empty list and end at the (dead) window.
    if (!ChainIsWalked(&self))
        hooks.clear();
}

// ---- CWindowHook --------------------------------------------------------------------------

CWindowHook::~CWindowHook()
{
    Unhook();
}

bool CWindowHook::Hook(CWnd* window)
{
    if (m_window != nullptr || window == nullptr || !IsWindow(window) || !IsOwnThread(*window))
        return false;
    CWnd::Impl::Of(*window).hooks.push_back(this);
    m_window = window;
    return true;
}

bool CWindowHook::Unhook()
{
    if (m_window == nullptr)
        return false;
    CWnd* window = m_window;
    m_window = nullptr;
    std::vector<CWindowHook*>& hooks = CWnd::Impl::Of(*window).hooks;
    auto found = std::find(hooks.begin(), hooks.end(), this);
    assert(found != hooks.end() && "a bound hook is in its window's chain");
    if (found != hooks.end())
        *found = nullptr;
    DropRemovedEntries(*window);
    return true;
}

LRESULT CWindowHook::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallNext(message, wParam, lParam);
}

LRESULT CWindowHook::CallNext(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (auto frame = t_frames.rbegin(); frame != t_frames.rend(); ++frame) {
        if ((*frame)->current == this)
            return Advance(**frame, message, wParam, lParam);
    }
    if (m_window == nullptr || !IsWindow(m_window))
        return 0;
    return CallWindowProcedure(*m_window, message, wParam, lParam);
}

} // namespace Ombrel
