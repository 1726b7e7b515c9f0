#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "gui/rows/RowsTestSupport.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/RowFilter.h"

namespace Ombrel::GUI::Testing {
namespace {

using Common::CValue;
using Names = std::vector<std::string>;

constexpr int kA = 1;
constexpr int kB = 2;

class SortingTest : public ::testing::Test
{
protected:
    CTestObject* Object(const std::string& name, CValue a = {}, CValue b = {})
    {
        m_objects.push_back(std::make_unique<CTestObject>(name));
        CTestObject* object = m_objects.back().get();
        object->Put(kA, a);
        object->Put(kB, b);
        return object;
    }
    CGridItem* Add(const std::string& name, CValue a, CValue b = {}, CGridItem* parent = GRID_ROOT,
                   CGridItem* after = GRID_LAST)
    {
        return rows.Add(Object(name, a, b), parent, after);
    }
    void SortBy(std::vector<CSortInfo> levels)
    {
        owner.headerLevels = std::move(levels);
        rows.Resort();
    }
    static CTestObject* ObjectOf(CGridItem* row)
    {
        return static_cast<CTestObject*>(row->GetDataObject());
    }
    // Changes a field as a setter would and delivers the change as the dispatcher does.
    static void Change(CGridItem* row, int field, CValue value)
    {
        ObjectOf(row)->Put(field, value);
        row->OnUpdate(field);
    }

    std::deque<std::unique_ptr<CTestObject>> m_objects;
    CTestOwner owner;
    CGridRows rows{owner};
};

CValue Long(std::int32_t value)
{
    return CValue(value);
}

TEST_F(SortingTest, SecondLevelOrdersRowsEqualInTheFirst)
{
    Add("x", Long(2), Long(1));
    Add("y", Long(1), Long(5));
    Add("z", Long(2), Long(9));
    Add("w", Long(1), Long(7));
    SortBy({{kA, false}, {kB, true}});
    EXPECT_EQ(VisibleNames(rows), (Names{"w", "y", "z", "x"}));
    EXPECT_EQ(owner.fullRepaints, 1);
    EXPECT_EQ(CheckRows(rows, true), "");
}

TEST_F(SortingTest, ComparatorTreatsEmptyAndMismatchedKeysAsEqual)
{
    SortBy({{kA, false}, {kB, false}});
    CGridItem* a = Add("a", Long(1), Long(1));
    CGridItem* b = Add("b", Long(1), Long(2));
    CGridItem* empty = Add("e", CValue(), Long(0));
    CGridItem* text = Add("t", CValue(std::string("1")), Long(0));
    CItemContainer& container = rows.GetContainer(ROW_NORMAL);
    EXPECT_GT(container.Compare(*a, *b), 0);
    EXPECT_LT(container.Compare(*b, *a), 0);
    EXPECT_EQ(container.Compare(*empty, *a), 0);
    EXPECT_EQ(container.Compare(*a, *empty), 0);
    // Different kinds at level 0 stop the comparison before level 1 could decide.
    EXPECT_EQ(container.Compare(*text, *a), 0);
    const CSortInfo descending[] = {{kB, true}};
    container.SetSortLevels(descending);
    a->UpdateSortKeys();
    b->UpdateSortKeys();
    EXPECT_LT(container.Compare(*a, *b), 0);
}

TEST_F(SortingTest, NewRowGoesAfterEqualSiblingsWhateverSlotIsAsked)
{
    SortBy({{kA, false}});
    Add("one", Long(1));
    Add("two", Long(2));
    Add("two'", Long(2), {}, GRID_ROOT, GRID_FIRST);
    Add("empty", CValue(), {}, GRID_ROOT, GRID_FIRST);
    Add("zero", Long(0), {}, GRID_ROOT, GRID_LAST);
    // "empty" equals every row, so it went after all of them.
    EXPECT_EQ(VisibleNames(rows), (Names{"zero", "one", "two", "two'", "empty"}));
    EXPECT_EQ(CheckRows(rows, true), "");
}

TEST_F(SortingTest, BulkSortOrdersLargeInputsOfEveryShape)
{
    std::mt19937 random(7);
    std::vector<std::int32_t> values(3000);
    for (auto& value : values)
        value = static_cast<std::int32_t>(random() % 200); // many duplicates
    std::vector<std::vector<std::int32_t>> inputs = {values, values, values,
                                                     std::vector<std::int32_t>(500, 4)};
    std::sort(inputs[1].begin(), inputs[1].end());
    std::sort(inputs[2].rbegin(), inputs[2].rend());
    for (const auto& input : inputs) {
        rows.RemoveAll(ROW_ALL_TYPES);
        for (std::int32_t value : input)
            Add("r", Long(value));
        SortBy({{kA, true}});
        std::vector<std::int32_t> shown;
        for (int position = 0; position < rows.GetRowCount(ROW_NORMAL); ++position)
            shown.push_back(rows.GetDataObject(position, ROW_NORMAL)->GetValue(kA).GetLong());
        std::vector<std::int32_t> expected = input;
        std::sort(expected.rbegin(), expected.rend());
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(CheckRows(rows, true), "");
    }
}

TEST_F(SortingTest, UnorderedFloatingPointKeysNeverBreakTheSort)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937 random(3);
    for (int i = 0; i < 400; ++i)
        Add("r", i % 3 == 0 ? CValue(nan) : CValue(static_cast<double>(random() % 50)));
    SortBy({{kA, false}});
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 400);
    EXPECT_TRUE(CheckRows(rows).find("visible") == std::string::npos);
}

TEST_F(SortingTest, LargeSortsUseEveryLevelAndSurviveInconsistentKeys)
{
    // Large enough for the sort over copied first keys: ties fall through to the rows.
    std::mt19937 random(17);
    for (int i = 0; i < 3000; ++i)
        Add("r", Long(static_cast<std::int32_t>(random() % 40)),
            Long(static_cast<std::int32_t>(random() % 1000)));
    SortBy({{kA, true}, {kB, false}});
    std::vector<std::pair<std::int32_t, std::int32_t>> shown;
    for (int position = 0; position < rows.GetRowCount(ROW_NORMAL); ++position) {
        Common::CDataObject* object = rows.GetDataObject(position, ROW_NORMAL);
        shown.emplace_back(object->GetValue(kA).GetLong(), object->GetValue(kB).GetLong());
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> expected = shown;
    std::ranges::sort(expected, [](const auto& x, const auto& y) {
        return x.first != y.first ? x.first > y.first : x.second < y.second;
    });
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(CheckRows(rows, true), "");

    // Unordered numbers, empty keys and keys of another kind make no strict order at all.
    rows.RemoveAll(ROW_ALL_TYPES);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < 3000; ++i) {
        CValue key = CValue(static_cast<double>(random() % 30));
        if (i % 3 == 0)
            key = CValue(nan);
        else if (i % 5 == 0)
            key = CValue();
        else if (i % 7 == 0)
            key = CValue(std::string("text"));
        Add("r" + std::to_string(i), key, Long(i));
    }
    SortBy({{kA, false}, {kB, true}});
    ASSERT_EQ(rows.GetRowCount(ROW_NORMAL), 3000);
    std::set<std::string> names;
    for (const std::string& name : VisibleNames(rows))
        names.insert(name);
    EXPECT_EQ(names.size(), 3000u);
    EXPECT_TRUE(CheckRows(rows).find("visible") == std::string::npos);
}

TEST_F(SortingTest, LargeSortsOfTextAndFloatingKeysAgreeWithTheValues)
{
    // Texts share a long start (the prefixes skip it) and differ in few places, some only
    // past the bytes a prefix holds; floating-point keys mix signs, zeros of both signs and
    // huge magnitudes; a third level breaks the remaining ties. Both directions.
    constexpr int kC = 3;
    const std::vector<double> numbers = {-1e300, -2.5, -0.0, 0.0, 1e-300, 7.0, 1e300};
    std::mt19937 random(29);
    struct Keys
    {
        std::string text;
        double number;
        std::int32_t tie;
    };
    std::vector<Keys> keys(4000);
    for (Keys& key : keys) {
        key.text = "Portfolio/Europe/" + std::string(random() % 3, 'x') +
                   std::to_string(random() % 7) + "/tail" + std::to_string(random() % 3);
        key.number = numbers[random() % numbers.size()];
        key.tie = static_cast<std::int32_t>(random() % 5);
    }
    for (const bool textDescending : {false, true}) {
        rows.RemoveAll(ROW_ALL_TYPES);
        m_objects.clear();
        std::vector<Common::CDataObject*> objects;
        for (const Keys& key : keys) {
            CTestObject* object = Object("r", CValue(key.text), CValue(key.number));
            object->Put(kC, Long(key.tie));
            objects.push_back(object);
        }
        SortBy({{kA, textDescending}, {kB, !textDescending}, {kC, false}});
        rows.AddMany(objects, GRID_ROOT, GRID_LAST);

        std::vector<std::tuple<std::string, double, std::int32_t>> shown;
        for (int position = 0; position < rows.GetRowCount(ROW_NORMAL); ++position) {
            Common::CDataObject* object = rows.GetDataObject(position, ROW_NORMAL);
            shown.emplace_back(object->GetValue(kA).GetStdString(),
                               object->GetValue(kB).GetDouble(), object->GetValue(kC).GetLong());
        }
        auto expected = shown;
        std::ranges::stable_sort(expected, [&](const auto& x, const auto& y) {
            if (std::get<0>(x) != std::get<0>(y))
                return (std::get<0>(x) > std::get<0>(y)) == textDescending;
            if (std::get<1>(x) != std::get<1>(y))
                return (std::get<1>(x) > std::get<1>(y)) != textDescending;
            return std::get<2>(x) < std::get<2>(y);
        });
        EXPECT_EQ(shown, expected) << "text descending: " << textDescending;
        EXPECT_EQ(CheckRows(rows, true), "");
    }
}

TEST_F(SortingTest, LargeBurstsOrderNumbersOfAnySpanThatDifferInAnyByte)
{
    // 64-bit keys spanning 20 bits (above 12 low bits they all share), 62 bits (with the other
    // level's two, exactly what one packed number holds) and the whole range (every byte of a
    // prefix varies, the extremes included), signs mixed, on either level, beside a level of
    // three values or of one (which takes no bits of a packed number); both directions.
    std::mt19937_64 random(31);
    std::vector<std::int64_t> wide(5000);
    for (const int spanBits : {20, 62, 64})
    for (const bool wideFirst : {true, false})
    for (const std::size_t narrowValues : {3u, 1u}) {
        const std::int64_t base = spanBits < 64 ? -(std::int64_t{1} << 40) + 5 : 0;
        const int sharedLowBits = spanBits == 20 ? 12 : 0;
        for (std::int64_t& value : wide)
            value = base + static_cast<std::int64_t>(random() >> (64 - spanBits) << sharedLowBits);
        if (spanBits == 64) {
            const std::int64_t extremes[] = {std::numeric_limits<std::int64_t>::min(),
                                             std::numeric_limits<std::int64_t>::max(), 0, -1, 1};
            std::copy(std::begin(extremes), std::end(extremes), wide.begin());
        } else {
            wide[0] = base; // the span's both ends
            wide[1] = base + static_cast<std::int64_t>(((std::uint64_t{1} << spanBits) - 1)
                                                       << sharedLowBits);
        }
        rows.RemoveAll(ROW_ALL_TYPES);
        m_objects.clear();
        std::vector<Common::CDataObject*> objects;
        for (std::size_t index = 0; index < wide.size(); ++index) {
            const CValue narrow(static_cast<std::int64_t>(index % narrowValues));
            objects.push_back(wideFirst ? Object("r", CValue(wide[index]), narrow)
                                        : Object("r", narrow, CValue(wide[index])));
        }
        const bool firstDescending = !wideFirst;
        const bool secondDescending = wideFirst;
        SortBy({{kA, firstDescending}, {kB, secondDescending}});
        rows.AddMany(objects, GRID_ROOT, GRID_LAST);

        std::vector<std::pair<std::int64_t, std::int64_t>> shown;
        for (int position = 0; position < rows.GetRowCount(ROW_NORMAL); ++position) {
            Common::CDataObject* object = rows.GetDataObject(position, ROW_NORMAL);
            shown.emplace_back(object->GetValue(kA).GetInt64(), object->GetValue(kB).GetInt64());
        }
        auto expected = shown;
        std::ranges::sort(expected, [&](const auto& x, const auto& y) {
            if (x.first != y.first)
                return firstDescending ? x.first > y.first : x.first < y.first;
            return secondDescending ? x.second > y.second : x.second < y.second;
        });
        EXPECT_EQ(shown, expected) << "wide key first: " << wideFirst << ", span " << spanBits
                                   << ", narrow values " << narrowValues;
        EXPECT_EQ(CheckRows(rows, true), "");
    }
}

TEST_F(SortingTest, ChangedRowMovesWithTheFewestShifts)
{
    SortBy({{kA, false}});
    CGridItem* r1 = Add("r1", Long(10));
    Add("r2", Long(20));
    Add("r3", Long(30));
    CGridItem* r4 = Add("r4", Long(40));
    owner.focus = {0, ROW_NORMAL};
    owner.notifications.clear();
    Change(r1, kA, Long(35));
    EXPECT_EQ(VisibleNames(rows), (Names{"r2", "r3", "r1", "r4"}));
    EXPECT_EQ(owner.repaintedRanges.back(), (std::pair<int, int>{0, 2}));
    EXPECT_TRUE(owner.focus.IsNone());
    EXPECT_EQ(owner.CodesFor(r1), (std::vector<int>{GN_ROWMOVED, GN_ROWUPDATED}));
    Change(r4, kA, Long(5));
    EXPECT_EQ(VisibleNames(rows), (Names{"r4", "r2", "r3", "r1"}));
    // Equal to its neighbour: stays.
    Change(r1, kA, Long(30));
    EXPECT_EQ(VisibleNames(rows), (Names{"r4", "r2", "r3", "r1"}));
    Change(r4, kA, Long(20));
    EXPECT_EQ(VisibleNames(rows), (Names{"r4", "r2", "r3", "r1"}));
    EXPECT_EQ(CheckRows(rows, true), "");
}

TEST_F(SortingTest, RowsAmongManyEqualSiblingsAreFoundAfterShifts)
{
    SortBy({{kA, false}});
    std::vector<CGridItem*> equal;
    for (int i = 0; i < 100; ++i)
        equal.push_back(Add("e", Long(5)));
    Add("first", Long(1)); // shifts every cached slot and position by one
    EXPECT_EQ(rows.GetVisibleIndex(equal[70]), 71);
    Change(equal[60], kB, Long(1));
    EXPECT_EQ(rows.GetVisibleIndex(equal[60]), 61);
    Change(equal[80], kA, Long(0));
    EXPECT_EQ(rows.GetVisibleIndex(equal[80]), 0);
    EXPECT_EQ(rows.GetVisibleIndex(equal[99]), 100);
    EXPECT_EQ(CheckRows(rows, true), "");
}

TEST_F(SortingTest, ChangeOfAnotherFieldRepaintsWithoutMoving)
{
    SortBy({{kA, false}});
    CGridItem* r1 = Add("r1", Long(1));
    Add("r2", Long(2));
    owner.notifications.clear();
    Change(r1, kB, Long(100));
    EXPECT_EQ(VisibleNames(rows), (Names{"r1", "r2"}));
    EXPECT_EQ(owner.CodesFor(r1), (std::vector<int>{GN_ROWUPDATED}));
    EXPECT_EQ(owner.repaintedCells.back(), (std::pair<CGridItem*, int>{r1, kB}));
    EXPECT_GE(r1->GetElapsedSinceChange(kB), 0);
}

TEST_F(SortingTest, ChildMovesAmongSiblingsAndParentMovesWithItsBlock)
{
    CGridItem* p = Add("p", Long(1));
    CGridItem* p1 = Add("p1", Long(1), {}, p);
    Add("p2", Long(2), {}, p);
    Add("p3", Long(3), {}, p);
    Add("q", Long(2));
    Add("q1", Long(0));
    rows.Expand(GRID_ROOT, true, true);
    SortBy({{kA, false}});
    EXPECT_EQ(VisibleNames(rows), (Names{"q1", "p", "p1", "p2", "p3", "q"}));
    Change(p1, kA, Long(99));
    EXPECT_EQ(VisibleNames(rows), (Names{"q1", "p", "p2", "p3", "p1", "q"}));
    Change(p, kA, Long(50));
    EXPECT_EQ(VisibleNames(rows), (Names{"q1", "q", "p", "p2", "p3", "p1"}));
    EXPECT_EQ(owner.repaintedRanges.back(), (std::pair<int, int>{1, 5}));
    Change(p, kA, Long(-1));
    EXPECT_EQ(VisibleNames(rows), (Names{"p", "p2", "p3", "p1", "q1", "q"}));
    EXPECT_EQ(CheckRows(rows, true), "");
}

TEST_F(SortingTest, SortedTypesMaskLeavesFixedRowsInInsertionOrder)
{
    Add("f2", Long(2), {}, GRID_FIXED_ROOT);
    Add("f1", Long(1), {}, GRID_FIXED_ROOT);
    Add("n2", Long(2));
    Add("n1", Long(1));
    rows.SetSortedTypes(ROW_NORMAL);
    SortBy({{kA, false}});
    EXPECT_EQ(VisibleNames(rows, ROW_FIXED), (Names{"f2", "f1"}));
    EXPECT_EQ(VisibleNames(rows), (Names{"n1", "n2"}));
    EXPECT_FALSE(rows.GetContainer(ROW_FIXED).IsSorted());
}

TEST_F(SortingTest, ThrowingGetterLeavesTheRowWhereItIs)
{
    SortBy({{kA, false}});
    CGridItem* r1 = Add("r1", Long(1));
    Add("r2", Long(2));
    ObjectOf(r1)->Put(kA, Long(9));
    ObjectOf(r1)->MakeFieldThrow(kA);
    EXPECT_NO_THROW(r1->OnUpdate(kA));
    EXPECT_EQ(VisibleNames(rows), (Names{"r1", "r2"}));
    EXPECT_EQ(owner.CodesFor(r1).back(), GN_ROWUPDATED);
    // A row whose key cannot be read still gets a place.
    CTestObject* failing = Object("bad", Long(0));
    failing->MakeFieldThrow(kA);
    EXPECT_NE(rows.Add(failing, GRID_ROOT, GRID_FIRST), nullptr);
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 3);
}

TEST_F(SortingTest, ResortKeepsTheFocusOnItsRow)
{
    Add("b", Long(2));
    Add("a", Long(1));
    owner.focus = {1, ROW_NORMAL}; // a
    SortBy({{kA, false}});
    EXPECT_EQ(owner.focus, (RowPosition{0, ROW_NORMAL}));
    rows.ClearSortLevels();
    EXPECT_FALSE(rows.GetContainer(ROW_NORMAL).IsSorted());
    EXPECT_EQ(VisibleNames(rows), (Names{"a", "b"}));
}

TEST_F(SortingTest, AtMostFiveLevelsAreApplied)
{
    SortBy({{3, false}, {4, false}, {5, false}, {6, false}, {7, false}, {kA, false}});
    EXPECT_EQ(rows.GetContainer(ROW_NORMAL).GetSortLevels().size(), 5u);
}

// Keys of the visible rows, in visible order.
std::vector<std::int32_t> VisibleKeys(const CGridRows& grid)
{
    std::vector<std::int32_t> keys;
    for (int position = 0; position < grid.GetRowCount(ROW_NORMAL); ++position) {
        auto* object = static_cast<CTestObject*>(grid.GetDataObject(position, ROW_NORMAL));
        keys.push_back(object->GetValue(kA).GetLong());
    }
    return keys;
}

// A second row set sorted on the first field, to which rows are added one at a time: what a
// burst must show.
struct CReferenceRows
{
    CTestOwner owner;
    CGridRows rows{owner};

    CReferenceRows()
    {
        owner.headerLevels = {{kA, false}};
        rows.Resort();
    }
};

TEST_F(SortingTest, AddManyGivesTheOrderOfAddingOneByOne)
{
    // The same objects go into this grid in bursts and into another one row at a time.
    CReferenceRows reference;
    CGridRows& other = reference.rows;
    SortBy({{kA, false}});
    std::mt19937 random(4242u);
    const auto burst = [&](int count) {
        std::vector<Common::CDataObject*> objects;
        for (int i = 0; i < count; ++i) {
            objects.push_back(Object("n" + std::to_string(m_objects.size()),
                                     Long(static_cast<std::int32_t>(random() % 50))));
            other.Add(objects.back(), GRID_ROOT, GRID_LAST);
        }
        return objects;
    };
    const auto first = burst(300);
    const std::vector<CGridItem*> added = rows.AddMany(first, GRID_ROOT, GRID_LAST);
    ASSERT_EQ(added.size(), first.size());
    for (std::size_t i = 0; i < added.size(); ++i)
        EXPECT_EQ(added[i]->GetDataObject(), first[i]);
    rows.AddMany(burst(1500), GRID_ROOT, GRID_FIRST); // merged with the present rows
    rows.AddMany(burst(3), GRID_ROOT, GRID_LAST);     // few among many: placed one by one
    EXPECT_EQ(CheckRows(rows, true), "");
    EXPECT_EQ(VisibleKeys(rows), VisibleKeys(other));
    EXPECT_EQ(owner.CountOf(GN_ROWADDED), 1803);
    EXPECT_EQ(owner.CountOf(GN_VISIBILITYCHANGED), 1803);
}

TEST_F(SortingTest, AddManyBelowACollapsedRowShowsItsRowsWhenExpanded)
{
    SortBy({{kA, true}});
    CGridItem* parent = Add("p", Long(0));
    std::vector<Common::CDataObject*> objects{Object("x", Long(1)), Object("y", Long(3)),
                                              Object("z", Long(2))};
    owner.repaintedRows.clear();
    const auto children = rows.AddMany(objects, parent, GRID_LAST);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(VisibleNames(rows), (Names{"p"}));
    EXPECT_EQ(owner.repaintedRows, (std::vector<CGridItem*>{parent})); // the expand button
    rows.Expand(parent, true, false);
    EXPECT_EQ(VisibleNames(rows), (Names{"p", "y", "z", "x"}));
    EXPECT_EQ(CheckRows(rows, true), "");
}

// Hides the rows whose second field holds 1.
class CFlagFilter final : public IRowFilter
{
public:
    bool IsHidden(CGrid*, CGridItem*, Common::CDataObject* object) override
    {
        return object && object->GetValue(kB) == Long(1);
    }
};

// Bursts merged among present rows take one pass through the visible sequence while it holds
// exactly the root's children, and a search per row once the filter hides a row or children
// show below a row. In every case the grid shows what adding the rows one by one shows, and the
// focus stays on its row as rows enter above it.
TEST_F(SortingTest, MergedBurstsShowAsOneByOneFlatFilteredOrNested)
{
    CReferenceRows reference;
    CGridRows& other = reference.rows;
    SortBy({{kA, false}});
    CFlagFilter filter;
    rows.SetFilter(&filter);
    other.SetFilter(&filter);
    std::mt19937 random(99u);
    // `hiddenEvery`: every so many new rows carries the flag the filter hides.
    const auto burst = [&](int count, int hiddenEvery, CGridItem* parent, CGridItem* otherParent) {
        std::vector<Common::CDataObject*> objects;
        for (int i = 0; i < count; ++i) {
            const bool hidden = hiddenEvery > 0 && i % hiddenEvery == 0;
            objects.push_back(Object("n" + std::to_string(m_objects.size()),
                                     Long(static_cast<std::int32_t>(random() % 400)), Long(hidden ? 1 : 0)));
            other.Add(objects.back(), otherParent, GRID_LAST);
        }
        return rows.AddMany(objects, parent, GRID_LAST);
    };
    const auto expectSameAsOneByOne = [&] {
        EXPECT_EQ(CheckRows(rows, true), "");
        EXPECT_EQ(VisibleKeys(rows), VisibleKeys(other));
        EXPECT_EQ(owner.CountOf(GN_VISIBILITYCHANGED), reference.owner.CountOf(GN_VISIBILITYCHANGED));
    };
    const std::vector<CGridItem*> first = burst(700, 0, GRID_ROOT, GRID_ROOT);
    CGridItem* focused = rows.GetRowAt(350, ROW_NORMAL);
    owner.focus = RowPosition{350, ROW_NORMAL};
    burst(2000, 0, GRID_ROOT, GRID_ROOT); // flat: one pass
    expectSameAsOneByOne();
    EXPECT_EQ(rows.GetRowAt(owner.focus.index, ROW_NORMAL), focused);
    EXPECT_GT(owner.focus.index, 350);
    burst(900, 7, GRID_ROOT, GRID_ROOT); // the filter hides some of the new rows
    expectSameAsOneByOne();
    burst(900, 0, GRID_ROOT, GRID_ROOT); // hidden rows among the present ones
    expectSameAsOneByOne();

    rows.SetFilter(nullptr);
    other.SetFilter(nullptr);
    CGridItem* parent = first[10];
    CGridItem* otherParent = other.GetRowAt(rows.GetVisibleIndex(parent), ROW_NORMAL);
    burst(5, 0, parent, otherParent);
    rows.Expand(parent, true, false);
    other.Expand(otherParent, true, false);
    burst(1500, 0, GRID_ROOT, GRID_ROOT); // shown grandchildren
    expectSameAsOneByOne();
}

// Random changes to many rows (several blocks of siblings): small steps that keep a row between
// its neighbours, jumps across the whole list, ties. Run while every row is shown (the
// children and the visible sequence then match one to one), with rows hidden by a filter, and
// with expanded children, because a move takes a different path through the sequence in each.
TEST_F(SortingTest, RandomChangesKeepRowsSortedShownOrHiddenFlatOrNested)
{
    SortBy({{kA, false}});
    constexpr int kRows = 2500;
    std::vector<CGridItem*> all;
    std::mt19937 random(4242u);
    const auto anyKey = [&] { return static_cast<std::int32_t>(random() % 5000); };
    const auto keyOf = [](CGridItem* row) { return ObjectOf(row)->GetValue(kA).GetLong(); };
    for (int i = 0; i < kRows; ++i)
        all.push_back(Add("r" + std::to_string(i), Long(anyKey())));
    const auto changeRandomly = [&](int changes) {
        for (int step = 0; step < changes; ++step) {
            CGridItem* row = all[random() % all.size()];
            CGridItem* parent = row->GetParent();
            const int slot = parent->FindChild(row);
            const int kind = static_cast<int>(random() % 3);
            const auto nudge = static_cast<std::int32_t>(random() % 3) - 1;
            const std::int32_t value = kind == 0   ? keyOf(row) + nudge
                                       : kind == 1 ? anyKey()
                                                   : keyOf(parent->GetChild(0));
            // Where the row stays: between neighbours that it does not need to pass.
            const bool afterPrevious = slot == 0 || keyOf(parent->GetChild(slot - 1)) <= value;
            const bool beforeNext = slot + 1 == parent->GetChildCount() ||
                                    keyOf(parent->GetChild(slot + 1)) >= value;
            Change(row, kA, Long(value));
            if (afterPrevious && beforeNext) {
                ASSERT_EQ(parent->FindChild(row), slot) << "a row between its neighbours moved";
            }
        }
    };
    changeRandomly(3000);
    ASSERT_EQ(CheckRows(rows, true), "");

    CFlagFilter filter;
    for (std::size_t i = 0; i < all.size(); i += 3)
        ObjectOf(all[i])->Put(kB, Long(1));
    rows.SetFilter(&filter);
    changeRandomly(3000);
    ASSERT_EQ(CheckRows(rows, true), "");
    rows.SetFilter(nullptr);

    for (std::size_t i = 0; i < 40; ++i) {
        CGridItem* parent = all[i * 50];
        for (int child = 0; child < 30; ++child)
            all.push_back(Add("c", Long(anyKey()), {}, parent));
    }
    rows.Expand(GRID_ROOT, true, true);
    changeRandomly(4000);
    ASSERT_EQ(CheckRows(rows, true), "");
}

// The search for a moved row's block reads the blocks' first key prefixes instead of their
// rows. Prefixes of text hold only eight bytes, so here most names share those and only the full
// key can tell them apart, and the order is descending. The first rows of blocks change in place
// too (a key that keeps them where they are), which must renew their block's prefix without any
// move.
TEST_F(SortingTest, MovesGuidedByBlockKeyPrefixesAgreeWithTheFullComparison)
{
    SortBy({{kA, true}, {kB, false}});
    constexpr int kRows = 3000;
    std::mt19937 random(777u);
    const auto anyName = [&] {
        const char* stems[] = {"SYMBOLXY", "SYMBOLXZ", "SYM"};
        return CValue(std::string(stems[random() % 3]) + std::to_string(random() % 400));
    };
    std::vector<CGridItem*> all;
    for (int i = 0; i < kRows; ++i)
        all.push_back(Add("r" + std::to_string(i), anyName(), Long(static_cast<std::int32_t>(i))));
    const auto keyOf = [](CGridItem* row) { return ObjectOf(row)->GetValue(kA); };
    CGridItem* root = rows.GetContainer(ROW_NORMAL).GetRoot();
    for (int step = 0; step < 4000; ++step) {
        CGridItem* row = all[random() % all.size()];
        CValue value = anyName();
        if (step % 4 == 0) {
            // A block's first row keeps its slot when its key moves towards the row before it.
            const int slot = static_cast<int>(random() % static_cast<unsigned>(kRows / 192)) * 192;
            row = root->GetChild(slot);
            value = slot == 0 ? CValue(std::string("~")) : keyOf(root->GetChild(slot - 1));
        }
        Change(row, kA, value);
        if (step % 500 == 0) {
            ASSERT_EQ(CheckRows(rows, true), "") << "after step " << step;
        }
    }
    ASSERT_EQ(CheckRows(rows, true), "");
    // A bulk re-sort on other levels renews every block's prefix.
    SortBy({{kB, false}});
    ASSERT_EQ(CheckRows(rows, true), "");
    for (int step = 0; step < 500; ++step)
        Change(all[random() % all.size()], kB, Long(static_cast<std::int32_t>(random() % 5000)));
    ASSERT_EQ(CheckRows(rows, true), "");
}

// As many rows hidden by the filter as grandchildren shown: the root then shows as many rows
// as it has children, yet its children and the visible sequence do not match one to one, and a
// moved row must be found in the sequence, not assumed at its slot.
TEST_F(SortingTest, AMoveIsPlacedRightWhenHiddenRowsAndShownChildrenEvenOut)
{
    SortBy({{kA, false}});
    std::vector<CGridItem*> top;
    for (int i = 0; i < 10; ++i)
        top.push_back(Add("r" + std::to_string(i), Long(i * 10)));
    Add("child", Long(0), {}, top[5]);
    ObjectOf(top[2])->Put(kB, Long(1));
    CFlagFilter filter;
    rows.SetFilter(&filter);
    rows.Expand(GRID_ROOT, true, true);
    ASSERT_EQ(rows.GetRowCount(ROW_NORMAL), 10);

    // The row stands one place earlier in the sequence than among the children (a hidden
    // row before it), and its new place lies past the shown child.
    Change(top[3], kA, Long(95));
    EXPECT_EQ(CheckRows(rows, true), "");
    Change(top[3], kA, Long(1));
    EXPECT_EQ(CheckRows(rows, true), "");
}

} // namespace
} // namespace Ombrel::GUI::Testing
