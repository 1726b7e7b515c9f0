// The grid window on its own thread: operations before and after the window exists, the
// operation dispatcher, owner notifications, destruction, header reactions, timers.

#include "GridTestSupport.h"
#include "gui/rows/RowsTestSupport.h"

#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/detail/RowAddressSet.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <set>
#include <thread>

namespace Ombrel::GUI {
namespace {

using Testing::CNotificationRecorder;
using Testing::CTestObject;
using Testing::GridWindow;
using ::testing::ElementsAre;

std::vector<std::string> NormalNames(CGrid& grid)
{
    std::vector<std::string> names;
    for (int i = 0; i < grid.GetRowCount(ROW_NORMAL); ++i)
        names.push_back(static_cast<CTestObject*>(grid.GetDataObject(grid.GetRowAt(i, ROW_NORMAL)))->GetName());
    return names;
}

TEST(GridTest, OperationsBeforeTheWindowExistsRunDirectly)
{
    CGrid grid;
    CTestObject parent("parent"), child("child");
    CGridItem* parentRow = grid.Add(&parent);
    CGridItem* childRow = grid.Add(&child, parentRow);
    ASSERT_NE(parentRow, nullptr);
    ASSERT_NE(childRow, nullptr);

    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 1); // the parent starts collapsed
    grid.Expand(parentRow);
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 2);
    EXPECT_EQ(grid.GetLevel(childRow), 1);
    EXPECT_EQ(grid.GetParent(childRow), parentRow);
    EXPECT_EQ(grid.GetVisibleIndex(childRow), 1);
    EXPECT_TRUE(grid.SetFocus(1, ROW_NORMAL));
    EXPECT_EQ(grid.GetFocusIndex(), 1);
    EXPECT_TRUE(grid.SelectAt(0, ROW_NORMAL));
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    EXPECT_EQ(grid.GetFont(), nullptr);
    EXPECT_FALSE(IsWindow(&grid));
}

TEST(GridTest, UnknownCodesAndMissingRecordsDoNothing)
{
    GridWindow window;
    CTestObject object("a");
    CGridItem* row = window.grid.Add(&object);
    ASSERT_NE(row, nullptr);
    window.owner.entries.clear();

    const UINT sync = CGrid::GetSyncMessage();
    ASSERT_GE(sync, kFirstRegisteredMessage);
    for (WPARAM code : {0, 2, 6, 40, 50, 75, 88, 178, 179, 193, 999, 0x10005}) {
        EXPECT_EQ(window.grid.SendMessage(sync, code, 0), 0) << "code " << code;
    }
    // Known operations sent without their record run nothing.
    for (auto code : {GridOperation::Remove, GridOperation::RemoveAll, GridOperation::Add,
                      GridOperation::SetFocus, GridOperation::Serialize}) {
        EXPECT_EQ(window.grid.SendMessage(sync, static_cast<WPARAM>(code), 0), 0);
    }
    EXPECT_EQ(window.grid.GetRowCount(ROW_NORMAL), 1);
    EXPECT_TRUE(window.grid.IsValid(row));
    EXPECT_TRUE(window.owner.entries.empty());
}

TEST(GridTest, RowsReservedFromAnotherThreadAreAddedWithoutGrowingTheRowSet)
{
    GridWindow window;
    CGrid& grid = window.grid;
    const CRowAddressSet& registered = CGrid::FindImpl(&grid)->GetRows().GetContainer(ROW_NORMAL).GetRegisteredRows();
    constexpr std::size_t kRows = 5000;
    std::atomic<bool> reserved = false;
    std::thread loader([&] {
        grid.ReserveRows(kRows);
        reserved = true;
    });
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return reserved.load(); }));
    loader.join();
    const std::size_t capacity = registered.Capacity();
    EXPECT_GE(capacity * 3, kRows * 4) << "room for every reserved row under the load limit";
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 0);

    std::deque<CTestObject> objects;
    std::vector<Common::CDataObject*> burst;
    for (std::size_t i = 0; i < kRows; ++i)
        burst.push_back(&objects.emplace_back("r" + std::to_string(i)));
    for (std::size_t first = 0; first < kRows; first += 1000)
        grid.AddMany(std::span(burst).subspan(first, 1000));
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), static_cast<int>(kRows));
    EXPECT_EQ(registered.Capacity(), capacity);
    grid.RemoveAll();
}

TEST(GridTest, ScriptedSessionNotifiesTheOwnerInOrder)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject parent("parent"), child("child");

    CGridItem* parentRow = grid.Add(&parent);
    CGridItem* childRow = grid.Add(&child, parentRow);
    EXPECT_TRUE(grid.SelectAt(0, ROW_NORMAL));
    EXPECT_TRUE(grid.SetFocus(0, ROW_NORMAL));
    grid.Expand(parentRow);
    std::thread worker([&] { child.Set(1, Common::CValue(std::int32_t{7})); });
    worker.join();
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return !window.owner.Of(GN_ROWUPDATED).empty(); }));
    EXPECT_TRUE(grid.Remove(parentRow));

    // Visibility changes are the rows' own business; what is checked here is the session's
    // order up to the removal, and that every payload describes its row.
    std::vector<std::string> codes;
    std::vector<Testing::CNotificationRecorder::Entry> session;
    for (const auto& entry : window.owner.entries) {
        if (entry.Code() == GN_VISIBILITYCHANGED)
            continue;
        codes.push_back(Testing::CodeName(entry.Code()) + (entry.row.row == parentRow ? " parent" : " child"));
        session.push_back(entry);
        if (entry.Code() == GN_ROWREMOVED && entry.row.row == parentRow)
            break;
    }
    EXPECT_THAT(codes, ElementsAre("ROWADDED parent", "ROWADDED child", "SELCHANGED parent",
                                   "FOCUSCHANGED parent", "EXPANDCHANGED parent",
                                   "ROWUPDATED child", "ROWREMOVED child", "ROWREMOVED parent"));

    for (const auto& entry : session) {
        EXPECT_EQ(entry.wParam, GridWindow::kControlId);
        EXPECT_EQ(entry.row.hdr.hwndFrom, &grid);
        EXPECT_EQ(entry.row.hdr.idFrom, GridWindow::kControlId);
        EXPECT_EQ(entry.row.code, entry.row.hdr.code);
        EXPECT_EQ(entry.row.grid, &grid);
        EXPECT_EQ(entry.row.rowType, ROW_NORMAL);
        EXPECT_EQ(entry.row.object, entry.row.row == parentRow ? &parent : &child);
        EXPECT_TRUE(entry.row.rowState & GRS_IN_GRID);
    }
    const auto selected = window.owner.Of(GN_SELCHANGED).front().row;
    EXPECT_EQ(selected.position, 0);
    EXPECT_EQ(selected.rowState, GRS_SELECTED | GRS_VISIBLE | GRS_IN_GRID);
    const auto focused = window.owner.Of(GN_FOCUSCHANGED).front().row;
    EXPECT_EQ(focused.rowState, GRS_SELECTED | GRS_FOCUSED | GRS_VISIBLE | GRS_IN_GRID);
    const auto expanded = window.owner.Of(GN_EXPANDCHANGED).front().row;
    EXPECT_TRUE(expanded.rowState & GRS_EXPANDED);
    const auto updated = window.owner.Of(GN_ROWUPDATED).front().row;
    EXPECT_EQ(updated.row, childRow);
    EXPECT_EQ(updated.position, 1);
    EXPECT_EQ(updated.rowState & (GRS_VISIBLE | GRS_SELECTED), GRS_VISIBLE);
    // The child is reported while it is still a member of the grid.
    const auto added = window.owner.Of(GN_ROWADDED).back().row;
    EXPECT_EQ(added.row, childRow);
    EXPECT_EQ(added.position, -1); // under a collapsed parent
}

TEST(GridTest, NothingIsSentWhileNotificationsAreOff)
{
    GridWindow window;
    CGrid& grid = window.grid;
    grid.EnableNotifications(false);
    EXPECT_FALSE(grid.AreNotificationsEnabled());
    CTestObject a("a"), b("b");
    CGridItem* rowA = grid.Add(&a);
    grid.Add(&b, rowA);
    grid.Expand(rowA);
    grid.SelectAt(1, ROW_NORMAL);
    grid.SetFocus(0, ROW_NORMAL);
    a.Set(1, Common::CValue(std::int32_t{1}));
    Ombrel::Test::PumpFor(std::chrono::milliseconds(50));
    grid.RemoveAll();
    EXPECT_TRUE(window.owner.entries.empty());

    grid.EnableNotifications(true);
    grid.Add(&a);
    EXPECT_THAT(window.owner.Codes(), ::testing::Contains(GN_ROWADDED));
}

TEST(GridTest, DestroyingTheWindowRemovesEveryRowWithItsNotification)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject f1("f1"), f2("f2"), n1("n1"), n2("n2"), n3("n3");
    grid.Add(&f1, GRID_FIXED_ROOT);
    grid.Add(&f2, GRID_FIXED_ROOT);
    CGridItem* top = grid.Add(&n1);
    CGridItem* middle = grid.Add(&n2, top);
    grid.Add(&n3, middle); // in a collapsed subtree
    std::vector<CGridItem*> all;
    grid.GetAllRows(ROW_ALL_TYPES, all);
    ASSERT_EQ(all.size(), 5u);
    window.owner.entries.clear();

    grid.DestroyWindow();

    std::multiset<CGridItem*> removed;
    for (const auto& entry : window.owner.Of(GN_ROWREMOVED))
        removed.insert(entry.row.row);
    EXPECT_EQ(removed, std::multiset<CGridItem*>(all.begin(), all.end()));
    EXPECT_EQ(grid.GetRowCount(ROW_FIXED), 0);
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 0);
    std::vector<CGridItem*> left;
    grid.GetAllRows(ROW_ALL_TYPES, left);
    EXPECT_TRUE(left.empty());
}

TEST(GridTest, HeaderChangesReachTheOwnerAsColumnNotifications)
{
    GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    EXPECT_EQ(grid.SetHeader(header), nullptr);
    EXPECT_EQ(grid.GetHeader(), header);

    auto* first = new CColumn(1, "First", 80);
    ASSERT_TRUE(header->AddColumn(first));
    auto* second = new CColumn(2, "Second", 60);
    ASSERT_TRUE(header->AddColumn(second));
    first->SetWidth(120);
    header->MoveColumnAfter(1, 2);
    header->SetSort(0, CSortInfo(2, true));

    const std::vector<UINT> codes = window.owner.Codes();
    EXPECT_THAT(codes, ElementsAre(GN_COLUMNADDED, GN_COLUMNADDED, GN_COLUMNRESIZED,
                                   GN_COLUMNMOVED, GN_SORTCHANGED));
    EXPECT_EQ(window.owner.entries[0].column.column, first);
    EXPECT_EQ(window.owner.entries[1].column.column, second);
    EXPECT_EQ(window.owner.entries[0].column.grid, &grid);
    EXPECT_EQ(grid.GetHierarchyColumn(), 2); // the first visible column after the move
    EXPECT_EQ(grid.GetSortLevelCount(), 1);
    EXPECT_EQ(grid.GetSortInfo(0), CSortInfo(2, true));

    // A header the grid no longer holds is no longer heard.
    CHeader* previous = grid.SetHeader(nullptr);
    EXPECT_EQ(previous, header);
    window.owner.entries.clear();
    header->AddColumn(new CColumn(3, "Third", 40));
    EXPECT_TRUE(window.owner.entries.empty());
    EXPECT_EQ(grid.GetHierarchyColumn(), 0);
    delete header;
}

TEST(GridTest, SortLevelsApplyAtOnceOrWaitForResort)
{
    GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(1, "Value", 80));
    grid.SetHeader(header);
    CTestObject c("c"), a("a"), b("b");
    c.Put(1, Common::CValue(std::int32_t{3}));
    a.Put(1, Common::CValue(std::int32_t{1}));
    b.Put(1, Common::CValue(std::int32_t{2}));
    grid.Add(&c);
    grid.Add(&a);
    grid.Add(&b);

    grid.SetSortInfo(0, CSortInfo(1, false), false);
    EXPECT_THAT(NormalNames(grid), ElementsAre("c", "a", "b"));
    grid.Resort();
    EXPECT_THAT(NormalNames(grid), ElementsAre("a", "b", "c"));
    grid.SetSortInfo(0, CSortInfo(1, true), true);
    EXPECT_THAT(NormalNames(grid), ElementsAre("c", "b", "a"));
    // Clearing keeps the order the rows have and empties the levels.
    grid.ClearSort();
    EXPECT_EQ(grid.GetSortLevelCount(), 0);
    EXPECT_THAT(NormalNames(grid), ElementsAre("c", "b", "a"));
}

TEST(GridTest, RepaintTimerKeepsTheEarliestDueTime)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CGridImpl* impl = CGrid::FindImpl(&grid);
    ASSERT_NE(impl, nullptr);
    CTestObject object("a");
    CGridItem* row = grid.Add(&object);
    EXPECT_EQ(impl->GetRepaintTimerDue(), -1);

    std::int64_t before = GetGridTime();
    grid.ScheduleRepaint(row, 300);
    const std::int64_t due = impl->GetRepaintTimerDue();
    EXPECT_GE(due, before + 300);
    EXPECT_LE(due, GetGridTime() + 300);

    grid.ScheduleRepaint(row, 5000); // a later request is served by the pending timer
    EXPECT_EQ(impl->GetRepaintTimerDue(), due);

    before = GetGridTime();
    grid.ScheduleCellRepaint(row, 1, 3); // raised to the 10 ms minimum, and earlier
    const std::int64_t earlier = impl->GetRepaintTimerDue();
    EXPECT_GE(earlier, before + 10);
    EXPECT_LT(earlier, due);

    // After firing, the timer re-arms itself for the row's remaining repaint (the 5000 ms one).
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return impl->GetRepaintTimerDue() > earlier; }));
    EXPECT_GE(impl->GetRepaintTimerDue(), before + 4000);

    // A repaint asked for now needs no timer.
    grid.RemoveAll();
    CGridItem* other = grid.Add(&object);
    grid.ScheduleRepaint(other, 0);
    EXPECT_EQ(grid.GetElapsedSinceChange(other, Common::AllFields), -1);
}

TEST(GridTest, RegistryKnowsLiveGridsOnly)
{
    const CGrid* gone = nullptr;
    {
        CGrid grid;
        EXPECT_NE(CGrid::FindImpl(&grid), nullptr);
        gone = &grid;
    }
    EXPECT_EQ(CGrid::FindImpl(gone), nullptr);
    int notAGrid = 0;
    EXPECT_EQ(CGrid::FindImpl(reinterpret_cast<const CGrid*>(&notAGrid)), nullptr);
}

TEST(GridTest, NeighbourRowsCrossTheSeparatorOnlyWhenAsked)
{
    CGrid grid;
    CTestObject f0("f0"), f1("f1"), n0("n0"), n1("n1");
    CGridItem* fixed0 = grid.Add(&f0, GRID_FIXED_ROOT);
    CGridItem* fixed1 = grid.Add(&f1, GRID_FIXED_ROOT);
    CGridItem* normal0 = grid.Add(&n0);
    CGridItem* normal1 = grid.Add(&n1);

    EXPECT_EQ(grid.GetNextRow(fixed0), fixed1);
    EXPECT_EQ(grid.GetNextRow(fixed1), nullptr);
    EXPECT_EQ(grid.GetNextRow(fixed1, true), normal0);
    EXPECT_EQ(grid.GetNextRow(normal1, true), nullptr);
    EXPECT_EQ(grid.GetPrevRow(normal0), nullptr);
    EXPECT_EQ(grid.GetPrevRow(normal0, true), fixed1);
    EXPECT_EQ(grid.GetPrevRow(fixed0, true), nullptr);
    EXPECT_EQ(grid.GetPrevRow(normal1), normal0);
    EXPECT_EQ(grid.GetPrevRow(GRID_ROOT, true), nullptr);
}

TEST(GridTest, WalksVisitRowsInTreeOrderUntilTheVisitorStops)
{
    CGrid grid;
    CTestObject a("a"), b("b"), c("c"), d("d"), e("e");
    CGridItem* rowA = grid.Add(&a);
    CGridItem* rowB = grid.Add(&b, rowA);
    grid.Add(&c, rowB);
    grid.Add(&d, rowA);
    grid.Add(&e);

    auto namesFrom = [&](CGridItem* start, int limit) {
        std::vector<std::string> names;
        const int visited = grid.ForEachRow(start, [&](CGridItem* row) {
            names.push_back(static_cast<CTestObject*>(grid.GetDataObject(row))->GetName());
            return static_cast<int>(names.size()) < limit;
        });
        EXPECT_EQ(visited, static_cast<int>(names.size()));
        return names;
    };
    EXPECT_THAT(namesFrom(GRID_ROOT, 100), ElementsAre("a", "b", "c", "d", "e"));
    EXPECT_THAT(namesFrom(rowB, 100), ElementsAre("b", "c", "d", "e"));
    EXPECT_THAT(namesFrom(rowA, 2), ElementsAre("a", "b"));
    EXPECT_TRUE(namesFrom(GRID_FIXED_ROOT, 100).empty());
    EXPECT_TRUE(namesFrom(reinterpret_cast<CGridItem*>(&a), 100).empty());

    // Only visible rows: rowA is collapsed, so a and e.
    std::vector<CGridItem*> visible;
    EXPECT_EQ(grid.ForEachVisibleRow(0, ROW_NORMAL, [&](CGridItem* row) {
                  visible.push_back(row);
                  return true;
              }),
              2);
    EXPECT_EQ(visible.front(), rowA);
    EXPECT_EQ(grid.ForEachVisibleRow(-1, ROW_NORMAL, [](CGridItem*) { return true; }), 0);
}

TEST(GridTest, FieldValuesComeFromTheRowsObject)
{
    CGrid grid;
    CTestObject object("a");
    object.Put(4, Common::CValue(std::int32_t{42}));
    CGridItem* row = grid.Add(&object);
    EXPECT_EQ(grid.GetFieldValue(row, 4), Common::CValue(std::int32_t{42}));
    EXPECT_TRUE(grid.GetFieldValue(nullptr, 4).IsEmpty());
    EXPECT_TRUE(grid.GetFieldValue(reinterpret_cast<CGridItem*>(&object), 4).IsEmpty());
    EXPECT_FALSE(grid.SetFieldValue(nullptr, 4, Common::CValue(std::int32_t{1})));
}

TEST(GridTest, SettingsRecordsAreCopiedWhole)
{
    CGrid grid;
    EditInPlaceSettings edit;
    edit.startMode = 0;
    edit.hoverFrameColor = 0x123456;
    grid.SetEditInPlaceSettings(edit);
    EXPECT_EQ(*grid.GetEditInPlaceSettings(), edit);
    grid.GetEditInPlaceSettings()->startMode = 2; // changed in place
    EXPECT_EQ(grid.GetEditInPlaceSettings()->startMode, 2);

    EXPECT_EQ(*grid.GetPasteSettings(), PasteSettings());
    EXPECT_EQ(*grid.GetDropSettings(), DropSettings());
    EXPECT_EQ(grid.GetTooltipKind(), 1);
    EXPECT_TRUE(grid.IsPasteEnabled());
    EXPECT_FALSE(grid.GetDropOption());
    EXPECT_TRUE(grid.IsKeyboardType(ROW_FIXED));
    grid.SetKeyboardTypes(ROW_NORMAL);
    EXPECT_FALSE(grid.IsKeyboardType(ROW_FIXED));
    EXPECT_TRUE(grid.IsKeyboardType(ROW_NORMAL));
    EXPECT_FALSE(grid.IsKeyboardType(0));
    grid.SetSeparatorThickness(-4);
    EXPECT_EQ(grid.GetSeparatorThickness(), 2);
}

TEST(GridTest, KeyCommandsNeedWhatTheyWorkOn)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject alpha("alpha");
    GridKeyCommand command;
    command.character = 'A';
    // No normal rows yet, then no header with a search column: nothing to search.
    EXPECT_FALSE(grid.ProcessKeyCommand(command));
    grid.Add(&alpha);
    EXPECT_FALSE(grid.ProcessKeyCommand(command));
    // Movement commands go to the key manager (the process default here).
    command.kind = GridKeyCommand::MoveDown;
    EXPECT_TRUE(grid.ProcessKeyCommand(command));
    EXPECT_EQ(grid.GetFocusIndex(), 0);
    EXPECT_FALSE(window.owner.Of(GN_FOCUSCHANGED).empty());
}

TEST(GridTest, ANewFontMeasuresRowsAndHeaderAgain)
{
    GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(1, "Name", 100));
    grid.SetHeader(header);
    CTestObject object("a");
    CGridItem* row = grid.Add(&object);
    const int before = grid.GetRowHeight(row);

    LOGFONT description;
    description.lfHeight = -40;
    std::strcpy(description.lfFaceName, "Sans");
    CFont big;
    ASSERT_TRUE(big.CreateFontIndirect(description));
    grid.SetFont(&big);
    EXPECT_EQ(grid.GetFont(), &big);
    EXPECT_GT(grid.GetRowHeight(row), before);
    EXPECT_GE(grid.GetRowHeight(row), 40);
    EXPECT_EQ(header->GetHeight(), grid.MeasureHeaderHeight());
    EXPECT_GT(header->GetHeight(), CHeader::kDefaultHeight);
    grid.SetFont(nullptr);
}

TEST(GridTest, TheCustomDrawFallsBackToTheProcessDefault)
{
    CGrid grid;
    ICustomDraw* standard = grid.GetCustomDraw();
    ASSERT_NE(standard, nullptr);
    CCustomDraw own(false);
    EXPECT_EQ(grid.SetCustomDraw(&own), nullptr);
    EXPECT_EQ(grid.GetCustomDraw(), &own);
    EXPECT_EQ(grid.SetCustomDraw(nullptr), &own);
    EXPECT_EQ(grid.GetCustomDraw(), standard);
}

} // namespace
} // namespace Ombrel::GUI
