// The segmented date-time editor with real keys and clicks: the segments' order and
// separators, the typing rule, Home/End/Up/Down and their limits, Left/Right through the event
// message, the spin buttons with auto-repeat and the calendar pop-up.

#include "platform/ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/common/DateSettings.h"
#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/gui/edit/MonthCalDlg.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace Ombrel::GUI {
namespace {

using Common::CDateSettings;
using Ombrel::Test::Key;
using Ombrel::Test::PumpUntil;

constexpr UINT kEditorId = 103;
constexpr std::uint32_t kDate4 = 0x0D;    // day, month, four-digit year
constexpr std::uint32_t kDate2 = 0x0E;    // day, month, two-digit year
constexpr std::uint32_t kEverything = 0xFD;

SYSTEMTIME Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(year);
    time.wMonth = static_cast<std::uint16_t>(month);
    time.wDay = static_cast<std::uint16_t>(day);
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    time.wSecond = static_cast<std::uint16_t>(second);
    time.wMilliseconds = static_cast<std::uint16_t>(ms);
    return time;
}

// Sees the editor's event messages on their way to it.
class CEventHook : public CHookWnd
{
public:
    std::vector<WPARAM> codes;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == CEmbeddedDateTimeCtrl::GetEventMessage())
            codes.push_back(wParam);
        return CallNext(message, wParam, lParam);
    }
};

class EmbeddedDateTimeCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = CDateSettings::GetInstance().GetSnapshot();
        CDateSettings::GetInstance().SetDateOrder(CDateSettings::kDayMonthYear);
        CDateSettings::GetInstance().SetDateSeparator("/");
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(40, 40, 340, 140), nullptr, 0));
        Ombrel::Test::ShowAndActivate(parent);
    }

    void TearDown() override
    {
        editor.reset();
        CDateSettings::GetInstance().SetDateOrder(saved.dateOrder);
        CDateSettings::GetInstance().SetDateSeparator(saved.dateSeparator);
    }

    CEmbeddedDateTimeCtrl& Make(std::uint32_t mask, const SYSTEMTIME& time)
    {
        editor = std::make_unique<CEmbeddedDateTimeCtrl>(mask);
        EXPECT_TRUE(editor->Create(WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 250, 32), &parent, kEditorId));
        editor->SetTime(time);
        editor->SetFocus();
            return *editor;
    }

    void Digit(char digit) { Key(*editor, Qt::Key_0 + (digit - '0'), Qt::NoModifier, std::string(1, digit).c_str()); }
    // The event message is posted: it moves the segment once the loop runs.
    void Arrow(int qtKey)
    {
        const int before = editor->GetActiveSegment();
        Key(*editor, qtKey);
        PumpUntil([&] { return editor->GetActiveSegment() != before; }, std::chrono::milliseconds(300));
    }

    CDateSettings::Snapshot saved;
    Ombrel::Test::CRecordingWnd parent;
    std::unique_ptr<CEmbeddedDateTimeCtrl> editor;
};

TEST_F(EmbeddedDateTimeCtrlTest, SegmentsFollowTheDateOrderAndSeparators)
{
    EXPECT_EQ(Make(kDate2, Time(2024, 3, 7)).GetText(), CString("07/03/24"));
    CDateSettings::GetInstance().SetDateOrder(CDateSettings::kYearMonthDay);
    CDateSettings::GetInstance().SetDateSeparator("-");
    EXPECT_EQ(Make(kEverything, Time(2024, 3, 7, 9, 5, 4, 21)).GetText(), CString("2024-03-07 09:05:04.021"));
    CDateSettings::GetInstance().SetDateOrder(CDateSettings::kMonthDayYear);
    EXPECT_EQ(Make(kDate4, Time(2024, 3, 7)).GetText(), CString("03-07-2024"));
    EXPECT_EQ(Make(0x30, Time(2024, 3, 7, 23, 59)).GetText(), CString("23:59"));
    EXPECT_TRUE(editor->GetDropDownRect().IsRectEmpty()) << "no calendar for a time alone";
}

TEST_F(EmbeddedDateTimeCtrlTest, TwoDigitSegmentReplacesThenAppendsThenStartsOver)
{
    Make(kDate4, Time(2024, 11, 17));
    Arrow(Qt::Key_Right); // the month
    ASSERT_EQ(editor->GetActiveSegment(), 1);
    Digit('1');
    EXPECT_EQ(editor->GetSegmentText(1), CString("1")) << "the first digit replaces the shown value";
    Digit('2');
    EXPECT_EQ(editor->GetSegmentText(1), CString("12"));
    Digit('3');
    EXPECT_EQ(editor->GetSegmentText(1), CString("3")) << "a third digit starts over";
    Key(*editor, Qt::Key_Left);
    PumpUntil([&] { return editor->GetActiveSegment() == 0; });
    EXPECT_EQ(editor->GetTime(), Time(2024, 3, 17));
}

TEST_F(EmbeddedDateTimeCtrlTest, TypedValuesComeBackIntoRangeAndTheDayIntoItsMonth)
{
    Make(kDate4, Time(2023, 1, 31));
    // Day 31 stays while the month is typed after it; read back it is April's last day.
    Arrow(Qt::Key_Right);
    Digit('0');
    Digit('4');
    EXPECT_EQ(editor->GetText(), CString("31/04/2023"));
    EXPECT_EQ(editor->GetTime(), Time(2023, 4, 30));
    EXPECT_EQ(editor->GetText(), CString("30/04/2023"));

    Digit('2'); // month 2 of 2023: 28 days
    EXPECT_EQ(editor->GetTime().wDay, 28);
    editor->SetTime(Time(2024, 2, 29));
    Arrow(Qt::Key_Right); // the year
    Digit('2'); Digit('0'); Digit('2'); Digit('5');
    EXPECT_EQ(editor->GetTime(), Time(2025, 2, 28)) << "29 February only in leap years";

    Digit('9'); Digit('9'); Digit('9'); Digit('9');
    EXPECT_EQ(editor->GetTime().wYear, 2038);
    Digit('1');
    EXPECT_EQ(editor->GetTime().wYear, 1970);
}

TEST_F(EmbeddedDateTimeCtrlTest, HomeEndAndArrowsStepTheActiveSegmentAndWrapAtItsLimits)
{
    Make(kDate4, Time(2024, 4, 1));
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(editor->GetTime().wDay, 30) << "down from the 1st wraps to April's last day";
    Key(*editor, Qt::Key_Up);
    EXPECT_EQ(editor->GetTime().wDay, 1);
    Key(*editor, Qt::Key_End);
    EXPECT_EQ(editor->GetTime().wDay, 30);
    Key(*editor, Qt::Key_Home);
    EXPECT_EQ(editor->GetTime().wDay, 1);
    Key(*editor, Qt::Key_Up, Qt::ShiftModifier);
    Key(*editor, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(editor->GetTime().wDay, 1) << "Shift or Ctrl disables the arrows";

    Arrow(Qt::Key_Right);
    Key(*editor, Qt::Key_End);
    Key(*editor, Qt::Key_Up);
    EXPECT_EQ(editor->GetTime().wMonth, 1) << "up from December wraps to January";
    Arrow(Qt::Key_Right);
    Key(*editor, Qt::Key_Home);
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(editor->GetTime().wYear, 2038) << "down from 1970 wraps to 2038";
}

TEST_F(EmbeddedDateTimeCtrlTest, LeftAndRightPostTheEventMessageAndStopAtTheEnds)
{
    Make(kDate4, Time(2024, 4, 1));
    CEventHook hook;
    ASSERT_TRUE(hook.Hook(editor.get()));
    Arrow(Qt::Key_Right);
    Arrow(Qt::Key_Right);
    Arrow(Qt::Key_Right);
    EXPECT_EQ(editor->GetActiveSegment(), 2);
    Arrow(Qt::Key_Left);
    EXPECT_EQ(hook.codes, (std::vector<WPARAM>{CEmbeddedDateTimeCtrl::kNextSegment, CEmbeddedDateTimeCtrl::kNextSegment,
                                               CEmbeddedDateTimeCtrl::kNextSegment, CEmbeddedDateTimeCtrl::kPreviousSegment}));
    EXPECT_EQ(editor->GetActiveSegment(), 1);
}

TEST_F(EmbeddedDateTimeCtrlTest, ASpinButtonStepsOnPressAndRepeatsWhileHeld)
{
    Make(kEverything, Time(2024, 4, 10));
    const CPoint up = editor->GetSpinUpRect().CenterPoint();
    Ombrel::Test::MousePress(*editor, up);
    EXPECT_EQ(editor->GetTime().wDay, 11);
    const auto pressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return editor->GetTime().wDay >= 12; }, std::chrono::seconds(3)));
    EXPECT_GE(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(450))
        << "the repeat waits for its delay";
    Ombrel::Test::MouseRelease(*editor, up);
    const int released = editor->GetTime().wDay;
    Ombrel::Test::PumpFor(std::chrono::milliseconds(700));
    EXPECT_EQ(editor->GetTime().wDay, released) << "releasing stops the repeat";
    EXPECT_EQ(GetCapture(), nullptr);

    Ombrel::Test::Click(*editor, editor->GetSpinDownRect().CenterPoint());
    EXPECT_EQ(editor->GetTime().wDay, released - 1);
}

TEST_F(EmbeddedDateTimeCtrlTest, ThePickedCalendarDayIsTakenAndTheParentIsTold)
{
    Make(kDate4, Time(2024, 4, 10));
    Ombrel::Test::Click(*editor, editor->GetDropDownRect().CenterPoint());
    ASSERT_NE(editor->GetCalendar(), nullptr);
    CWnd* calendar = static_cast<CMonthCalDlg*>(editor->GetCalendar())->GetDlgItem(CMonthCalDlg::kCalendarId);
    ASSERT_NE(calendar, nullptr);
    CRect popup, below;
    editor->GetCalendar()->GetWindowRect(&popup);
    editor->GetWindowRect(&below);
    EXPECT_EQ(popup.TopLeft(), CPoint(below.left, below.bottom)) << "the calendar opens under the control";

    const SYSTEMTIME nextDay = Time(2024, 4, 11);
    calendar->SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&nextDay));
    Key(*calendar, Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([&] { return editor->GetCalendar() == nullptr; }));
    EXPECT_EQ(editor->GetTime(), Time(2024, 4, 11, 12)) << "a date alone takes the day at noon";
    EXPECT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == editor.get(); }))
        << "typing goes on in the editor once the calendar is gone";
    EXPECT_EQ(Ombrel::Test::CountCode(parent, kEditorId, CBN_SELENDOK), 1);
}

TEST_F(EmbeddedDateTimeCtrlTest, EscapeClosesTheCalendarWithoutAChange)
{
    Make(kEverything, Time(2024, 4, 10, 8, 30));
    Ombrel::Test::Click(*editor, editor->GetDropDownRect().CenterPoint());
    ASSERT_NE(editor->GetCalendar(), nullptr);
    CWnd* calendar = static_cast<CMonthCalDlg*>(editor->GetCalendar())->GetDlgItem(CMonthCalDlg::kCalendarId);
    const SYSTEMTIME otherDay = Time(2024, 4, 20);
    calendar->SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&otherDay));
    Key(*calendar, Qt::Key_Escape);
    ASSERT_TRUE(PumpUntil([&] { return editor->GetCalendar() == nullptr; }));
    EXPECT_EQ(editor->GetTime(), Time(2024, 4, 10, 8, 30));
    EXPECT_EQ(Ombrel::Test::CountCode(parent, kEditorId, CBN_SELENDOK), 0);
    EXPECT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == editor.get(); }));
}

TEST_F(EmbeddedDateTimeCtrlTest, TimesRoundTripAsFileTimes)
{
    Make(0xFD, Time(2000, 1, 1));
    std::uint64_t fileTime = 0;
    ASSERT_TRUE(SystemTimeToFileTime(Time(2031, 12, 31, 23, 59, 58, 999), fileTime));
    ASSERT_TRUE(editor->SetFileTime(fileTime));
    EXPECT_EQ(editor->GetFileTime(), fileTime);
    EXPECT_EQ(editor->GetText(), CString("31/12/2031 23:59:58.999"));
}

TEST(MonthCalDlgTest, OkGivesTheChosenDayAtNoonAndCancelKeepsTheDate)
{
    CMonthCalDlg dialog;
    dialog.SetDate(Time(2024, 2, 28));
    QTimer::singleShot(50, [&] {
        const SYSTEMTIME leapDay = Time(2024, 2, 29);
        dialog.GetDlgItem(CMonthCalDlg::kCalendarId)->SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&leapDay));
        Ombrel::Test::Click(*dialog.GetDlgItem(IDOK), CPoint(5, 5));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    SYSTEMTIME leapDayAtNoon = Time(2024, 2, 29, 12);
    leapDayAtNoon.wDayOfWeek = 4; // a Thursday
    EXPECT_EQ(dialog.GetDate(), leapDayAtNoon);

    CMonthCalDlg cancelled;
    cancelled.SetDate(Time(2024, 2, 28, 7));
    QTimer::singleShot(50, [&] { Ombrel::Test::Click(*cancelled.GetDlgItem(IDCANCEL), CPoint(5, 5)); });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetDate(), Time(2024, 2, 28, 7));
}

} // namespace
} // namespace Ombrel::GUI
