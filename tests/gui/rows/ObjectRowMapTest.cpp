#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "ombrel/gui/rows/detail/ObjectRowMap.h"

namespace Ombrel::GUI {
namespace {

// Addresses that are never read: the map keys posted changes by objects that may be gone.
const Common::CDataObject* FakeObject(std::uintptr_t index)
{
    return reinterpret_cast<const Common::CDataObject*>(0x100000 + index * 16);
}

CGridItem* FakeRow(std::uintptr_t index)
{
    return reinterpret_cast<CGridItem*>(0x900000 + index * 16);
}

using Model = std::map<const Common::CDataObject*, std::vector<CGridItem*>>;

void ExpectSameAsModel(const CObjectRowMap& map, const Model& model, std::uintptr_t objects,
                       int step)
{
    ASSERT_EQ(map.ObjectCount(), model.size()) << "step " << step;
    for (std::uintptr_t index = 0; index < objects; ++index) {
        const Common::CDataObject* object = FakeObject(index);
        std::vector<CGridItem*> rows;
        map.CopyRows(object, rows);
        const auto entry = model.find(object);
        const std::vector<CGridItem*> expected =
            entry == model.end() ? std::vector<CGridItem*>{} : entry->second;
        ASSERT_EQ(rows, expected) << "step " << step << ", object " << index;
        ASSERT_EQ(map.HasObject(object), !expected.empty());
        ASSERT_EQ(map.SingleRow(object), expected.size() == 1 ? expected.front() : nullptr);
    }
}

// Dense object addresses make long probe runs, where a wrong backward shift after an erase
// loses the objects behind the hole; a few rows per object exercise the side map, where
// removing the first row must promote the second.
void ExpectChurnKeepsRowsInRegistrationOrder(CObjectRowMap& map)
{
    constexpr std::uintptr_t kObjects = 1500;
    Model model;
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uintptr_t> pickObject(0, kObjects - 1);
    std::uniform_int_distribution<std::uintptr_t> pickRow(0, 3);
    for (int step = 0; step < 40000; ++step) {
        const std::uintptr_t objectIndex = pickObject(random);
        const Common::CDataObject* object = FakeObject(objectIndex);
        CGridItem* row = FakeRow(objectIndex * 4 + pickRow(random));
        std::vector<CGridItem*>& rows = model[object];
        const auto present = std::ranges::find(rows, row);
        if (present == rows.end()) {
            ASSERT_EQ(map.Add(object, row), rows.empty()) << "step " << step;
            rows.push_back(row);
        } else {
            rows.erase(present);
            const auto expected =
                rows.empty() ? CObjectRowMap::Removal::Last : CObjectRowMap::Removal::Removed;
            ASSERT_EQ(map.Remove(object, row), expected) << "step " << step;
        }
        if (rows.empty())
            model.erase(object);
        ASSERT_EQ(map.Remove(object, FakeRow(999999)), CObjectRowMap::Removal::Absent);
        if (step % 5000 == 0)
            ExpectSameAsModel(map, model, kObjects, step);
    }
    ExpectSameAsModel(map, model, kObjects, -1);
}

TEST(ObjectRowMapTest, RandomChurnKeepsEveryObjectsRowsInRegistrationOrder)
{
    CObjectRowMap map;
    ExpectChurnKeepsRowsInRegistrationOrder(map);
}

TEST(ObjectRowMapTest, ATightlyReservedTableKeepsRowsThroughChurnAcrossItsOddEnd)
{
    // A table sized ahead (ReserveTight) has no power-of-two slot count; the churn fills it past
    // the reservation, so it also doubles from that count.
    CObjectRowMap map;
    map.ReserveTight(700);
    ExpectChurnKeepsRowsInRegistrationOrder(map);
}

TEST(ObjectRowMapTest, ErasingAnObjectDropsAllItsRowsAndTheLastObjectReleasesTheTable)
{
    CObjectRowMap map;
    map.Reserve(3000);
    for (std::uintptr_t index = 0; index < 3000; ++index)
        EXPECT_TRUE(map.Add(FakeObject(index), FakeRow(index)));
    EXPECT_FALSE(map.Add(FakeObject(7), FakeRow(5000)));
    EXPECT_FALSE(map.Add(FakeObject(7), FakeRow(5001)));
    map.EraseObject(FakeObject(7));
    EXPECT_FALSE(map.HasObject(FakeObject(7)));
    EXPECT_FALSE(map.Contains(FakeObject(7), FakeRow(5001)));
    // A new registration of the object starts a fresh list: nothing of the side map survives.
    EXPECT_TRUE(map.Add(FakeObject(7), FakeRow(6000)));
    EXPECT_EQ(map.SingleRow(FakeObject(7)), FakeRow(6000));
    for (std::uintptr_t index = 0; index < 3000; ++index) {
        CGridItem* row = index == 7 ? FakeRow(6000) : FakeRow(index);
        ASSERT_EQ(map.Remove(FakeObject(index), row), CObjectRowMap::Removal::Last) << index;
    }
    EXPECT_EQ(map.ObjectCount(), 0u);
    EXPECT_FALSE(map.HasObject(FakeObject(0)));
    EXPECT_EQ(map.Remove(FakeObject(0), FakeRow(0)), CObjectRowMap::Removal::Absent);
    EXPECT_FALSE(map.HasObject(nullptr));
}

} // namespace
} // namespace Ombrel::GUI
