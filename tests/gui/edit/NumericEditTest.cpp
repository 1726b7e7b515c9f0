// The numeric edit driven by real key input: what each mode lets through, that refused
// changes (typed, pasted or set) come back as they were, and that the parent hears only of
// accepted ones.

#include "platform/ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/gui/edit/NumericEdit.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace Ombrel::GUI {
namespace {

using Ombrel::Test::CountCode;
using Ombrel::Test::TypeText;

constexpr UINT kEditId = 12;

class NumericEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(40, 40, 300, 120), nullptr, 0));
        Ombrel::Test::ShowAndActivate(parent);
    }

    CNumericEdit& Make(int mode, const char* text = "")
    {
        edit = std::make_unique<CNumericEdit>(mode);
        EXPECT_TRUE(edit->Create(WS_VISIBLE, CRect(5, 5, 200, 29), &parent, kEditId));
        edit->SetWindowText(text);
        edit->SetSel(edit->GetWindowTextLength(), edit->GetWindowTextLength());
        edit->SetFocus();
        EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return CWnd::GetFocus() == edit.get(); }));
        parent.received.clear();
        return *edit;
    }

    CString Typed(int mode, const char* keys)
    {
        Make(mode);
        TypeText(*edit, keys);
        return edit->GetWindowText();
    }

    void Paste(const char* text)
    {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
        Ombrel::Test::Key(*edit, Qt::Key_V, Qt::ControlModifier);
    }

    Ombrel::Test::CRecordingWnd parent;
    std::unique_ptr<CNumericEdit> edit;
};

TEST_F(NumericEditTest, IntegerModeKeepsDigitsAndOneLeadingMinus)
{
    EXPECT_EQ(Typed(CNumericEdit::kInteger, "12a"), CString("12"));
    EXPECT_EQ(Typed(CNumericEdit::kInteger, "-12"), CString("-12"));
    EXPECT_EQ(Typed(CNumericEdit::kInteger, "1.5"), CString("15")) << "the point is refused";
    EXPECT_EQ(Typed(CNumericEdit::kInteger, "--1"), CString("-1")) << "only one leading minus";
    EXPECT_EQ(Typed(CNumericEdit::kInteger, "1-"), CString("1"));
}

TEST_F(NumericEditTest, FloatingPointModeTakesExponentsButOneDecimalMark)
{
    EXPECT_EQ(Typed(CNumericEdit::kFloatingPoint, "1.5e-3"), CString("1.5e-3"));
    EXPECT_EQ(Typed(CNumericEdit::kFloatingPoint, "-2,5D+1"), CString("-2,5D+1"));
    EXPECT_EQ(Typed(CNumericEdit::kFloatingPoint, "1.5,3"), CString("1.53"));
    EXPECT_EQ(Typed(CNumericEdit::kFloatingPoint, "1.2.3"), CString("1.23"));
    EXPECT_EQ(Typed(CNumericEdit::kFloatingPoint, "1x"), CString("1"));
}

TEST_F(NumericEditTest, SingleCharacterModeRefusesASecondCharacter)
{
    EXPECT_EQ(Typed(CNumericEdit::kSingleCharacter, "ab"), CString("a"));
    // One character of two bytes is still one character.
    Make(CNumericEdit::kSingleCharacter);
    edit->SetWindowText("\xC3\xA9");
    EXPECT_EQ(edit->GetWindowText(), CString("\xC3\xA9"));
    TypeText(*edit, "x");
    EXPECT_EQ(edit->GetWindowText(), CString("\xC3\xA9"));
}

TEST_F(NumericEditTest, EachModeAcceptsItsCharacterSet)
{
    // {mode, text, accepted}
    const std::tuple<int, const char*, bool> cases[] = {
        {CNumericEdit::kAnyText, "a.b.c,d", true},
        {CNumericEdit::kHexadecimal, "0x1Fa", true},
        {CNumericEdit::kHexadecimal, "0x1g", false},
        {CNumericEdit::kTime, "12:30:15", true},
        {CNumericEdit::kTime, "12:30.5", false},
        {CNumericEdit::kTimeWithFraction, "12:30:15.250", true},
        {CNumericEdit::kTimeWithFraction, "12:30:15,250", true},
        {CNumericEdit::kTimeWithFraction, "12:30.15,250", false},
        {CNumericEdit::kInteger, "-", true},
        {CNumericEdit::kInteger, "", true},
        {CNumericEdit::kInteger, "\xD9\xA3", false}, // an Arabic-Indic digit is no ASCII digit
        {CNumericEdit::kSingleCharacter, "-7", true},
        {CNumericEdit::kSingleCharacter, "-78", false},
    };
    for (const auto& [mode, text, accepted] : cases)
        EXPECT_EQ(CNumericEdit::IsAcceptedText(mode, text), accepted) << "mode " << mode << ": " << text;
}

TEST_F(NumericEditTest, ARefusedKeyRestoresTextAndSelectionAndTellsTheParentNothing)
{
    Make(CNumericEdit::kInteger, "123");
    edit->SetSel(1, 2);
    parent.received.clear();
    TypeText(*edit, "x");
    EXPECT_EQ(edit->GetWindowText(), CString("123"));
    int start = -1, end = -1;
    edit->GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 2);
    EXPECT_EQ(CountCode(parent, kEditId, EN_UPDATE), 0);
    EXPECT_EQ(CountCode(parent, kEditId, EN_CHANGE), 0);

    TypeText(*edit, "9");
    EXPECT_EQ(edit->GetWindowText(), CString("193"));
    EXPECT_EQ(CountCode(parent, kEditId, EN_CHANGE), 1);
}

TEST_F(NumericEditTest, PastingIsCheckedLikeTyping)
{
    Make(CNumericEdit::kInteger, "12");
    Paste("4x");
    EXPECT_EQ(edit->GetWindowText(), CString("12"));
    Paste("1.5");
    EXPECT_EQ(edit->GetWindowText(), CString("12"));
    Paste("45");
    EXPECT_EQ(edit->GetWindowText(), CString("1245"));
}

TEST_F(NumericEditTest, TextSetByCodeIsCheckedToo)
{
    Make(CNumericEdit::kInteger, "7");
    edit->SetWindowText("1.5");
    EXPECT_EQ(edit->GetWindowText(), CString("7"));
    edit->SetWindowText("-40");
    EXPECT_EQ(edit->GetWindowText(), CString("-40"));
}

TEST_F(NumericEditTest, AnUnknownModeAcceptsAnything)
{
    EXPECT_EQ(CNumericEdit(42).GetMode(), CNumericEdit::kAnyText);
    EXPECT_EQ(Typed(42, "a.b.c"), CString("a.b.c"));
}

} // namespace
} // namespace Ombrel::GUI
