// In-place editing driven by real input on the offscreen platform: when an edit starts, which
// editor opens, what ends it, what it writes, and where keyboard navigation goes.

#include "gui/edit/EditTestSupport.h"

#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EditInPlace.h"
#include "ombrel/gui/edit/EmbeddedCombo.h"
#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/NumericEdit.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Edit.h"
#include "support/Harness.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>

#include <algorithm>

namespace Ombrel::GUI::EditTest {
namespace {

using Ombrel::Test::DoubleClick;
using Ombrel::Test::Key;
using Ombrel::Test::PumpFor;
using Ombrel::Test::PumpUntil;

// Same fields as CRecord, but the number cannot be written.
class CReadOnlyRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    ~CReadOnlyRecord() override { NotifyDestroy(); }
    std::int32_t GetNumber() const { return 0; }
};

OMBREL_BEGIN_FIELD_MAP(CReadOnlyRecord)
    OMBREL_FIELD_READ_ONLY(kNumber, "Number", &CReadOnlyRecord::GetNumber)
OMBREL_END_FIELD_MAP()

class EditInPlaceTest : public EditGridTest
{
protected:
    // The last edit that began: its row's position and its column.
    std::pair<CGridItem*, std::int32_t> LastBegun() const
    {
        for (auto at = owner.edits.rbegin(); at != owner.edits.rend(); ++at) {
            if (at->code == GN_BEGINEDIT)
                return {at->row, at->column != nullptr ? at->column->GetFieldId() : -2};
        }
        return {nullptr, -2};
    }
    CEdit& TextEditor()
    {
        auto* edit = dynamic_cast<CEdit*>(grid.GetEditor());
        EXPECT_NE(edit, nullptr);
        return *edit;
    }
};

TEST_F(EditInPlaceTest, ColumnThatIsNotEditableNeverStarts)
{
    for (int trigger : {int{StartByClick}, int{StartByDoubleClick}, int{StartByNavigation}, 7}) {
        EXPECT_FALSE(grid.CanBeginEdit(Row(1), kName, trigger));
        EXPECT_FALSE(grid.BeginEdit(Row(1), kName, trigger));
    }
    grid.GetEditInPlaceSettings()->startMode = 2; // every trigger starts where editing may
    DoubleClick(grid, CellCentre(1, kName));
    PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_TRUE(owner.edits.empty());
}

TEST_F(EditInPlaceTest, DefaultSettingsStartOnDoubleClickNotOnSingleClick)
{
    Ombrel::Test::Click(grid, CellCentre(2, kNumber));
    PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(grid.GetEditor(), nullptr);

    DoubleClick(grid, CellCentre(2, kNumber));
    ASSERT_TRUE(PumpUntil([&] { return grid.GetEditor() != nullptr; }));
    EXPECT_EQ(TextEditor().GetWindowText(), CString("2"));
    EXPECT_EQ(LastBegun(), std::make_pair(Row(2), static_cast<std::int32_t>(kNumber)));
    // The editor lies over its cell.
    CRect editorRect;
    grid.GetEditor()->GetWindowRect(&editorRect);
    grid.ScreenToClient(&editorRect);
    EXPECT_EQ(editorRect, grid.GetVisibleCellRect(Row(2), kNumber));
}

TEST_F(EditInPlaceTest, EscapeDoesNotWriteAndEnterWrites)
{
    ASSERT_TRUE(grid.BeginEdit(Row(3), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "42");
    Key(TextEditor(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(RecordAt(3).GetNumber(), 3);
    EXPECT_EQ(LastEnd()->endCode, EndEscape);
    EXPECT_FALSE(LastEnd()->written);

    ASSERT_TRUE(grid.BeginEdit(Row(3), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "42"); // replaces the selected text
    Key(TextEditor(), Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_EQ(LastEnd()->endCode, EndEnter);
    EXPECT_TRUE(LastEnd()->written);
    EXPECT_EQ(static_cast<CRecord*>(LastEnd()->row->GetDataObject())->GetNumber(), 42);
}

TEST_F(EditInPlaceTest, TextThatDoesNotParseKeepsTheValueAndFlashesTheCell)
{
    ASSERT_TRUE(grid.BeginEdit(Row(1), kHex, StartByDoubleClick));
    TextEditor().SetWindowText("1x1"); // a hexadecimal edit takes it; the format cannot
    const int settersBefore = RecordAt(1).SetterCalls();
    Key(TextEditor(), Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(RecordAt(1).GetHex(), 0);
    EXPECT_EQ(RecordAt(1).SetterCalls(), settersBefore);
    EXPECT_EQ(LastEnd()->endCode, EndEnter);
    EXPECT_FALSE(LastEnd()->written);
    // The change highlight marks the cell that refused the text.
    const std::int64_t elapsed = grid.GetElapsedSinceChange(Row(1), kHex);
    EXPECT_GE(elapsed, 0);
    EXPECT_LT(elapsed, 2000);
}

TEST_F(EditInPlaceTest, TabOnTheLastEditableColumnMovesToTheFirstEditableColumnOfTheNextRow)
{
    ASSERT_TRUE(grid.BeginEdit(Row(0), kWhen, StartByNavigation));
    ASSERT_NE(dynamic_cast<CEmbeddedDateTimeCtrl*>(grid.GetEditor()), nullptr);
    Key(*grid.GetEditor(), Qt::Key_Tab);
    ASSERT_TRUE(PumpUntil([&] { return LastBegun().first == Row(1); }));
    // The name column, first in the row, cannot be edited: the next one to the right is taken.
    EXPECT_EQ(LastBegun().second, kNumber);
    EXPECT_NE(dynamic_cast<CNumericEdit*>(grid.GetEditor()), nullptr);
}

TEST_F(EditInPlaceTest, TabWithoutANextRowKeepsTheEditOpen)
{
    ASSERT_TRUE(grid.BeginEdit(Row(4), kWhen, StartByNavigation));
    CWnd* editor = grid.GetEditor();
    Key(*editor, Qt::Key_Tab);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(grid.GetEditor(), editor);
    EXPECT_TRUE(Editing());
}

TEST_F(EditInPlaceTest, UpAndDownInAnOpenDropDownListMoveInTheListAndReturnPicks)
{
    ASSERT_TRUE(grid.BeginEdit(Row(1), kColour, StartByDoubleClick));
    auto* combo = dynamic_cast<CEmbeddedCombo*>(grid.GetEditor());
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return combo->GetDroppedState(); }));
    // With the list open the keys go to the list, as the user's keys do.
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    auto* list = popup->findChild<QAbstractItemView*>();
    ASSERT_NE(list, nullptr);
    auto press = [&](int key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(list, &up);
    };
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(grid.GetEditor(), combo);
    EXPECT_TRUE(Editing());
    EXPECT_EQ(RecordAt(1).GetColour(), 0); // nothing written while choosing

    press(Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(LastEnd()->endCode, EndDropDownAccepted);
    EXPECT_EQ(RecordAt(1).GetColour(), 1); // Red, down to Blue, up to Green
}

TEST_F(EditInPlaceTest, NavigationSkipsCellsThatCannotBeEditedAndGivesUpAfterAThousandCandidates)
{
    std::vector<std::unique_ptr<CReadOnlyRecord>> readOnly;
    auto addReadOnly = [&](int count) {
        for (int i = 0; i < count; ++i) {
            readOnly.push_back(std::make_unique<CReadOnlyRecord>());
            grid.Add(readOnly.back().get(), GRID_ROOT, GRID_LAST);
        }
    };
    // Rows 0..4 writable; then 3 read-only rows and a writable one; then 1000 read-only rows and
    // a writable one.
    addReadOnly(3);
    AddRecords(1);
    addReadOnly(1000);
    AddRecords(1);
    grid.UpdateLayout();
    CColumn* number = header->GetColumnById(kNumber);

    const auto fromRow4 = CEditInPlace::FindTargetCell(CEditContext::Of(&grid, Row(4), number), EndDown);
    ASSERT_TRUE(fromRow4.has_value());
    EXPECT_EQ(fromRow4->row, Row(8)); // rows 5..7 skipped

    // From row 8 the next writable row is the 1001st candidate.
    EXPECT_FALSE(CEditInPlace::FindTargetCell(CEditContext::Of(&grid, Row(8), number), EndDown).has_value());
    // From the first read-only row of the long run it is the 1000th.
    const auto fromRun = CEditInPlace::FindTargetCell(CEditContext::Of(&grid, Row(9), number), EndDown);
    ASSERT_TRUE(fromRun.has_value());
    EXPECT_EQ(fromRun->row, Row(1009));

    // Down with nowhere to go within the bound leaves the editor open.
    ASSERT_TRUE(grid.BeginEdit(Row(8), kNumber, StartByDoubleClick));
    Key(*grid.GetEditor(), Qt::Key_Down);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(Editing());
    grid.EndEdit(EndEscape);
    readOnly.clear();
}

TEST_F(EditInPlaceTest, WithoutKeyboardNavigationArrowsEndTheEditWithoutMoving)
{
    grid.GetEditInPlaceSettings()->keyboardNavigation = false;
    EXPECT_FALSE(grid.CanBeginEdit(Row(1), kNumber, StartByNavigation));
    EXPECT_FALSE(grid.BeginEdit(Row(1), kNumber, StartByNavigation));

    ASSERT_TRUE(grid.BeginEdit(Row(1), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "9");
    Key(TextEditor(), Qt::Key_Down);
    ASSERT_TRUE(WaitForEditEnd());
    PumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_EQ(LastEnd()->endCode, EndDown);
    EXPECT_EQ(RecordAt(1).GetNumber(), 9);
    EXPECT_EQ(std::count_if(owner.edits.begin(), owner.edits.end(),
                            [](const NMGRIDEDIT& edit) { return edit.code == GN_BEGINEDIT; }),
              1);
}

TEST_F(EditInPlaceTest, EditorKindFollowsTheCellFormat)
{
    ASSERT_TRUE(grid.BeginEdit(Row(0), kHex, StartByDoubleClick));
    auto* hex = dynamic_cast<CNumericEdit*>(grid.GetEditor());
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(hex->GetMode(), CNumericEdit::kHexadecimal);
    grid.EndEdit(EndEscape);

    ASSERT_TRUE(grid.BeginEdit(Row(0), kNumber, StartByDoubleClick));
    auto* decimal = dynamic_cast<CNumericEdit*>(grid.GetEditor());
    ASSERT_NE(decimal, nullptr);
    EXPECT_EQ(decimal->GetMode(), CNumericEdit::kInteger);
    grid.EndEdit(EndEscape);

    // A long with an enumeration format: the enumeration reflector is asked first.
    ASSERT_TRUE(grid.BeginEdit(Row(0), kColour, StartByDoubleClick));
    EXPECT_NE(dynamic_cast<CEmbeddedCombo*>(grid.GetEditor()), nullptr);
    grid.EndEdit(EndEscape);

    ASSERT_TRUE(grid.BeginEdit(Row(0), kWhen, StartByDoubleClick));
    EXPECT_NE(dynamic_cast<CEmbeddedDateTimeCtrl*>(grid.GetEditor()), nullptr);
}

TEST_F(EditInPlaceTest, DoubleCellOpensWithoutItsGroupSeparator)
{
    RecordAt(0).SetAmount(1234.5);
    ASSERT_EQ(grid.GetFieldText(Row(0), kAmount), "1 234,5");
    ASSERT_TRUE(grid.BeginEdit(Row(0), kAmount, StartByDoubleClick));
    auto* editor = dynamic_cast<CNumericEdit*>(grid.GetEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetMode(), CNumericEdit::kFloatingPoint);
    EXPECT_EQ(editor->GetWindowText(), CString("1234,5"));
}

TEST_F(EditInPlaceTest, LeftEndsOnlyWithTheCaretAtTheStart)
{
    ASSERT_TRUE(grid.BeginEdit(Row(0), kHex, StartByDoubleClick));
    CEdit& editor = TextEditor();
    editor.SetWindowText("12345");
    editor.SetSel(3, 3);
    Key(editor, Qt::Key_Left);
    PumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ(grid.GetEditor(), &editor);
    EXPECT_EQ(LastBegun().second, kHex);

    editor.SetSel(0, 0);
    Key(editor, Qt::Key_Left);
    ASSERT_TRUE(PumpUntil([&] { return LastBegun().second == kNumber; }));
    EXPECT_EQ(LastEnd()->endCode, EndLeft);
    EXPECT_EQ(RecordAt(0).GetHex(), 0x12345);
}

TEST_F(EditInPlaceTest, ClickingABoolCellTogglesItWithoutAnEditor)
{
    ASSERT_FALSE(RecordAt(2).IsDone());
    Ombrel::Test::Click(grid, CellCentre(2, kDone));
    ASSERT_TRUE(PumpUntil([&] { return RecordAt(2).IsDone(); }));
    ASSERT_EQ(owner.edits.size(), 2u);
    EXPECT_EQ(owner.edits[1].endCode, EndImmediate);
    EXPECT_TRUE(owner.edits[1].written);
    EXPECT_EQ(grid.GetEditor(), nullptr);

    Ombrel::Test::Click(grid, CellCentre(2, kDone));
    EXPECT_TRUE(PumpUntil([&] { return !RecordAt(2).IsDone(); }));
}

TEST_F(EditInPlaceTest, EnumerationValueWithoutAnEntryOpensWithNothingSelectedAndEnterWritesNothing)
{
    RecordAt(1).SetColour(7);
    ASSERT_TRUE(grid.BeginEdit(Row(1), kColour, StartByDoubleClick));
    auto* combo = dynamic_cast<CEmbeddedCombo*>(grid.GetEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), -1);
    const int settersBefore = RecordAt(1).SetterCalls();
    Key(*combo, Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(RecordAt(1).GetColour(), 7);
    EXPECT_EQ(RecordAt(1).SetterCalls(), settersBefore);
    EXPECT_FALSE(LastEnd()->written);
}

TEST_F(EditInPlaceTest, HoverFrameOutlinesAnEditableCellUnderTheMouse)
{
    const COLORREF frameColour = grid.GetEditInPlaceSettings()->hoverFrameColor;
    const CRect editable = grid.GetVisibleCellRect(Row(1), kNumber);
    const CRect readOnly = grid.GetVisibleCellRect(Row(1), kName);
    const CPoint editableEdge(editable.left, editable.top + editable.Height() / 2);
    const CPoint readOnlyEdge(readOnly.left, readOnly.top + readOnly.Height() / 2);
    ASSERT_NE(Ombrel::Test::PixelAt(grid, editableEdge), frameColour);

    Ombrel::Test::MouseMove(grid, CellCentre(1, kNumber));
    EXPECT_TRUE(PumpUntil([&] { return Ombrel::Test::PixelAt(grid, editableEdge) == frameColour; }));
    Ombrel::Test::MouseMove(grid, CellCentre(1, kName));
    EXPECT_TRUE(PumpUntil([&] { return Ombrel::Test::PixelAt(grid, editableEdge) != frameColour; }));
    EXPECT_NE(Ombrel::Test::PixelAt(grid, readOnlyEdge), frameColour);
}

// A paint reads the editing settings once, when it begins: a change to the settings record
// shows in the next paint.
TEST_F(EditInPlaceTest, HoverFrameFollowsTheSettingsAtTheNextPaint)
{
    EditInPlaceSettings& settings = *grid.GetEditInPlaceSettings();
    const CRect editable = grid.GetVisibleCellRect(Row(1), kNumber);
    const CPoint editableEdge(editable.left, editable.top + editable.Height() / 2);
    Ombrel::Test::MouseMove(grid, CellCentre(1, kNumber));
    ASSERT_TRUE(PumpUntil([&] { return Ombrel::Test::PixelAt(grid, editableEdge) == settings.hoverFrameColor; }));

    settings.drawHoverFrame = false;
    grid.Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return Ombrel::Test::PixelAt(grid, editableEdge) != settings.hoverFrameColor; }));
    settings.drawHoverFrame = true;
    settings.hoverFrameColor = RGB(200, 0, 0);
    grid.Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return Ombrel::Test::PixelAt(grid, editableEdge) == RGB(200, 0, 0); }));
}

TEST_F(EditInPlaceTest, ClickOnTheGridEndsTheEditCommitting)
{
    ASSERT_TRUE(grid.BeginEdit(Row(2), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "77");
    Ombrel::Test::Click(grid, CellCentre(0, kName));
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(LastEnd()->endCode, EndFocusLost);
    EXPECT_EQ(static_cast<CRecord*>(LastEnd()->row->GetDataObject())->GetNumber(), 77);
}

TEST_F(EditInPlaceTest, EditorFollowsItsRowWhenTheRowIsResorted)
{
    grid.SetSortInfo(0, CSortInfo(kNumber, false));
    ASSERT_EQ(RecordAt(0).GetNumber(), 0);
    CRecord& moving = RecordAt(0);
    CGridItem* row = Row(0);
    ASSERT_TRUE(grid.BeginEdit(row, kAmount, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "5");
    moving.SetNumber(100); // sorts the row to the end
    ASSERT_TRUE(PumpUntil([&] { return grid.GetVisibleIndex(row) == 4; }));
    CWnd* editor = grid.GetEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(PumpUntil([&] {
        CRect rect;
        editor->GetWindowRect(&rect);
        grid.ScreenToClient(&rect);
        return rect == grid.GetVisibleCellRect(row, kAmount);
    }));
    EXPECT_EQ(TextEditor().GetWindowText(), CString("5"));
    Key(TextEditor(), Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_DOUBLE_EQ(moving.GetAmount(), 5.0);
}

TEST_F(EditInPlaceTest, RemovingTheEditedRowClosesTheEditorWithoutWriting)
{
    ASSERT_TRUE(grid.BeginEdit(Row(2), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "55");
    CRecord* record = &RecordAt(2);
    const int settersBefore = record->SetterCalls();
    grid.Remove(Row(2));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_FALSE(Editing());
    EXPECT_FALSE(LastEnd()->written);
    PumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ(record->SetterCalls(), settersBefore);
    EXPECT_EQ(record->GetNumber(), 2);
}

TEST_F(EditInPlaceTest, APolicyOfTheGridsOwnReplacesTheDefaultAndIsDeletedWithTheGrid)
{
    class CCountingPolicy : public CEditInPlace
    {
    public:
        explicit CCountingPolicy(int& deleted) : CEditInPlace(true), m_deleted(deleted) {}
        ~CCountingPolicy() override { ++m_deleted; }
        bool CanStartEdit(const CEditContext&, int) override { return false; }

    private:
        int& m_deleted;
    };
    int deleted = 0;
    EXPECT_EQ(grid.GetEditInPlace(), &CEditInPlace::GetDefault());
    EXPECT_EQ(grid.SetEditInPlace(new CCountingPolicy(deleted)), nullptr);
    EXPECT_FALSE(grid.CanBeginEdit(Row(0), kNumber, StartByDoubleClick));
    EXPECT_FALSE(grid.BeginEdit(Row(0), kNumber, StartByDoubleClick));
    delete grid.SetEditInPlace(nullptr); // handed back to the caller
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(grid.GetEditInPlace(), &CEditInPlace::GetDefault());
    {
        CGrid other;
        other.SetEditInPlace(new CCountingPolicy(deleted));
    }
    EXPECT_EQ(deleted, 2);
}

} // namespace
} // namespace Ombrel::GUI::EditTest
