#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/Edit.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace Ombrel::Test {
namespace {

constexpr UINT kEditId = 31;

class EditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(60, 60, 360, 260), nullptr, 0));
        ShowAndActivate(parent);
    }

    void CreateEdit(DWORD style, DWORD exStyle = 0)
    {
        ASSERT_TRUE(edit.CreateEx(exStyle, style | WS_VISIBLE, CRect(10, 10, 210, 34), &parent, kEditId));
        edit.SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &edit; }));
        parent.received.clear();
    }

    QLineEdit* LineEdit() { return WidgetOf(edit)->findChild<QLineEdit*>(); }

    CRecordingWnd parent;
    CEdit edit;
};

TEST_F(EditTest, TypingChangesTheTextAndTellsTheParentUpdateThenChange)
{
    CreateEdit(ES_AUTOHSCROLL);
    TypeText(edit, "Hi");
    EXPECT_EQ(CString("Hi"), edit.GetWindowText());
    EXPECT_EQ(2, edit.GetWindowTextLength());
    EXPECT_EQ((std::vector<UINT>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}), CommandCodes(parent, kEditId));
    EXPECT_EQ(reinterpret_cast<LPARAM>(&edit), parent.Received(WM_COMMAND).back().lParam);

    Key(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(CString("H"), edit.GetWindowText());
}

TEST_F(EditTest, SetTextIsMirroredAndNotifiedAndSentCharactersAreTyped)
{
    CreateEdit(0);
    edit.SetWindowText("caf\xC3\xA9");
    EXPECT_EQ(CString("caf\xC3\xA9"), edit.GetWindowText());
    EXPECT_EQ(QString::fromUtf8("caf\xC3\xA9"), LineEdit()->text());
    EXPECT_EQ(1, CountCode(parent, kEditId, EN_CHANGE));

    edit.SetSel(-1, 0);
    edit.SetCaretIndex(5);
    edit.SendMessage(WM_CHAR, '!', 1);
    EXPECT_EQ(CString("caf\xC3\xA9!"), edit.GetWindowText());
    edit.SendMessage(WM_KEYDOWN, VK_HOME, 1);
    EXPECT_EQ(0, edit.GetCaretIndex());
}

TEST_F(EditTest, SelectionRoundTripsInByteOffsetsOfTheUtf8Text)
{
    CreateEdit(0);
    edit.SetWindowText("a\xC3\xA9z"); // a, e-acute (two bytes), z
    edit.SetSel(1, 3);
    int start = -1;
    int end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(1, start);
    EXPECT_EQ(3, end);
    EXPECT_EQ(QString::fromUtf8("\xC3\xA9"), LineEdit()->selectedText());
    EXPECT_EQ(MAKELPARAM(1, 3), static_cast<LPARAM>(edit.GetSel()));

    edit.SetSel(0, -1);
    edit.GetSel(start, end);
    EXPECT_EQ(0, start);
    EXPECT_EQ(4, end);
    EXPECT_EQ(4, edit.GetCaretIndex());

    edit.SetSel(2, 2); // inside the two-byte character: its start
    edit.GetSel(start, end);
    EXPECT_EQ(1, start);
    EXPECT_EQ(1, end);

    edit.SetSel(0, -1);
    TypeText(edit, "q");
    EXPECT_EQ(CString("q"), edit.GetWindowText());
    edit.ReplaceSel("rs");
    EXPECT_EQ(CString("qrs"), edit.GetWindowText());
}

TEST_F(EditTest, ReadOnlyRefusesTypingUntilLifted)
{
    CreateEdit(ES_READONLY);
    TypeText(edit, "no");
    EXPECT_EQ(CString(""), edit.GetWindowText());
    EXPECT_TRUE(edit.GetStyle() & ES_READONLY);
    EXPECT_TRUE(edit.SetReadOnly(false));
    EXPECT_FALSE(edit.GetStyle() & ES_READONLY);
    TypeText(edit, "ok");
    EXPECT_EQ(CString("ok"), edit.GetWindowText());
    edit.SetReadOnly(true);
    TypeText(edit, "x");
    EXPECT_EQ(CString("ok"), edit.GetWindowText());
    EXPECT_EQ(2, CountCode(parent, kEditId, EN_CHANGE)); // "ok" only
}

TEST_F(EditTest, NumberStyleTakesOnlyDigits)
{
    CreateEdit(ES_NUMBER | ES_RIGHT);
    TypeText(edit, "1a2-3.");
    EXPECT_EQ(CString("123"), edit.GetWindowText());
    EXPECT_TRUE(LineEdit()->alignment() & Qt::AlignRight);
}

TEST_F(EditTest, LimitStopsTypingAndZeroLiftsIt)
{
    CreateEdit(0);
    edit.SetLimitText(3);
    EXPECT_EQ(3u, edit.GetLimitText());
    TypeText(edit, "abcdef");
    EXPECT_EQ(CString("abc"), edit.GetWindowText());
    edit.SetLimitText(0);
    EXPECT_EQ(static_cast<UINT>(kEditMaxTextLimit), edit.GetLimitText());
    TypeText(edit, "d");
    EXPECT_EQ(CString("abcd"), edit.GetWindowText());
}

TEST_F(EditTest, FocusReachesTheControlsProcedureAndTheParentHearsOfIt)
{
    CreateEdit(0);
    CRecordingWnd other;
    ASSERT_TRUE(other.Create(nullptr, "other", WS_CHILD | WS_VISIBLE, CRect(10, 50, 60, 80), &parent, 2));
    CRecordingHook hook;
    ASSERT_TRUE(hook.Hook(&edit));
    other.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return CountCode(parent, kEditId, EN_KILLFOCUS) == 1; }));
    ASSERT_EQ(1, hook.Count(WM_KILLFOCUS));
    EXPECT_EQ(reinterpret_cast<WPARAM>(&other), hook.seenMessages.back().wParam);
    edit.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return CountCode(parent, kEditId, EN_SETFOCUS) == 1; }));
    EXPECT_EQ(&edit, CWnd::GetFocus());
    EXPECT_TRUE(LineEdit()->hasFocus());
}

TEST_F(EditTest, FontAndEdgeStylesReachTheLineEdit)
{
    CreateEdit(0, WS_EX_STATICEDGE);
    EXPECT_TRUE(LineEdit()->hasFrame());
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(200, ""));
    edit.SetFont(&font);
    EXPECT_EQ(&font, edit.GetFont());
    EXPECT_GT(LineEdit()->font().pixelSize(), 20);

    CEdit flat;
    ASSERT_TRUE(flat.Create(WS_VISIBLE, CRect(0, 40, 100, 60), &parent, 3));
    EXPECT_FALSE(WidgetOf(flat)->findChild<QLineEdit*>()->hasFrame());
}

TEST_F(EditTest, MultiLineStyleIsRefused)
{
    CEdit multi;
    EXPECT_FALSE(multi.Create(ES_MULTILINE, CRect(0, 0, 100, 100), &parent, 4));
    EXPECT_FALSE(IsWindow(&multi));
}

} // namespace
} // namespace Ombrel::Test
