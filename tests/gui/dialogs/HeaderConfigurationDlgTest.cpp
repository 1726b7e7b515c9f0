#include "support/Harness.h"

#include "ombrel/gui/dialogs/HeaderConfigurationDlg.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/Blend.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Ombrel::Test {
namespace {

using GUI::CHeaderConfigurationDlg;
using Dlg = CHeaderConfigurationDlg;

// The dialog, with `during` run from its modal loop once it is up.
class CDrivenDlg : public CHeaderConfigurationDlg
{
public:
    using CHeaderConfigurationDlg::CHeaderConfigurationDlg;
    std::function<void(CDrivenDlg&)> during;

    bool OnInitDialog() override
    {
        bool result = CHeaderConfigurationDlg::OnInitDialog();
        if (during)
            QTimer::singleShot(20, [this] { during(*this); });
        return result;
    }

    GUI::CGrid& List() { return *dynamic_cast<GUI::CGrid*>(GetDlgItem(kListId)); }
    CWnd& Item(UINT id) { return *GetDlgItem(id); }
    std::string FixedCountText() { return std::string(GetDlgItem(kFixedCountId)->GetWindowText().GetString()); }

    GUI::CGridItem* Row(int position) { return List().GetRowAt(position, GUI::ROW_NORMAL); }
    std::string TitleAt(int position) { return List().GetFieldText(Row(position), kTitleField); }
    CPoint CheckBoxOf(int position)
    {
        const CRect row = List().GetRowRect(Row(position));
        return CPoint(row.left + 8, row.CenterPoint().y);
    }
    CPoint TitleOf(int position)
    {
        const CRect row = List().GetRowRect(Row(position));
        return CPoint(row.left + 40, row.CenterPoint().y);
    }
    void ClickButton(UINT id) { Click(Item(id), Item(id).GetClientRect().CenterPoint()); }
    void ClickSpin(bool up)
    {
        const CRect spin = Item(kSpinId).GetClientRect();
        Click(Item(kSpinId), CPoint(spin.Width() / 2, up ? spin.Height() / 4 : spin.Height() * 3 / 4));
    }
};

// A header of four columns titled A to D (fields 1 to 4), all visible.
class HeaderConfigurationDlgTest : public ::testing::Test
{
protected:
    HeaderConfigurationDlgTest()
    {
        for (std::int32_t id = 1; id <= 4; ++id)
            header.AddColumn(new GUI::CColumn(id, std::string(1, static_cast<char>('A' + id - 1)), 60));
    }

    std::vector<std::int32_t> Order() const
    {
        std::vector<std::int32_t> ids;
        for (int position = 0; position < header.GetColumnCount(); ++position)
            ids.push_back(header.GetColumn(position)->GetFieldId());
        return ids;
    }

    GUI::CHeader header{false};
};

TEST_F(HeaderConfigurationDlgTest, OpensWithTheHeadersColumnsInOrderAndTheTemplatesLayout)
{
    header.HideColumn(2);
    header.MoveColumnBefore(4, 1);
    header.SetFixedColumnCount(1);
    CDrivenDlg dialog(&header);
    dialog.during = [](CDrivenDlg& shown) {
        EXPECT_EQ(CString("Header configuration dialog"), shown.GetWindowText());
        ASSERT_EQ(4, shown.List().GetRowCount(GUI::ROW_NORMAL));
        const char* titles[] = {"D", "A", "B", "C"};
        for (int position = 0; position < 4; ++position)
            EXPECT_EQ(titles[position], shown.TitleAt(position));
        EXPECT_FALSE(shown.List().GetFieldValue(shown.Row(2), Dlg::kVisibleField).GetBool()); // B
        EXPECT_TRUE(shown.List().GetFieldValue(shown.Row(1), Dlg::kVisibleField).GetBool());
        EXPECT_EQ(2, shown.List().GetFieldValue(shown.Row(2), Dlg::kFieldIdField).GetLong());
        EXPECT_EQ("1", shown.FixedCountText());
        EXPECT_EQ(CString("&Top"), shown.Item(Dlg::kTopId).GetWindowText());
        EXPECT_EQ(CString("Fixed columns"), shown.Item(Dlg::kFixedLabelId).GetWindowText());
        EXPECT_EQ(&shown.List(), CWnd::GetFocus());
        CRect expected(7, 7, 137, 195);
        shown.MapDialogRect(&expected);
        CRect placed;
        shown.List().GetWindowRect(&placed);
        shown.ScreenToClient(&placed);
        EXPECT_EQ(expected, placed);
        shown.ClickButton(Dlg::kCancelId);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_FALSE(IsWindow(&dialog));
}

TEST_F(HeaderConfigurationDlgTest, EmptyHeaderOpensAnEmptyListAndTheSpinCannotRaiseTheFixedCount)
{
    GUI::CHeader empty(false);
    CDrivenDlg dialog(&empty);
    dialog.during = [&empty](CDrivenDlg& shown) {
        EXPECT_EQ(0, shown.List().GetRowCount(GUI::ROW_NORMAL));
        shown.ClickSpin(true);
        shown.ClickSpin(true);
        EXPECT_EQ("0", shown.FixedCountText());
        EXPECT_EQ(0, empty.GetFixedColumnCount());
        shown.ClickButton(Dlg::kTopId); // nothing selected, nothing to move
        shown.ClickButton(Dlg::kOkId);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(0, empty.GetColumnCount());
}

TEST_F(HeaderConfigurationDlgTest, UntickingHidesOnOkAndCancelLeavesTheColumnVisible)
{
    for (const UINT closer : {Dlg::kCancelId, Dlg::kOkId}) {
        CDrivenDlg dialog(&header);
        dialog.during = [closer](CDrivenDlg& shown) {
            Click(shown.List(), shown.CheckBoxOf(1)); // B
            EXPECT_TRUE(PumpUntil([&] {
                return !shown.List().GetFieldValue(shown.Row(1), Dlg::kVisibleField).GetBool();
            }));
            shown.ClickButton(closer);
        };
        EXPECT_EQ(closer == Dlg::kOkId ? IDOK : IDCANCEL, dialog.DoModal());
        EXPECT_EQ(closer == Dlg::kOkId, !header.GetColumnById(2)->IsVisible()) << closer;
        EXPECT_TRUE(header.GetColumnById(1)->IsVisible());
    }
    EXPECT_EQ(3, header.GetVisibleColumnCount());
}

TEST_F(HeaderConfigurationDlgTest, MoveButtonsKeepTheSelectionsOrderAndOkAppliesTheListOrder)
{
    CDrivenDlg dialog(&header);
    dialog.during = [](CDrivenDlg& shown) {
        Click(shown.List(), shown.TitleOf(3));     // D
        shown.ClickButton(Dlg::kTopId);
        EXPECT_EQ("D", shown.TitleAt(0));
        // C and A selected (positions 3 and 1 now: D A B C); Down moves both, C stops first.
        Click(shown.List(), shown.TitleOf(1));
        Click(shown.List(), shown.TitleOf(3), Qt::LeftButton, Qt::ControlModifier);
        shown.ClickButton(Dlg::kDownId); // C has no row below: nothing moves
        EXPECT_EQ("DABC", shown.TitleAt(0) + shown.TitleAt(1) + shown.TitleAt(2) + shown.TitleAt(3));
        shown.ClickButton(Dlg::kUpId);
        EXPECT_EQ("ADCB", shown.TitleAt(0) + shown.TitleAt(1) + shown.TitleAt(2) + shown.TitleAt(3));
        shown.ClickButton(Dlg::kUpId); // A has no row above: nothing moves
        EXPECT_EQ("ADCB", shown.TitleAt(0) + shown.TitleAt(1) + shown.TitleAt(2) + shown.TitleAt(3));
        Click(shown.List(), shown.TitleOf(1));
        shown.ClickButton(Dlg::kDownId); // D alone
        EXPECT_EQ("ACDB", shown.TitleAt(0) + shown.TitleAt(1) + shown.TitleAt(2) + shown.TitleAt(3));
        Click(shown.List(), shown.TitleOf(0));
        Click(shown.List(), shown.TitleOf(2), Qt::LeftButton, Qt::ControlModifier);
        shown.ClickButton(Dlg::kBottomId); // A and D, in their order
        EXPECT_EQ("CBAD", shown.TitleAt(0) + shown.TitleAt(1) + shown.TitleAt(2) + shown.TitleAt(3));
        EXPECT_EQ(2, shown.List().GetSelectedCount());
        shown.ClickButton(Dlg::kOkId);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<std::int32_t>{3, 2, 1, 4}), Order());
}

TEST_F(HeaderConfigurationDlgTest, RaisedFixedCountIsAppliedAtOnceAndStaysAfterCancel)
{
    CDrivenDlg dialog(&header);
    dialog.during = [this](CDrivenDlg& shown) {
        shown.ClickSpin(true);
        EXPECT_EQ(1, header.GetFixedColumnCount());
        shown.ClickSpin(true);
        EXPECT_EQ("2", shown.FixedCountText());
        for (int step = 0; step < 5; ++step)
            shown.ClickSpin(true);
        EXPECT_EQ(4, header.GetFixedColumnCount()); // never more than the columns
        for (int step = 0; step < 2; ++step)
            shown.ClickSpin(false);
        shown.ClickButton(Dlg::kCancelId);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(2, header.GetFixedColumnCount());
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3, 4}), Order());
}

// Records the context each cell of the title column is painted with.
class CRecordingCellFormat : public GUI::CCellPaintFormat
{
public:
    struct Seen
    {
        COLORREF text = 0;
        COLORREF background = 0;
        LOGFONT font;
        bool hasFont = false;
    };
    std::vector<Seen>* seen = nullptr;

    void Paint(GUI::CellPaintContext& context, CDC& dc, std::uint32_t flags) override
    {
        if (context.row != nullptr && seen != nullptr && context.row->GetDataObject() != nullptr) {
            const int position = static_cast<int>(context.row->GetDataObject()->GetLong(Dlg::kFieldIdField)) - 1;
            if (position >= 0 && position < static_cast<int>(seen->size())) {
                Seen& entry = (*seen)[static_cast<std::size_t>(position)];
                entry.text = context.textColor;
                entry.background = context.backgroundColor;
                entry.hasFont = context.font != nullptr && context.font->GetLogFont(entry.font);
            }
        }
        GUI::CCellPaintFormat::Paint(context, dc, flags);
    }
};

TEST_F(HeaderConfigurationDlgTest, RowsOfFixedColumnsAreGreyItalicAndTinted)
{
    header.SetFixedColumnCount(1);
    std::vector<CRecordingCellFormat::Seen> seen(4);
    CDrivenDlg dialog(&header);
    dialog.during = [&seen](CDrivenDlg& shown) {
        auto* recorder = new CRecordingCellFormat;
        recorder->seen = &seen;
        shown.List().GetHeader()->GetColumnById(Dlg::kTitleField)->SetCellPaintFormat(recorder);
        shown.ClickSpin(true); // two fixed columns: A and B
        const QImage image = Grab(shown.List());
        const CRect first = shown.List().GetRowRect(shown.Row(0)); // focused: not compared
        const CRect second = shown.List().GetRowRect(shown.Row(1));
        const CRect third = shown.List().GetRowRect(shown.Row(2));
        const int x = first.right - 3;
        EXPECT_EQ(GUI::Blend(0xFFFFFF, 0xD3FEF9, 80), PixelAt(image, CPoint(x, second.CenterPoint().y)));
        EXPECT_EQ(COLORREF(0xFFF0F0), PixelAt(image, CPoint(x, third.CenterPoint().y)));
        shown.ClickButton(Dlg::kCancelId);
    };
    dialog.DoModal();
    for (int position = 0; position < 4; ++position) {
        const bool fixed = position < 2;
        SCOPED_TRACE(position);
        ASSERT_TRUE(seen[static_cast<std::size_t>(position)].hasFont || !fixed);
        EXPECT_EQ(fixed ? COLORREF(0x7F7F7F) : COLORREF(0), seen[static_cast<std::size_t>(position)].text);
        if (fixed) {
            EXPECT_EQ(1, seen[static_cast<std::size_t>(position)].font.lfItalic);
            EXPECT_EQ(600, seen[static_cast<std::size_t>(position)].font.lfWeight);
        } else if (seen[static_cast<std::size_t>(position)].hasFont) {
            EXPECT_EQ(0, seen[static_cast<std::size_t>(position)].font.lfItalic);
        }
    }
}

TEST_F(HeaderConfigurationDlgTest, KeyboardAloneTicksMovesAndCloses)
{
    CDrivenDlg dialog(&header);
    dialog.during = [](CDrivenDlg& shown) {
        GUI::CGrid& list = shown.List();
        Key(list, Qt::Key_Down);          // focus on B
        Key(list, Qt::Key_Space, Qt::NoModifier, " ");
        EXPECT_TRUE(PumpUntil([&] { return !list.GetFieldValue(shown.Row(1), Dlg::kVisibleField).GetBool(); }));
        Key(list, Qt::Key_End);           // focus and selection on D
        Key(list, Qt::Key_T, Qt::AltModifier, "t"); // "&Top"
        EXPECT_TRUE(PumpUntil([&] { return shown.TitleAt(0) == "D"; }));
        // The number box steps the fixed count with Up and Down.
        Key(shown.Item(Dlg::kFixedCountId), Qt::Key_Up);
        EXPECT_EQ("1", shown.FixedCountText());
        Key(list, Qt::Key_Return, Qt::NoModifier, "\r");
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<std::int32_t>{4, 1, 2, 3}), Order());
    EXPECT_FALSE(header.GetColumnById(2)->IsVisible());
    EXPECT_EQ(1, header.GetFixedColumnCount());

    CDrivenDlg escaped(&header);
    escaped.during = [](CDrivenDlg& shown) {
        Key(shown.List(), Qt::Key_Space, Qt::NoModifier, " ");
        Key(shown.List(), Qt::Key_Escape);
    };
    EXPECT_EQ(IDCANCEL, escaped.DoModal());
    EXPECT_TRUE(header.GetColumnById(4)->IsVisible());
}

TEST_F(HeaderConfigurationDlgTest, ColumnsChangedByTheProgramWhileOpenDoNotUpsetOk)
{
    CDrivenDlg dialog(&header);
    dialog.during = [this](CDrivenDlg& shown) {
        header.RemoveColumn(2);                       // B goes
        header.AddColumn(new GUI::CColumn(5, "E", 60)); // E comes, last
        Click(shown.List(), shown.TitleOf(2));          // C
        shown.ClickButton(Dlg::kTopId);                 // list: C A B D
        Click(shown.List(), shown.CheckBoxOf(3));       // D unticked
        EXPECT_TRUE(PumpUntil([&] {
            return !shown.List().GetFieldValue(shown.Row(3), Dlg::kVisibleField).GetBool();
        }));
        shown.ClickButton(Dlg::kOkId);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<std::int32_t>{3, 1, 4, 5}), Order());
    EXPECT_FALSE(header.GetColumnById(4)->IsVisible());
    EXPECT_TRUE(header.GetColumnById(5)->IsVisible());
}

} // namespace
} // namespace Ombrel::Test
