#include "RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/CachedScrollBar.h"

#include <QApplication>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace Ombrel::Test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class WndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300),
                                   nullptr, 0));
        ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(10, 20, 210, 140), &frame, 42));
        ShowAndActivate(frame);
    }

    // Gives the child's `bar` the range 0..`max`, a page of `page` and the position `position`.
    void SetChildScrollRange(int bar, int max, unsigned page, int position)
    {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = max;
        info.nPage = page;
        info.nPos = position;
        child.SetScrollInfo(bar, info);
    }

    CRecordingWnd frame;
    CRecordingWnd child;
};

std::vector<UINT> Messages(const CRecordingWnd& window)
{
    std::vector<UINT> messages;
    for (const MSG& msg : window.received)
        messages.push_back(msg.message);
    return messages;
}

TEST_F(WndTest, ChildWindowKnowsItsPlaceAndIdentity)
{
    EXPECT_EQ(&frame, child.GetParent());
    EXPECT_EQ(&frame, child.GetOwner());
    EXPECT_EQ(42u, child.GetDlgCtrlID());
    EXPECT_EQ(&frame, child.GetTopLevelParent());
    EXPECT_EQ(CRect(0, 0, 200, 120), child.GetClientRect());
    CPoint point(5, 6);
    child.ClientToScreen(&point);
    EXPECT_EQ(CPoint(115, 126), point);
    child.ScreenToClient(&point);
    EXPECT_EQ(CPoint(5, 6), point);
    EXPECT_TRUE(child.IsWindowVisible());
    EXPECT_TRUE(child.GetStyle() & WS_CHILD);
    EXPECT_EQ(CString("child"), child.GetWindowText());
}

TEST_F(WndTest, CreationSendsCreateThenSizeAndMoveResizes)
{
    std::vector<UINT> messages = Messages(child);
    auto create = std::find(messages.begin(), messages.end(), WM_CREATE);
    auto size = std::find(messages.begin(), messages.end(), WM_SIZE);
    ASSERT_NE(messages.end(), create);
    ASSERT_NE(messages.end(), size);
    EXPECT_LT(create, size);
    child.received.clear();
    child.MoveWindow(0, 0, 150, 90);
    ASSERT_EQ(1, child.Count(WM_SIZE));
    EXPECT_EQ(MAKELPARAM(150, 90), child.Received(WM_SIZE)[0].lParam);
}

TEST_F(WndTest, CreationFailsForUnknownClassRefusedCreateAndMissingParent)
{
    CRecordingWnd unknown;
    EXPECT_FALSE(unknown.Create("Ombrel.Test.NoSuchClass", nullptr, WS_CHILD, CRect(0, 0, 5, 5), &frame, 1));
    CRecordingWnd orphan;
    EXPECT_FALSE(orphan.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), nullptr, 1));
    CRecordingWnd refusing;
    refusing.onMessage = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
        result = -1;
        return message == WM_CREATE;
    };
    EXPECT_FALSE(refusing.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), &frame, 1));
    EXPECT_FALSE(IsWindow(&refusing));
    EXPECT_EQ(1, refusing.Count(WM_DESTROY));
}

TEST_F(WndTest, DestroyTellsParentBeforeChildrenAndEndsTheWindows)
{
    std::vector<std::pair<CWnd*, UINT>> order;
    auto record = [&order](CRecordingWnd& window) {
        window.onMessage = [&order, &window](UINT message, WPARAM, LPARAM, LRESULT&) {
            if (message == WM_DESTROY || message == WM_NCDESTROY)
                order.emplace_back(&window, message);
            return false;
        };
    };
    record(frame);
    record(child);
    ASSERT_TRUE(frame.DestroyWindow());
    std::vector<std::pair<CWnd*, UINT>> expected = {
        {&frame, WM_DESTROY}, {&child, WM_DESTROY}, {&child, WM_NCDESTROY}, {&frame, WM_NCDESTROY}};
    EXPECT_EQ(expected, order);
    EXPECT_FALSE(IsWindow(&frame));
    EXPECT_FALSE(IsWindow(&child));
    EXPECT_EQ(nullptr, frame.GetSafeHwnd());
    EXPECT_FALSE(frame.DestroyWindow());
}

TEST_F(WndTest, MouseButtonsArriveWithClientPointAndKeyFlags)
{
    Click(child, CPoint(30, 40), Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(1, child.Count(WM_LBUTTONDOWN));
    MSG down = child.Received(WM_LBUTTONDOWN)[0];
    EXPECT_EQ(MK_LBUTTON | MK_SHIFT, down.wParam);
    EXPECT_EQ(CPoint(30, 40), CPoint(GET_X_LPARAM(down.lParam), GET_Y_LPARAM(down.lParam)));
    ASSERT_EQ(1, child.Count(WM_LBUTTONUP));
    EXPECT_EQ(static_cast<WPARAM>(MK_SHIFT), child.Received(WM_LBUTTONUP)[0].wParam);
    // WM_SETCURSOR comes first, naming the button message.
    std::vector<UINT> messages = Messages(child);
    auto setCursor = std::find(messages.begin(), messages.end(), WM_SETCURSOR);
    EXPECT_LT(setCursor, std::find(messages.begin(), messages.end(), WM_LBUTTONDOWN));
    Click(child, CPoint(1, 2), Qt::RightButton, Qt::ControlModifier);
    ASSERT_EQ(1, child.Count(WM_RBUTTONDOWN));
    EXPECT_EQ(MK_RBUTTON | MK_CONTROL, child.Received(WM_RBUTTONDOWN)[0].wParam);
}

TEST_F(WndTest, DoubleClickNeedsTheDoubleClickClassStyle)
{
    DoubleClick(child, CPoint(3, 4));
    EXPECT_EQ(1, child.Count(WM_LBUTTONDBLCLK));
    EXPECT_EQ(1, child.Count(WM_LBUTTONDOWN));

    ASSERT_TRUE(RegisterWindowClass("Ombrel.Test.NoDoubleClicks", CS_HREDRAW | CS_VREDRAW));
    CRecordingWnd plain;
    ASSERT_TRUE(plain.Create("Ombrel.Test.NoDoubleClicks", nullptr, WS_CHILD | WS_VISIBLE,
                             CRect(0, 0, 50, 50), &frame, 3));
    DoubleClick(plain, CPoint(3, 4));
    EXPECT_EQ(0, plain.Count(WM_LBUTTONDBLCLK));
    EXPECT_EQ(2, plain.Count(WM_LBUTTONDOWN));
}

TEST_F(WndTest, WheelGives120PerNotchAndUnhandledWheelGoesToTheParent)
{
    Wheel(child, CPoint(10, 10), -240, Qt::ControlModifier);
    ASSERT_EQ(1, child.Count(WM_MOUSEWHEEL));
    MSG wheel = child.Received(WM_MOUSEWHEEL)[0];
    EXPECT_EQ(-240, GET_WHEEL_DELTA_WPARAM(wheel.wParam));
    EXPECT_EQ(MK_CONTROL, GET_KEYSTATE_WPARAM(wheel.wParam));
    EXPECT_EQ(CPoint(120, 130), CPoint(GET_X_LPARAM(wheel.lParam), GET_Y_LPARAM(wheel.lParam)));
    EXPECT_EQ(1, frame.Count(WM_MOUSEWHEEL));
}

TEST_F(WndTest, KeyDownThenCharWithPlatformCodesAndFlags)
{
    KeyPress(child, Qt::Key_A, Qt::NoModifier, "a");
    KeyPress(child, Qt::Key_A, Qt::NoModifier, "a", true);
    KeyRelease(child, Qt::Key_A, Qt::NoModifier, "a");
    std::vector<MSG> downs = child.Received(WM_KEYDOWN);
    ASSERT_EQ(2u, downs.size());
    EXPECT_EQ(static_cast<WPARAM>('A'), downs[0].wParam);
    EXPECT_EQ(1, downs[0].lParam & 0xFFFF);
    EXPECT_EQ(0, downs[0].lParam & KF_REPEAT_BIT);
    EXPECT_NE(0, downs[1].lParam & KF_REPEAT_BIT);
    ASSERT_EQ(2, child.Count(WM_CHAR));
    EXPECT_EQ(static_cast<WPARAM>('a'), child.Received(WM_CHAR)[0].wParam);
    ASSERT_EQ(1, child.Count(WM_KEYUP));
    EXPECT_NE(0, child.Received(WM_KEYUP)[0].lParam & KF_UP_BIT);

    child.received.clear();
    Key(child, Qt::Key_5, Qt::KeypadModifier, "5");
    Key(child, Qt::Key_Down);
    Key(child, Qt::Key_X, Qt::AltModifier, "x");
    std::vector<MSG> keys = child.Received(WM_KEYDOWN);
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(VK_NUMPAD0 + 5, keys[0].wParam);
    EXPECT_EQ(VK_DOWN, keys[1].wParam);
    EXPECT_NE(0, keys[1].lParam & KF_EXTENDED_BIT);
    ASSERT_EQ(1, child.Count(WM_SYSKEYDOWN));
    EXPECT_EQ(static_cast<WPARAM>('X'), child.Received(WM_SYSKEYDOWN)[0].wParam);
    EXPECT_EQ(1, child.Count(WM_CHAR)); // the keypad digit; the arrow types nothing
    EXPECT_EQ(1, child.Count(WM_SYSCHAR));
}

TEST_F(WndTest, PreTranslateOfAParentConsumesKeysBeforeTheWindowSeesThem)
{
    frame.onPreTranslate = [this](MSG& msg) {
        return msg.hwnd == &child && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
    };
    Key(child, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    Key(child, Qt::Key_B, Qt::NoModifier, "b");
    ASSERT_EQ(1, child.Count(WM_KEYDOWN));
    EXPECT_EQ(static_cast<WPARAM>('B'), child.Received(WM_KEYDOWN)[0].wParam);
    ASSERT_EQ(1, child.Count(WM_CHAR)); // the consumed key typed nothing either
    EXPECT_EQ(static_cast<WPARAM>('b'), child.Received(WM_CHAR)[0].wParam);
}

TEST_F(WndTest, KeyStateFollowsTheInput)
{
    KeyPress(child, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetKeyState(VK_LSHIFT), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    KeyRelease(child, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    MousePress(child, CPoint(1, 1));
    EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
    MouseRelease(child, CPoint(1, 1));
    EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(WndTest, CaptureRoutesMouseToTheCapturingWindowInItsCoordinates)
{
    CRecordingWnd other;
    ASSERT_TRUE(other.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 20, 280, 80), &frame, 5));
    EXPECT_EQ(nullptr, child.SetCapture());
    EXPECT_EQ(&child, GetCapture());
    MouseMove(other, CPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(0, other.Count(WM_MOUSEMOVE));
    ASSERT_EQ(1, child.Count(WM_MOUSEMOVE));
    MSG move = child.Received(WM_MOUSEMOVE)[0];
    EXPECT_EQ(CPoint(215, 5), CPoint(GET_X_LPARAM(move.lParam), GET_Y_LPARAM(move.lParam)));
    EXPECT_EQ(&child, other.SetCapture());
    ASSERT_EQ(1, child.Count(WM_CAPTURECHANGED));
    EXPECT_EQ(reinterpret_cast<LPARAM>(&other), child.Received(WM_CAPTURECHANGED)[0].lParam);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(1, other.Count(WM_CAPTURECHANGED));
}

TEST_F(WndTest, TrackMouseEventReportsLeaveAndHoverOnce)
{
    MouseMove(child, CPoint(50, 50));
    TRACKMOUSEEVENT request;
    request.dwFlags = TME_LEAVE | TME_HOVER;
    request.hwndTrack = &child;
    request.dwHoverTime = 20;
    ASSERT_TRUE(TrackMouseEvent(&request));
    ASSERT_TRUE(PumpUntil([&] { return child.Count(WM_MOUSEHOVER) == 1; }));
    MSG hover = child.Received(WM_MOUSEHOVER)[0];
    EXPECT_EQ(CPoint(50, 50), CPoint(GET_X_LPARAM(hover.lParam), GET_Y_LPARAM(hover.lParam)));
    MouseLeave(child);
    ASSERT_TRUE(PumpUntil([&] { return child.Count(WM_MOUSELEAVE) == 1; }));
    MouseLeave(child);
    PumpFor(40ms);
    EXPECT_EQ(1, child.Count(WM_MOUSELEAVE));
    EXPECT_EQ(1, child.Count(WM_MOUSEHOVER));
    TRACKMOUSEEVENT query;
    query.dwFlags = TME_QUERY;
    query.hwndTrack = &child;
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(0u, query.dwFlags);
}

TEST_F(WndTest, LeaveRequestedWhileThePointerIsElsewhereIsAnsweredAtOnce)
{
    CRecordingWnd other;
    ASSERT_TRUE(other.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 20, 280, 80), &frame, 5));
    MouseMove(child, CPoint(50, 50));
    MouseMove(other, CPoint(5, 5)); // the pointer moved on to a sibling
    TRACKMOUSEEVENT request;
    request.dwFlags = TME_LEAVE | TME_HOVER;
    request.hwndTrack = &child;
    request.dwHoverTime = 20;
    ASSERT_TRUE(TrackMouseEvent(&request));
    ASSERT_TRUE(PumpUntil([&] { return child.Count(WM_MOUSELEAVE) == 1; }));
    PumpFor(60ms);
    EXPECT_EQ(0, child.Count(WM_MOUSEHOVER)) << "a pointer that is not over the window cannot hover";

    // Tracked while inside, then the pointer moves to the sibling: the leave comes without a
    // Leave event of its own.
    MouseMove(child, CPoint(60, 60));
    request.dwFlags = TME_LEAVE;
    ASSERT_TRUE(TrackMouseEvent(&request));
    PumpFor(20ms);
    EXPECT_EQ(1, child.Count(WM_MOUSELEAVE));
    MouseMove(other, CPoint(6, 6));
    EXPECT_TRUE(PumpUntil([&] { return child.Count(WM_MOUSELEAVE) == 2; }));
}

TEST_F(WndTest, CursorPositionIsWhereTheLatestMouseInputWas)
{
    MouseMove(child, CPoint(30, 40));
    CPoint cursor;
    ASSERT_TRUE(GetCursorPos(&cursor));
    CPoint expected(30, 40);
    child.ClientToScreen(&expected);
    EXPECT_EQ(cursor, expected);
    Wheel(frame, CPoint(5, 6), 120);
    ASSERT_TRUE(GetCursorPos(&cursor));
    expected = CPoint(5, 6);
    frame.ClientToScreen(&expected);
    EXPECT_EQ(cursor, expected);
}

TEST_F(WndTest, NoActivatePopupShowsWithoutTakingActivationOrFocus)
{
    child.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &child; }));
    QWidget* active = QApplication::activeWindow();
    CRecordingWnd popup;
    ASSERT_TRUE(popup.CreateEx(WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, nullptr, nullptr, WS_POPUP,
                               CRect(0, 0, 40, 20), &frame, 0));
    QWidget* widget = WidgetOf(popup);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isWindow());
    EXPECT_EQ(widget->windowType(), Qt::ToolTip);
    EXPECT_TRUE(widget->testAttribute(Qt::WA_TransparentForMouseEvents));

    ASSERT_TRUE(popup.SetWindowPos(nullptr, 150, 160, 40, 20,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW));
    PumpFor(20ms);
    EXPECT_TRUE(popup.IsWindowVisible());
    EXPECT_EQ(QApplication::activeWindow(), active);
    EXPECT_EQ(CWnd::GetFocus(), &child);
    CRect placed;
    popup.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(150, 160, 190, 180));
    EXPECT_EQ(0, popup.Count(WM_SETFOCUS));
}

TEST_F(WndTest, FocusMessagesNameTheOtherWindow)
{
    CRecordingWnd other;
    ASSERT_TRUE(other.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 20, 280, 80), &frame, 5));
    child.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &child; }));
    EXPECT_EQ(&child, other.SetFocus());
    ASSERT_TRUE(PumpUntil([&] { return other.Count(WM_SETFOCUS) == 1; }));
    EXPECT_EQ(reinterpret_cast<WPARAM>(&child), other.Received(WM_SETFOCUS)[0].wParam);
    ASSERT_EQ(1, child.Count(WM_KILLFOCUS));
    EXPECT_EQ(reinterpret_cast<WPARAM>(&other), child.Received(WM_KILLFOCUS)[0].wParam);
}

TEST_F(WndTest, FontIsKeptByReferenceThroughSetFontAndGetFont)
{
    EXPECT_EQ(nullptr, child.GetFont());
    CFont font;
    LOGFONT description;
    description.lfHeight = -17;
    std::strcpy(description.lfFaceName, "DejaVu Sans");
    ASSERT_TRUE(font.CreateFontIndirect(description));
    child.SetFont(&font);
    EXPECT_EQ(&font, child.GetFont());
    EXPECT_EQ(&font, reinterpret_cast<CFont*>(child.SendMessage(WM_GETFONT)));
    EXPECT_EQ(17, WidgetOf(child)->font().pixelSize());
    child.SetFont(nullptr);
}

TEST_F(WndTest, WindowTextThroughMessagesAndMembers)
{
    child.SetWindowText("hello");
    char buffer[4];
    EXPECT_EQ(3, child.SendMessage(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_STREQ("hel", buffer);
    EXPECT_EQ(5, child.SendMessage(WM_GETTEXTLENGTH));
    frame.SetWindowText("Title");
    EXPECT_EQ(QString("Title"), WidgetOf(frame)->windowTitle());
}

class CNotifyOwner : public CRecordingWnd
{
public:
    NMHDR last;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        last = *reinterpret_cast<const NMHDR*>(lParam);
        *result = 5;
        return wParam == last.idFrom;
    }
    std::vector<std::pair<UINT, int>> commands;
    bool OnCmdMsg(UINT id, int code) override
    {
        commands.emplace_back(id, code);
        return true;
    }
};

TEST(WndNotifyTest, NotifyAndCommandReachTheirHandlersWithTheirParameters)
{
    CNotifyOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, nullptr, WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    CRecordingWnd control;
    ASSERT_TRUE(control.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), &owner, 1000));
    NMHDR header;
    header.hwndFrom = &control;
    header.idFrom = control.GetDlgCtrlID();
    header.code = 10;
    EXPECT_EQ(5, control.GetOwner()->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(&control, owner.last.hwndFrom);
    EXPECT_EQ(10u, owner.last.code);
    header.idFrom = 1; // not handled: the default answers 0
    EXPECT_EQ(0, owner.SendMessage(WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header)));
    owner.SendMessage(WM_COMMAND, MAKEWPARAM(321, 1), reinterpret_cast<LPARAM>(&control));
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(321u, owner.commands[0].first);
    EXPECT_EQ(1, owner.commands[0].second);
}

// ---- Painting -----------------------------------------------------------------------------

TEST_F(WndTest, PaintDrawsThroughPaintDCAndEraseFillsTheRest)
{
    child.onPaint = [this] {
        CPaintDC dc(&child);
        dc.FillSolidRect(CRect(0, 0, 20, 10), kRed);
    };
    QImage image = Grab(child);
    EXPECT_EQ(kRed, PixelAt(image, CPoint(0, 0)));
    EXPECT_EQ(kRed, PixelAt(image, CPoint(19, 9)));
    EXPECT_NE(kRed, PixelAt(image, CPoint(20, 9)));
    EXPECT_NE(kRed, PixelAt(image, CPoint(19, 10)));
}

TEST_F(WndTest, EraseBackgroundCanBeSkippedByTheWindow)
{
    child.onMessage = [](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_ERASEBKGND)
            return false;
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(CRect(0, 0, 200, 120), kBlue);
        result = 1;
        return true;
    };
    child.onPaint = [this] { CPaintDC dc(&child); };
    EXPECT_EQ(kBlue, PixelAt(child, CPoint(100, 60)));
}

TEST_F(WndTest, ScrollingTwentyPixelsRepaintsOnlyTheUncoveredBand)
{
    std::vector<CRect> painted;
    child.onPaint = [&] {
        CPaintDC dc(&child);
        painted.push_back(dc.GetUpdateBounds());
        for (const CRect& rect : dc.GetUpdateRects())
            dc.FillSolidRect(rect, kRed);
    };
    child.Invalidate();
    ASSERT_TRUE(PumpUntil([&] { return !painted.empty(); }));
    PumpFor(20ms);
    painted.clear();

    child.ScrollWindow(0, -20);
    ASSERT_TRUE(PumpUntil([&] { return !painted.empty(); }));
    PumpFor(20ms);
    ASSERT_EQ(1u, painted.size());
    EXPECT_EQ(CRect(0, 100, 200, 120), painted[0]);

    painted.clear();
    child.ScrollWindow(0, 20);
    child.UpdateWindow();
    ASSERT_EQ(1u, painted.size()); // painted synchronously
    EXPECT_EQ(CRect(0, 0, 200, 20), painted[0]);
}

TEST_F(WndTest, InvalidatedRectanglesAreTheUpdateRegionOfTheNextPaint)
{
    std::vector<std::vector<CRect>> passes;
    child.onPaint = [&] { passes.push_back(CPaintDC(&child).GetUpdateRects()); };
    child.Invalidate();
    ASSERT_TRUE(PumpUntil([&] { return !passes.empty(); }));
    PumpFor(20ms);
    passes.clear();
    CRect first(0, 0, 10, 10);
    CRect second(100, 50, 120, 60);
    child.InvalidateRect(&first);
    child.InvalidateRect(&second);
    child.UpdateWindow();
    ASSERT_EQ(1u, passes.size());
    std::vector<CRect> expected = {first, second};
    EXPECT_EQ(expected, passes[0]);
    EXPECT_TRUE(child.GetUpdateRects().empty()); // outside of painting
}

// ---- Scroll bars --------------------------------------------------------------------------

TEST_F(WndTest, ScrollInfoClampsPositionToThePageAndShowsTheBar)
{
    CRect before = child.GetClientRect();
    child.received.clear();
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 99;
    info.nPage = 10;
    info.nPos = 95;
    EXPECT_EQ(90, child.SetScrollInfo(SB_VERT, info));
    SCROLLINFO read;
    ASSERT_TRUE(child.GetScrollInfo(SB_VERT, &read));
    EXPECT_EQ(0, read.nMin);
    EXPECT_EQ(99, read.nMax);
    EXPECT_EQ(10u, read.nPage);
    EXPECT_EQ(90, read.nPos);
    EXPECT_EQ(90, child.GetScrollLimit(SB_VERT));
    CRect after = child.GetClientRect();
    EXPECT_LT(after.Width(), before.Width());
    EXPECT_EQ(before.Height(), after.Height());
    ASSERT_EQ(1, child.Count(WM_SIZE));
    EXPECT_TRUE(child.GetStyle() & WS_VSCROLL);
    // A page that covers the range hides the bar again.
    info.fMask = SIF_PAGE;
    info.nPage = 100;
    child.SetScrollInfo(SB_VERT, info);
    EXPECT_EQ(before, child.GetClientRect());
    EXPECT_EQ(0, child.GetScrollPos(SB_VERT));
}

// The bars keep their places while only positions change, and make room for each other when
// the second one comes or goes.
TEST_F(WndTest, ScrollBarsMakeRoomForEachOtherAndStayPutWhileScrolling)
{
    SetChildScrollRange(SB_VERT, 999, 50, 0);
    QWidget* widget = WidgetOf(child);
    QScrollBar* vertical = nullptr;
    for (QScrollBar* bar : widget->findChildren<QScrollBar*>())
        if (bar->orientation() == Qt::Vertical)
            vertical = bar;
    ASSERT_NE(nullptr, vertical);
    const QRect fullHeight = vertical->geometry();
    EXPECT_EQ(widget->height(), fullHeight.height());
    EXPECT_EQ(widget->width(), fullHeight.right() + 1);

    SetChildScrollRange(SB_HORZ, 999, 50, 0);
    const QRect shortened = vertical->geometry();
    EXPECT_LT(shortened.height(), fullHeight.height());
    for (int position : {50, 500, 950}) {
        child.SetScrollPos(SB_VERT, position, true);
        child.SetScrollPos(SB_HORZ, position, true);
        EXPECT_EQ(shortened, vertical->geometry()) << position;
    }

    SCROLLINFO page;
    page.fMask = SIF_PAGE;
    page.nPage = 1000; // the horizontal range fits: its bar goes
    child.SetScrollInfo(SB_HORZ, page);
    EXPECT_EQ(fullHeight, vertical->geometry());
    EXPECT_TRUE(vertical->isVisibleTo(widget));
}

// A window's bar follows the window's position and paints from cached parts, showing what a
// stock bar in the same state shows.
TEST_F(WndTest, ScrollPositionsShowOnTheWindowsCachedBar)
{
    SetChildScrollRange(SB_VERT, 9999, 50, 0);
    auto* bar = WidgetOf(child)->findChild<CCachedScrollBar*>();
    ASSERT_NE(nullptr, bar);
    QWidget stockParent;
    QScrollBar stock(Qt::Vertical, &stockParent);
    stock.resize(bar->size());
    stock.setRange(bar->minimum(), bar->maximum());
    stock.setPageStep(bar->pageStep());
    stockParent.show();
    for (int position : {0, 1200, 5000, 9950}) {
        child.SetScrollPos(SB_VERT, position, true);
        stock.setValue(position);
        EXPECT_EQ(position, bar->value());
        EXPECT_TRUE(bar->grab().toImage() == stock.grab().toImage()) << position;
    }
    EXPECT_GT(bar->ComposedPaintCount(), 0);
}

TEST_F(WndTest, ScrollBarActionsAreReportedAndLeaveThePositionToTheWindow)
{
    SetChildScrollRange(SB_VERT, 99, 10, 5);
    auto* bar = WidgetOf(child)->findChild<QScrollBar*>();
    ASSERT_NE(nullptr, bar);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    std::vector<MSG> scrolls = child.Received(WM_VSCROLL);
    ASSERT_EQ(2u, scrolls.size());
    EXPECT_EQ(SB_LINEDOWN, LOWORD(scrolls[0].wParam));
    EXPECT_EQ(SB_PAGEUP, LOWORD(scrolls[1].wParam));
    EXPECT_EQ(5, child.GetScrollPos(SB_VERT));
    EXPECT_EQ(5, bar->value());
    // A window that moves the position on the command moves the bar with it.
    child.onMessage = [this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_VSCROLL && LOWORD(wParam) == SB_LINEDOWN)
            child.SetScrollPos(SB_VERT, child.GetScrollPos(SB_VERT) + 1);
        return false;
    };
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(6, child.GetScrollPos(SB_VERT));
    EXPECT_EQ(6, bar->value());
}

// ---- Cursors ------------------------------------------------------------------------------

TEST_F(WndTest, SetCursorShowsOnTheWindowUnderTheMouseUntilTheNextMove)
{
    child.onMessage = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_SETCURSOR)
            return false;
        SetCursor(LoadCursor(IDC_SIZEWE));
        result = 1;
        return true;
    };
    MouseMove(child, CPoint(5, 5));
    EXPECT_EQ(Qt::SizeHorCursor, WidgetOf(child)->cursor().shape());
    EXPECT_EQ(LoadCursor(IDC_SIZEWE), GetCursor());
    child.onMessage = nullptr; // the default shows the arrow
    MouseMove(child, CPoint(6, 5));
    EXPECT_EQ(Qt::ArrowCursor, WidgetOf(child)->cursor().shape());
    EXPECT_EQ(0u, LoadCursor(12345));
}

} // namespace
} // namespace Ombrel::Test
