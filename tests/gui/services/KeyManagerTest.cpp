// The key manager driven by real key input on the offscreen platform: which row each key
// focuses, how Shift and Ctrl change the selection, and the grid's routing of keys.

#include "gui/services/ServicesTestSupport.h"

#include "ombrel/gui/grid/GridService.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/services/KeyManager.h"

#include "support/Harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace Ombrel::GUI {
namespace {

using Ombrel::Test::Key;
using Testing::ServiceGrid;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;

RowPosition NormalAt(int index) { return {index, ROW_NORMAL}; }
RowPosition FixedAt(int index) { return {index, ROW_FIXED}; }

TEST(KeyManagerTest, UpFromTheFirstNormalRowReachesTheFixedRowsOnlyWhenTheyAreKeyboardRows)
{
    ServiceGrid g(2, 10);
    g.grid.SetFocus(0, ROW_NORMAL);
    Key(g.grid, Qt::Key_Up);
    EXPECT_EQ(g.Focus(), FixedAt(1));
    EXPECT_THAT(g.Selected(), ElementsAre("F1"));
    Key(g.grid, Qt::Key_Down);
    EXPECT_EQ(g.Focus(), NormalAt(0)) << "down from the last fixed row: the top normal row";
    EXPECT_THAT(g.Selected(), ElementsAre("N0"));

    g.grid.SetKeyboardTypes(ROW_NORMAL);
    Key(g.grid, Qt::Key_Up);
    Key(g.grid, Qt::Key_Home);
    EXPECT_EQ(g.Focus(), NormalAt(0)) << "fixed rows are no target any more";
    EXPECT_THAT(g.Selected(), ElementsAre("N0"));
}

TEST(KeyManagerTest, CtrlMovesOnlyTheFocusShiftExtendsAndGoingBackDeselects)
{
    ServiceGrid g(0, 10);
    g.grid.SetFocus(2, ROW_NORMAL);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    Key(g.grid, Qt::Key_Down, kShift);
    Key(g.grid, Qt::Key_Down, kShift);
    EXPECT_THAT(g.Selected(), ElementsAre("N2", "N3", "N4"));
    Key(g.grid, Qt::Key_Up, kShift);
    EXPECT_EQ(g.Focus(), NormalAt(3));
    EXPECT_THAT(g.Selected(), ElementsAre("N2", "N3")) << "the row left behind is deselected";
    Key(g.grid, Qt::Key_Down, kCtrl);
    Key(g.grid, Qt::Key_Down, kCtrl);
    EXPECT_EQ(g.Focus(), NormalAt(5));
    EXPECT_THAT(g.Selected(), ElementsAre("N2", "N3"));
    Key(g.grid, Qt::Key_Down);
    EXPECT_THAT(g.Selected(), ElementsAre("N6")) << "a plain move selects only the target";
}

TEST(KeyManagerTest, CtrlASelectsAllButNotWithShift)
{
    ServiceGrid g(1, 5);
    Key(g.grid, Qt::Key_A, kCtrl | kShift, "A");
    EXPECT_THAT(g.Selected(), IsEmpty());
    Key(g.grid, Qt::Key_A, kCtrl);
    EXPECT_EQ(g.Selected().size(), 6u);
}

TEST(KeyManagerTest, LeftCollapsesAnExpandedRowThenGoesToItsParentAndRightComesBack)
{
    ServiceGrid g(0, 0);
    CGridItem* parent = g.AddRow("p");
    CGridItem* child = g.AddRow("c", parent);
    g.AddRow("g", child);
    CGridItem* last = g.AddRow("q");
    g.grid.Expand(parent);
    g.grid.Expand(child);
    g.grid.SetFocus(1, ROW_NORMAL);

    Key(g.grid, Qt::Key_Left);
    EXPECT_FALSE(g.grid.IsExpanded(child));
    EXPECT_EQ(g.Focus(), NormalAt(1)) << "collapsing leaves the focus where it is";
    Key(g.grid, Qt::Key_Left);
    EXPECT_EQ(g.Focus(), NormalAt(0));
    EXPECT_THAT(g.Selected(), ElementsAre("N0")) << "only the parent is selected";

    Key(g.grid, Qt::Key_Right);
    EXPECT_EQ(g.Focus(), NormalAt(1)) << "right on an expanded row goes to its first child";
    Key(g.grid, Qt::Key_Right);
    EXPECT_TRUE(g.grid.IsExpanded(child));
    EXPECT_EQ(g.Focus(), NormalAt(1));

    // From a top-level row the walk back skips nested rows up to the previous top-level row.
    g.grid.SetFocus(g.grid.GetVisibleIndex(last), ROW_NORMAL);
    Key(g.grid, Qt::Key_Left);
    EXPECT_EQ(g.Focus(), NormalAt(0));

    Key(g.grid, Qt::Key_Return);
    EXPECT_FALSE(g.grid.IsExpanded(parent)) << "Enter toggles the focused row";
    Key(g.grid, Qt::Key_Return);
    EXPECT_TRUE(g.grid.IsExpanded(parent));
}

TEST(KeyManagerTest, RangeRuleWalksAcrossFixedAndNormalRows)
{
    ServiceGrid g(3, 5);
    g.grid.SetFocus(1, ROW_FIXED);
    g.grid.SelectAt(1, ROW_FIXED, true);
    Key(g.grid, Qt::Key_End, kShift);
    EXPECT_EQ(g.Focus(), NormalAt(4));
    EXPECT_THAT(g.Selected(), ElementsAre("F1", "F2", "N0", "N1", "N2", "N3", "N4"));

    // Back to the first fixed row: the walk meets a selected row at once and deselects from
    // there on; the old focus keeps its state, the target ends selected.
    Key(g.grid, Qt::Key_Home, kShift);
    EXPECT_EQ(g.Focus(), FixedAt(0));
    EXPECT_THAT(g.Selected(), ElementsAre("F0", "N4"));

    Key(g.grid, Qt::Key_End, kShift | kCtrl);
    EXPECT_EQ(g.Focus(), NormalAt(4));
    EXPECT_THAT(g.Selected(), ElementsAre("F0", "N4")) << "Ctrl moves the focus only";
}

TEST(KeyManagerTest, ShiftDownFromTheLastFixedRowTakesTheSkippedRowsAlong)
{
    ServiceGrid g(2, 40);
    ASSERT_TRUE(g.grid.SetTopRow(3));
    ASSERT_EQ(g.grid.GetTopRow(), 3);
    g.grid.SelectAt(0, ROW_FIXED, true);
    g.grid.SetFocus(1, ROW_FIXED);
    Key(g.grid, Qt::Key_Down, kShift);
    EXPECT_EQ(g.Focus(), NormalAt(3)) << "the top normal row";
    EXPECT_THAT(g.Selected(), ElementsAre("F0", "F1", "N0", "N1", "N2", "N3"));
}

TEST(KeyManagerTest, PagingMovesByPagesAndScrollsUpFromTheTopRow)
{
    ServiceGrid g(0, 60);
    const int page = g.grid.GetPageRowCount(true);
    ASSERT_GE(page, 3);
    g.grid.SetFocus(0, ROW_NORMAL);
    Key(g.grid, Qt::Key_PageDown);
    EXPECT_EQ(g.Focus(), NormalAt(page - 1)) << "first to the last row of the page";
    Key(g.grid, Qt::Key_Space);
    EXPECT_EQ(g.Focus(), NormalAt(2 * page - 2)) << "then a page further";
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return g.grid.IsOnScreen(2 * page - 2, ROW_NORMAL); }));

    const int top = g.grid.GetTopRow();
    ASSERT_GT(top, 0);
    Key(g.grid, Qt::Key_PageUp);
    EXPECT_EQ(g.Focus(), NormalAt(top)) << "first to the top row, without scrolling";
    EXPECT_EQ(g.grid.GetTopRow(), top);
    const int upwards = g.grid.GetPageRowCount(false);
    Key(g.grid, Qt::Key_Space, kShift);
    const int newTop = std::max(0, top - upwards + 1);
    EXPECT_EQ(g.grid.GetTopRow(), newTop) << "on the top row, a page up";
    EXPECT_EQ(g.Focus(), NormalAt(newTop));
    EXPECT_THAT(g.Selected(), ElementsAre("N" + std::to_string(newTop)));
}

// Records what the grid asks of its services about editing and keys.
class CKeyRecordingService final : public IGridService
{
public:
    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override
    {
        if (message == WM_KEYDOWN)
            keyDowns.push_back(static_cast<UINT>(wParam));
        return false;
    }
    void EndEditing(int endCode) override { endCodes.push_back(endCode); }

    std::vector<UINT> keyDowns;
    std::vector<int> endCodes;
};

TEST(KeyManagerTest, EscapeEndsEditingThenDropsFocusAndSelection)
{
    ServiceGrid g(0, 5);
    CKeyRecordingService service;
    CGrid::FindImpl(&g.grid)->AddService(&service);
    g.grid.SetFocus(2, ROW_NORMAL);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    Key(g.grid, Qt::Key_Escape);
    EXPECT_THAT(service.endCodes, ElementsAre(2));
    EXPECT_EQ(g.Focus().index, -1);
    EXPECT_THAT(g.Selected(), IsEmpty());

    // A key the manager leaves alone reaches the services once, not again from the window.
    constexpr UINT kF5 = 0x74;
    Key(g.grid, Qt::Key_F5);
    EXPECT_EQ(std::count(service.keyDowns.begin(), service.keyDowns.end(), kF5), 1);
    CGrid::FindImpl(&g.grid)->RemoveService(&service);
}

// A key manager that counts its downward moves and reports its deletion.
class CCountingKeyManager final : public CKeyManager
{
public:
    explicit CCountingKeyManager(bool* deleted) : CKeyManager(true), m_deleted(deleted) {}
    ~CCountingKeyManager() override { *m_deleted = true; }
    void MoveDown(CGrid* grid, bool extend, bool focusOnly) override
    {
        ++downs;
        lastExtend = extend;
        CKeyManager::MoveDown(grid, extend, focusOnly);
    }

    int downs = 0;
    bool lastExtend = false;

private:
    bool* m_deleted;
};

TEST(KeyManagerTest, GridsOwnManagerTakesKeysAndCommandsAndGoesWithTheGrid)
{
    bool deleted = false;
    {
        ServiceGrid g(0, 5);
        EXPECT_EQ(g.grid.GetKeyManager(), &CKeyManager::GetDefault());
        auto* manager = new CCountingKeyManager(&deleted);
        EXPECT_EQ(g.grid.SetKeyManager(manager), nullptr);
        EXPECT_EQ(g.grid.SetKeyManager(manager), nullptr) << "setting it again hands nothing back";
        EXPECT_EQ(g.grid.GetKeyManager(), manager);
        g.grid.SetFocus(0, ROW_NORMAL);
        Key(g.grid, Qt::Key_Down);
        EXPECT_EQ(manager->downs, 1);

        GridKeyCommand command;
        command.kind = GridKeyCommand::MoveDown;
        command.extend = true;
        EXPECT_TRUE(g.grid.ProcessKeyCommand(command));
        EXPECT_EQ(manager->downs, 2);
        EXPECT_TRUE(manager->lastExtend);
        command.kind = GridKeyCommand::MoveEnd;
        EXPECT_TRUE(g.grid.ProcessKeyCommand(command));
        EXPECT_EQ(g.Focus(), NormalAt(4));
        EXPECT_THAT(g.Selected(), ElementsAre("N1", "N2", "N3", "N4"));
    }
    EXPECT_TRUE(deleted) << "an auto-delete manager goes with its grid";
}

TEST(KeyManagerTest, KeyCommandsDoNothingWithoutNormalRows)
{
    ServiceGrid g(2, 0);
    GridKeyCommand command;
    command.kind = GridKeyCommand::MoveHome;
    EXPECT_FALSE(g.grid.ProcessKeyCommand(command));
    EXPECT_EQ(g.Focus().index, -1);
}

} // namespace
} // namespace Ombrel::GUI
