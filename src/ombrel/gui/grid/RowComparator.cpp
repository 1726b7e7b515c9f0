#include "ombrel/gui/grid/RowComparator.h"

#include <algorithm>
#include <bit>

#include "ombrel/gui/grid/GridItem.h"

namespace Ombrel::GUI {

namespace {

// Ranges up to this length are finished by insertion sort.
constexpr std::ptrdiff_t kInsertionSortLimit = 16;

} // namespace

int CRowComparator::Compare(const CGridItem& a, const CGridItem& b) const
{
    const int levelCount = std::min<int>(static_cast<int>(m_levels.size()), kMaxSortLevels);
    for (int level = 0; level < levelCount; ++level) {
        const Common::CValue& keyA = a.GetSortKey(level);
        const Common::CValue& keyB = b.GetSortKey(level);
        if (keyA.GetType() != keyB.GetType() || keyA.IsEmpty())
            return 0;
        int greater = 0;
        if (keyA > keyB)
            greater = 1;
        else if (keyB > keyA)
            greater = -1;
        if (greater == 0)
            continue;
        return m_levels[static_cast<std::size_t>(level)].IsDescending() ? greater : -greater;
    }
    return 0;
}

int CRowComparator::UpperBound(const std::vector<CGridItem*>& rows, int first, int last,
                               const CGridItem& row) const
{
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (Before(row, *rows[static_cast<std::size_t>(middle)]))
            last = middle;
        else
            first = middle + 1;
    }
    return first;
}

bool CRowComparator::IsOrdered(const std::vector<CGridItem*>& rows) const
{
    for (std::size_t slot = 1; slot < rows.size(); ++slot) {
        if (Before(*rows[slot], *rows[slot - 1]))
            return false;
    }
    return true;
}

void CRowComparator::Sort(std::vector<CGridItem*>& rows) const
{
    if (rows.size() < 2)
        return;
    const int depthLimit = 2 * static_cast<int>(std::bit_width(rows.size()));
    IntroSort(rows.data(), rows.data() + rows.size(), depthLimit);
}

void CRowComparator::IntroSort(CGridItem** first, CGridItem** last, int depthLimit) const
{
    while (last - first > kInsertionSortLimit) {
        if (depthLimit-- == 0) {
            HeapSort(first, last);
            return;
        }
        // Median of the first, middle and last element becomes the pivot, kept at *first.
        CGridItem** middle = first + (last - first) / 2;
        CGridItem** back = last - 1;
        if (Before(**middle, **first))
            std::iter_swap(middle, first);
        if (Before(**back, **middle)) {
            std::iter_swap(back, middle);
            if (Before(**middle, **first))
                std::iter_swap(middle, first);
        }
        std::iter_swap(first, middle);
        const CGridItem& pivot = **first;
        // Hoare partition with explicit bounds, so an inconsistent comparator cannot run past
        // the range.
        CGridItem** left = first + 1;
        CGridItem** right = last - 1;
        while (true) {
            while (left <= right && Before(**left, pivot))
                ++left;
            while (left <= right && Before(pivot, **right))
                --right;
            if (left >= right)
                break;
            std::iter_swap(left, right);
            ++left;
            --right;
        }
        CGridItem** split = left - 1;
        std::iter_swap(first, split);
        // Recurse into the smaller part, loop on the larger one.
        if (split - first < last - (split + 1)) {
            IntroSort(first, split, depthLimit);
            first = split + 1;
        } else {
            IntroSort(split + 1, last, depthLimit);
            last = split;
        }
    }
    InsertionSort(first, last);
}

void CRowComparator::InsertionSort(CGridItem** first, CGridItem** last) const
{
    for (CGridItem** current = first + 1; current < last; ++current) {
        CGridItem* row = *current;
        CGridItem** hole = current;
        while (hole > first && Before(*row, **(hole - 1))) {
            *hole = *(hole - 1);
            --hole;
        }
        *hole = row;
    }
}

void CRowComparator::HeapSort(CGridItem** first, CGridItem** last) const
{
    const auto after = [this](CGridItem* a, CGridItem* b) { return Before(*a, *b); };
    std::make_heap(first, last, after);
    std::sort_heap(first, last, after);
}

} // namespace Ombrel::GUI
