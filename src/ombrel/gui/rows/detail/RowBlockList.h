#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <memory_resource>
#include <span>
#include <vector>

#include "ombrel/gui/rows/detail/KeyPrefix.h"

namespace Ombrel::GUI {

class CGridItem;
class CRowBlockList;

// A run of consecutive entries of a CRowBlockList.
struct CRowBlock
{
    // `memory`: where the entries' array comes from for the block's whole life.
    explicit CRowBlock(std::pmr::memory_resource* memory) : rows(memory) {}

    CRowBlockList* list = nullptr;
    int index = 0;                     // place among the list's blocks
    std::pmr::vector<CGridItem*> rows; // never empty while the block is in a list
    // The first row's key prefix, in a list that keeps them (see CRowBlockList::KeyOf); kept
    // here too so that renumbering blocks copies it instead of reading each first row again.
    CKeyPrefix firstKey;
};

// An ordered sequence of rows cut into blocks of at most kMaxBlockSize entries, with a Fenwick
// tree over the block sizes. Every row in the list records its block in the CGridItem member
// named by the list's link, so a row finds its own index without searching the list.
//
// At, IndexOf, inserting and erasing one row cost O(kMaxBlockSize + log(blocks)); splitting or
// removing a block renumbers the blocks after it, which happens once per many changes. A row is
// in at most one list per link member; a row in none has a null link.
class CRowBlockList
{
public:
    using Link = CRowBlock* CGridItem::*;
    // The key prefix by which a sorted list orders its rows first. A list given one keeps each
    // block's first prefix in an array beside the blocks, so that a search over a large list
    // finds its block in that array instead of reading a row nobody touched lately per probe.
    using KeyOf = CKeyPrefix (*)(const CGridItem& row);
    static constexpr int kMaxBlockSize = 256;

    // `keyOf`: null for a list not ordered by keys (nothing is kept).
    explicit CRowBlockList(Link link, KeyOf keyOf = nullptr);
    // Clears the links of the rows still in the list.
    ~CRowBlockList();
    CRowBlockList(const CRowBlockList&) = delete;
    CRowBlockList& operator=(const CRowBlockList&) = delete;

    int Size() const { return m_size; }
    bool IsEmpty() const { return m_size == 0; }
    CGridItem* At(int index) const;
    // Index of `row`, -1 when it is not an entry of this list.
    int IndexOf(const CGridItem* row) const;

    // True when `row` is an entry of this list: O(1), unlike IndexOf, which searches the block.
    bool Contains(const CGridItem* row) const;

    // The key `row` (an entry) is ordered by has changed: when it is the first of its block,
    // the prefix kept for the block follows. Whoever changes a row's key calls it.
    void OnKeyChanged(const CGridItem* row);
    // True when the prefix kept for every block is its first row's present one (always, in a
    // list without keys): what OnKeyChanged and every change of a block's entries maintain.
    bool AreFirstKeysCurrent() const;

    // An entry's index with the entries on either side (null at the ends).
    struct Neighbourhood
    {
        int index = -1; // -1: not an entry of this list
        CGridItem* previous = nullptr;
        CGridItem* next = nullptr;
    };
    // What IndexOf and two calls of At would say, for the cost of IndexOf: the neighbours are
    // read from the blocks the search has just touched.
    Neighbourhood NeighboursOf(const CGridItem* row) const;

    // Inserts `rows` (in no list of this link) contiguously at `index` (0..Size()).
    void Insert(int index, std::span<CGridItem* const> rows);
    // Inserts each of `rows` (in no list of this link) before the entry that stands at
    // `places[i]` now (Size() for the end); `places` does not decrease, and rows with equal
    // places keep their order. A block gets its new rows in one pass and only rows that change
    // blocks are relinked: a sorted burst merged among many rows touches the blocks it lands
    // in, not every entry.
    void InsertEach(std::span<CGridItem* const> rows, std::span<const int> places);
    // Moves the entry at `from` so that it ends at `to` (an index after the move); the others
    // keep their order. Within a block the entries between are rotated; across blocks only the
    // two blocks and their sizes change, unless that would leave a block too full or too small.
    void Move(int from, int to);
    // Removes [index, index + count); the rows' links are cleared.
    void Erase(int index, int count);
    // Appends the entries [first, first + count) to `out`.
    void CopyOut(int first, int count, std::vector<CGridItem*>& out) const;
    // Replaces every entry by `rows` (which may include present entries) in that order.
    void Assign(std::span<CGridItem* const> rows);
    // Removes every entry.
    void Clear();
    // Removes every entry without clearing the rows' links: only for rows that are all being
    // deleted, which then must not be asked for their place any more.
    void Discard();

    // First index in [first, last) whose row does not satisfy `holds`, given that the rows that
    // do satisfy it all come before the rows that do not (a search that halves the range or
    // better at each step).
    template <class Predicate>
    int PartitionPoint(int first, int last, Predicate&& holds) const
    {
        return PartitionPoint(first, last, holds, [](const CGridItem*) {});
    }

    // The same search, telling `prefetch` ahead of time which rows the next probes read: in a
    // large list every probe reads a row nobody touched lately, and asking for several early
    // lets those memory reads overlap instead of following one another. `prefetch` must only
    // hint (it must not read the row).
    template <class Predicate, class Prefetch>
    int PartitionPoint(int first, int last, Predicate&& holds, Prefetch&& prefetch) const
    {
        if (first >= last)
            return first;
        // Bisects the first rows of the blocks inside the range, then the one block that holds
        // the boundary, so that each probe reads one row and not a path through the size tree.
        const Place from = Locate(first);
        const Place to = Locate(last - 1);
        const std::size_t block =
            SearchSlots(m_firstRows.data(), from.block + 1, to.block + 1, holds, prefetch) - 1;
        return SearchWithinBlock(block, from, to, holds, prefetch);
    }

    // The same search in a list with keys, where `decide(prefix)` tells from a block's first
    // key prefix alone what `holds` would say of that block's first row: positive for true,
    // negative for false, 0 when the prefix cannot tell and the row must be asked. The blocks
    // are bisected in the array of prefixes, reading a first row only when its prefix cannot
    // tell; then the one block that holds the boundary is searched as above.
    template <class Predicate, class Decide, class Prefetch>
    int PartitionPoint(int first, int last, Predicate&& holds, Decide&& decide,
                       Prefetch&& prefetch) const
    {
        if (m_keyOf == nullptr)
            return PartitionPoint(first, last, holds, prefetch);
        if (first >= last)
            return first;
        const Place from = Locate(first);
        const Place to = Locate(last - 1);
        std::size_t low = from.block + 1;
        std::size_t high = to.block + 1;
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            const int verdict = decide(m_firstKeys[middle]);
            if (verdict > 0 || (verdict == 0 && holds(m_firstRows[middle])))
                low = middle + 1;
            else
                high = middle;
        }
        return SearchWithinBlock(low - 1, from, to, holds, prefetch);
    }

    class Iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CGridItem*;
        using difference_type = std::ptrdiff_t;
        using pointer = CGridItem* const*;
        using reference = CGridItem* const&;

        Iterator() = default;
        Iterator(const CRowBlockList* list, std::size_t block) : m_list(list), m_block(block) {}

        reference operator*() const { return m_list->m_blocks[m_block]->rows[m_offset]; }
        Iterator& operator++();
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const
        {
            return m_block == other.m_block && m_offset == other.m_offset;
        }

    private:
        const CRowBlockList* m_list = nullptr;
        std::size_t m_block = 0;
        std::size_t m_offset = 0;
    };

    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, m_blocks.size()); }

private:
    struct Place
    {
        std::size_t block;
        int offset;
    };

    Place Locate(int index) const;

    // The end of a partition-point search: the boundary's slot inside `block`, which lies in
    // the searched range [from, to].
    template <class Predicate, class Prefetch>
    int SearchWithinBlock(std::size_t block, Place from, Place to, Predicate& holds,
                          Prefetch& prefetch) const
    {
        const std::pmr::vector<CGridItem*>& rows = m_blocks[block]->rows;
        const std::size_t begin = block == from.block ? static_cast<std::size_t>(from.offset) : 0;
        const std::size_t end =
            block == to.block ? static_cast<std::size_t>(to.offset) + 1 : rows.size();
        const std::size_t slot = SearchSlots(rows.data(), begin, end, holds, prefetch);
        return StartOf(block) + static_cast<int>(slot);
    }

    // First slot in [low, high) of `rows` whose row does not satisfy `holds`. A wide range is
    // cut at kSearchWays - 1 evenly spaced slots at once: their slots and rows are all asked
    // for before the first is compared, so that a step costs about one memory read instead of
    // one per halving, then the part that holds the boundary is searched the same way. The
    // last few slots are all asked for at once too and compared in order: bisecting them
    // would read their rows one after the other.
    static constexpr std::size_t kSearchWays = 8;
    template <class Predicate, class Prefetch>
    static std::size_t SearchSlots(CGridItem* const* rows, std::size_t low, std::size_t high,
                              Predicate& holds, Prefetch& prefetch)
    {
        while (high - low > kSearchWays) {
            std::size_t cuts[kSearchWays - 1];
            const std::size_t span = high - low;
            for (std::size_t way = 0; way + 1 < kSearchWays; ++way) {
                cuts[way] = low + span * (way + 1) / kSearchWays;
                prefetch(rows[cuts[way]]);
            }
            std::size_t newHigh = high;
            for (const std::size_t cut : cuts) {
                if (!holds(rows[cut])) {
                    newHigh = cut;
                    break;
                }
                low = cut + 1;
            }
            high = newHigh;
        }
        for (std::size_t slot = low; slot < high; ++slot)
            prefetch(rows[slot]);
        while (low < high && holds(rows[low]))
            ++low;
        return low;
    }
    int StartOf(std::size_t block) const;
    // After the entries of block `index` changed: its first row, and in a list with keys its
    // first key prefix, follow in the block and beside the list.
    void FrontChanged(std::size_t index);
    // The prefix of a block's first row, made when the block is (re)built.
    void TakeFirstKey(CRowBlock& block) const;
    void AddToBlockSize(std::size_t block, int delta);
    void LinkRows(CRowBlock& block, std::size_t from);
    void Unlink(std::span<CGridItem* const> rows);
    void InsertSplitting(Place place, std::span<CGridItem* const> rows, bool appending);
    // InsertEach's work on one block that starts at list index `start`: its new rows merged in,
    // the block and any pieces split off it appended to `blocks`.
    void MergeIntoBlock(std::unique_ptr<CRowBlock> block, int start, std::span<CGridItem* const> rows,
                        std::span<const int> places, std::vector<std::unique_ptr<CRowBlock>>& blocks);
    void RemoveEmptyBlocks();
    void MergeIfSmall(std::size_t block);
    // Renumbers the blocks from `first` on and rebuilds the size tree.
    void Reindex(std::size_t first);
    std::vector<std::unique_ptr<CRowBlock>> MakeBlocks(std::span<CGridItem* const> rows,
                                                       int perBlock);

    Link m_link;
    KeyOf m_keyOf;
    std::vector<std::unique_ptr<CRowBlock>> m_blocks;
    std::vector<CGridItem*> m_firstRows; // first row of each block, for bisection
    std::vector<CKeyPrefix> m_firstKeys; // their key prefixes; empty in a list without keys
    // 1-based Fenwick tree of block sizes; empty while there is at most one block.
    std::vector<int> m_sizeTree;
    int m_size = 0;
};

} // namespace Ombrel::GUI
