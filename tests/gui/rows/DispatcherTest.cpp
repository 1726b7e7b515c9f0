#include <deque>
#include <memory>

#include <gtest/gtest.h>

#include "gui/grid/PumpUntil.h"
#include "gui/rows/RowsTestSupport.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI::Testing {
namespace {

using Common::CValue;

class DispatcherTest : public ::testing::Test
{
protected:
    CTestObject* Object(const std::string& name)
    {
        m_objects.push_back(std::make_unique<CTestObject>(name));
        return m_objects.back().get();
    }

    std::deque<std::unique_ptr<CTestObject>> m_objects;
    CTestOwner owner;
    CGridRows rows{owner};
    CDispatcher& dispatcher = CDispatcher::GetInstance();
};

TEST_F(DispatcherTest, RegistryFollowsRowsOfOneObjectAcrossGrids)
{
    CTestOwner otherOwner;
    CGridRows other(otherOwner);
    CTestObject* object = Object("o");
    CGridItem* first = rows.Add(object, GRID_ROOT, GRID_LAST);
    CGridItem* second = other.Add(object, GRID_ROOT, GRID_LAST);
    CGridItem* third = rows.Add(object, GRID_FIXED_ROOT, GRID_LAST);
    std::vector<CGridItem*> found;
    dispatcher.GetRows(object, found);
    EXPECT_EQ(found, (std::vector<CGridItem*>{first, second, third}));
    found.clear();
    rows.FindRows(object, found, ROW_ALL_TYPES, false);
    EXPECT_EQ(found, (std::vector<CGridItem*>{first, third}));
    EXPECT_EQ(rows.FindRow(object), third); // a fixed row wins

    rows.Remove(first);
    rows.Remove(third);
    EXPECT_TRUE(dispatcher.HasObject(object));
    EXPECT_FALSE(dispatcher.IsRegistered(object, first));
    object->Set(1, CValue(std::int32_t{5}));
    ASSERT_TRUE(PumpUntil([&] { return otherOwner.CountOf(GN_ROWUPDATED) == 1; }));
    other.Remove(second);
    EXPECT_FALSE(dispatcher.HasObject(object));
    dispatcher.Unregister(object, second); // absent: nothing happens
    EXPECT_FALSE(dispatcher.HasObject(object));
}

TEST_F(DispatcherTest, ChangeOnTheOwnerThreadArrivesThroughTheQueue)
{
    ASSERT_EQ(dispatcher.GetOwnerThreadId(), GetCurrentThreadId());
    CTestObject* object = Object("o");
    CGridItem* row = rows.Add(object, GRID_ROOT, GRID_LAST);
    owner.notifications.clear();
    object->Set(3, CValue(std::int32_t{1}));
    EXPECT_EQ(row->GetElapsedSinceChange(3), -1);
    EXPECT_TRUE(owner.notifications.empty());
    ASSERT_TRUE(PumpUntil([&] { return owner.CountOf(GN_ROWUPDATED) == 1; }));
    EXPECT_GE(row->GetElapsedSinceChange(3), 0);
}

TEST_F(DispatcherTest, FieldsAreDeliveredInOrderAndRepeatsOfAPendingFieldOnce)
{
    CTestObject* object = Object("o");
    CTestObject* other = Object("p");
    CGridItem* row = rows.Add(object, GRID_ROOT, GRID_LAST);
    CGridItem* otherRow = rows.Add(other, GRID_ROOT, GRID_LAST);
    owner.notifications.clear();
    for (int field = 1; field <= 10; ++field)
        object->NotifyUpdate(field % 2 == 0 ? 7 : field);
    other->NotifyUpdate(7); // another object's field 7 is a change of its own
    ASSERT_TRUE(PumpUntil([&] { return owner.CountOf(GN_ROWUPDATED) == 6; }));
    std::vector<int> cells;
    for (const auto& [painted, field] : owner.repaintedCells) {
        if (painted == row)
            cells.push_back(field);
    }
    EXPECT_EQ(cells, (std::vector<int>{1, 7, 3, 5, 9}));
    EXPECT_EQ(owner.repaintedCells.back(), std::make_pair(otherRow, 7));

    // Once delivered, the field is no longer pending: its next change is delivered again.
    object->NotifyUpdate(7);
    ASSERT_TRUE(PumpUntil([&] { return owner.CountOf(GN_ROWUPDATED) == 7; }));
    EXPECT_EQ(owner.repaintedCells.back(), std::make_pair(row, 7));
}

TEST_F(DispatcherTest, AllFieldsAndNoFieldRepaintTheRow)
{
    CTestObject* object = Object("o");
    CGridItem* row = rows.Add(object, GRID_ROOT, GRID_LAST);
    owner.repaintedRows.clear();
    object->NotifyUpdate(Common::NoField);
    object->NotifyUpdate(Common::AllFields);
    ASSERT_TRUE(PumpUntil([&] { return owner.CountOf(GN_ROWUPDATED) == 2; }));
    EXPECT_EQ(owner.repaintedRows, (std::vector<CGridItem*>{row, row}));
    EXPECT_GE(row->GetRowChangeTime(), 0);
}

} // namespace
} // namespace Ombrel::GUI::Testing
