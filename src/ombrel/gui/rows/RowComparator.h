#pragma once

#include <span>
#include <vector>

#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/rows/detail/KeyPrefix.h"

namespace Ombrel::GUI {

class CGridItem;

// Orders rows by their cached sort keys, level by level.
//
// Compare(a, b) is positive when a sorts before b, negative when after, 0 when equal. Keys of
// different value kinds, or empty keys, make the rows equal from that level on. Two keys are
// equal when neither is greater, so unordered floating-point values never make the order
// inconsistent in one direction only. Only cached keys are read, never the data objects.
class CRowComparator
{
public:
    explicit CRowComparator(std::span<const CSortInfo> levels) : m_levels(levels) {}

    int Compare(const CGridItem& a, const CGridItem& b) const;
    // What Compare says of two rows whose first keys have the prefixes `a` and `b`, when the
    // prefixes decide it; 0 when they cannot tell (the rows must then be compared).
    int ComparePrefixes(const CKeyPrefix& a, const CKeyPrefix& b) const
    {
        const int order = a.Order(b);
        if (order == 0 || m_levels.empty())
            return 0;
        return m_levels.front().IsDescending() ? order : -order;
    }
    // True when a sorts strictly before b.
    bool Before(const CGridItem& a, const CGridItem& b) const { return Compare(a, b) > 0; }

    // Introspective sort: median-of-three partitioning above 16 elements, insertion sort below,
    // heap sort past the depth limit. Not stable. Safe with a comparator that is not a strict
    // weak order: no loop relies on a sentinel. Large inputs whose first levels each hold keys
    // of one kind are sorted on 64-bit prefixes of those keys (rows with equal prefixes then
    // compared in full); other large inputs as (first two keys, row) entries; either way most
    // comparisons read a compact array instead of the rows.
    void Sort(std::span<CGridItem*> rows) const;

    // True when no row sorts strictly before the one preceding it.
    bool IsOrdered(const std::vector<CGridItem*>& rows) const;

    // First slot in [first, last) whose row `row` sorts strictly before (an upper bound).
    int UpperBound(const std::vector<CGridItem*>& rows, int first, int last,
                   const CGridItem& row) const;

private:
    // Levels whose keys the prefix sort packs into each entry.
    static constexpr std::size_t kPrefixLevels = 2;

    // Sorts on the first levels' prefixes; false, leaving `rows` as they were, when a level
    // mixes kinds of keys or holds a key without a prefix (empty, NaN).
    bool SortByPrefixes(std::span<CGridItem*> rows) const;

    std::span<const CSortInfo> m_levels;
};

} // namespace Ombrel::GUI
