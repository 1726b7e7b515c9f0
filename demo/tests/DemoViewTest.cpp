// The demonstration's main frame and view: the grid they build over a new document, command
// routing, and what closing the window leaves behind.

#include "DemoDocument.h"
#include "DemoView.h"
#include "LiveUpdates.h"
#include "MainFrame.h"
#include "TestClass.h"

#include "DemoEditInPlace.h"

#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EmbeddedCombo.h"
#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/NumericEdit.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/GridAppearance.h"

#include "ombrel/platform/Clipboard.h"

#include "support/Harness.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace Ombrel::Demo {
namespace {

using GUI::CGrid;
using GUI::ROW_NORMAL;

// The objects' long values in the grid's row order.
std::vector<std::int32_t> LongsInRowOrder(CGrid& grid)
{
    std::vector<std::int32_t> longs;
    for (int i = 0; i < grid.GetRowCount(ROW_NORMAL); ++i)
        longs.push_back(grid.GetDataObject(grid.GetRowAt(i, ROW_NORMAL))->GetLong(CTestClass::kLongField));
    return longs;
}

bool IsAscending(const std::vector<std::int32_t>& values)
{
    return std::is_sorted(values.begin(), values.end());
}

class DemoFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(*document, CRect(0, 0, CMainFrame::kDefaultWidth, CMainFrame::kDefaultHeight)));
        frame.ShowWindow(SW_SHOW);
        ASSERT_NE(frame.GetDemoView(), nullptr);
    }

    CDemoView& View() { return *frame.GetDemoView(); }
    CGrid& Grid() { return View().GetGrid(); }

    std::unique_ptr<CDemoDocument> document = std::make_unique<CDemoDocument>();
    CMainFrame frame;
};

using DemoViewTest = DemoFrame;
using DemoViewThreadTest = DemoFrame;

TEST_F(DemoViewTest, FrameIsTitledCorvaneAndShowsTheDocumentInItsStatusBar)
{
    EXPECT_EQ(frame.GetWindowText(), CString("Corvane"));
    EXPECT_EQ(frame.GetView(), &View());
    CString status = frame.GetStatusText();
    EXPECT_NE(status.Find("Ombrel: 10 objects"), -1) << status.GetString();
    EXPECT_NE(status.Find("Live updates off"), -1) << status.GetString();
}

TEST_F(DemoViewTest, GridFillsTheViewAndFollowsItsSize)
{
    ASSERT_TRUE(IsWindow(&Grid()));
    EXPECT_EQ(Grid().GetDlgCtrlID(), CDemoView::kGridId);
    EXPECT_EQ(Grid().CWnd::GetParent(), &View());
    View().MoveWindow(0, 0, 500, 300, true);
    CRect grid;
    Grid().GetWindowRect(&grid);
    View().ScreenToClient(&grid);
    EXPECT_EQ(grid, CRect(0, 0, 500, 300));
}

TEST(DemoViewScrollTest, RowsThatDoNotFitGiveTheGridAVerticalScrollBarOnly)
{
    CDemoDocument many(500);
    CMainFrame frame;
    ASSERT_TRUE(frame.Create(many, CRect(0, 0, CMainFrame::kDefaultWidth, CMainFrame::kDefaultHeight)));
    frame.ShowWindow(SW_SHOW);
    CGrid& grid = frame.GetDemoView()->GetGrid();
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return (grid.GetStyle() & WS_VSCROLL) != 0; }));
    EXPECT_EQ(0u, grid.GetStyle() & WS_HSCROLL) << "the seven columns fit the default width";
}

TEST_F(DemoViewTest, HeaderHasTheSevenColumnsInOrder)
{
    struct Expected
    {
        std::int32_t fieldId;
        const char* title;
        std::int32_t width;
        bool editable;
    };
    const Expected expected[] = {{1234, "Name", 70, false}, {5000, "Long", 60, true},
                                 {5001, "Int64", 100, true}, {5002, "Double", 60, true},
                                 {5003, "Date", 80, true},   {5004, "City", 80, true},
                                 {5005, "Checked", 70, true}};
    GUI::CHeader* header = Grid().GetHeader();
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->GetColumnCount(), 7);
    for (int i = 0; i < 7; ++i) {
        GUI::CColumn* column = header->GetColumn(i);
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(column->GetFieldId(), expected[i].fieldId);
        EXPECT_EQ(column->GetTitle(), expected[i].title);
        EXPECT_EQ(column->GetWidth(), expected[i].width);
        EXPECT_EQ(column->IsEditable(), expected[i].editable);
        EXPECT_EQ(column->GetAlignment(), GUI::CColumn::AlignAuto);
        EXPECT_EQ(column->GetFormat(), nullptr);
        EXPECT_TRUE(column->IsVisible());
    }
}

TEST_F(DemoViewTest, RowsAreSortedByLongThenInt64Descending)
{
    ASSERT_EQ(Grid().GetRowCount(ROW_NORMAL), 10);
    EXPECT_EQ(LongsInRowOrder(Grid()), (std::vector<std::int32_t>{121, 122, 123, 124, 125, 126, 127, 128, 129, 130}));
    ASSERT_EQ(Grid().GetSortLevelCount(), 2);
    EXPECT_EQ(Grid().GetSortInfo(0).GetFieldId(), CTestClass::kLongField);
    EXPECT_FALSE(Grid().GetSortInfo(0).IsDescending());
    EXPECT_EQ(Grid().GetSortInfo(1).GetFieldId(), CTestClass::kInt64Field);
    EXPECT_TRUE(Grid().GetSortInfo(1).IsDescending());
}

TEST_F(DemoViewTest, PositionsThreeAndFourAndObjectSevenAreSelected)
{
    std::vector<GUI::CGridItem*> selected;
    Grid().GetSelectedRows(ROW_NORMAL, selected);
    std::vector<CString> names;
    for (GUI::CGridItem* row : selected)
        names.push_back(Grid().GetDataObject(row)->GetString(CTestClass::kNameField));
    EXPECT_EQ(names, (std::vector<CString>{"object 4", "object 5", "object 7"}));
    EXPECT_EQ(Grid().GetSelectedCount(), 3);
}

TEST_F(DemoViewTest, EditMenuCopiesPastesCutsAndSelectsAllRows)
{
    QGuiApplication::clipboard()->clear();
    const int rows = Grid().GetRowCount(ROW_NORMAL);
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_PASTE, 0));
    EXPECT_EQ(Grid().GetRowCount(ROW_NORMAL), rows + 3) << "the three selected rows again";
    EXPECT_TRUE(IsAscending(LongsInRowOrder(Grid()))) << "pasted rows take their sorted places";

    Grid().ClearSelection();
    Grid().SelectAt(0, ROW_NORMAL, true);
    GUI::CGridItem* cut = Grid().GetRowAt(0, ROW_NORMAL);
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_CUT, 0));
    EXPECT_EQ(Grid().GetRowAt(0, ROW_NORMAL), cut) << "a cut row stays until it is pasted";
    Grid().SetFocus(-1, 0);
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_PASTE, 0));
    EXPECT_EQ(Grid().GetRowCount(ROW_NORMAL), rows + 3) << "a cut moves, it does not add";
    EXPECT_TRUE(Grid().IsValid(cut));

    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_SELECT_ALL, 0));
    EXPECT_EQ(Grid().GetSelectedCount(), rows + 3);
    QGuiApplication::clipboard()->clear();
}

TEST_F(DemoViewTest, ViewColumnsOpensTheHeaderDialogOnTheGridsHeader)
{
    bool sawList = false;
    QTimer::singleShot(200, [&sawList] {
        CWnd* list = CWnd::GetFocus(); // the dialog opens with its list focused
        sawList = dynamic_cast<CGrid*>(list) != nullptr && list->GetParent() != nullptr &&
                  list->GetParent()->GetWindowText() == CString("Header configuration dialog");
        if (!sawList) {
            Ombrel::Test::Key(*list, Qt::Key_Escape);
            return;
        }
        Ombrel::Test::Key(*list, Qt::Key_Down); // Long
        Ombrel::Test::Key(*list, Qt::Key_Space, Qt::NoModifier, " ");
        Ombrel::Test::PumpFor(std::chrono::milliseconds(50));
        Ombrel::Test::Key(*list, Qt::Key_Return, Qt::NoModifier, "\r");
    });
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_COLUMNS, 0));
    ASSERT_TRUE(sawList);
    EXPECT_FALSE(Grid().GetHeader()->GetColumnById(CTestClass::kLongField)->IsVisible());
    EXPECT_EQ(6, Grid().GetHeader()->GetVisibleColumnCount());
    EXPECT_EQ(1, Grid().GetHeader()->GetFixedColumnCount());
}

// Rows the platform drops on the second window's grid, as a drag of the first grid's selection
// carries them (its formats, taken through the clipboard, which uses the same ones).
TEST_F(DemoViewTest, RowsDraggedToTheGridOfASecondWindowMoveThereAndCtrlCopies)
{
    CDemoDocument otherDocument;
    CMainFrame other;
    ASSERT_TRUE(other.Create(otherDocument, CRect(0, 0, CMainFrame::kDefaultWidth, CMainFrame::kDefaultHeight)));
    CGrid& target = other.GetDemoView()->GetGrid();
    target.UpdateLayout();
    const int sourceRows = Grid().GetRowCount(ROW_NORMAL);
    const int targetRows = target.GetRowCount(ROW_NORMAL);
    const CRect row = target.GetRowRect(target.GetRowAt(0, ROW_NORMAL));
    const QPoint at(row.left + 20, row.bottom - 2);

    for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        QGuiApplication::clipboard()->clear();
        Grid().ClearSelection();
        Grid().SelectAt(0, ROW_NORMAL, true);
        ASSERT_TRUE(Grid().Copy());
        QMimeData dragged;
        for (const QString& format : QGuiApplication::clipboard()->mimeData()->formats())
            dragged.setData(format, QGuiApplication::clipboard()->mimeData()->data(format));
        QWidget* widget = Ombrel::Test::WidgetOf(target);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(widget, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(widget, &drop);
        EXPECT_TRUE(drop.isAccepted());
    }
    EXPECT_EQ(Grid().GetRowCount(ROW_NORMAL), sourceRows - 1) << "moved, then the next row copied";
    EXPECT_EQ(target.GetRowCount(ROW_NORMAL), targetRows + 2);
    QGuiApplication::clipboard()->clear();
}

TEST_F(DemoViewTest, RowsAlternateWhiteAndLightGreyAndASingleClickStartsEditing)
{
    EXPECT_EQ(Grid().GetAppearance()->oddBackground, 0xFFFFFFu);
    EXPECT_EQ(Grid().GetAppearance()->evenBackground, 0xF0F0F0u);
    EXPECT_EQ(Grid().GetEditInPlaceSettings()->startMode, 0);
}

// The centre of a cell of the row at `position`.
CPoint CellCentre(CGrid& grid, int position, std::int32_t fieldId)
{
    const CRect cell = grid.GetVisibleCellRect(grid.GetRowAt(position, ROW_NORMAL), fieldId);
    return CPoint(cell.left + cell.Width() / 2, cell.top + cell.Height() / 2);
}

TEST_F(DemoViewTest, EditingALongCellWithAClickMovesTheRowToItsSortedPlace)
{
    Ombrel::Test::ShowAndActivate(frame);
    CTestClass* first = document->GetObject(0); // long 121, at the top
    Ombrel::Test::Click(Grid(), CellCentre(Grid(), 0, CTestClass::kLongField));
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return Grid().GetEditor() != nullptr; }));
    auto* editor = dynamic_cast<GUI::CNumericEdit*>(Grid().GetEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetWindowText(), CString("121"));
    Ombrel::Test::TypeText(*editor, "500");
    Ombrel::Test::Key(*editor, Qt::Key_Return);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return Grid().GetDataObject(Grid().GetRowAt(9, ROW_NORMAL)) == first; }));
    EXPECT_EQ(first->GetSomeLong(), 500);
    EXPECT_EQ(Grid().GetEditor(), nullptr);
}

TEST_F(DemoViewTest, NameCannotBeEditedAndDateOpensTheDateEditor)
{
    GUI::CGridItem* row = Grid().GetRowAt(0, ROW_NORMAL);
    EXPECT_FALSE(Grid().CanBeginEdit(row, CTestClass::kNameField, GUI::StartByClick));
    ASSERT_TRUE(View().EditDateOfFirstRow());
    EXPECT_NE(dynamic_cast<GUI::CEmbeddedDateTimeCtrl*>(Grid().GetEditor()), nullptr);
    Grid().EndEdit(GUI::EndEscape);
}

TEST_F(DemoViewTest, CityEditorListsTheModifiedNamesAndStoresTheCode)
{
    CTestClass* object = static_cast<CTestClass*>(Grid().GetDataObject(Grid().GetRowAt(0, ROW_NORMAL)));
    ASSERT_TRUE(Grid().BeginEdit(Grid().GetRowAt(0, ROW_NORMAL), CTestClass::kCityField, GUI::StartByClick));
    auto* list = dynamic_cast<GUI::CEmbeddedCombo*>(Grid().GetEditor());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 7);
    EXPECT_EQ(list->GetLBText(5), CString("Modified London"));
    EXPECT_EQ(list->GetLBText(6), CString("100 as string"));
    list->SetCurSel(5);
    Grid().EndEdit(GUI::EndDropDownAccepted);
    EXPECT_EQ(object->GetSomeEnum(), CTestClass::kLondon);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return Grid().GetFieldText(Grid().GetRowAt(0, ROW_NORMAL), CTestClass::kCityField) == "London"; }));

    ASSERT_TRUE(Grid().BeginEdit(Grid().GetRowAt(0, ROW_NORMAL), CTestClass::kCityField, GUI::StartByClick));
    dynamic_cast<GUI::CEmbeddedCombo*>(Grid().GetEditor())->SetCurSel(6);
    Grid().EndEdit(GUI::EndDropDownAccepted);
    EXPECT_EQ(object->GetSomeEnum(), CDemoEditInPlace::kExtraCityCode);
}

TEST_F(DemoViewTest, CheckedColumnShowsCheckBoxesThatAClickToggles)
{
    Ombrel::Test::ShowAndActivate(frame);
    CTestClass* object = static_cast<CTestClass*>(Grid().GetDataObject(Grid().GetRowAt(1, ROW_NORMAL)));
    ASSERT_FALSE(object->IsChecked());
    const QImage before = Ombrel::Test::Grab(Grid());
    Ombrel::Test::Click(Grid(), CellCentre(Grid(), 1, CTestClass::kCheckedField));
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return object->IsChecked(); }));
    EXPECT_EQ(Grid().GetEditor(), nullptr);
    // The box shows the new value; the cell's text is not drawn over it.
    const CRect cell = Grid().GetVisibleCellRect(Grid().GetRowAt(1, ROW_NORMAL), CTestClass::kCheckedField);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] {
        const QImage after = Ombrel::Test::Grab(Grid());
        return after.copy(cell.left, cell.top, cell.Width(), cell.Height()) !=
               before.copy(cell.left, cell.top, cell.Width(), cell.Height());
    }));
}

TEST_F(DemoViewTest, ChangingALongMovesTheRowToItsSortedPlace)
{
    CTestClass* first = document->GetObject(0); // long 121, at the top
    first->SetSomeLong(1000);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return Grid().GetDataObject(Grid().GetRowAt(9, ROW_NORMAL)) == first; }));
    EXPECT_TRUE(IsAscending(LongsInRowOrder(Grid())));
}

TEST_F(DemoViewTest, ClosingTheFrameRemovesTheRowsBeforeTheObjectsGo)
{
    CGrid& grid = Grid();
    frame.SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(&frame));
    EXPECT_FALSE(IsWindow(&grid));
    EXPECT_EQ(frame.GetDemoView(), nullptr);
    // The objects no longer have rows: destroying them and changing nothing afterwards is
    // quiet under the address sanitizer.
    document.reset();
    Ombrel::Test::PumpFor(std::chrono::milliseconds(20));
}

TEST_F(DemoViewThreadTest, LiveUpdatesCommandTogglesTheWorkersAndTheStatus)
{
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_LIVE_UPDATES, 0));
    EXPECT_TRUE(View().IsLiveUpdating());
    EXPECT_NE(frame.GetStatusText().Find("Live updates on"), -1);
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_LIVE_UPDATES, 0));
    EXPECT_FALSE(View().IsLiveUpdating());
    EXPECT_NE(frame.GetStatusText().Find("Live updates off"), -1);
}

TEST_F(DemoViewThreadTest, RowsFollowLiveChangesAndEndSorted)
{
    std::vector<std::int32_t> initial = LongsInRowOrder(Grid());
    View().SetLiveUpdates(true);
    // Long changes made on the workers reach the grid through the window thread's messages.
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return LongsInRowOrder(Grid()) != initial; }, std::chrono::seconds(20)));
    View().SetLiveUpdates(false);
    // Once the last changes have been delivered the rows are in order again.
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return IsAscending(LongsInRowOrder(Grid())); }));
    EXPECT_EQ(Grid().GetRowCount(ROW_NORMAL), 10);
}

TEST_F(DemoViewThreadTest, ClosingTheFrameWhileLiveStopsTheWorkersFirst)
{
    View().SetLiveUpdates(true);
    Ombrel::Test::PumpFor(std::chrono::milliseconds(300));
    frame.SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(&frame));
    document.reset(); // no worker may still touch an object
    Ombrel::Test::PumpFor(std::chrono::milliseconds(20));
}

} // namespace
} // namespace Ombrel::Demo
