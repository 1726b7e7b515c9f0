#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "ombrel/gui/rows/detail/RowAddressSet.h"

namespace Ombrel::GUI {
namespace {

// Addresses that are never read: the set validates handles without dereferencing them.
CGridItem* FakeRow(std::uintptr_t index)
{
    return reinterpret_cast<CGridItem*>(0x10000 + index * 16);
}

// Dense addresses make long probe runs, where a wrong backward shift after an erase loses
// members that sit behind the hole.
void ExpectChurnAgreesWithAnOrderedSet(CRowAddressSet& set)
{
    std::set<CGridItem*> model;
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uintptr_t> pick(0, 3000);
    for (int step = 0; step < 60000; ++step) {
        CGridItem* row = FakeRow(pick(random));
        if (random() % 3 == 0)
            ASSERT_EQ(set.Erase(row), model.erase(row) == 1) << "step " << step;
        else
            ASSERT_EQ(set.Insert(row), model.insert(row).second) << "step " << step;
        if (step % 4096 == 0) {
            for (CGridItem* member : model)
                ASSERT_TRUE(set.Contains(member)) << "step " << step;
        }
    }
    EXPECT_EQ(set.Size(), model.size());
    std::vector<CGridItem*> members = set.ToVector();
    std::ranges::sort(members);
    EXPECT_TRUE(std::ranges::equal(members, model));
    for (std::uintptr_t index = 0; index <= 3000; ++index)
        EXPECT_EQ(set.Contains(FakeRow(index)), model.contains(FakeRow(index)));
}

TEST(RowAddressSetTest, RandomChurnAgreesWithAnOrderedSetAndKeepsEveryMemberFindable)
{
    CRowAddressSet set;
    ExpectChurnAgreesWithAnOrderedSet(set);
}

TEST(RowAddressSetTest, ATightlyReservedArrayHoldsItsCountAndProbesAcrossItsEnd)
{
    // Sized for a count known ahead, the array is no power of two: homes spread over all of it,
    // probe runs and backward shifts wrap at its odd end, and it still doubles when outgrown.
    CRowAddressSet set;
    set.ReserveTight(1000);
    const std::size_t tight = set.Capacity();
    EXPECT_GE(tight * 3, 1000u * 4);
    EXPECT_LT(tight, 1400u) << "not rounded up to a power of two";
    std::vector<CGridItem*> rows;
    for (std::uintptr_t index = 0; index < 1000; ++index)
        rows.push_back(FakeRow(index));
    set.InsertMany(rows);
    EXPECT_EQ(set.Capacity(), tight) << "the reserved count fits without growing";
    ExpectChurnAgreesWithAnOrderedSet(set);
    EXPECT_GT(set.Capacity(), tight);
}

TEST(RowAddressSetTest, NullIsNeverAMemberAndClearForgetsEverything)
{
    CRowAddressSet set;
    EXPECT_FALSE(set.Contains(nullptr));
    EXPECT_FALSE(set.Insert(nullptr));
    EXPECT_FALSE(set.Erase(FakeRow(1)));
    set.Reserve(1000);
    for (std::uintptr_t index = 0; index < 1000; ++index)
        EXPECT_TRUE(set.Insert(FakeRow(index)));
    EXPECT_FALSE(set.Insert(FakeRow(5)));
    EXPECT_EQ(set.Size(), 1000u);
    set.Clear();
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_FALSE(set.Contains(FakeRow(5)));
    EXPECT_TRUE(set.Insert(FakeRow(5)));
}

TEST(RowAddressSetTest, BurstInsertSkipsNullsAndRepeatsAndGrowsPastTheOldMembers)
{
    CRowAddressSet set;
    for (std::uintptr_t index = 0; index < 10; ++index)
        set.Insert(FakeRow(index));
    std::vector<CGridItem*> burst{nullptr, FakeRow(3)};
    for (std::uintptr_t index = 5; index < 5000; ++index)
        burst.push_back(FakeRow(index));
    burst.push_back(FakeRow(4999));
    set.InsertMany(burst);
    EXPECT_EQ(set.Size(), 5000u);
    for (std::uintptr_t index = 0; index < 5000; ++index)
        ASSERT_TRUE(set.Contains(FakeRow(index))) << index;
    EXPECT_FALSE(set.Contains(FakeRow(5000)));
    EXPECT_FALSE(set.Contains(nullptr));
}

} // namespace
} // namespace Ombrel::GUI
