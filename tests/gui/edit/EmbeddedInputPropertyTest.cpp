// Random key sequences (fixed seed) typed into the real controls: the numeric edit's text
// always satisfies its mode, and the date-time editor always reads back a real time in range.

#include "platform/RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/NumericEdit.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace Ombrel::GUI {
namespace {

TEST(EmbeddedInputPropertyTest, NumericEditTextAlwaysSatisfiesItsMode)
{
    Ombrel::Test::CRecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 60), nullptr, 0));
    Ombrel::Test::ShowAndActivate(parent);
    std::mt19937 random(20240410);
    const std::string keys = "0123456789-+.,:eExXaFz";
    for (int mode = CNumericEdit::kAnyText; mode <= CNumericEdit::kTimeWithFraction; ++mode) {
        CNumericEdit edit(mode);
        ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(5, 5, 280, 29), &parent, 1));
        edit.SetFocus();
        for (int step = 0; step < 60; ++step) {
            if (random() % 8 == 0) {
                Ombrel::Test::Key(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
            } else if (random() % 10 == 0) {
                edit.SetSel(0, static_cast<int>(random() % 4));
            } else {
                const char typed[2] = {keys[random() % keys.size()], 0};
                Ombrel::Test::TypeText(edit, typed);
            }
            const CString text = edit.GetWindowText();
            ASSERT_TRUE(CNumericEdit::IsAcceptedText(mode, text.GetString())) << "mode " << mode << ": " << text.GetString();
        }
    }
}

TEST(EmbeddedInputPropertyTest, DateTimeEditorAlwaysReadsBackARealTime)
{
    Ombrel::Test::CRecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 60), nullptr, 0));
    Ombrel::Test::ShowAndActivate(parent);
    CEmbeddedDateTimeCtrl editor(0xFF);
    ASSERT_TRUE(editor.Create(WS_VISIBLE, CRect(5, 5, 280, 29), &parent, 1));
    editor.SetFocus();
    std::mt19937 random(7);
    const int keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right};
    for (int step = 0; step < 400; ++step) {
        if (random() % 2 == 0) {
            const char digit[2] = {static_cast<char>('0' + random() % 10), 0};
            Ombrel::Test::Key(editor, Qt::Key_0 + (digit[0] - '0'), Qt::NoModifier, digit);
        } else {
            Ombrel::Test::Key(editor, keys[random() % 6]);
            Ombrel::Test::PumpFor(std::chrono::milliseconds(0));
        }
        for (int segment = 0; segment < editor.GetSegmentCount(); ++segment)
            ASSERT_LE(editor.GetSegmentText(segment).GetLength(), 4);
        if (step % 10 == 0) {
            const SYSTEMTIME time = editor.GetTime();
            std::uint64_t fileTime = 0;
            ASSERT_TRUE(SystemTimeToFileTime(time, fileTime)) << "step " << step;
            ASSERT_GE(time.wYear, 1970);
            ASSERT_LE(time.wYear, 2038);
        }
    }
}

} // namespace
} // namespace Ombrel::GUI
