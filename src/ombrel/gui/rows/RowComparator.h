#pragma once

#include <span>
#include <vector>

#include "ombrel/gui/header/SortInfo.h"

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
    // True when a sorts strictly before b.
    bool Before(const CGridItem& a, const CGridItem& b) const { return Compare(a, b) > 0; }

    // Introspective sort: median-of-three partitioning above 16 elements, insertion sort below,
    // heap sort past the depth limit. Not stable. Safe with a comparator that is not a strict
    // weak order: no loop relies on a sentinel. Large inputs are sorted as (first two keys,
    // row) entries, so that most comparisons read a compact array instead of the rows.
    void Sort(std::vector<CGridItem*>& rows) const;

    // True when no row sorts strictly before the one preceding it.
    bool IsOrdered(const std::vector<CGridItem*>& rows) const;

    // First slot in [first, last) whose row `row` sorts strictly before (an upper bound).
    int UpperBound(const std::vector<CGridItem*>& rows, int first, int last,
                   const CGridItem& row) const;

private:
    std::span<const CSortInfo> m_levels;
};

} // namespace Ombrel::GUI
