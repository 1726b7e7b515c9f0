#include "ombrel/gui/rows/RowComparator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory_resource>
#include <utility>
#include <vector>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI {

namespace {

// Ranges up to this length are finished by insertion sort.
constexpr std::ptrdiff_t kInsertionSortLimit = 16;

} // namespace

int CRowComparator::Compare(const CGridItem& a, const CGridItem& b) const
{
    const int levelCount = std::min<int>(static_cast<int>(m_levels.size()), kMaxSortLevels);
    for (int level = 0; level < levelCount; ++level) {
        const CSortKey& keyA = a.GetSortKey(level);
        const CSortKey& keyB = b.GetSortKey(level);
        if (keyA.GetType() != keyB.GetType() || keyA.IsEmpty())
            return 0;
        const int greater = keyA.Compare(keyB);
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

namespace {

// The introspective sort behind Sort, over any element type ordered by `before`.
template <class Element, class Before>
class CIntroSort
{
public:
    explicit CIntroSort(const Before& before) : m_before(before) {}

    void Run(Element* first, Element* last) const
    {
        if (last - first < 2)
            return;
        const auto count = static_cast<std::size_t>(last - first);
        IntroSort(first, last, 2 * static_cast<int>(std::bit_width(count)));
    }

private:
    void IntroSort(Element* first, Element* last, int depthLimit) const
    {
        while (last - first > kInsertionSortLimit) {
            if (depthLimit-- == 0) {
                HeapSort(first, last);
                return;
            }
            // Median of the first, middle and last element becomes the pivot, kept at *first.
            Element* middle = first + (last - first) / 2;
            Element* back = last - 1;
            if (m_before(*middle, *first))
                std::iter_swap(middle, first);
            if (m_before(*back, *middle)) {
                std::iter_swap(back, middle);
                if (m_before(*middle, *first))
                    std::iter_swap(middle, first);
            }
            std::iter_swap(first, middle);
            // Hoare partition with explicit bounds, so an inconsistent comparator cannot run
            // past the range.
            Element* left = first + 1;
            Element* right = last - 1;
            while (true) {
                while (left <= right && m_before(*left, *first))
                    ++left;
                while (left <= right && m_before(*first, *right))
                    --right;
                if (left >= right)
                    break;
                std::iter_swap(left, right);
                ++left;
                --right;
            }
            Element* split = left - 1;
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

    void InsertionSort(Element* first, Element* last) const
    {
        for (Element* current = first + 1; current < last; ++current) {
            Element element = std::move(*current);
            Element* hole = current;
            while (hole > first && m_before(element, *(hole - 1))) {
                *hole = std::move(*(hole - 1));
                --hole;
            }
            *hole = std::move(element);
        }
    }

    void HeapSort(Element* first, Element* last) const
    {
        const auto after = [this](const Element& a, const Element& b) { return m_before(a, b); };
        std::make_heap(first, last, after);
        std::sort_heap(first, last, after);
    }

    const Before& m_before;
};

// Below this many rows the rows are sorted in place; the keyed copy pays off above it.
constexpr std::size_t kKeyedSortThreshold = 1024;

// Levels whose keys a large sort copies next to the row.
constexpr std::size_t kKeyedLevels = 2;

struct KeyedRow
{
    CSortKey keys[kKeyedLevels]; // the first levels' keys, borrowed from the row: no text is copied
    CGridItem* row = nullptr;
};

// A row of a large sort by prefixes: its first two levels as unsigned numbers in the order
// the levels ask for, so that the sort reads bytes of a compact array and the rows themselves
// are read once, in the order they come.
struct PrefixedRow
{
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    CGridItem* row = nullptr;

    bool TiesWith(const PrefixedRow& other) const
    {
        return first == other.first && second == other.second;
    }
};

// How one level's prefixes are taken for a burst of rows.
struct PrefixPlan
{
    bool used = false;          // every row has a prefix of one kind at this level
    bool exact = false;         // equal prefixes mean equal keys at this level
    std::size_t textOffset = 0; // bytes every row's text shares: the prefix starts after them
};

// Plans one level: all keys of one kind with a prefix each, and for text the bytes they share.
// Numbers are exact; texts are when they all have one length that the prefix covers (texts of
// different lengths may pad to the same prefix, longer ones go on past it).
PrefixPlan PlanLevel(std::span<CGridItem* const> rows, int level)
{
    PrefixPlan plan;
    const CSortKey& model = rows.front()->GetSortKey(level);
    const std::string_view modelText = model.TextView();
    std::size_t shared = modelText.size();
    bool sameLength = true;
    for (const CGridItem* row : rows) {
        const CSortKey& key = row->GetSortKey(level);
        if (key.GetType() != model.GetType() || !key.OrderPrefix())
            return plan;
        const std::string_view text = key.TextView();
        sameLength = sameLength && text.size() == modelText.size();
        const auto limit = static_cast<std::ptrdiff_t>(std::min(shared, text.size()));
        const auto firstDifference =
            std::mismatch(modelText.begin(), modelText.begin() + limit, text.begin()).first;
        shared = static_cast<std::size_t>(firstDifference - modelText.begin());
    }
    plan.used = true;
    plan.exact = !model.IsText() || (sameLength && modelText.size() - shared <= sizeof(std::uint64_t));
    plan.textOffset = shared;
    return plan;
}

// The byte of `entry` that pass `pass` of the radix sort orders by: the second prefix's bytes
// first, least significant first, then the first prefix's.
inline std::size_t RadixDigit(const PrefixedRow& entry, std::size_t pass)
{
    const std::uint64_t word = pass < 8 ? entry.second : entry.first;
    return static_cast<std::size_t>((word >> (8 * (pass % 8))) & 0xff);
}

// Puts `entries` in prefix order by a least-significant-digit radix sort over the sixteen
// prefix bytes: a few sequential passes over the array instead of a comparison sort's
// log2(count) rounds of unpredictable branches. The counts of every byte position are taken in
// one pass, and a position where all entries share their byte (the high bytes of small
// numbers, text the burst has in common) costs nothing more. Stable: entries with equal
// prefixes keep their order.
void RadixSortPrefixes(std::pmr::vector<PrefixedRow>& entries)
{
    constexpr std::size_t kPasses = 16;
    constexpr std::size_t kDigits = 256;
    const std::size_t count = entries.size();
    if (count < 2)
        return;
    std::vector<std::array<std::uint32_t, kDigits>> counts(kPasses);
    for (const PrefixedRow& entry : entries) {
        for (std::size_t pass = 0; pass < kPasses; ++pass)
            ++counts[pass][RadixDigit(entry, pass)];
    }
    std::pmr::vector<PrefixedRow> scratch(entries.get_allocator());
    for (std::size_t pass = 0; pass < kPasses; ++pass) {
        std::array<std::uint32_t, kDigits>& digitCounts = counts[pass];
        if (digitCounts[RadixDigit(entries.front(), pass)] == count)
            continue; // every entry has this byte: the pass would keep the order
        if (scratch.empty())
            scratch.resize(count);
        std::uint32_t start = 0;
        for (std::uint32_t& digitCount : digitCounts)
            start += std::exchange(digitCount, start); // now where the digit's run starts
        for (const PrefixedRow& entry : entries)
            scratch[digitCounts[RadixDigit(entry, pass)]++] = entry;
        entries.swap(scratch);
    }
}

template <class Before>
void IntroSortRows(CGridItem** first, CGridItem** last, const Before& before)
{
    CIntroSort<CGridItem*, Before>(before).Run(first, last);
}

} // namespace

bool CRowComparator::SortByPrefixes(std::span<CGridItem*> rows) const
{
    std::array<PrefixPlan, kPrefixLevels> plans;
    plans[0] = PlanLevel(rows, 0);
    if (!plans[0].used)
        return false;
    // A level's prefix only goes on to the next level's where equal prefixes mean equal keys.
    std::size_t planned = 1;
    if (m_levels.size() > 1 && plans[0].exact) {
        plans[1] = PlanLevel(rows, 1);
        planned = plans[1].used ? 2 : 1;
    }

    const auto prefixOf = [&](const CGridItem* row, std::size_t level) -> std::uint64_t {
        if (level >= planned)
            return 0;
        const std::uint64_t prefix =
            *row->GetSortKey(static_cast<int>(level)).OrderPrefix(plans[level].textOffset);
        return m_levels[level].IsDescending() ? ~prefix : prefix;
    };
    const std::size_t count = rows.size();
    std::pmr::vector<PrefixedRow> entries(&CHugePageMemory::Get());
    entries.reserve(count);
    for (CGridItem* row : rows)
        entries.push_back(PrefixedRow{prefixOf(row, 0), prefixOf(row, 1), row});
    RadixSortPrefixes(entries);
    for (std::size_t slot = 0; slot < count; ++slot)
        rows[slot] = entries[slot].row;

    // Rows with equal prefixes are equal unless a level past the prefixes, or text past the
    // bytes a prefix holds, tells them apart: only then are their runs finished with the full
    // comparison.
    const bool tiesMayDiffer = m_levels.size() > planned || !plans[planned - 1].exact;
    if (!tiesMayDiffer)
        return true;
    const auto before = [this](const CGridItem* a, const CGridItem* b) { return Before(*a, *b); };
    std::size_t runStart = 0;
    for (std::size_t slot = 1; slot <= count; ++slot) {
        if (slot < count && entries[slot].TiesWith(entries[runStart]))
            continue;
        if (slot - runStart > 1)
            IntroSortRows(rows.data() + runStart, rows.data() + slot, before);
        runStart = slot;
    }
    return true;
}

void CRowComparator::Sort(std::span<CGridItem*> rows) const
{
    if (rows.size() < 2)
        return;
    if (rows.size() < kKeyedSortThreshold || m_levels.empty()) {
        const auto before = [this](const CGridItem* a, const CGridItem* b) {
            return Before(*a, *b);
        };
        IntroSortRows(rows.data(), rows.data() + rows.size(), before);
        return;
    }
    if (SortByPrefixes(rows))
        return;
    // The first two levels, which decide nearly every comparison, are read from the compact
    // array; only rows that tie in both are compared through the rows, where the full
    // comparison gives the same answer as Before (the levels read here being equal).
    const std::size_t keyedLevels = std::min<std::size_t>(m_levels.size(), kKeyedLevels);
    const bool moreLevels = m_levels.size() > kKeyedLevels;
    const auto before = [this, keyedLevels, moreLevels](const KeyedRow& a, const KeyedRow& b) {
        for (std::size_t level = 0; level < keyedLevels; ++level) {
            const CSortKey& keyA = a.keys[level];
            const CSortKey& keyB = b.keys[level];
            if (keyA.GetType() != keyB.GetType() || keyA.IsEmpty())
                return false; // equal from this level on
            const int greater = keyA.Compare(keyB);
            if (greater != 0)
                return greater > 0 ? m_levels[level].IsDescending() : !m_levels[level].IsDescending();
        }
        return moreLevels && Before(*a.row, *b.row);
    };
    std::vector<KeyedRow> keyed(rows.size());
    for (std::size_t slot = 0; slot < rows.size(); ++slot) {
        KeyedRow& entry = keyed[slot];
        entry.row = rows[slot];
        for (std::size_t level = 0; level < keyedLevels; ++level)
            entry.keys[level] = entry.row->GetSortKey(static_cast<int>(level)).Borrow();
    }
    CIntroSort<KeyedRow, decltype(before)>(before).Run(keyed.data(), keyed.data() + keyed.size());
    for (std::size_t slot = 0; slot < rows.size(); ++slot)
        rows[slot] = keyed[slot].row;
}

} // namespace Ombrel::GUI
