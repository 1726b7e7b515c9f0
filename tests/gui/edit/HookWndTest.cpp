// Hooks that share a window: the chain order, swallowing, removal in any order, and the
// process-wide map that must hold exactly the windows with hooks.

#include "platform/RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/platform/WindowMessaging.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace Ombrel::GUI {
namespace {

constexpr UINT kProbe = WM_USER + 7;

// Records the probe messages it sees, in a log shared by several hooks.
class CLoggingHook : public CHookWnd
{
public:
    CLoggingHook(char name, std::vector<char>& log) : m_name(name), m_log(log) {}

    std::function<bool(UINT)> swallow; // true: the message goes no further
    std::function<void()> whileHandling;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kProbe || message == WM_NCDESTROY)
            m_log.push_back(m_name);
        if (whileHandling && message == kProbe)
            whileHandling();
        if (swallow && swallow(message))
            return 99;
        return CallNext(message, wParam, lParam);
    }

private:
    char m_name;
    std::vector<char>& m_log;
};

class HookWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        baseline = CHookWnd::GetHookedWindowCount();
        ASSERT_TRUE(window.CreateEx(0, nullptr, "hooked", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    }

    // The probe through the chain; 'W' marks the window's own procedure.
    std::vector<char> Probe()
    {
        log.clear();
        window.onMessage = [this](UINT message, WPARAM, LPARAM, LRESULT& result) {
            if (message != kProbe)
                return false;
            log.push_back('W');
            result = 7;
            return true;
        };
        window.SendMessage(kProbe);
        return log;
    }

    std::size_t baseline = 0;
    Ombrel::Test::CRecordingWnd window;
    std::vector<char> log;
};

TEST_F(HookWndTest, TheLastHookSeesMessagesFirstAndRemovalInAnyOrderKeepsTheRestWorking)
{
    CLoggingHook first('A', log), second('B', log), third('C', log);
    ASSERT_TRUE(first.Hook(&window));
    ASSERT_TRUE(second.Hook(&window));
    ASSERT_TRUE(third.Hook(&window));
    EXPECT_EQ(Probe(), (std::vector<char>{'C', 'B', 'A', 'W'}));
    EXPECT_EQ(CHookWnd::GetFirstHook(&window), &third);
    EXPECT_EQ(third.GetNextHook(), &second);
    EXPECT_EQ(second.GetNextHook(), &first);
    EXPECT_EQ(first.GetNextHook(), nullptr);
    EXPECT_EQ(CHookWnd::GetHookCount(&window), 3u);

    ASSERT_TRUE(second.Unhook()); // from the middle
    EXPECT_EQ(Probe(), (std::vector<char>{'C', 'A', 'W'}));
    EXPECT_EQ(third.GetNextHook(), &first);
    ASSERT_TRUE(third.Unhook()); // the first one
    EXPECT_EQ(Probe(), (std::vector<char>{'A', 'W'}));
    EXPECT_FALSE(third.Unhook()) << "a hook in no chain";
    ASSERT_TRUE(first.Unhook());
    EXPECT_EQ(Probe(), (std::vector<char>{'W'}));
    EXPECT_EQ(window.SendMessage(kProbe), 7) << "the window's own procedure answers again";
    EXPECT_EQ(CHookWnd::GetHookCount(&window), 0u);
    EXPECT_EQ(CHookWnd::GetHookedWindowCount(), baseline);
}

TEST_F(HookWndTest, ASwallowedMessageReachesNeitherLaterHooksNorTheWindow)
{
    CLoggingHook inner('A', log), outer('B', log);
    inner.Hook(&window);
    outer.Hook(&window);
    outer.swallow = [](UINT message) { return message == kProbe; };
    EXPECT_EQ(Probe(), (std::vector<char>{'B'}));
    EXPECT_EQ(window.SendMessage(kProbe), 99);
}

TEST_F(HookWndTest, AHookThatLeavesWhileHandlingStillPassesTheMessageOn)
{
    CLoggingHook inner('A', log), outer('B', log);
    inner.Hook(&window);
    outer.Hook(&window);
    outer.whileHandling = [&] { outer.Unhook(); };
    EXPECT_EQ(Probe(), (std::vector<char>{'B', 'A', 'W'}));
    EXPECT_EQ(Probe(), (std::vector<char>{'A', 'W'}));
    EXPECT_EQ(CHookWnd::GetHookCount(&window), 1u);
}

TEST_F(HookWndTest, HookingNoWindowOrHookingTwiceFailsAndChangesNothing)
{
    CLoggingHook hook('A', log);
    Ombrel::Test::CRecordingWnd never;
    EXPECT_FALSE(hook.Hook(&never));
    EXPECT_FALSE(hook.Hook(nullptr));
    EXPECT_EQ(hook.GetHookedWindow(), nullptr);
    EXPECT_EQ(CHookWnd::GetHookedWindowCount(), baseline);
    ASSERT_TRUE(hook.Hook(&window));
    EXPECT_FALSE(hook.Hook(&window));
    EXPECT_EQ(CHookWnd::GetHookCount(&window), 1u);
}

TEST_F(HookWndTest, DestroyingTheWindowUnhooksEveryHookAndForgetsTheWindow)
{
    CLoggingHook inner('A', log), outer('B', log);
    inner.Hook(&window);
    outer.Hook(&window);
    // Even a hook that keeps WM_NCDESTROY from the others does not leave them in the map.
    outer.swallow = [](UINT message) { return message == WM_NCDESTROY; };
    log.clear();
    window.DestroyWindow();
    EXPECT_EQ(log, (std::vector<char>{'B'}));
    EXPECT_EQ(inner.GetHookedWindow(), nullptr);
    EXPECT_EQ(outer.GetHookedWindow(), nullptr);
    EXPECT_EQ(CHookWnd::GetHookedWindowCount(), baseline);

    // A new window at the same address inherits nothing.
    ASSERT_TRUE(window.CreateEx(0, nullptr, "again", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(CHookWnd::GetHookCount(&window), 0u);
    EXPECT_EQ(Probe(), (std::vector<char>{'W'}));
    EXPECT_FALSE(inner.Unhook());
    EXPECT_TRUE(inner.Hook(&window)) << "a released hook can hook again";
}

TEST_F(HookWndTest, DestroyingAHookUnhooksIt)
{
    CLoggingHook kept('A', log);
    kept.Hook(&window);
    {
        CLoggingHook temporary('T', log);
        temporary.Hook(&window);
        EXPECT_EQ(Probe(), (std::vector<char>{'T', 'A', 'W'}));
    }
    EXPECT_EQ(Probe(), (std::vector<char>{'A', 'W'}));
    EXPECT_EQ(CHookWnd::GetFirstHook(&window), &kept);
}

} // namespace
} // namespace Ombrel::GUI
