#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/Edit.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/WindowMessaging.h"

#include <gtest/gtest.h>

#include <memory>

namespace Ombrel::Test {
namespace {

constexpr UINT kProbe = WM_USER + 7;
constexpr LRESULT kOwnAnswer = 11;

class WindowHookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_POPUP | WS_VISIBLE, CRect(50, 50, 350, 250), nullptr, 0));
        ASSERT_TRUE(window.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 60), &frame, 5));
        window.onMessage = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
            result = kOwnAnswer;
            return message == kProbe;
        };
        ShowAndActivate(frame);
    }

    CRecordingWnd frame;
    CRecordingWnd window;
};

TEST_F(WindowHookTest, TwoHooksSeeEveryMessageLastInstalledFirst)
{
    std::vector<char> order;
    CRecordingHook first;
    CRecordingHook second;
    first.swallow = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == kProbe) order.push_back('1');
        return false;
    };
    second.swallow = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == kProbe) order.push_back('2');
        return false;
    };
    ASSERT_TRUE(first.Hook(&window));
    ASSERT_TRUE(second.Hook(&window));

    EXPECT_EQ(kOwnAnswer, window.SendMessage(kProbe));
    ASSERT_TRUE(window.PostMessage(kProbe + 1));
    ASSERT_TRUE(PumpUntil([&] { return window.Count(kProbe + 1) == 1; }));
    window.SetFocus();
    Click(window, CPoint(5, 5));

    EXPECT_EQ((std::vector<char>{'2', '1'}), order);
    for (UINT message : {kProbe, kProbe + 1, WM_LBUTTONDOWN, WM_LBUTTONUP}) {
        EXPECT_EQ(1, first.Count(message)) << message;
        EXPECT_EQ(1, second.Count(message)) << message;
        EXPECT_EQ(first.Count(message), window.Count(message)) << message;
    }
}

TEST_F(WindowHookTest, RemovingHooksInAnyOrderKeepsTheOthersAndFinallyTheWindowsOwnHandling)
{
    CRecordingHook first;
    CRecordingHook second;
    CRecordingHook third;
    for (CRecordingHook* hook : {&first, &second, &third}) {
        hook->swallow = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
            result = 99;
            return message == kProbe + 2;
        };
        ASSERT_TRUE(hook->Hook(&window));
    }
    ASSERT_TRUE(first.Unhook());
    EXPECT_FALSE(first.Unhook());
    EXPECT_EQ(kOwnAnswer, window.SendMessage(kProbe));
    EXPECT_EQ(0, first.Count(kProbe));
    EXPECT_EQ(1, second.Count(kProbe));
    EXPECT_EQ(1, third.Count(kProbe));

    ASSERT_TRUE(third.Unhook()); // the front of the chain
    EXPECT_EQ(99, window.SendMessage(kProbe + 2));
    EXPECT_EQ(1, second.Count(kProbe + 2));
    EXPECT_EQ(0, window.Count(kProbe + 2));

    ASSERT_TRUE(second.Unhook());
    window.SendMessage(kProbe + 2);
    EXPECT_EQ(1, window.Count(kProbe + 2));
    EXPECT_EQ(1, second.Count(kProbe + 2));
}

TEST_F(WindowHookTest, HookRemovedWhileHandlingStillPassesOnAndTheOthersKeepSeeing)
{
    CRecordingHook inner;
    ASSERT_TRUE(inner.Hook(&window));
    auto outer = std::make_unique<CRecordingHook>();
    CRecordingHook* outerHook = outer.get();
    outer->swallow = [&](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != kProbe)
            return false;
        outerHook->Unhook();
        result = outerHook->PassOn(message, wParam, lParam);
        return true;
    };
    ASSERT_TRUE(outer->Hook(&window));

    EXPECT_EQ(kOwnAnswer, window.SendMessage(kProbe));
    EXPECT_EQ(1, inner.Count(kProbe));
    EXPECT_EQ(nullptr, outer->GetHookedWindow());

    // A hook destroyed by an earlier link of the chain is skipped.
    auto doomed = std::make_unique<CRecordingHook>();
    CRecordingHook killer;
    ASSERT_TRUE(doomed->Hook(&window));
    ASSERT_TRUE(killer.Hook(&window));
    killer.swallow = [&](UINT, WPARAM, LPARAM, LRESULT&) {
        doomed.reset();
        return false;
    };
    EXPECT_EQ(kOwnAnswer, window.SendMessage(kProbe));
    EXPECT_EQ(2, inner.Count(kProbe));
}

TEST_F(WindowHookTest, HookCannotJoinTwoChainsOrAMissingWindow)
{
    CRecordingHook hook;
    CWnd never;
    EXPECT_FALSE(hook.Hook(nullptr));
    EXPECT_FALSE(hook.Hook(&never));
    ASSERT_TRUE(hook.Hook(&window));
    EXPECT_FALSE(hook.Hook(&frame));
    EXPECT_EQ(&window, hook.GetHookedWindow());
}

TEST_F(WindowHookTest, DestroyedWindowReleasesItsHooksAndTheSameObjectStartsAfreshWithout)
{
    CRecordingHook hook;
    ASSERT_TRUE(hook.Hook(&window));
    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_EQ(1, hook.Count(WM_NCDESTROY));
    EXPECT_EQ(nullptr, hook.GetHookedWindow());
    EXPECT_FALSE(hook.Unhook());

    ASSERT_TRUE(window.Create(nullptr, "again", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &frame, 6));
    std::size_t before = hook.seen.size();
    EXPECT_EQ(kOwnAnswer, window.SendMessage(kProbe));
    EXPECT_EQ(before, hook.seen.size());
    EXPECT_TRUE(hook.Hook(&window)); // free to hook again
}

TEST_F(WindowHookTest, WindowDestroyedByAHookEndsTheChainSafely)
{
    CRecordingHook later;
    CRecordingHook destroyer;
    ASSERT_TRUE(later.Hook(&window));
    ASSERT_TRUE(destroyer.Hook(&window));
    destroyer.swallow = [&](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != kProbe)
            return false;
        window.DestroyWindow();
        result = destroyer.PassOn(message, wParam, lParam);
        return true;
    };
    EXPECT_EQ(0, SendMessage(&window, kProbe));
    EXPECT_FALSE(IsWindow(&window));
    EXPECT_EQ(0, later.Count(kProbe));
    EXPECT_EQ(nullptr, later.GetHookedWindow());
}

// ---- Hooks in front of a standard control -------------------------------------------------

class ControlHookTest : public WindowHookTest
{
protected:
    void SetUp() override
    {
        WindowHookTest::SetUp();
        ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 80, 210, 104), &frame, 20));
        edit.SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &edit; }));
    }

    CEdit edit;
};

TEST_F(ControlHookTest, SwallowedCharacterNeverReachesTheText)
{
    CRecordingHook hook;
    hook.swallow = [](UINT message, WPARAM wParam, LPARAM, LRESULT&) { return message == WM_CHAR && wParam == 'x'; };
    ASSERT_TRUE(hook.Hook(&edit));
    TypeText(edit, "axbx");
    EXPECT_EQ(CString("ab"), edit.GetWindowText());
    EXPECT_EQ(4, hook.Count(WM_CHAR)); // all seen, two of them kept out
    EXPECT_EQ(4, hook.Count(WM_KEYDOWN));
}

TEST_F(ControlHookTest, SwallowedKeyDownKeepsTheCaretWhereItWas)
{
    edit.SetWindowText("abc");
    edit.SetSel(3, 3);
    CRecordingHook hook;
    hook.swallow = [](UINT message, WPARAM wParam, LPARAM, LRESULT&) { return message == WM_KEYDOWN && wParam == VK_LEFT; };
    ASSERT_TRUE(hook.Hook(&edit));
    Key(edit, Qt::Key_Left);
    EXPECT_EQ(3, edit.GetCaretIndex());
    hook.Unhook();
    Key(edit, Qt::Key_Left);
    EXPECT_EQ(2, edit.GetCaretIndex());
}

TEST_F(ControlHookTest, HookMayChangeTheCharacterItPassesOn)
{
    CRecordingHook hook;
    hook.swallow = [&](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_CHAR || wParam < 'a' || wParam > 'z')
            return false;
        result = hook.PassOn(message, wParam - 'a' + 'A', lParam);
        return true;
    };
    ASSERT_TRUE(hook.Hook(&edit));
    TypeText(edit, "ab1");
    Key(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
    TypeText(edit, "c");
    EXPECT_EQ(CString("ABC"), edit.GetWindowText());
}

TEST_F(ControlHookTest, MouseAndFocusOfTheControlGoThroughTheChain)
{
    CRecordingHook hook;
    ASSERT_TRUE(hook.Hook(&edit));
    frame.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return hook.Count(WM_KILLFOCUS) == 1; }));
    edit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return hook.Count(WM_SETFOCUS) == 1; }));
    DoubleClick(edit, CPoint(20, 10));
    EXPECT_EQ(1, hook.Count(WM_LBUTTONDOWN)); // the class takes double clicks
    EXPECT_EQ(1, hook.Count(WM_LBUTTONDBLCLK));
    EXPECT_EQ(2, hook.Count(WM_LBUTTONUP));
}

TEST_F(ControlHookTest, HookThatPaintsWithoutPassingOnReplacesTheControlsPainting)
{
    constexpr COLORREF kFlat = RGB(0, 128, 0);
    CRecordingHook hook;
    hook.swallow = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message != WM_PAINT)
            return false;
        CPaintDC dc(&edit);
        dc.FillSolidRect(edit.GetClientRect(), kFlat);
        return true;
    };
    ASSERT_TRUE(hook.Hook(&edit));
    edit.SetWindowText("text that is not painted");
    QImage image = Grab(edit);
    EXPECT_GE(hook.Count(WM_PAINT), 1);
    EXPECT_EQ(kFlat, PixelAt(image, CPoint(5, 12)));
    EXPECT_EQ(kFlat, PixelAt(image, CPoint(100, 12)));

    // Passing it on and painting afterwards draws over the control's own painting.
    hook.swallow = [&](UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
        if (message != WM_PAINT)
            return false;
        hook.PassOn(message, wParam, lParam);
        CPaintDC dc(&edit);
        dc.FillSolidRect(CRect(0, 0, 10, 10), kFlat);
        return true;
    };
    image = Grab(edit);
    EXPECT_EQ(kFlat, PixelAt(image, CPoint(5, 5)));
    EXPECT_NE(kFlat, PixelAt(image, CPoint(100, 20)));
}

} // namespace
} // namespace Ombrel::Test
