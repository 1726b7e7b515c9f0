// Hooks that share a window, and the process-wide map of hooked windows.
//
//   message to a hooked window
//     -> framework chain: the front CWindowHook link -> its CHookWnd::OnMessage
//        -> CHookWnd::CallNext -> next link -> next CHookWnd::OnMessage -> ... -> WindowProc
//   WM_NCDESTROY: each link, once its hook has seen the message, takes the window's entry out
//   of the map and unhooks every hook of it, so that nothing is left even when a hook swallowed
//   the message before the others saw it.
//
// The map mirrors the framework's chain: every change of one goes with a change of the other,
// on the window's thread. The lock keeps readers on other threads consistent.

#include "ombrel/gui/edit/HookWnd.h"

#include "ombrel/platform/WindowHook.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace Ombrel::GUI {

namespace {

// The hooks of each hooked window, first hook first. An entry exists exactly while its window
// has at least one hook.
struct ChainMap
{
    std::mutex lock;
    std::map<HWND, std::vector<CHookWnd*>> chains; // guarded by lock
};

ChainMap& Chains()
{
    static ChainMap* map = new ChainMap; // lives until process exit, past static destructors
    return *map;
}

} // namespace

class CHookWnd::Link final : public CWindowHook
{
public:
    explicit Link(CHookWnd& owner) : m_owner(owner) {}

    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return CallNext(message, wParam, lParam);
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        CWnd* window = GetHookedWindow();
        LRESULT result = m_owner.OnMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY)
            ReleaseWindow(window);
        return result;
    }

    // Unhooks every hook of a window that is going away and forgets the window.
    static void ReleaseWindow(HWND window)
    {
        std::vector<CHookWnd*> hooks;
        {
            ChainMap& map = Chains();
            std::lock_guard guard(map.lock);
            auto entry = map.chains.find(window);
            if (entry == map.chains.end())
                return;
            hooks = std::move(entry->second);
            map.chains.erase(entry);
        }
        for (CHookWnd* hook : hooks)
            hook->m_link->Unhook();
    }

private:
    CHookWnd& m_owner;
};

CHookWnd::CHookWnd() : m_link(std::make_unique<Link>(*this)) {}

CHookWnd::~CHookWnd()
{
    Unhook();
}

bool CHookWnd::Hook(CWnd* window)
{
    if (!m_link->Hook(window))
        return false;
    ChainMap& map = Chains();
    std::lock_guard guard(map.lock);
    std::vector<CHookWnd*>& chain = map.chains[window];
    chain.insert(chain.begin(), this);
    return true;
}

bool CHookWnd::Unhook()
{
    CWnd* window = m_link->GetHookedWindow();
    if (window == nullptr)
        return false;
    {
        ChainMap& map = Chains();
        std::lock_guard guard(map.lock);
        auto entry = map.chains.find(window);
        if (entry != map.chains.end()) {
            std::erase(entry->second, this);
            if (entry->second.empty())
                map.chains.erase(entry);
        }
    }
    return m_link->Unhook();
}

CWnd* CHookWnd::GetHookedWindow() const
{
    return m_link->GetHookedWindow();
}

CHookWnd* CHookWnd::GetNextHook() const
{
    CWnd* window = GetHookedWindow();
    if (window == nullptr)
        return nullptr;
    ChainMap& map = Chains();
    std::lock_guard guard(map.lock);
    auto entry = map.chains.find(window);
    if (entry == map.chains.end())
        return nullptr;
    const std::vector<CHookWnd*>& chain = entry->second;
    auto self = std::find(chain.begin(), chain.end(), this);
    if (self == chain.end() || self + 1 == chain.end())
        return nullptr;
    return *(self + 1);
}

LRESULT CHookWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallNext(message, wParam, lParam);
}

LRESULT CHookWnd::CallNext(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_link->PassOn(message, wParam, lParam);
}

CHookWnd* CHookWnd::GetFirstHook(HWND window)
{
    ChainMap& map = Chains();
    std::lock_guard guard(map.lock);
    auto entry = map.chains.find(window);
    return entry == map.chains.end() ? nullptr : entry->second.front();
}

std::size_t CHookWnd::GetHookCount(HWND window)
{
    ChainMap& map = Chains();
    std::lock_guard guard(map.lock);
    auto entry = map.chains.find(window);
    return entry == map.chains.end() ? 0 : entry->second.size();
}

std::size_t CHookWnd::GetHookedWindowCount()
{
    ChainMap& map = Chains();
    std::lock_guard guard(map.lock);
    return map.chains.size();
}

} // namespace Ombrel::GUI
