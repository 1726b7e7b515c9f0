#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/Edit.h"
#include "ombrel/platform/MonthCalCtrl.h"
#include "ombrel/platform/SpinButtonCtrl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace Ombrel::Test {
namespace {

constexpr UINT kSpinId = 8;
const CPoint kUpArrow(6, 4);
const CPoint kDownArrow(6, 20);

class SpinButtonCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(60, 60, 360, 260), nullptr, 0));
        parent.onMessage = [this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
            if (message != WM_NOTIFY)
                return false;
            auto* change = reinterpret_cast<NMUPDOWN*>(lParam);
            if (change->hdr.code != UDN_DELTAPOS)
                return false;
            offered.push_back(*change);
            if (deltaOverride != 0)
                change->iDelta = deltaOverride;
            result = refuse ? 1 : 0;
            return true;
        };
        ShowAndActivate(parent);
        ASSERT_TRUE(buddy.Create(WS_VISIBLE, CRect(10, 10, 60, 34), &parent, 9));
    }

    void CreateSpin(DWORD style, int lower, int upper, int position)
    {
        ASSERT_TRUE(spin.Create(style | WS_VISIBLE, CRect(60, 10, 72, 34), &parent, kSpinId));
        spin.SetRange32(lower, upper);
        spin.SetBuddy(&buddy);
        spin.SetPos32(position);
        parent.received.clear();
    }

    // The WM_VSCROLL reports: (code, position).
    std::vector<std::pair<UINT, UINT>> Reports(UINT message = WM_VSCROLL) const
    {
        std::vector<std::pair<UINT, UINT>> reports;
        for (const MSG& msg : parent.Received(message)) {
            EXPECT_EQ(reinterpret_cast<LPARAM>(&spin), msg.lParam);
            reports.emplace_back(LOWORD(msg.wParam), HIWORD(msg.wParam));
        }
        return reports;
    }

    CRecordingWnd parent;
    CEdit buddy;
    CSpinButtonCtrl spin;
    std::vector<NMUPDOWN> offered;
    int deltaOverride = 0;
    bool refuse = false;
};

TEST_F(SpinButtonCtrlTest, ClickOnAnArrowOffersStepsThenReportsThemAndUpdatesTheBuddy)
{
    CreateSpin(UDS_SETBUDDYINT, 0, 10, 3);
    EXPECT_EQ(CString("3"), buddy.GetWindowText());
    Click(spin, kUpArrow);
    ASSERT_EQ(1u, offered.size());
    EXPECT_EQ(3, offered[0].iPos);
    EXPECT_EQ(1, offered[0].iDelta);
    EXPECT_EQ(&spin, offered[0].hdr.hwndFrom);
    EXPECT_EQ(kSpinId, offered[0].hdr.idFrom);
    EXPECT_EQ(4, spin.GetPos32());
    EXPECT_EQ(CString("4"), buddy.GetWindowText());
    ASSERT_TRUE(PumpUntil([&] { return Reports().size() == 2; }));
    EXPECT_EQ((std::vector<std::pair<UINT, UINT>>{{SB_THUMBPOSITION, 4}, {SB_ENDSCROLL, 4}}), Reports());

    Click(spin, kDownArrow);
    Click(spin, kDownArrow);
    EXPECT_EQ(2, spin.GetPos32());
    EXPECT_EQ(-1, offered.back().iDelta);
}

TEST_F(SpinButtonCtrlTest, ParentMayRefuseOrEnlargeAStep)
{
    CreateSpin(0, 0, 10, 5);
    refuse = true;
    Click(spin, kUpArrow);
    EXPECT_EQ(5, spin.GetPos32());
    ASSERT_TRUE(PumpUntil([&] { return !Reports().empty(); }));
    EXPECT_EQ((std::vector<std::pair<UINT, UINT>>{{SB_ENDSCROLL, 5}}), Reports()); // no step reported
    refuse = false;
    deltaOverride = 3;
    Click(spin, kUpArrow);
    EXPECT_EQ(8, spin.GetPos32());
    Click(spin, kUpArrow); // 11 is out of range: kept at the end
    EXPECT_EQ(10, spin.GetPos32());
}

TEST_F(SpinButtonCtrlTest, WrapGoesRoundAndTheDefaultRangeCountsDownwards)
{
    CreateSpin(UDS_WRAP, 0, 2, 2);
    Click(spin, kUpArrow);
    EXPECT_EQ(0, spin.GetPos32());

    CSpinButtonCtrl platformDefault;
    ASSERT_TRUE(platformDefault.Create(WS_VISIBLE, CRect(100, 10, 112, 34), &parent, 12));
    int lower = 0;
    int upper = 0;
    platformDefault.GetRange32(lower, upper);
    EXPECT_EQ(100, lower);
    EXPECT_EQ(0, upper);
    platformDefault.SetPos32(50);
    Click(platformDefault, kUpArrow);
    EXPECT_EQ(49, platformDefault.GetPos32());
}

TEST_F(SpinButtonCtrlTest, BuddyTextIsThePositionAndArrowKeysInTheBuddyStep)
{
    CreateSpin(UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, 20, 1);
    buddy.SetWindowText("7");
    EXPECT_EQ(7, spin.GetPos32());
    buddy.SetWindowText("seven");
    bool error = false;
    EXPECT_EQ(7, spin.GetPos32(&error));
    EXPECT_TRUE(error);

    buddy.SetWindowText("12");
    buddy.SetFocus();
    Key(buddy, Qt::Key_Up);
    EXPECT_EQ(13, spin.GetPos32());
    EXPECT_EQ(CString("13"), buddy.GetWindowText());
    buddy.SetCaretIndex(2);
    Key(buddy, Qt::Key_Left); // other keys still reach the buddy
    EXPECT_EQ(1, buddy.GetCaretIndex());

    ASSERT_TRUE(spin.DestroyWindow()); // lets go of the buddy
    Key(buddy, Qt::Key_Up);
    EXPECT_EQ(CString("13"), buddy.GetWindowText());
}

// ---- Month calendar -----------------------------------------------------------------------

SYSTEMTIME Day(int year, int month, int day)
{
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(year);
    time.wMonth = static_cast<std::uint16_t>(month);
    time.wDay = static_cast<std::uint16_t>(day);
    return time;
}

TEST(MonthCalCtrlTest, SelectedDayRoundTripsAndImpossibleDaysAreRefused)
{
    CRecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 250), nullptr, 0));
    CMonthCalCtrl calendar;
    ASSERT_TRUE(calendar.Create(WS_VISIBLE, CRect(0, 0, 280, 220), &parent, 100));
    ASSERT_TRUE(calendar.SetCurSel(Day(2024, 2, 29)));
    EXPECT_FALSE(calendar.SetCurSel(Day(2023, 2, 29)));
    SYSTEMTIME read;
    ASSERT_TRUE(calendar.GetCurSel(&read));
    EXPECT_EQ(2024, read.wYear);
    EXPECT_EQ(2, read.wMonth);
    EXPECT_EQ(29, read.wDay);
    EXPECT_EQ(4, read.wDayOfWeek); // a Thursday
    EXPECT_EQ(0, parent.Count(WM_NOTIFY));
}

TEST(MonthCalCtrlTest, DayChosenWithTheKeyboardIsToldToTheParent)
{
    CRecordingWnd parent;
    std::vector<NMSELCHANGE> told;
    parent.onMessage = [&](UINT message, WPARAM, LPARAM lParam, LRESULT&) {
        if (message == WM_NOTIFY)
            told.push_back(*reinterpret_cast<NMSELCHANGE*>(lParam));
        return false;
    };
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 250), nullptr, 0));
    ShowAndActivate(parent);
    CMonthCalCtrl calendar;
    ASSERT_TRUE(calendar.Create(WS_VISIBLE, CRect(0, 0, 280, 220), &parent, 100));
    ASSERT_TRUE(calendar.SetCurSel(Day(2024, 5, 10)));
    auto* grid = WidgetOf(calendar)->findChild<QCalendarWidget*>()->findChild<QAbstractItemView*>();
    ASSERT_NE(nullptr, grid);
    for (int key : {Qt::Key_Right, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(grid, &press);
    }
    ASSERT_EQ(2u, told.size());
    EXPECT_EQ(MCN_SELCHANGE, told[0].nmhdr.code);
    EXPECT_EQ(11, told[0].stSelStart.wDay);
    EXPECT_EQ(MCN_SELECT, told[1].nmhdr.code);
    EXPECT_EQ(&calendar, told[1].nmhdr.hwndFrom);
}

} // namespace
} // namespace Ombrel::Test
