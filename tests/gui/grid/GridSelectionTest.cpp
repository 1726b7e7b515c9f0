// Focus, selection, press rules and type-ahead search of a grid, on a real window with real
// rows and layout; notifications are recorded by the rows' owner.
#include "ombrel/gui/grid/GridSelection.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ombrel/base/Clock.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/grid/GridItem.h"
#include "ombrel/gui/grid/GridLayout.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/grid/GridRows.h"
#include "ombrel/gui/grid/GridTypeAhead.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/PaintDC.h"
#include "support/Harness.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel::GUI {
namespace {

constexpr int kName = 1;   // std::string
constexpr int kSigned = 2; // std::int32_t
constexpr int kUnsigned = 3; // std::uint32_t

// The grid's side for rows and layout: focus and selection mode come from the selection under
// test, top row and layout from the real layout; notifications are recorded.
class CTestGridSide final : public IGridRowsOwner, public IGridLayoutHost
{
public:
    struct Notification
    {
        int code;
        CGridItem* row;
    };

    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int code, CGridItem* row) override
    {
        notifications.push_back({code, row});
        if (onNotify)
            onNotify(code, row);
    }
    void RepaintRow(CGridItem* row) override { layout->InvalidateRow(row); }
    void RepaintCell(CGridItem* row, int fieldId) override { layout->InvalidateCell(row, fieldId); }
    void RepaintPositions(int type, int first, int last) override
    {
        layout->InvalidatePositions(type, first, last);
    }
    void RepaintAll() override {}
    RowPosition GetFocus() const override { return selection->GetFocus(); }
    void SetFocus(RowPosition focus) override { selection->StoreFocus(focus); }
    int GetTopRow() const override { return layout->GetTopRow(); }
    void SetTopRow(int index) override { layout->StoreTopRow(index); }
    void OnRowsEntered(int type, int position, int count) override
    {
        layout->OnRowsEntered(type, position, count);
    }
    void OnRowsLeft(int type, int position, int count) override
    {
        layout->OnRowsLeft(type, position, count);
    }
    void StartLayoutTimer() override { layout->UpdateLayout(); }
    void PostDeferredLayout() override { layout->UpdateLayout(); }
    void UpdateLayout() override { layout->UpdateLayout(); }
    SelectionMode GetSelectionMode() const override { return selection->GetSelectionMode(); }
    std::vector<CSortInfo> GetHeaderSortLevels() const override { return {}; }

    bool CanScrollPixels() const override { return true; }
    void HideTooltips() override {}
    bool IsEditing() const override { return false; }
    void OnViewScrolled() override {}

    int Count(int code, const CGridItem* row = nullptr) const
    {
        int count = 0;
        for (const Notification& n : notifications)
            count += n.code == code && (!row || n.row == row) ? 1 : 0;
        return count;
    }

    CGridSelection* selection = nullptr;
    CGridLayout* layout = nullptr;
    std::vector<Notification> notifications;
    std::function<void(int, CGridItem*)> onNotify;
};

// A window that records what each paint had to repaint.
class CPaintRecorder final : public CWnd
{
public:
    void OnPaint() override
    {
        CPaintDC dc(this);
        ++paints;
        for (const CRect& rect : dc.GetUpdateRects())
            painted.UnionRect(painted.IsRectEmpty() ? rect : painted, rect);
    }

    // Shows the window, paints what is pending and forgets it.
    void Settle()
    {
        if (!IsWindowVisible()) {
            ShowWindow(SW_SHOWNOACTIVATE);
            Invalidate(false);
            ASSERT_TRUE(Test::PumpUntil([this] { return paints > 0; }));
            Test::PumpFor(std::chrono::milliseconds(20));
        }
        UpdateWindow();
        painted = CRect();
    }

    // The bounds of everything invalidated since the last Settle.
    CRect PaintNow()
    {
        UpdateWindow();
        return painted;
    }

    CRect painted;
    int paints = 0;
};

class GridSelectionTest : public ::testing::Test
{
protected:
    GridSelectionTest()
    {
        side.selection = &selection;
        side.layout = &layout;
        header.AddColumn(new CColumn(kName, "Name", 100));
        header.AddColumn(new CColumn(kSigned, "Signed", 80));
        header.AddColumn(new CColumn(kUnsigned, "Unsigned", 80));
        options.header = &header;
    }

    void SetUp() override
    {
        ASSERT_TRUE(window.CreateEx(0, nullptr, "grid", WS_POPUP, CRect(0, 0, 300, 400), nullptr, 0));
    }

    CGridItem* Add(const std::string& name, int type = ROW_NORMAL, CGridItem* parent = nullptr)
    {
        auto object = std::make_unique<Common::CDynamicObject>(false);
        object->SetValue(kName, Common::CValue(name));
        CGridItem* row = AddObject(*object, type, parent);
        objects.push_back(std::move(object));
        return row;
    }

    CGridItem* AddObject(Common::CDataObject& object, int type = ROW_NORMAL,
                         CGridItem* parent = nullptr)
    {
        CGridItem* row = rows.Add(&object, parent ? parent : (type == ROW_FIXED ? GRID_FIXED_ROOT : GRID_ROOT),
                                  GRID_LAST);
        layout.UpdateLayout();
        return row;
    }

    void AddNumber(int fieldId, const Common::CValue& value)
    {
        auto object = std::make_unique<Common::CDynamicObject>(false);
        object->SetValue(fieldId, value);
        AddObject(*object);
        objects.push_back(std::move(object));
    }

    void AddNames(std::initializer_list<const char*> names, int type = ROW_NORMAL)
    {
        for (const char* name : names)
            Add(name, type);
    }

    CPoint CenterOf(int index, int type) const
    {
        return layout.GetRowRectAt(index, type).CenterPoint();
    }

    std::string FocusedName()
    {
        CGridItem* row = selection.GetFocusedRow();
        return row ? row->GetDataObject()->GetStdString(kName) : std::string("-");
    }

    std::vector<int> SelectedPositions(int type)
    {
        std::vector<int> positions;
        for (int index = 0; index < rows.GetRowCount(type); ++index) {
            if (selection.IsSelectedAt(index, type))
                positions.push_back(index);
        }
        return positions;
    }

    // Declared first so that the rows showing them go away before they do.
    std::vector<std::unique_ptr<Common::CDynamicObject>> objects;
    CPaintRecorder window;
    CHeader header{false};
    GridOptions options;
    CTestGridSide side;
    CGridRows rows{side};
    CGridLayout layout{window, rows, options, side};
    CGridSelection selection{window, rows, options, layout};
};

using Positions = std::vector<int>;

// Returns once the tick count has moved on, so that a zero timeout has passed.
void WaitForNextTick()
{
    const std::uint64_t start = GetTickCount64();
    while (GetTickCount64() == start) {
    }
}

// ---- Focus --------------------------------------------------------------------------------

TEST_F(GridSelectionTest, FocusMovesWithNotificationsForOldThenNewRow)
{
    AddNames({"a", "b", "c"});
    CGridItem* first = rows.GetRowAt(0, ROW_NORMAL);
    CGridItem* second = rows.GetRowAt(1, ROW_NORMAL);
    ASSERT_TRUE(selection.SetFocus(0, ROW_NORMAL, true));
    side.notifications.clear();

    ASSERT_TRUE(selection.SetFocus(1, ROW_NORMAL, true));
    ASSERT_EQ(side.notifications.size(), 2u);
    EXPECT_EQ(side.notifications[0].row, first);
    EXPECT_EQ(side.notifications[1].row, second);
    EXPECT_EQ(side.notifications[1].code, GN_FOCUSCHANGED);

    side.notifications.clear();
    EXPECT_TRUE(selection.SetFocus(1, ROW_NORMAL, true)); // already there: nothing sent
    EXPECT_TRUE(side.notifications.empty());
}

TEST_F(GridSelectionTest, ClearingTheFocusSendsOneNotificationForTheOldRow)
{
    AddNames({"a", "b"});
    selection.SetFocus(1, ROW_NORMAL, false);
    side.notifications.clear();

    EXPECT_TRUE(selection.SetFocus(-1, ROW_DETACHED, true));
    EXPECT_EQ(side.notifications.size(), 1u);
    EXPECT_EQ(side.Count(GN_FOCUSCHANGED, rows.GetRowAt(1, ROW_NORMAL)), 1);
    EXPECT_EQ(selection.GetFocus(), RowPosition{});
}

TEST_F(GridSelectionTest, RefusedFocusChangesNothing)
{
    AddNames({"a", "b"});
    Add("fixed", ROW_FIXED);
    selection.SetFocus(0, ROW_NORMAL, false);
    side.notifications.clear();

    EXPECT_FALSE(selection.SetFocus(2, ROW_NORMAL, true));  // past the sequence
    EXPECT_FALSE(selection.SetFocus(0, ROW_DETACHED, true)); // type 0 only clears
    EXPECT_FALSE(selection.SetFocus(0, 7, true));
    options.focusableTypes = ROW_NORMAL;
    EXPECT_FALSE(selection.SetFocus(0, ROW_FIXED, true));
    EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_NORMAL}));
    EXPECT_TRUE(side.notifications.empty());

    // A negative index names no row, whatever the type: it clears instead of storing {-1, 1}.
    EXPECT_TRUE(selection.SetFocus(-1, ROW_FIXED, true));
    EXPECT_EQ(selection.GetFocus(), RowPosition{});
}

TEST_F(GridSelectionTest, NarrowingTheFocusableTypesClearsAFocusOfTheRemovedType)
{
    Add("fixed", ROW_FIXED);
    Add("normal");
    selection.SetFocus(0, ROW_FIXED, true);
    options.focusableTypes = ROW_FIXED;
    selection.OnFocusableTypesChanged();
    EXPECT_EQ(selection.GetFocusType(), ROW_FIXED);

    options.focusableTypes = ROW_NORMAL;
    selection.OnFocusableTypesChanged();
    EXPECT_EQ(selection.GetFocus(), RowPosition{});
}

TEST_F(GridSelectionTest, FocusFollowsItsRowWhenRowsEnterAbove)
{
    CGridItem* b = Add("b");
    selection.SetFocus(0, ROW_NORMAL, true);
    rows.Add(objects.front().get(), GRID_ROOT, GRID_FIRST);
    EXPECT_EQ(selection.GetFocusedRow(), b);
    EXPECT_EQ(selection.GetFocusIndex(), 1);
}

// ---- Selection ----------------------------------------------------------------------------

TEST_F(GridSelectionTest, SingleSelectionRefusesASecondRowButCtrlPressMovesIt)
{
    AddNames({"a", "b", "c"});
    options.multipleSelection = false;
    ASSERT_TRUE(selection.SelectAt(0, ROW_NORMAL, true));
    EXPECT_TRUE(selection.SelectAt(0, ROW_NORMAL, true)); // the selected row itself is fine
    EXPECT_FALSE(selection.SelectAt(2, ROW_NORMAL, true));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{0});

    side.notifications.clear();
    EXPECT_TRUE(selection.OnLButtonDown(MK_CONTROL, CenterOf(2, ROW_NORMAL)));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{2});
    EXPECT_EQ(selection.GetFocus(), (RowPosition{2, ROW_NORMAL}));
    EXPECT_EQ(side.Count(GN_SELCHANGED), 2);
}

TEST_F(GridSelectionTest, SelectableTypesDecideWhatMayBeSelected)
{
    Add("fixed", ROW_FIXED);
    AddNames({"a", "b"});
    options.selectableTypes = ROW_NORMAL;
    EXPECT_FALSE(selection.SelectAt(0, ROW_FIXED, true));
    EXPECT_FALSE(selection.IsSelectedAt(0, ROW_FIXED));
    EXPECT_TRUE(selection.SelectAt(1, ROW_NORMAL, true));

    // Taking normal rows out of the mask deselects them.
    side.notifications.clear();
    options.selectableTypes = ROW_FIXED;
    selection.OnSelectableTypesChanged();
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(side.Count(GN_SELCHANGED, rows.GetRowAt(1, ROW_NORMAL)), 1);
}

TEST_F(GridSelectionTest, SwitchingSelectionOffClearsItAndNotifiesEachRow)
{
    Add("fixed", ROW_FIXED);
    AddNames({"a", "b", "c"});
    selection.SelectAll();
    ASSERT_EQ(selection.GetSelectedCount(), 4);
    side.notifications.clear();

    options.multipleSelection = false;
    selection.OnMultipleSelectionChanged();
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(side.Count(GN_SELCHANGED), 4);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(side.Count(GN_SELCHANGED, rows.GetRowAt(index, ROW_NORMAL)), 1);

    selection.SelectAll(); // needs multiple selection
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    options.multipleSelection = true;
    options.selectionEnabled = false;
    EXPECT_FALSE(selection.SelectAt(0, ROW_NORMAL, true));
}

TEST_F(GridSelectionTest, SelectingRepaintsTheRowWithSharedBordersAndTheSeparator)
{
    AddNames({"f0", "f1"}, ROW_FIXED);
    AddNames({"a", "b", "c", "d"});
    selection.SelectAt(1, ROW_NORMAL, true);
    selection.SelectAt(3, ROW_NORMAL, true);
    window.Settle();

    // Both neighbours selected: one pixel of each, whose border line the row shares.
    CRect expected = layout.GetRowRectAt(2, ROW_NORMAL);
    expected.InflateRect(0, 1);
    ASSERT_TRUE(selection.SelectAt(2, ROW_NORMAL, true));
    EXPECT_EQ(window.PaintNow(), expected);

    // Deselecting a row with no selected neighbour repaints just the row.
    selection.ClearSelection();
    window.Settle();
    selection.SelectAt(0, ROW_NORMAL, true);
    window.Settle();
    ASSERT_TRUE(selection.SelectAt(0, ROW_NORMAL, false));
    const int separator = layout.GetSeparatorArea().Height();
    ASSERT_EQ(separator, 2);
    expected = layout.GetRowRectAt(0, ROW_NORMAL);
    expected.top -= separator; // the first normal row on screen reaches across the separator
    EXPECT_EQ(window.PaintNow(), expected);

    window.Settle();
    selection.SelectAt(1, ROW_FIXED, true);
    expected = layout.GetRowRectAt(1, ROW_FIXED);
    expected.bottom += separator;
    EXPECT_EQ(window.PaintNow(), expected);
}

TEST_F(GridSelectionTest, SelectObjectReachesEveryRowOfTheObject)
{
    Add("a");
    Common::CDataObject& object = *objects.front();
    AddObject(object, ROW_FIXED);
    CGridItem* parent = Add("parent");
    CGridItem* hiddenChild = AddObject(object, ROW_NORMAL, parent); // collapsed: not visible

    EXPECT_TRUE(selection.SelectObject(&object, true));
    EXPECT_TRUE(selection.IsSelectedAt(0, ROW_NORMAL));
    EXPECT_TRUE(selection.IsSelectedAt(0, ROW_FIXED));
    EXPECT_FALSE(selection.IsSelected(hiddenChild));
    EXPECT_FALSE(selection.SelectObject(&object, true)); // nothing changes any more
    EXPECT_FALSE(selection.SelectObject(nullptr, true));
}

TEST_F(GridSelectionTest, SelectedRowsComeInVisibleOrderWhetherSortedOrScanned)
{
    Add("fixed 0", ROW_FIXED);
    Add("fixed 1", ROW_FIXED);
    // Added in front of each other, so that the selected set (by address) is not in visible
    // order.
    auto object = std::make_unique<Common::CDynamicObject>(false);
    for (int i = 0; i < 400; ++i)
        rows.Add(object.get(), GRID_ROOT, GRID_FIRST);
    objects.push_back(std::move(object));
    layout.UpdateLayout();
    CGridItem* parent = rows.GetRowAt(399, ROW_NORMAL);
    CGridItem* child = Add("child", ROW_NORMAL, parent);
    rows.Expand(parent, true, false);
    ASSERT_TRUE(selection.Select(child, true));
    rows.Expand(parent, false, false); // selected, but no longer visible

    auto listed = [&](int mask) {
        std::vector<CGridItem*> out;
        selection.GetSelectedRows(mask, out);
        std::vector<int> positions;
        for (CGridItem* row : out)
            positions.push_back(rows.GetVisibleIndex(row) + (rows.GetRowType(row) == ROW_FIXED ? 1000 : 0));
        return positions;
    };

    // Few selected (with the hidden child, 4) among many visible: sorted by position.
    for (int index : {150, 10, 90})
        selection.SelectAt(index, ROW_NORMAL, true);
    selection.SelectAt(1, ROW_FIXED, true);
    EXPECT_EQ(listed(ROW_ALL_TYPES), (Positions{1001, 10, 90, 150}));
    EXPECT_EQ(listed(ROW_NORMAL), (Positions{10, 90, 150}));

    // Many selected: one pass over the sequence gives the same order and rows.
    for (int index = 20; index < 25; ++index)
        selection.SelectAt(index, ROW_NORMAL, true);
    EXPECT_EQ(listed(ROW_NORMAL), (Positions{10, 20, 21, 22, 23, 24, 90, 150}));
    EXPECT_EQ(selection.GetSelectedCount(), 10); // the hidden child still counts
}

TEST_F(GridSelectionTest, ClearingSurvivesAHandlerThatRemovesSelectedRows)
{
    AddNames({"a", "b", "c", "d"});
    selection.SelectAll();
    // The first deselection removes every other row of the grid.
    bool removed = false;
    side.onNotify = [&](int code, CGridItem* row) {
        if (code != GN_SELCHANGED || removed)
            return;
        removed = true;
        std::vector<CGridItem*> others;
        rows.GetAllRows(ROW_ALL_TYPES, others);
        for (CGridItem* other : others) {
            if (other != row)
                rows.Remove(other);
        }
    };
    selection.ClearSelection();
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 1);
}

// ---- Press rules --------------------------------------------------------------------------

TEST_F(GridSelectionTest, PlainPressSelectsAndFocusesOnlyThePressedRow)
{
    Add("fixed", ROW_FIXED);
    AddNames({"a", "b", "c"});
    selection.SelectAt(0, ROW_NORMAL, true);
    selection.SelectAt(0, ROW_FIXED, true);

    EXPECT_TRUE(selection.OnLButtonDown(0, CenterOf(2, ROW_NORMAL)));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{2});
    EXPECT_EQ(SelectedPositions(ROW_FIXED), Positions{});
    EXPECT_EQ(selection.GetFocus(), (RowPosition{2, ROW_NORMAL}));
    EXPECT_EQ(selection.GetLastPress().areaType, ROW_NORMAL);

    // A type that may not take the focus loses it; one that may not be selected stays clear.
    options.focusableTypes = ROW_NORMAL;
    options.selectableTypes = ROW_NORMAL;
    EXPECT_TRUE(selection.OnLButtonDown(0, CenterOf(0, ROW_FIXED)));
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(selection.GetFocus(), RowPosition{});
    EXPECT_EQ(selection.GetLastPress().areaType, ROW_FIXED);
}

TEST_F(GridSelectionTest, PressOnNoRowClearsSelectionAndFocus)
{
    AddNames({"a", "b"});
    selection.OnLButtonDown(0, CenterOf(1, ROW_NORMAL));
    const CRect normal = layout.GetNormalArea();
    const CPoint belowRows(10, normal.bottom - 2);
    ASSERT_EQ(layout.HitTestRow(belowRows.x, belowRows.y), nullptr);

    EXPECT_TRUE(selection.OnLButtonDown(0, belowRows));
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(selection.GetFocus(), RowPosition{});
    EXPECT_EQ(selection.GetLastPress().point, belowRows);
}

TEST_F(GridSelectionTest, PressInTheHeaderBandIsLeftAlone)
{
    AddNames({"a"});
    selection.OnLButtonDown(0, CenterOf(0, ROW_NORMAL));
    const Ombrel::CPoint inHeader(10, layout.GetHeaderArea().bottom - 1);
    EXPECT_FALSE(selection.OnLButtonDown(0, inHeader));
    EXPECT_EQ(selection.GetSelectedCount(), 1);
    EXPECT_NE(selection.GetLastPress().point, inHeader);

    // While tracking is not allowed the press acts but is not remembered.
    const CPoint before = selection.GetLastPress().point;
    EXPECT_TRUE(selection.OnLButtonDown(0, CPoint(5, layout.GetNormalArea().bottom - 1), false));
    EXPECT_EQ(selection.GetLastPress().point, before);
}

TEST_F(GridSelectionTest, ShiftPressFromAFixedRowSelectsAcrossTheSeparator)
{
    AddNames({"f0", "f1", "f2"}, ROW_FIXED);
    AddNames({"n0", "n1", "n2", "n3"});
    selection.OnLButtonDown(0, CenterOf(1, ROW_FIXED));

    EXPECT_TRUE(selection.OnLButtonDown(MK_SHIFT, CenterOf(2, ROW_NORMAL)));
    EXPECT_EQ(SelectedPositions(ROW_FIXED), (Positions{1, 2}));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), (Positions{0, 1, 2}));
    EXPECT_EQ(selection.GetFocus(), (RowPosition{1, ROW_FIXED})); // the anchor stays

    // A second Shift press replaces the range from the same anchor.
    selection.OnLButtonDown(MK_SHIFT, CenterOf(0, ROW_FIXED));
    EXPECT_EQ(SelectedPositions(ROW_FIXED), (Positions{0, 1}));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{});
}

TEST_F(GridSelectionTest, ShiftPressBelowTheRowsReachesTheLastRow)
{
    AddNames({"a", "b", "c", "d"});
    selection.OnLButtonDown(0, CenterOf(1, ROW_NORMAL));
    selection.OnLButtonDown(MK_SHIFT, CPoint(10, layout.GetNormalArea().bottom - 1));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), (Positions{1, 2, 3}));

    // Without multiple selection Shift acts as a plain press.
    options.multipleSelection = false;
    selection.OnLButtonDown(MK_SHIFT, CenterOf(3, ROW_NORMAL));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{3});
}

TEST_F(GridSelectionTest, CtrlPressTogglesThePressedRowOnly)
{
    AddNames({"a", "b", "c"});
    selection.OnLButtonDown(0, CenterOf(0, ROW_NORMAL));
    selection.OnLButtonDown(MK_CONTROL, CenterOf(2, ROW_NORMAL));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), (Positions{0, 2}));
    selection.OnLButtonDown(MK_CONTROL, CenterOf(0, ROW_NORMAL));
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{2});
    EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_NORMAL}));
}

// ---- Type-ahead search --------------------------------------------------------------------

TEST_F(GridSelectionTest, TypingWithinTheTimeoutKeepsAMatchingFocusedRow)
{
    AddNames({"Alpha", "Beta", "Bert", "Echo"});
    options.typeAheadTimeoutMs = 60'000;
    EXPECT_TRUE(selection.SearchByChar('b'));
    EXPECT_EQ(FocusedName(), "Beta");
    EXPECT_EQ(SelectedPositions(ROW_NORMAL), Positions{1});
    EXPECT_TRUE(selection.SearchByChar('E'));
    EXPECT_EQ(selection.GetSearchText(), "bE");
    EXPECT_EQ(FocusedName(), "Beta");
    EXPECT_TRUE(selection.SearchByChar('r'));
    EXPECT_EQ(FocusedName(), "Bert");
    EXPECT_FALSE(selection.SearchByChar('x')); // no match: only the text changes
    EXPECT_EQ(FocusedName(), "Bert");
}

TEST_F(GridSelectionTest, TypingAfterTheTimeoutStartsANewSearch)
{
    AddNames({"Alpha", "Beta", "Bert", "Echo"});
    options.typeAheadTimeoutMs = 0;
    selection.SearchByChar('b');
    WaitForNextTick();
    EXPECT_TRUE(selection.SearchByChar('e'));
    EXPECT_EQ(selection.GetSearchText(), "e");
    EXPECT_EQ(FocusedName(), "Echo");
}

TEST_F(GridSelectionTest, GroupedDigitsOfSignedNumbersMatchTypedDigits)
{
    options.typeAheadTimeoutMs = 60'000;
    header.SetSearchColumn(1);
    AddNumber(kSigned, Common::CValue(std::int32_t{1234567}));
    AddNumber(kSigned, Common::CValue(std::int32_t{12}));
    ASSERT_EQ(objects[0]->GetFormattedValue(kSigned), "1 234 567");
    for (char ch : {'1', '2', '3'}) {
        EXPECT_TRUE(selection.SearchByChar(ch));
        EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_NORMAL})) << ch;
    }
}

TEST_F(GridSelectionTest, GroupedDigitsOfUnsignedNumbersKeepTheirBlanks)
{
    options.typeAheadTimeoutMs = 60'000;
    header.SetSearchColumn(2);
    AddNumber(kUnsigned, Common::CValue(std::uint32_t{1234567}));
    AddNumber(kUnsigned, Common::CValue(std::uint32_t{12}));
    ASSERT_EQ(objects[0]->GetFormattedValue(kUnsigned), "1 234 567");
    selection.SearchByChar('1');
    EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_NORMAL}));
    selection.SearchByChar('2'); // "12" is not the start of "1 234 567"
    EXPECT_EQ(selection.GetFocus(), (RowPosition{1, ROW_NORMAL}));
}

TEST_F(GridSelectionTest, SearchRunsFromTheFocusedRowThenWrapsToTheFirst)
{
    AddNames({"Fixed ape"}, ROW_FIXED);
    AddNames({"Ant", "Bee", "Ape"});
    options.typeAheadTimeoutMs = 0;
    auto typeAlone = [&](char ch) {
        WaitForNextTick();
        return selection.SearchByChar(ch);
    };
    EXPECT_TRUE(typeAlone('f'));
    EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_FIXED})); // fixed rows come first
    selection.SetFocus(1, ROW_NORMAL, true);                      // on "Bee"
    EXPECT_TRUE(typeAlone('a'));
    EXPECT_EQ(FocusedName(), "Ape"); // from the focus on
    EXPECT_TRUE(typeAlone('a'));     // the focused row is the last: from the top
    EXPECT_EQ(FocusedName(), "Ant");
}

TEST_F(GridSelectionTest, SearchNeedsNormalRowsASearchColumnAndALetterOrDigit)
{
    EXPECT_FALSE(selection.SearchByChar('a'));
    AddNames({"abc"});
    EXPECT_FALSE(selection.SearchByChar('-'));
    header.SetSearchColumn(7);
    EXPECT_FALSE(selection.SearchByChar('a'));
    header.SetSearchColumn(0);
    options.header = nullptr;
    EXPECT_FALSE(selection.SearchByChar('a'));
    EXPECT_EQ(selection.GetFocusedRow(), nullptr);
}

TEST(GridTypeAheadTest, PrefixesCompareByCharacterWithoutCase)
{
    EXPECT_TRUE(CGridTypeAhead::StartsWithNoCase("Beta", "bE"));
    EXPECT_TRUE(CGridTypeAhead::StartsWithNoCase("ÉCLAIR", "écl"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("Öl", "o"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("ab", "abc"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("\xC3", "ab")); // cut sequence
}

TEST(GridTypeAheadTest, KeysMapToSearchCharacters)
{
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_NUMPAD0 + 7), '7');
    EXPECT_EQ(CGridSelection::CharFromVirtualKey('Q'), 'Q');
    EXPECT_EQ(CGridSelection::CharFromVirtualKey('5'), '5');
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_F1), 'p');
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_F11), 'z');
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_F12), 0);
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_LEFT), 0);
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(VK_SPACE), 0);
    EXPECT_EQ(CGridSelection::CharFromVirtualKey(0xC4), 0);
}

} // namespace
} // namespace Ombrel::GUI
