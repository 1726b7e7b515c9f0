#include <deque>
#include <memory>

#include <random>

#include <gtest/gtest.h>

#include "gui/grid/PumpUntil.h"
#include "gui/rows/RowsTestSupport.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/RowFilter.h"
#include "ombrel/gui/rows/detail/RowArena.h"

namespace Ombrel::GUI::Testing {
namespace {

using Common::CDataObject;
using Names = std::vector<std::string>;

class GridRowsTest : public ::testing::Test
{
protected:
    CTestObject* Object(const std::string& name)
    {
        m_objects.push_back(std::make_unique<CTestObject>(name));
        return m_objects.back().get();
    }
    CGridItem* Add(const std::string& name, CGridItem* parent = GRID_ROOT,
                   CGridItem* after = GRID_LAST)
    {
        return rows.Add(Object(name), parent, after);
    }
    std::vector<CGridItem*> Children(CGridItem* parent)
    {
        std::vector<CGridItem*> out;
        rows.GetChildren(parent, out);
        return out;
    }

    // Objects outlive the rows that show them.
    std::deque<std::unique_ptr<CTestObject>> m_objects;
    CTestOwner owner;
    CGridRows rows{owner};
};

TEST_F(GridRowsTest, AddPlacesRowsByInsertAfterHandle)
{
    CGridItem* a = Add("a");
    Add("b", GRID_ROOT, nullptr);
    Add("c", GRID_ROOT, GRID_FIRST);
    Add("d", GRID_ROOT, a);
    Add("e", GRID_ROOT, GRID_ROOT);
    EXPECT_EQ(VisibleNames(rows), (Names{"c", "a", "d", "b", "e"}));
    EXPECT_EQ(owner.CountOf(GN_ROWADDED), 5);
    EXPECT_EQ(owner.layoutTimerStarts, 5);
    EXPECT_EQ(owner.topRow, 0);
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, InsertAfterGrandchildGoesAfterTheChildContainingIt)
{
    CGridItem* a = Add("a");
    Add("b");
    CGridItem* a1 = Add("a1", a);
    CGridItem* a11 = Add("a11", a1);
    rows.Expand(a, true, true);
    Add("x", GRID_ROOT, a11);
    Add("y", a, a); // insert-after equal to the parent: first child
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "y", "a1", "a11", "x", "b"}));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, AddWithForeignParentFailsAndDestroysTheRow)
{
    CTestOwner otherOwner;
    CGridRows other(otherOwner);
    CGridItem* foreign = other.Add(Object("foreign"), GRID_ROOT, GRID_LAST);
    CTestObject* orphan = Object("orphan");
    EXPECT_EQ(rows.Add(orphan, foreign, GRID_LAST), nullptr);
    EXPECT_EQ(rows.Add(orphan, GRID_FIRST, GRID_LAST), nullptr);
    EXPECT_EQ(rows.Add(orphan, GRID_LAST, GRID_LAST), nullptr);
    EXPECT_FALSE(CDispatcher::GetInstance().HasObject(orphan));
    EXPECT_TRUE(owner.notifications.empty());
    EXPECT_EQ(CItemContainer::GetPool().GetRegisteredRows().Size(), 0u);
}

TEST_F(GridRowsTest, ReservedHandlesAsRowsGiveNeutralResults)
{
    CGridItem* a = Add("a");
    Add("f", GRID_FIXED_ROOT);
    for (CGridItem* handle : {GRID_ROOT, GRID_FIXED_ROOT, GRID_FIRST, GRID_LAST,
                              static_cast<CGridItem*>(nullptr)}) {
        EXPECT_FALSE(rows.IsValid(handle));
        EXPECT_EQ(rows.GetRowType(handle), ROW_DETACHED);
        EXPECT_EQ(rows.GetParent(handle), nullptr);
        EXPECT_EQ(rows.GetLevel(handle), -1);
        EXPECT_FALSE(rows.IsVisible(handle));
        EXPECT_FALSE(rows.IsExpanded(handle));
        EXPECT_EQ(rows.GetVisibleIndex(handle), -1);
        EXPECT_EQ(rows.GetDataObject(handle), nullptr);
        EXPECT_FALSE(rows.Remove(handle));
        EXPECT_FALSE(rows.Detach(handle));
    }
    EXPECT_EQ(Children(GRID_ROOT), (std::vector<CGridItem*>{a}));
    EXPECT_EQ(Children(GRID_FIXED_ROOT).size(), 1u);
    EXPECT_TRUE(Children(GRID_FIRST).empty());
    EXPECT_FALSE(rows.HasChildren(GRID_LAST));
    EXPECT_EQ(rows.GetRowAt(0, 3), nullptr);
    EXPECT_EQ(rows.GetRowCount(0), 0);
    EXPECT_EQ(rows.GetRowAt(1, ROW_NORMAL), nullptr);
    EXPECT_EQ(rows.GetRowAt(-1, ROW_NORMAL), nullptr);
}

TEST_F(GridRowsTest, QueriesDescribeBothTrees)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    CGridItem* f = Add("f", GRID_FIXED_ROOT);
    CGridItem* f1 = Add("f1", f);
    rows.Expand(GRID_FIXED_ROOT, true, true);
    EXPECT_EQ(rows.GetParent(a), GRID_ROOT);
    EXPECT_EQ(rows.GetParent(f), GRID_FIXED_ROOT);
    EXPECT_EQ(rows.GetParent(a1), a);
    EXPECT_EQ(rows.GetLevel(a), 0);
    EXPECT_EQ(rows.GetLevel(f1), 1);
    EXPECT_EQ(rows.GetRowType(f1), ROW_FIXED);
    EXPECT_EQ(rows.GetRowType(a1), ROW_NORMAL);
    EXPECT_FALSE(rows.IsVisible(a1)); // a is collapsed
    EXPECT_EQ(rows.GetVisibleIndex(f1), 1);
    EXPECT_EQ(rows.GetRowAt(1, ROW_FIXED), f1);
    EXPECT_TRUE(rows.HasChildren(a));
    EXPECT_FALSE(rows.HasChildren(a1));
    std::vector<CGridItem*> all;
    rows.GetAllRows(ROW_ALL_TYPES, all);
    EXPECT_EQ(all, (std::vector<CGridItem*>{f, f1, a, a1}));
    EXPECT_EQ(rows.FindRow(a1->GetDataObject()), a1);
}

TEST_F(GridRowsTest, CollapseHidesDescendantsAndExpandShowsOnlyOpenBranches)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    Add("a11", a1);
    Add("a2", a);
    Add("b");
    rows.Expand(a, true, true);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "a1", "a11", "a2", "b"}));
    rows.Expand(a1, false, false);
    rows.Expand(a, false, false);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "b"}));
    EXPECT_EQ(a->GetVisibleDescendantCount(), 0);
    rows.Expand(a, true, false);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "a1", "a2", "b"}));
    EXPECT_EQ(CheckRows(rows), "");
    // Collapsing the root never hides its rows.
    rows.Expand(GRID_ROOT, false, true);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "b"}));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, OnlyTheFirstChildOfACollapsedRowRepaintsIt)
{
    CGridItem* a = Add("a");
    owner.repaintedRows.clear();
    Add("a1", a);
    EXPECT_EQ(owner.repaintedRows, (std::vector<CGridItem*>{a}));
    Add("a2", a);
    EXPECT_EQ(owner.repaintedRows.size(), 1u);
}

TEST_F(GridRowsTest, RemoveAnnouncesChildrenFirstAndClearsTheFocus)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    CGridItem* a2 = Add("a2", a);
    CGridItem* a21 = Add("a21", a2);
    CGridItem* b = Add("b");
    rows.Expand(a, true, true);
    owner.focus = {1, ROW_NORMAL};
    owner.notifications.clear();
    CDataObject* object = a2->GetDataObject();
    ASSERT_TRUE(rows.Remove(a));
    std::vector<CGridItem*> removed;
    for (const auto& n : owner.notifications) {
        if (n.code == GN_ROWREMOVED)
            removed.push_back(n.row);
    }
    EXPECT_EQ(removed, (std::vector<CGridItem*>{a21, a2, a1, a}));
    EXPECT_TRUE(owner.focus.IsNone());
    EXPECT_FALSE(CDispatcher::GetInstance().HasObject(object));
    EXPECT_FALSE(rows.IsValid(a21));
    EXPECT_EQ(VisibleNames(rows), (Names{"b"}));
    EXPECT_EQ(rows.GetVisibleIndex(b), 0);
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, BurstOfRemovalsPostsOneDeferredLayout)
{
    CGridItem* a = Add("a");
    CGridItem* b = Add("b");
    CGridItem* c = Add("c");
    CGridItem* d = Add("d");
    EXPECT_TRUE(rows.Remove(a));
    EXPECT_TRUE(rows.Remove(b));
    EXPECT_TRUE(rows.RemoveAt(0, ROW_NORMAL)); // c
    EXPECT_EQ(owner.deferredLayoutPosts, 1);
    rows.OnDeferredLayout();
    EXPECT_EQ(owner.layoutUpdates, 1);
    EXPECT_TRUE(rows.Remove(d));
    EXPECT_EQ(owner.deferredLayoutPosts, 2);
    EXPECT_FALSE(rows.IsValid(c));
}

TEST_F(GridRowsTest, RemovalClampsTheTopRow)
{
    Add("a");
    Add("b");
    CGridItem* c = Add("c");
    owner.topRow = 2;
    rows.Remove(c);
    EXPECT_EQ(owner.topRow, 1);
}

TEST_F(GridRowsTest, DetachAndAttachKeepChildrenAndBinding)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    Add("b");
    rows.Expand(a, true, false);
    CDataObject* object = a->GetDataObject();
    owner.notifications.clear();
    ASSERT_TRUE(rows.Detach(a));
    EXPECT_EQ(owner.CodesFor(a), (std::vector<int>{GN_ROWDETACHED, GN_VISIBILITYCHANGED}));
    EXPECT_FALSE(rows.IsValid(a));
    EXPECT_FALSE(rows.IsValid(a1));
    EXPECT_EQ(a->GetContainer(), &CItemContainer::GetPool());
    EXPECT_TRUE(CDispatcher::GetInstance().IsRegistered(object, a));
    EXPECT_EQ(VisibleNames(rows), (Names{"b"}));

    ASSERT_TRUE(rows.Attach(a, GRID_FIXED_ROOT, GRID_LAST));
    EXPECT_EQ(rows.GetRowType(a1), ROW_FIXED);
    EXPECT_EQ(rows.GetParent(a1), a);
    EXPECT_EQ(VisibleNames(rows, ROW_FIXED), (Names{"a", "a1"}));
    EXPECT_EQ(owner.CodesFor(a).back(), GN_ROWATTACHED);
    EXPECT_EQ(rows.GetDataObject(a), object);
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_TRUE(CItemContainer::GetPool().GetRegisteredRows().IsEmpty());
}

TEST_F(GridRowsTest, AttachRefusesRowsThatAreNotPooled)
{
    CGridItem* a = Add("a");
    EXPECT_FALSE(rows.Attach(a, GRID_ROOT, GRID_LAST)); // still in the grid
    CGridItem unknown; // pooled but bound to no object
    EXPECT_FALSE(rows.Attach(&unknown, GRID_ROOT, GRID_LAST));
    alignas(CGridItem) unsigned char notARow[sizeof(CGridItem)] = {};
    EXPECT_FALSE(rows.Attach(reinterpret_cast<CGridItem*>(notARow), GRID_ROOT, GRID_LAST));
    EXPECT_EQ(VisibleNames(rows), (Names{"a"}));
}

TEST_F(GridRowsTest, MovePlacesRowBeforeOrAfterReference)
{
    CGridItem* a = Add("a");
    CGridItem* b = Add("b");
    CGridItem* c = Add("c");
    rows.Move(c, a, nullptr, true);
    EXPECT_EQ(VisibleNames(rows), (Names{"c", "a", "b"}));
    rows.Move(c, b, nullptr, false);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "b", "c"}));
    rows.Move(a, c, nullptr, true); // before c: after b
    EXPECT_EQ(VisibleNames(rows), (Names{"b", "a", "c"}));
    rows.Move(a, c, nullptr, true); // already there
    EXPECT_EQ(VisibleNames(rows), (Names{"b", "a", "c"}));
    rows.Move(b, GRID_LAST, GRID_FIXED_ROOT, false);
    EXPECT_EQ(VisibleNames(rows, ROW_FIXED), (Names{"b"}));
    // Below another row is not offered, and a row cannot go inside itself.
    rows.Move(c, GRID_LAST, a, false);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "c"}));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, RemoveAllEmptiesTheMaskedContainers)
{
    CGridItem* a = Add("a");
    Add("a1", a);
    CGridItem* f = Add("f", GRID_FIXED_ROOT);
    CDataObject* object = a->GetDataObject();
    owner.notifications.clear();
    EXPECT_TRUE(rows.RemoveAll(ROW_NORMAL));
    EXPECT_EQ(owner.CountOf(GN_ROWREMOVED), 2);
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 0);
    EXPECT_EQ(owner.topRow, -1);
    EXPECT_FALSE(CDispatcher::GetInstance().HasObject(object));
    EXPECT_TRUE(rows.IsValid(f));
    EXPECT_FALSE(rows.RemoveAll(0));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, RemoveAllDeselectsFirstAndKeepsOtherGridsBindings)
{
    CTestOwner otherOwner;
    CGridRows other(otherOwner);
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    CGridItem* b = Add("b");
    rows.Expand(a, true, false);
    CDataObject* shared = b->GetDataObject();
    CGridItem* elsewhere = other.Add(shared, GRID_ROOT, GRID_LAST);
    CGridItem* twice = rows.Add(shared, GRID_ROOT, GRID_LAST);
    ASSERT_TRUE(a1->SetSelected(true));
    ASSERT_TRUE(b->SetSelected(true));
    owner.notifications.clear();
    EXPECT_TRUE(rows.RemoveAll(ROW_ALL_TYPES));
    EXPECT_EQ(owner.CountOf(GN_SELCHANGED), 2);
    EXPECT_EQ(owner.CountOf(GN_ROWREMOVED), 4);
    EXPECT_TRUE(rows.GetContainer(ROW_NORMAL).GetSelectedRows().IsEmpty());
    EXPECT_FALSE(rows.IsValid(twice));
    // The object keeps its row in the other grid, registered and still told of changes.
    std::vector<CGridItem*> found;
    CDispatcher::GetInstance().GetRows(shared, found);
    EXPECT_EQ(found, (std::vector<CGridItem*>{elsewhere}));
    static_cast<CTestObject*>(shared)->Set(1, Common::CValue(std::int32_t{9}));
    ASSERT_TRUE(PumpUntil([&] { return otherOwner.CountOf(GN_ROWUPDATED) == 1; }));
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_EQ(CheckRows(other), "");
}

TEST_F(GridRowsTest, AddManyPlacesTheRunAfterItsHandleAndRefusesForeignParents)
{
    CGridItem* a = Add("a");
    Add("b");
    std::vector<CDataObject*> objects{Object("x"), Object("y"), nullptr};
    const auto added = rows.AddMany(objects, GRID_ROOT, a);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[2]->GetDataObject(), nullptr);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "x", "y", "?", "b"}));
    EXPECT_EQ(owner.CountOf(GN_ROWADDED), 5);

    CTestOwner otherOwner;
    CGridRows other(otherOwner);
    CGridItem* foreign = other.Add(Object("foreign"), GRID_ROOT, GRID_LAST);
    CTestObject* orphan = Object("orphan");
    std::vector<CDataObject*> refused{orphan};
    EXPECT_TRUE(rows.AddMany(refused, foreign, GRID_LAST).empty());
    EXPECT_TRUE(rows.AddMany(refused, GRID_FIRST, GRID_LAST).empty());
    EXPECT_FALSE(CDispatcher::GetInstance().HasObject(orphan));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, RowsFromTheArenaAndDerivedRowsFromTheHeapLeaveAndAreRefusedAlike)
{
    CItemContainer::GetPool(); // its root row lives as long as the process
    const std::size_t liveBefore = CGridItem::GetArena().GetLiveCount();
    // Enough rows for several chunks of the arena, made in a burst and one by one.
    std::vector<CDataObject*> objects;
    for (int index = 0; index < 3000; ++index)
        objects.push_back(Object("r" + std::to_string(index)));
    std::vector<CGridItem*> made = rows.AddMany(objects, GRID_ROOT, GRID_LAST);
    for (std::size_t index = 0; index < 50; ++index)
        made.push_back(Add("s" + std::to_string(index), GRID_ROOT, made[index]));
    EXPECT_EQ(CGridItem::GetArena().GetLiveCount(), liveBefore + made.size());

    // A row of a derived class is bigger than a slot: it lives on the heap and goes back there.
    struct CTaggedRow final : CGridItem
    {
        std::int64_t tags[6] = {1, 2, 3, 4, 5, 6};
    };
    auto* tagged = new CTaggedRow();
    tagged->SetDataObject(Object("tagged"));
    ASSERT_TRUE(rows.Attach(tagged, GRID_ROOT, GRID_FIRST));
    EXPECT_EQ(CGridItem::GetArena().GetLiveCount(), liveBefore + made.size());

    std::vector<CGridItem*> removed;
    for (std::size_t index = 0; index < made.size(); index += 3) {
        ASSERT_TRUE(rows.Remove(made[index]));
        removed.push_back(made[index]);
    }
    ASSERT_TRUE(rows.Remove(tagged));
    // Checked before any new row could take a freed slot.
    EXPECT_FALSE(rows.IsValid(tagged));
    for (CGridItem* row : removed)
        EXPECT_FALSE(rows.IsValid(row));
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), static_cast<int>(made.size() - removed.size()));
    rows.RemoveAll(ROW_ALL_TYPES);
    EXPECT_EQ(CGridItem::GetArena().GetLiveCount(), liveBefore) << "every slot went back";
}

TEST_F(GridRowsTest, RefusedBurstOfChildrenLeavesEveryRowFreeToJoinLater)
{
    // A row named twice, or one that has a parent already, refuses the whole burst; the rows
    // checked before the offender must not keep the parent they were about to get.
    CGridItem* taken = Add("taken");
    std::vector<std::unique_ptr<CGridItem>> pooled;
    for (int i = 0; i < 3; ++i)
        pooled.push_back(std::make_unique<CGridItem>());
    CGridItem* first = pooled[0].get();
    CGridItem* second = pooled[1].get();
    CGridItem* third = pooled[2].get();
    const std::vector<CGridItem*> twice{first, second, first};
    const std::vector<CGridItem*> withTaken{third, taken};
    const auto holder = std::make_unique<CGridItem>(); // a pooled row, like the three
    CGridItem* const parent = holder.get();
    EXPECT_FALSE(parent->InsertChildren(twice, 0, false));
    EXPECT_FALSE(parent->InsertChildren(withTaken, 0, false));
    for (CGridItem* row : {first, second, third})
        EXPECT_EQ(row->GetParent(), nullptr);
    EXPECT_EQ(taken->GetParent(), rows.GetContainer(ROW_NORMAL).GetRoot());

    const std::vector<CGridItem*> all{third, second, first};
    EXPECT_TRUE(parent->InsertChildren(all, 0, false));
    EXPECT_EQ(parent->FindChild(first) - parent->FindChild(third), 2);
    for (CGridItem* row : all)
        parent->RemoveChild(row); // the three are owned by `pooled` again
    EXPECT_EQ(parent->GetChildCount(), 0);
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, FocusStaysOnItsRowWhileRowsEnterAndLeave)
{
    CGridItem* a = Add("a");
    Add("a1", a);
    CGridItem* b = Add("b");
    owner.focus = {1, ROW_NORMAL}; // b
    rows.Expand(a, true, false);
    EXPECT_EQ(owner.focus, (RowPosition{2, ROW_NORMAL}));
    Add("z", GRID_ROOT, GRID_FIRST);
    EXPECT_EQ(owner.focus, (RowPosition{3, ROW_NORMAL}));
    EXPECT_EQ(rows.GetVisibleIndex(b), 3);
    owner.focus = {2, ROW_NORMAL}; // a1
    rows.Expand(a, false, false);
    EXPECT_TRUE(owner.focus.IsNone());
}

TEST_F(GridRowsTest, SelectionFollowsTheModeAndLeavesWithTheRow)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    CGridItem* b = Add("b");
    owner.selectionMode = IGridRowsOwner::SelectionMode::Single;
    EXPECT_TRUE(a->SetSelected(true));
    EXPECT_FALSE(b->SetSelected(true));
    EXPECT_FALSE(a1->SetSelected(true)); // not visible
    owner.selectionMode = IGridRowsOwner::SelectionMode::Multiple;
    EXPECT_TRUE(b->SetSelected(true));
    EXPECT_EQ(rows.GetContainer(ROW_NORMAL).GetSelectedRows().Size(), 2u);
    owner.notifications.clear();
    rows.Remove(b);
    EXPECT_EQ(owner.CountOf(GN_SELCHANGED), 1);
    EXPECT_EQ(rows.GetContainer(ROW_NORMAL).GetSelectedRows().Size(), 1u);
    CGridItem pooled;
    EXPECT_FALSE(pooled.SetSelected(true));
    owner.selectionMode = IGridRowsOwner::SelectionMode::Disabled;
    EXPECT_TRUE(a->SetSelected(false));
    EXPECT_FALSE(a->SetSelected(true));
    EXPECT_EQ(CheckRows(rows), "");
}

TEST_F(GridRowsTest, ChangeRecordsKeepFieldTimesAndDueRepaints)
{
    CGridItem* a = Add("a");
    EXPECT_EQ(a->GetElapsedSinceChange(5), -1);
    a->MarkFieldChanged(9);
    a->MarkFieldChanged(3);
    a->MarkFieldChanged(7);
    a->MarkFieldChanged(3);
    ASSERT_EQ(a->GetChangeRecords().size(), 3u);
    EXPECT_EQ(a->GetChangeRecords()[0].fieldId, 3);
    EXPECT_EQ(a->GetChangeRecords()[2].fieldId, 9);
    EXPECT_GE(a->GetElapsedSinceChange(7), 0);
    EXPECT_EQ(a->GetElapsedSinceChange(5), -1);
    a->MarkRowChanged();
    EXPECT_GE(a->GetElapsedSinceChange(5), 0);

    a->ScheduleCellRepaint(7, 0);
    a->ScheduleCellRepaint(4, 0); // never changed: nothing to schedule
    a->ScheduleRepaint(0);
    EXPECT_GE(a->GetNextRepaintTime(), 0);
    owner.repaintedRows.clear();
    a->RefreshDueRepaints();
    EXPECT_EQ(owner.repaintedRows, (std::vector<CGridItem*>{a}));
    EXPECT_EQ(owner.repaintedCells, (std::vector<std::pair<CGridItem*, int>>{{a, 7}}));
    EXPECT_EQ(a->GetNextRepaintTime(), -1);
    a->ScheduleRepaint(60'000);
    a->RefreshDueRepaints();
    EXPECT_EQ(owner.repaintedRows.size(), 1u);
}

TEST_F(GridRowsTest, ChangeRecordsOutgrowingTheRowKeepOrderTimesAndSchedules)
{
    // A row keeps its first few records in place and moves them all elsewhere once more
    // fields change: nothing recorded before the move may be lost or reordered by it.
    CGridItem* a = Add("a");
    a->MarkFieldChanged(20);
    a->MarkFieldChanged(10);
    a->MarkFieldChanged(30);
    a->ScheduleCellRepaint(10, 60'000);
    a->ScheduleCellRepaint(30, 0);
    for (const int field : {25, 5, 40, 15, 10, 35})
        a->MarkFieldChanged(field);

    std::vector<int> fields;
    for (const CGridItem::ChangeRecord& record : a->GetChangeRecords())
        fields.push_back(record.fieldId);
    EXPECT_EQ(fields, (std::vector<int>{5, 10, 15, 20, 25, 30, 35, 40}));
    EXPECT_GE(a->GetElapsedSinceChange(20), 0);
    EXPECT_GE(a->GetNextRepaintTime(), 0);

    owner.repaintedCells.clear();
    a->RefreshDueRepaints();
    EXPECT_EQ(owner.repaintedCells, (std::vector<std::pair<CGridItem*, int>>{{a, 30}}));
    EXPECT_GT(a->GetNextRepaintTime(), 0); // field 10's repaint is still ahead
}

class CValueFilter final : public IRowFilter
{
public:
    bool IsHidden(CGrid*, CGridItem*, Common::CDataObject* object) override
    {
        return object && object->GetValue(1) == Common::CValue(std::int32_t{0});
    }
};

TEST_F(GridRowsTest, FilterHidesRowsAndFollowsChanges)
{
    CGridItem* a = Add("a");
    CGridItem* a1 = Add("a1", a);
    CGridItem* b = Add("b");
    rows.Expand(a, true, false);
    CValueFilter filter;
    static_cast<CTestObject*>(a->GetDataObject())->Put(1, std::int32_t{0});
    EXPECT_EQ(rows.SetFilter(&filter), nullptr);
    EXPECT_EQ(VisibleNames(rows), (Names{"b"}));
    EXPECT_FALSE(rows.IsVisible(a1)); // under a hidden parent
    EXPECT_EQ(owner.CodesFor(a).back(), GN_FILTERCHANGED);
    EXPECT_EQ(CheckRows(rows), "");

    static_cast<CTestObject*>(a->GetDataObject())->Put(1, std::int32_t{1});
    a->OnUpdate(1);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "a1", "b"}));
    static_cast<CTestObject*>(b->GetDataObject())->Put(1, std::int32_t{0});
    b->OnUpdate(1);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "a1"}));
    EXPECT_EQ(owner.CodesFor(b).back(), GN_ROWUPDATED);
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_EQ(rows.SetFilter(nullptr), &filter);
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "a1", "b"}));
}

} // namespace
} // namespace Ombrel::GUI::Testing

namespace Ombrel::GUI::Testing {
namespace {

TEST_F(GridRowsTest, AddManyShowsItsRunAsOneBlockPastTheFilterAndKeepsTheFocusedRow)
{
    Add("a");
    CGridItem* b = Add("b");
    owner.focus = RowPosition{1, ROW_NORMAL};
    CValueFilter filter;
    rows.SetFilter(&filter);
    owner.focus = RowPosition{1, ROW_NORMAL}; // refreshing the filter cleared it
    CTestObject* hidden = Object("hidden");
    hidden->Put(1, std::int32_t{0});
    std::vector<CDataObject*> objects{Object("x"), hidden, Object("y")};
    owner.notifications.clear();

    const auto added = rows.AddMany(objects, GRID_ROOT, GRID_FIRST);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(VisibleNames(rows), (Names{"x", "y", "a", "b"}));
    EXPECT_FALSE(rows.IsVisible(added[1]));
    EXPECT_EQ(owner.focus.index, 3); // still on b
    EXPECT_EQ(rows.GetRowAt(owner.focus.index, ROW_NORMAL), b);
    EXPECT_EQ(owner.CountOf(GN_VISIBILITYCHANGED), 2);
    EXPECT_EQ(owner.CountOf(GN_ROWADDED), 3);
    EXPECT_EQ(CheckRows(rows), "");

    // The hidden row comes in when its value lets it through, in its slot.
    hidden->Put(1, std::int32_t{1});
    added[1]->OnUpdate(1);
    EXPECT_EQ(VisibleNames(rows), (Names{"x", "hidden", "y", "a", "b"}));
    EXPECT_EQ(CheckRows(rows), "");
}

// Hides the rows whose field 1 holds 0, as CValueFilter does, and counts its questions.
class CCountingFilter final : public IRowFilter
{
public:
    bool IsHidden(CGrid* grid, CGridItem* row, Common::CDataObject* object) override
    {
        ++asked;
        return inner.IsHidden(grid, row, object);
    }
    CValueFilter inner;
    int asked = 0;
};

TEST_F(GridRowsTest, AddManyAsksTheFilterOnceARowWhereverTheHiddenRowsStand)
{
    // The burst enters as it is until a row is hidden; from there on the rows are gathered
    // one by one. Each place of the first hidden row, and none at all, shows the same rows.
    for (const int firstHidden : {-1, 0, 2, 5}) {
        rows.RemoveAll(ROW_ALL_TYPES);
        CCountingFilter filter;
        rows.SetFilter(&filter);
        filter.asked = 0;
        std::vector<CDataObject*> objects;
        Names expected;
        for (int index = 0; index < 6; ++index) {
            const std::string name = "r" + std::to_string(index);
            CTestObject* object = Object(name);
            const bool hidden = firstHidden >= 0 && (index == firstHidden || index == 5);
            object->Put(1, std::int32_t{hidden ? 0 : 1});
            objects.push_back(object);
            if (!hidden)
                expected.push_back(name);
        }
        rows.AddMany(objects, GRID_ROOT, GRID_LAST);
        EXPECT_EQ(VisibleNames(rows), expected) << "first hidden: " << firstHidden;
        EXPECT_EQ(filter.asked, 6) << "first hidden: " << firstHidden;
        EXPECT_EQ(CheckRows(rows), "");
        rows.SetFilter(nullptr);
    }
}

TEST_F(GridRowsTest, SingleRowsFindTheirVisiblePlaceInFlatAndAlmostFlatGrids)
{
    // Rows added one by one at random slots: while every row is a shown child of the root the
    // visible position is the slot; a hidden row, a collapsed child or a shown one must each
    // lead back to the search of the tree.
    std::mt19937 random(41);
    CValueFilter filter;
    std::vector<CGridItem*> made{Add("first")};
    const auto addAtRandom = [&](const std::string& name) {
        CGridItem* after = made[random() % made.size()];
        made.push_back(Add(name, GRID_ROOT, random() % 5 == 0 ? GRID_FIRST : after));
        return made.back();
    };
    for (int index = 0; index < 60; ++index)
        addAtRandom("flat" + std::to_string(index));
    ASSERT_EQ(CheckRows(rows), "");

    rows.SetFilter(&filter);
    CTestObject* hidden = Object("hidden");
    hidden->Put(1, std::int32_t{0});
    made.push_back(rows.Add(hidden, GRID_ROOT, made[7]));
    EXPECT_FALSE(rows.IsVisible(made.back()));
    for (int index = 0; index < 30; ++index)
        addAtRandom("past-hidden" + std::to_string(index));
    EXPECT_EQ(CheckRows(rows), "");

    rows.SetFilter(nullptr);
    CGridItem* parent = made[3];
    Add("collapsed child", parent);
    for (int index = 0; index < 20; ++index)
        addAtRandom("past-collapsed" + std::to_string(index));
    EXPECT_EQ(CheckRows(rows), "");
    rows.Expand(parent, true, false);
    for (int index = 0; index < 20; ++index)
        addAtRandom("past-expanded" + std::to_string(index));
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_EQ(static_cast<std::size_t>(rows.GetRowCount(ROW_NORMAL)), made.size() + 1);
}

} // namespace
} // namespace Ombrel::GUI::Testing
