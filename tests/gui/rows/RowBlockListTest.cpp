#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "ombrel/gui/rows/ChildList.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/VisibleSequence.h"

namespace Ombrel::GUI {
namespace {

// The block lists behind the visible sequence and the children lists, checked against a plain
// vector through long random runs that split, merge and empty blocks many times over.
class RowBlockListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6000; ++i)
            m_rows.push_back(std::make_unique<CGridItem>());
    }
    void TearDown() override
    {
        sequence.Clear(); // no entry may outlive its row
    }

    CGridItem* Row(std::size_t i) { return m_rows[i].get(); }

    // Rows not in the model, taken from the back of the pool of rows.
    std::vector<CGridItem*> Fresh(int count)
    {
        std::vector<CGridItem*> out;
        for (auto& row : m_rows) {
            if (static_cast<int>(out.size()) == count)
                break;
            if (!row->IsVisible() && std::ranges::find(out, row.get()) == out.end())
                out.push_back(row.get());
        }
        return out;
    }

    // Every position, every row's position, membership and the iteration order.
    void ExpectMatchesModel()
    {
        ASSERT_EQ(sequence.Size(), static_cast<int>(model.size()));
        for (int i = 0; i < sequence.Size(); ++i)
            ASSERT_EQ(sequence.At(i), model[static_cast<std::size_t>(i)]) << "at " << i;
        for (std::size_t i = 0; i < model.size(); ++i)
            ASSERT_EQ(sequence.PositionOf(model[i]), static_cast<int>(i));
        const std::vector<CGridItem*> iterated(sequence.begin(), sequence.end());
        ASSERT_EQ(iterated, model);
        int shown = 0;
        for (auto& row : m_rows)
            shown += row->IsVisible() ? 1 : 0;
        ASSERT_EQ(shown, sequence.Size()) << "a row outside the sequence still looks shown";
    }

    std::vector<std::unique_ptr<CGridItem>> m_rows;
    CVisibleSequence sequence;
    std::vector<CGridItem*> model;
};

TEST_F(RowBlockListTest, RandomInsertsErasesAndMovesMatchAVector)
{
    std::mt19937 random(20261208u);
    for (int step = 0; step < 1500; ++step) {
        const int size = static_cast<int>(model.size());
        const int action = static_cast<int>(random() % 10);
        if (action < 5 && size < 5000) {
            // Mostly single rows, now and then a run larger than a block.
            const int count = random() % 8 == 0 ? 1 + static_cast<int>(random() % 700) : 1;
            const auto rows = Fresh(std::min(count, 5000 - size));
            const int at = static_cast<int>(random() % static_cast<unsigned>(size + 1));
            sequence.Insert(at, rows);
            model.insert(model.begin() + at, rows.begin(), rows.end());
        } else if (action < 8 && size > 0) {
            const int at = static_cast<int>(random() % static_cast<unsigned>(size));
            const int most = size - at;
            const auto span = static_cast<unsigned>(most);
            const int count = random() % 6 == 0 ? 1 + static_cast<int>(random() % span) : 1;
            sequence.Erase(at, count);
            model.erase(model.begin() + at, model.begin() + at + count);
        } else if (size > 1) {
            const auto longest = static_cast<unsigned>(std::min(size - 1, 600));
            const int count = 1 + static_cast<int>(random() % longest);
            const int from = static_cast<int>(random() % static_cast<unsigned>(size - count + 1));
            const int to = static_cast<int>(random() % static_cast<unsigned>(size - count + 1));
            sequence.MoveBlock(from, count, to);
            std::vector<CGridItem*> block(model.begin() + from, model.begin() + from + count);
            model.erase(model.begin() + from, model.begin() + from + count);
            model.insert(model.begin() + to, block.begin(), block.end());
        }
        if (step % 50 == 0) {
            ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel()) << "after step " << step;
        }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
}

TEST_F(RowBlockListTest, SingleRowMovesMatchAVectorWhateverTheBlocksLookLike)
{
    // A single row's move rotates inside a block, or shifts one entry between two blocks, or
    // (into a full block, out of a small one) takes the general erase-and-insert path: full
    // blocks from appending, then blocks thinned out below the merge size, cover all three.
    for (int i = 0; i < 4000; ++i) {
        CGridItem* row = Row(static_cast<std::size_t>(i));
        sequence.Insert(sequence.Size(), std::span<CGridItem* const>(&row, 1));
        model.push_back(row);
    }
    // Leaves a block of 62 rows between two full ones, which cannot take it in.
    const int cut = 2 * CRowBlockList::kMaxBlockSize + 10;
    sequence.Erase(cut, 450);
    model.erase(model.begin() + cut, model.begin() + cut + 450);
    std::mt19937 random(20261209u);
    const auto moveRandomly = [&](int moves, bool nearby) {
        for (int step = 0; step < moves; ++step) {
            const int size = static_cast<int>(model.size());
            const int from = static_cast<int>(random() % static_cast<unsigned>(size));
            int to = static_cast<int>(random() % static_cast<unsigned>(size));
            if (nearby)
                to = std::clamp(from + static_cast<int>(random() % 41) - 20, 0, size - 1);
            sequence.MoveBlock(from, 1, to);
            CGridItem* row = model[static_cast<std::size_t>(from)];
            model.erase(model.begin() + from);
            model.insert(model.begin() + to, row);
        }
    };
    moveRandomly(2000, false);
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    moveRandomly(2000, true);
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    for (int i = static_cast<int>(model.size()) - 1; i >= 0; --i) {
        if (i % 9 != 0) {
            sequence.Erase(i, 1);
            model.erase(model.begin() + i);
        }
    }
    moveRandomly(1500, false);
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
}

TEST_F(RowBlockListTest, AppendsThenThinningOutKeepPositionsAcrossSplitsAndMerges)
{
    // One at a time to the end fills blocks completely; erasing most rows then leaves blocks
    // small enough to be merged, and erasing whole runs leaves blocks empty.
    for (int i = 0; i < 5000; ++i) {
        CGridItem* row = Row(static_cast<std::size_t>(i));
        sequence.Insert(sequence.Size(), std::span<CGridItem* const>(&row, 1));
        model.push_back(row);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    for (int i = static_cast<int>(model.size()) - 1; i >= 0; i -= 1) {
        if (i % 7 != 0) {
            sequence.Erase(i, 1);
            model.erase(model.begin() + i);
        }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    sequence.Erase(100, 500);
    model.erase(model.begin() + 100, model.begin() + 600);
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    // Reordering keeps the same rows; inserting at the front after it still works.
    std::ranges::reverse(model);
    sequence.Reorder(model);
    const auto fresh = Fresh(3);
    sequence.Insert(0, fresh);
    model.insert(model.begin(), fresh.begin(), fresh.end());
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    sequence.Erase(0, sequence.Size());
    model.clear();
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
}

TEST_F(RowBlockListTest, InsertEachPlacesBurstsAcrossBlocksAndSplitsFullOnes)
{
    // Bursts scattered over many blocks (some blocks taking none, some so many that they
    // split into several), runs of equal places, rows at the very front, between two blocks
    // and at the end: each row lands before the entry that stood at its place, and every row,
    // moved to a new block or not, still finds its own position.
    std::mt19937 random(11u);
    const auto insertEach = [&](std::vector<CGridItem*> rows, std::vector<int> places) {
        sequence.InsertEach(rows, places);
        for (std::size_t i = rows.size(); i-- > 0;)
            model.insert(model.begin() + places[i], rows[i]);
    };
    insertEach(Fresh(700), std::vector<int>(700, 0)); // into the empty list
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
    for (int burst = 0; burst < 12; ++burst) {
        const int count = burst % 3 == 0 ? 400 : static_cast<int>(random() % 60) + 1;
        std::vector<int> places;
        for (int i = 0; i < count; ++i)
            places.push_back(static_cast<int>(random() % (model.size() + 1)));
        if (burst % 4 == 1)
            places.assign(places.size(), places.front()); // all before one entry: one block splits
        places.front() = 0;
        places.back() = static_cast<int>(model.size());
        std::ranges::sort(places);
        insertEach(Fresh(count), places);
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel()) << "after burst " << burst;
    }
    // A place right at a block boundary: the row goes between the two blocks' entries.
    const int boundary = CRowBlockList::kMaxBlockSize * 3 / 4;
    insertEach(Fresh(2), {boundary, boundary});
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel());
}

TEST_F(RowBlockListTest, ChildListFindsPartitionPointsInAnyRange)
{
    // Rows ordered by a number of their own, with runs of equal numbers straddling blocks.
    CChildList children;
    std::vector<CGridItem*> order;
    std::vector<int> keyOf(m_rows.size());
    for (std::size_t i = 0; i < 3000; ++i) {
        keyOf[i] = static_cast<int>(i / 37);
        order.push_back(Row(i));
    }
    children.Insert(0, std::span<CGridItem* const>(order.data(), 1));
    children.Insert(1, std::span<CGridItem* const>(order.data() + 1, order.size() - 1));
    std::map<const CGridItem*, int> keyByRow;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        keyByRow[m_rows[i].get()] = keyOf[i];
    const auto key = [&](const CGridItem* row) { return keyByRow.at(row); };
    std::vector<int> keys;
    for (CGridItem* row : order)
        keys.push_back(key(row));

    std::mt19937 random(7u);
    for (int probe = 0; probe < 300; ++probe) {
        const int first = static_cast<int>(random() % 3001);
        const int last = first + static_cast<int>(random() % static_cast<unsigned>(3001 - first));
        const int bound = static_cast<int>(random() % 90);
        const int found = children.PartitionPoint(first, last, [&](const CGridItem* row) {
            return key(row) < bound;
        });
        const auto expected = std::partition_point(keys.begin() + first, keys.begin() + last,
                                                   [&](int k) { return k < bound; });
        ASSERT_EQ(found, static_cast<int>(expected - keys.begin()))
            << "range " << first << ".." << last << " bound " << bound;
    }

    // Moves, erasures and a reorder keep every child's slot right.
    children.Move(0, 2999);
    order.push_back(order.front());
    order.erase(order.begin());
    children.Move(2500, 10);
    CGridItem* moved = order[2500];
    order.erase(order.begin() + 2500);
    order.insert(order.begin() + 10, moved);
    for (int slot = 2900; slot >= 100; slot -= 3) {
        children.Erase(slot);
        order.erase(order.begin() + slot);
    }
    // A child's neighbours come from its block or the blocks on either side of it.
    const auto expectNeighbours = [&] {
        for (std::size_t slot = 0; slot < order.size(); ++slot) {
            const auto around = children.NeighboursOf(order[slot]);
            ASSERT_EQ(around.index, static_cast<int>(slot));
            ASSERT_EQ(around.previous, slot > 0 ? order[slot - 1] : nullptr) << "at " << slot;
            ASSERT_EQ(around.next, slot + 1 < order.size() ? order[slot + 1] : nullptr)
                << "at " << slot;
            ASSERT_TRUE(children.Contains(order[slot]));
        }
    };
    ASSERT_NO_FATAL_FAILURE(expectNeighbours());
    std::ranges::shuffle(order, random);
    children.Reorder(order);
    ASSERT_EQ(children.Size(), static_cast<int>(order.size()));
    for (std::size_t slot = 0; slot < order.size(); ++slot)
        ASSERT_EQ(children.IndexOf(order[slot]), static_cast<int>(slot));
    ASSERT_NO_FATAL_FAILURE(expectNeighbours());
    EXPECT_EQ(children.IndexOf(Row(5999)), -1);
    EXPECT_EQ(children.NeighboursOf(Row(5999)).index, -1);
    EXPECT_FALSE(children.Contains(Row(5999)));
    EXPECT_EQ(children.TakeAll(), order);
    EXPECT_TRUE(children.IsEmpty());
    EXPECT_EQ(children.IndexOf(order.front()), -1);
}

} // namespace
} // namespace Ombrel::GUI
