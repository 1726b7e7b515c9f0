#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/Button.h"
#include "ombrel/platform/Static.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace Ombrel::Test {
namespace {

class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(60, 60, 360, 260), nullptr, 0));
        ShowAndActivate(parent);
    }

    CRecordingWnd parent;
};

TEST_F(ButtonTest, ClickAndSpaceTellTheParentClicked)
{
    CButton button;
    ASSERT_TRUE(button.Create("&Go", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 34), &parent, 40));
    Click(button, CPoint(40, 12));
    ASSERT_EQ((std::vector<UINT>{BN_CLICKED}), CommandCodes(parent, 40));
    EXPECT_EQ(reinterpret_cast<LPARAM>(&button), parent.Received(WM_COMMAND)[0].lParam);
    button.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &button; }));
    Key(button, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_EQ(2, CountCode(parent, 40, BN_CLICKED));
    button.Click();
    EXPECT_EQ(3, CountCode(parent, 40, BN_CLICKED));
}

TEST_F(ButtonTest, HookSwallowingTheButtonPressKeepsTheClickAway)
{
    CButton button;
    ASSERT_TRUE(button.Create("Go", WS_VISIBLE, CRect(10, 10, 90, 34), &parent, 41));
    CRecordingHook hook;
    hook.swallow = [](UINT message, WPARAM, LPARAM, LRESULT&) { return message == WM_LBUTTONDOWN; };
    ASSERT_TRUE(hook.Hook(&button));
    Click(button, CPoint(40, 12));
    EXPECT_EQ(1, hook.Count(WM_LBUTTONUP));
    EXPECT_EQ(0, CountCode(parent, 41, BN_CLICKED));
}

TEST_F(ButtonTest, AutomaticCheckBoxTogglesAndManualOneWaitsForTheParent)
{
    CButton automatic;
    CButton manual;
    ASSERT_TRUE(automatic.Create("auto", WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 150, 30), &parent, 42));
    ASSERT_TRUE(manual.Create("manual", WS_VISIBLE | BS_CHECKBOX, CRect(10, 40, 150, 60), &parent, 43));
    Click(automatic, CPoint(8, 10));
    Click(manual, CPoint(8, 10));
    EXPECT_EQ(BST_CHECKED, automatic.GetCheck());
    EXPECT_EQ(BST_UNCHECKED, manual.GetCheck());
    EXPECT_EQ(1, CountCode(parent, 43, BN_CLICKED));
    manual.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, manual.GetCheck());
    EXPECT_EQ(1, CountCode(parent, 43, BN_CLICKED)); // setting is not clicking
    manual.SetCheck(BST_INDETERMINATE);              // only three-state boxes have it
    EXPECT_EQ(BST_UNCHECKED, manual.GetCheck());

    CButton threeState;
    ASSERT_TRUE(threeState.Create("3", WS_VISIBLE | BS_AUTO3STATE, CRect(10, 70, 150, 90), &parent, 44));
    threeState.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(BST_INDETERMINATE, threeState.GetCheck());
}

TEST_F(ButtonTest, DefaultPushStyleCanMoveBetweenButtons)
{
    CButton ok;
    ASSERT_TRUE(ok.Create("OK", WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(10, 10, 90, 34), &parent, 1));
    auto* push = WidgetOf(ok)->findChild<QPushButton*>();
    EXPECT_TRUE(push->isDefault());
    EXPECT_EQ(BS_DEFPUSHBUTTON, ok.GetButtonStyle());
    ok.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_FALSE(push->isDefault());
    EXPECT_EQ(BS_PUSHBUTTON, ok.GetButtonStyle());
}

TEST_F(ButtonTest, RadioButtonsAreRefused)
{
    CButton radio;
    EXPECT_FALSE(radio.Create("r", BS_AUTORADIOBUTTON, CRect(0, 0, 50, 20), &parent, 45));
}

TEST(StaticTest, ShowsTextAlignedWithoutItsMnemonicMarks)
{
    CRecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0));
    CStatic label;
    ASSERT_TRUE(label.Create("Fixed &columns && more", WS_VISIBLE | SS_RIGHT, CRect(0, 0, 180, 20), &parent, 7));
    auto* shown = WidgetOf(label)->findChild<QLabel*>();
    EXPECT_EQ(QString("Fixed columns & more"), shown->text());
    EXPECT_TRUE(shown->alignment() & Qt::AlignRight);
    EXPECT_EQ(CString("Fixed &columns && more"), label.GetWindowText());
    label.SetWindowText("plain");
    EXPECT_EQ(QString("plain"), shown->text());

    CStatic literal;
    ASSERT_TRUE(literal.Create("A&B", WS_VISIBLE | SS_NOPREFIX, CRect(0, 30, 180, 50), &parent, 8));
    EXPECT_EQ(QString("A&B"), WidgetOf(literal)->findChild<QLabel*>()->text());
}

} // namespace
} // namespace Ombrel::Test
