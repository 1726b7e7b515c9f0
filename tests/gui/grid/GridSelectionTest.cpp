// Focus, selection, press rules and type-ahead search on a real window with real rows and
// layout; the rows' owner records the notifications.
#include "ombrel/gui/grid/GridSelection.h"

#include "support/Harness.h"

#include "ombrel/base/Clock.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/grid/GridTypeAhead.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Ombrel::GUI {
namespace {

constexpr int kName = 1, kSigned = 2, kUnsigned = 3; // std::string, int32, uint32 fields
using Positions = std::vector<int>;
using Sent = std::vector<std::pair<int, CGridItem*>>; // {code, row}

// The grid's side of rows and layout: focus and selection mode from the selection under test,
// the top row and layout from the real layout; notifications recorded.
class CTestGridSide final : public IGridRowsOwner, public IGridLayoutHost
{
public:
    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int code, CGridItem* row) override
    {
        sent.emplace_back(code, row);
        if (onNotify)
            onNotify(code, row);
    }
    void RepaintRow(CGridItem* row) override { layout->InvalidateRow(row); }
    void RepaintCell(CGridItem* row, int field) override { layout->InvalidateCell(row, field); }
    void RepaintPositions(int type, int first, int last) override
    {
        layout->InvalidatePositions(type, first, last);
    }
    void RepaintAll() override {}
    RowPosition GetFocus() const override { return selection->GetFocus(); }
    void SetFocus(RowPosition focus) override { selection->StoreFocus(focus); }
    void ClearFocus() override { selection->StoreFocus(RowPosition{}); }
    int GetTopRow() const override { return layout->GetTopRow(); }
    void SetTopRow(int index) override { layout->StoreTopRow(index); }
    void OnRowsEntered(int type, int at, int n) override { layout->OnRowsEntered(type, at, n); }
    void OnRowsLeft(int type, int at, int n) override { layout->OnRowsLeft(type, at, n); }
    void StartLayoutTimer() override { layout->UpdateLayout(); }
    void PostDeferredLayout() override { layout->UpdateLayout(); }
    void UpdateLayout() override { layout->UpdateLayout(); }
    SelectionMode GetSelectionMode() const override { return selection->GetSelectionMode(); }
    std::vector<CSortInfo> GetHeaderSortLevels() const override { return {}; }
    void OnRowChanged(CGridItem*, int) override {}
    bool CanScrollPixels() const override { return true; }
    void HideTransients() override {}
    bool IsEditing() const override { return false; }
    void OnViewScrolled() override {}
    void FlushPendingRepaints() override {}

    int Count(int code) const
    {
        return static_cast<int>(
            std::count_if(sent.begin(), sent.end(), [&](auto& n) { return n.first == code; }));
    }

    CGridSelection* selection = nullptr;
    CGridLayout* layout = nullptr;
    Sent sent;
    std::function<void(int, CGridItem*)> onNotify;
};

// A window that records the bounds of what its paints had to repaint.
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
    CRect PaintNow() { return UpdateWindow(), painted; }

    CRect painted;
    int paints = 0;
};

// Returns once the tick count has moved on, so that a zero timeout has passed.
void WaitForNextTick()
{
    const std::uint64_t start = GetTickCount64();
    while (GetTickCount64() == start) {
    }
}

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
        ASSERT_TRUE(
            window.CreateEx(0, nullptr, "grid", WS_POPUP, CRect(0, 0, 300, 400), nullptr, 0));
    }

    // A row for a new object holding one value, at the end of `type` or under `parent`.
    CGridItem* Add(int fieldId, const Common::CValue& value, int type = ROW_NORMAL,
                   CGridItem* parent = nullptr)
    {
        objects.push_back(std::make_unique<Common::CDynamicObject>(false));
        objects.back()->SetValue(fieldId, value);
        if (!parent)
            parent = type == ROW_FIXED ? GRID_FIXED_ROOT : GRID_ROOT;
        CGridItem* row = rows.Add(objects.back().get(), parent, GRID_LAST);
        layout.UpdateLayout();
        return row;
    }
    void AddNames(std::initializer_list<const char*> names, int type = ROW_NORMAL)
    {
        for (const char* name : names)
            Add(kName, Common::CValue(std::string(name)), type);
    }
    CPoint CenterOf(int index, int type) const
    {
        return layout.GetRowRectAt(index, type).CenterPoint();
    }
    std::string FocusedName() const
    {
        return selection.GetFocusedRow()->GetDataObject()->GetStdString(kName);
    }
    Positions Selected(int type) const
    {
        Positions positions;
        for (int index = 0; index < rows.GetRowCount(type); ++index) {
            if (selection.IsSelectedAt(index, type))
                positions.push_back(index);
        }
        return positions;
    }

    std::vector<std::unique_ptr<Common::CDynamicObject>> objects; // outlive the rows
    CPaintRecorder window;
    CHeader header{false};
    GridOptions options;
    CTestGridSide side;
    CGridRows rows{side};
    CGridLayout layout{window, rows, options, side};
    CGridSelection selection{window, rows, options, layout};
};

// ---- Focus --------------------------------------------------------------------------------

TEST_F(GridSelectionTest, FocusChangesNotifyOldThenNewRowAndRefusalsChangeNothing)
{
    AddNames({"a", "b"});
    AddNames({"fixed"}, ROW_FIXED);
    CGridItem* a = rows.GetRowAt(0, ROW_NORMAL);
    CGridItem* b = rows.GetRowAt(1, ROW_NORMAL);
    selection.SetFocus(0, ROW_NORMAL, true);
    side.sent.clear();
    ASSERT_TRUE(selection.SetFocus(1, ROW_NORMAL, true));
    EXPECT_TRUE(selection.SetFocus(1, ROW_NORMAL, true)); // already there: nothing sent
    EXPECT_EQ(side.sent, (Sent{{GN_FOCUSCHANGED, a}, {GN_FOCUSCHANGED, b}}));

    options.focusableTypes = ROW_NORMAL;
    EXPECT_FALSE(selection.SetFocus(0, ROW_FIXED, true));
    EXPECT_FALSE(selection.SetFocus(2, ROW_NORMAL, true));   // past the sequence
    EXPECT_FALSE(selection.SetFocus(0, ROW_DETACHED, true)); // type 0 only clears
    EXPECT_EQ(selection.GetFocus(), (RowPosition{1, ROW_NORMAL}));

    side.sent.clear();
    EXPECT_TRUE(selection.SetFocus(-1, ROW_DETACHED, true)); // one notification, old row
    EXPECT_EQ(side.sent, (Sent{{GN_FOCUSCHANGED, b}}));
    EXPECT_EQ(selection.GetFocus(), RowPosition{});

    // A negative index names no row whatever the type: it clears instead of storing {-1, 2};
    // taking the focused type out of the mask clears too.
    selection.SetFocus(0, ROW_NORMAL, false);
    EXPECT_TRUE(selection.SetFocus(-1, ROW_NORMAL, true) && selection.GetFocus().IsNone());
    selection.SetFocus(0, ROW_NORMAL, false);
    options.focusableTypes = ROW_FIXED;
    selection.OnFocusableTypesChanged();
    EXPECT_TRUE(selection.GetFocus().IsNone());
}

// ---- Selection ----------------------------------------------------------------------------

TEST_F(GridSelectionTest, SingleSelectionRefusesASecondRowButCtrlPressMovesIt)
{
    AddNames({"a", "b", "c"});
    options.multipleSelection = false;
    ASSERT_TRUE(selection.SelectAt(0, ROW_NORMAL, true));
    EXPECT_TRUE(selection.SelectAt(0, ROW_NORMAL, true)); // the selected row itself is fine
    EXPECT_FALSE(selection.SelectAt(2, ROW_NORMAL, true));
    side.sent.clear();
    EXPECT_TRUE(selection.OnLButtonDown(MK_CONTROL, CenterOf(2, ROW_NORMAL)));
    EXPECT_EQ(Selected(ROW_NORMAL), Positions{2});
    EXPECT_EQ(selection.GetFocus(), (RowPosition{2, ROW_NORMAL}));
    EXPECT_EQ(side.Count(GN_SELCHANGED), 2);
    selection.OnLButtonDown(MK_CONTROL, CenterOf(2, ROW_NORMAL)); // toggles it off again
    EXPECT_EQ(selection.GetSelectedCount(), 0);
}

TEST_F(GridSelectionTest, MasksAndSwitchesDecideWhatMayBeSelected)
{
    AddNames({"fixed"}, ROW_FIXED);
    AddNames({"a", "b", "c"});
    options.selectableTypes = ROW_NORMAL;
    EXPECT_FALSE(selection.SelectAt(0, ROW_FIXED, true));
    selection.SelectAll();
    EXPECT_EQ(selection.GetSelectedCount(), 3);
    options.selectableTypes = ROW_ALL_TYPES;
    selection.SelectAt(0, ROW_FIXED, true);

    // Disabling multiple selection deselects every row, one notification each.
    side.sent.clear();
    options.multipleSelection = false;
    selection.OnMultipleSelectionChanged();
    EXPECT_EQ(selection.GetSelectedCount(), 0);
    EXPECT_EQ(side.Count(GN_SELCHANGED), 4);
    selection.SelectAll(); // needs multiple selection
    EXPECT_EQ(selection.GetSelectedCount(), 0);

    // Taking a type out of the mask deselects its rows.
    options.multipleSelection = true;
    selection.SelectAll();
    options.selectableTypes = ROW_FIXED;
    selection.OnSelectableTypesChanged();
    EXPECT_EQ(Selected(ROW_FIXED), Positions{0});
    EXPECT_EQ(selection.GetSelectedCount(), 1);
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
    CRect expected = layout.GetRowRectAt(2, ROW_NORMAL);
    expected.InflateRect(0, 1); // the border line shared with each selected neighbour
    ASSERT_TRUE(selection.SelectAt(2, ROW_NORMAL, true));
    EXPECT_EQ(window.PaintNow(), expected);

    // The first normal row on screen and the last fixed row reach across the separator.
    const int separator = layout.GetSeparatorArea().Height();
    ASSERT_EQ(separator, 2);
    window.Settle();
    selection.SelectAt(1, ROW_FIXED, true);
    expected = layout.GetRowRectAt(1, ROW_FIXED);
    expected.bottom += separator;
    EXPECT_EQ(window.PaintNow(), expected);

    // Clearing repaints every formerly selected row on screen (f1, then normal rows 1 to 3).
    window.Settle();
    selection.ClearSelection();
    expected = CRect(0, layout.GetRowRectAt(1, ROW_FIXED).top - 1, window.GetClientRect().right,
                     layout.GetRowRectAt(3, ROW_NORMAL).bottom + 1);
    EXPECT_EQ(window.PaintNow(), expected);
}

TEST_F(GridSelectionTest, SelectedRowsComeInVisibleOrderWhetherSortedOrScanned)
{
    AddNames({"fixed 0", "fixed 1"}, ROW_FIXED);
    // Each row goes in front of the others, so the selected set (by address) is out of order.
    objects.push_back(std::make_unique<Common::CDynamicObject>(false));
    for (int i = 0; i < 400; ++i)
        rows.Add(objects.back().get(), GRID_ROOT, GRID_FIRST);
    CGridItem* parent = rows.GetRowAt(399, ROW_NORMAL);
    CGridItem* child = Add(kName, Common::CValue(std::string("child")), ROW_NORMAL, parent);
    rows.Expand(parent, true, false);
    ASSERT_TRUE(selection.Select(child, true));
    rows.Expand(parent, false, false); // still selected, no longer visible
    auto listed = [&](int mask) {
        std::vector<CGridItem*> out;
        selection.GetSelectedRows(mask, out);
        Positions positions;
        for (CGridItem* row : out)
            positions.push_back(rows.GetVisibleIndex(row) +
                                (rows.GetRowType(row) == ROW_FIXED ? 1000 : 0));
        return positions;
    };

    // 4 selected (with the hidden child) among 400 visible: sorted by position.
    for (int index : {150, 10, 90})
        selection.SelectAt(index, ROW_NORMAL, true);
    selection.SelectAt(1, ROW_FIXED, true);
    EXPECT_EQ(listed(ROW_ALL_TYPES), (Positions{1001, 10, 90, 150}));
    // 9 selected: one pass over the sequence gives the same answer.
    for (int index = 20; index < 25; ++index)
        selection.SelectAt(index, ROW_NORMAL, true);
    EXPECT_EQ(listed(ROW_NORMAL), (Positions{10, 20, 21, 22, 23, 24, 90, 150}));
    EXPECT_EQ(selection.GetSelectedCount(), 10); // the hidden child still counts
}

TEST_F(GridSelectionTest, ClearingSurvivesAHandlerThatRemovesSelectedRows)
{
    AddNames({"a", "b", "c", "d"});
    selection.SelectAll();
    bool removed = false; // the first deselection removes every other row
    side.onNotify = [&](int code, CGridItem* row) {
        if (code != GN_SELCHANGED || std::exchange(removed, true))
            return;
        std::vector<CGridItem*> all;
        rows.GetAllRows(ROW_ALL_TYPES, all);
        for (CGridItem* other : all) {
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
    AddNames({"fixed"}, ROW_FIXED);
    AddNames({"a", "b"});
    selection.SelectAll();
    EXPECT_TRUE(selection.OnLButtonDown(0, CenterOf(1, ROW_NORMAL)));
    EXPECT_EQ(selection.GetSelectedCount(), 1);
    EXPECT_EQ(selection.GetFocus(), (RowPosition{1, ROW_NORMAL}));
    EXPECT_EQ(selection.GetLastPress().areaType, ROW_NORMAL);

    const CPoint inHeader(10, layout.GetHeaderArea().bottom - 1); // the header's business
    EXPECT_FALSE(selection.OnLButtonDown(0, inHeader));
    EXPECT_EQ(selection.GetSelectedCount(), 1);

    options.focusableTypes = options.selectableTypes = ROW_NORMAL;
    EXPECT_TRUE(selection.OnLButtonDown(0, CenterOf(0, ROW_FIXED)));
    EXPECT_TRUE(selection.GetSelectedCount() == 0 && selection.GetFocus().IsNone());

    selection.OnLButtonDown(0, CenterOf(0, ROW_NORMAL));
    const CPoint belowRows(10, layout.GetNormalArea().bottom - 2);
    EXPECT_TRUE(selection.OnLButtonDown(0, belowRows));
    EXPECT_TRUE(selection.GetSelectedCount() == 0 && selection.GetFocus().IsNone());
    EXPECT_EQ(selection.GetLastPress().point, belowRows);
    selection.OnLButtonDown(0, CenterOf(0, ROW_NORMAL), false); // acts, is not remembered
    EXPECT_EQ(selection.GetLastPress().point, belowRows);
}

TEST_F(GridSelectionTest, ShiftPressSelectsFromTheFocusedRowAcrossTheSeparator)
{
    AddNames({"f0", "f1", "f2"}, ROW_FIXED);
    AddNames({"n0", "n1", "n2", "n3"});
    selection.OnLButtonDown(0, CenterOf(1, ROW_FIXED));
    EXPECT_TRUE(selection.OnLButtonDown(MK_SHIFT, CenterOf(2, ROW_NORMAL)));
    EXPECT_EQ(Selected(ROW_FIXED), (Positions{1, 2}));
    EXPECT_EQ(Selected(ROW_NORMAL), (Positions{0, 1, 2}));
    EXPECT_EQ(selection.GetFocus(), (RowPosition{1, ROW_FIXED})); // the anchor stays

    selection.OnLButtonDown(MK_SHIFT, CPoint(10, layout.GetNormalArea().bottom - 1)); // below
    EXPECT_EQ(Selected(ROW_NORMAL), (Positions{0, 1, 2, 3}));
    selection.OnLButtonDown(MK_SHIFT, CenterOf(0, ROW_FIXED));
    EXPECT_EQ(Selected(ROW_FIXED), (Positions{0, 1}));
    EXPECT_EQ(Selected(ROW_NORMAL), Positions{});

    options.multipleSelection = false; // Shift then acts as a plain press
    selection.OnLButtonDown(MK_SHIFT, CenterOf(3, ROW_NORMAL));
    EXPECT_EQ(Selected(ROW_NORMAL), Positions{3});
}

// ---- Type-ahead search --------------------------------------------------------------------

TEST_F(GridSelectionTest, TypingWithinTheTimeoutExtendsTheSearchAndAfterItStartsAnew)
{
    EXPECT_FALSE(selection.SearchByChar('a')); // no rows at all
    AddNames({"Alpha", "Beta", "Bert", "Echo"});
    options.typeAheadTimeoutMs = 60'000;
    EXPECT_TRUE(selection.SearchByChar('b'));
    EXPECT_EQ(FocusedName(), "Beta");
    EXPECT_EQ(Selected(ROW_NORMAL), Positions{1});
    EXPECT_TRUE(selection.SearchByChar('E'));
    EXPECT_EQ(selection.GetSearchText(), "bE");
    EXPECT_EQ(FocusedName(), "Beta"); // still matches: keeps the focus
    EXPECT_TRUE(selection.SearchByChar('r'));
    EXPECT_EQ(FocusedName(), "Bert");
    EXPECT_FALSE(selection.SearchByChar('x')); // no match: only the text changes
    EXPECT_EQ(FocusedName(), "Bert");

    options.typeAheadTimeoutMs = 0;
    WaitForNextTick();
    EXPECT_TRUE(selection.SearchByChar('e'));
    EXPECT_EQ(selection.GetSearchText(), "e");
    EXPECT_EQ(FocusedName(), "Echo");
    EXPECT_FALSE(selection.SearchByChar('-'));
}

TEST_F(GridSelectionTest, GroupedDigitsMatchTypedDigitsForSignedKindsOnly)
{
    options.typeAheadTimeoutMs = 60'000;
    Add(kSigned, Common::CValue(std::int32_t{1234567}));
    Add(kUnsigned, Common::CValue(std::uint32_t{1234567}));
    Add(kUnsigned, Common::CValue(std::uint32_t{12}));
    ASSERT_EQ(objects[1]->GetFormattedValue(kUnsigned), "1 234 567");
    header.SetSearchColumn(1);
    for (char ch : {'1', '2', '3'}) {
        EXPECT_TRUE(selection.SearchByChar(ch)) << ch;
        EXPECT_EQ(selection.GetFocusIndex(), 0) << ch;
    }

    header.SetSearchColumn(2);
    options.typeAheadTimeoutMs = 0;
    WaitForNextTick();
    selection.SearchByChar('1');
    EXPECT_EQ(selection.GetFocusIndex(), 1);
    options.typeAheadTimeoutMs = 60'000;
    selection.SearchByChar('2'); // "12" is not the start of "1 234 567"
    EXPECT_EQ(selection.GetFocusIndex(), 2);
}

TEST_F(GridSelectionTest, SearchRunsFromTheFocusedRowThenWrapsToTheFirst)
{
    AddNames({"Fixed ape"}, ROW_FIXED);
    AddNames({"Ant", "Bee", "Ape"});
    options.typeAheadTimeoutMs = 0;
    auto typeAlone = [&](char ch) {
        return WaitForNextTick(), selection.SearchByChar(ch);
    };
    EXPECT_TRUE(typeAlone('f'));
    EXPECT_EQ(selection.GetFocus(), (RowPosition{0, ROW_FIXED})); // fixed rows come first
    selection.SetFocus(1, ROW_NORMAL, true);                      // on "Bee"
    EXPECT_TRUE(typeAlone('a'));
    EXPECT_EQ(FocusedName(), "Ape"); // from the focus on
    EXPECT_TRUE(typeAlone('a'));     // the focused row is the last: from the top
    EXPECT_EQ(FocusedName(), "Ant");
    header.SetSearchColumn(7); // no such column
    EXPECT_FALSE(typeAlone('b'));
}

TEST_F(GridSelectionTest, SearchPassesOverARowWhoseGetterThrows)
{
    struct CFailingObject : Common::CDynamicObject
    {
        CFailingObject() : CDynamicObject(false) {}
        Common::CFormattedText GetFormattedValue(int, Common::CFormat*) override
        {
            throw std::runtime_error("getter failed");
        }
    } failing;
    rows.Add(&failing, GRID_ROOT, GRID_LAST);
    AddNames({"Kiwi"});
    EXPECT_TRUE(selection.SearchByChar('k'));
    EXPECT_EQ(FocusedName(), "Kiwi");
    rows.RemoveAll(ROW_ALL_TYPES);
}

TEST(GridTypeAheadTest, PrefixesCompareByCharacterWithoutCaseAndKeysMapToCharacters)
{
    EXPECT_TRUE(CGridTypeAhead::StartsWithNoCase("ÉCLAIR", "écl"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("Öl", "o"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("ab", "abc"));
    EXPECT_FALSE(CGridTypeAhead::StartsWithNoCase("\xC3", "ab")); // cut sequence

    const std::pair<UINT, char> keys[] = {{VK_NUMPAD0 + 7, '7'}, {'Q', 'Q'},    {'5', '5'},
                                          {VK_F1, 'p'},          {VK_F11, 'z'}, {VK_F12, 0},
                                          {VK_LEFT, 0},          {VK_SPACE, 0}, {0xC4, 0}};
    for (const auto& [key, ch] : keys)
        EXPECT_EQ(CGridSelection::CharFromVirtualKey(key), ch) << key;
}

} // namespace
} // namespace Ombrel::GUI
