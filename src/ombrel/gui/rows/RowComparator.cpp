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
// the levels ask for, less the burst's smallest at each level, so that the sort reads bytes of a
// compact array and the rows themselves are read once, in the order they come.
struct PrefixedRow
{
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    CGridItem* row = nullptr;

    static constexpr std::size_t kRadixPasses = 16;
    // The byte pass `pass` orders by: the second prefix's bytes first, least significant
    // first, then the first prefix's.
    std::size_t RadixDigit(std::size_t pass) const
    {
        const std::uint64_t word = pass < 8 ? second : first;
        return static_cast<std::size_t>((word >> (8 * (pass % 8))) & 0xff);
    }
    bool TiesWith(const PrefixedRow& other) const
    {
        return first == other.first && second == other.second;
    }
};

// The same when both levels' ranges fit one 64-bit number together (the first level's value
// above the second's): two thirds of the memory and half the passes or fewer. A burst's
// numbers and the varying bytes of its texts usually span far less than their full width.
struct PackedRow
{
    std::uint64_t key = 0;
    CGridItem* row = nullptr;

    static constexpr std::size_t kRadixPasses = 8;
    std::size_t RadixDigit(std::size_t pass) const
    {
        return static_cast<std::size_t>((key >> (8 * pass)) & 0xff);
    }
    bool TiesWith(const PackedRow& other) const { return key == other.key; }
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

// Puts `entries` in prefix order by a least-significant-digit radix sort over their bytes: a
// few sequential passes over the array instead of a comparison sort's log2(count) rounds of
// unpredictable branches. The counts of every byte position are taken in one pass, and a
// position where all entries share their byte (the high bytes of small numbers, text the burst
// has in common) costs nothing more. Stable: entries with equal prefixes keep their order.
template <class Entry>
void RadixSortPrefixes(std::pmr::vector<Entry>& entries)
{
    constexpr std::size_t kPasses = Entry::kRadixPasses;
    constexpr std::size_t kDigits = 256;
    const std::size_t count = entries.size();
    if (count < 2)
        return;
    std::vector<std::array<std::uint32_t, kDigits>> counts(kPasses);
    for (const Entry& entry : entries) {
        for (std::size_t pass = 0; pass < kPasses; ++pass)
            ++counts[pass][entry.RadixDigit(pass)];
    }
    std::pmr::vector<Entry> scratch(entries.get_allocator());
    for (std::size_t pass = 0; pass < kPasses; ++pass) {
        std::array<std::uint32_t, kDigits>& digitCounts = counts[pass];
        if (digitCounts[entries.front().RadixDigit(pass)] == count)
            continue; // every entry has this byte: the pass would keep the order
        if (scratch.empty())
            scratch.resize(count);
        std::uint32_t start = 0;
        for (std::uint32_t& digitCount : digitCounts)
            start += std::exchange(digitCount, start); // now where the digit's run starts
        for (const Entry& entry : entries)
            scratch[digitCounts[entry.RadixDigit(pass)]++] = entry;
        entries.swap(scratch);
    }
}

// The smallest and largest prefix of each of the two levels over a burst, and the low bits
// that every prefix of a level shares (the padding of texts of one length, for one).
struct PrefixRange
{
    std::array<std::uint64_t, 2> low{~std::uint64_t{0}, ~std::uint64_t{0}};
    std::array<std::uint64_t, 2> high{};
    std::array<std::uint64_t, 2> anySet{};
    std::array<std::uint64_t, 2> allSet{~std::uint64_t{0}, ~std::uint64_t{0}};

    void Add(std::size_t level, std::uint64_t prefix)
    {
        low[level] = std::min(low[level], prefix);
        high[level] = std::max(high[level], prefix);
        anySet[level] |= prefix;
        allSet[level] &= prefix;
    }
    // Low bits every prefix of the level has alike: the smallest has them too, so they are
    // zero in every prefix less the smallest and can be shifted out without losing an order.
    int SharedLowBits(std::size_t level) const
    {
        const std::uint64_t varying = anySet[level] ^ allSet[level];
        return varying == 0 ? 0 : std::countr_zero(varying);
    }
    // A prefix of the level as the sort reads it: less the smallest, without the shared bits.
    std::uint64_t Offset(std::size_t level, std::uint64_t prefix) const
    {
        return (prefix - low[level]) >> SharedLowBits(level);
    }
    // Bits that the level's offsets take.
    int Bits(std::size_t level) const
    {
        return static_cast<int>(std::bit_width(Offset(level, high[level])));
    }
};

// Puts `rows` in the order of the entries `make(row)` gives them, and returns the entries in
// that order, for the ties.
template <class Entry, class Make>
std::pmr::vector<Entry> SortEntries(std::span<CGridItem*> rows, const Make& make)
{
    std::pmr::vector<Entry> entries(&CHugePageMemory::Get());
    entries.reserve(rows.size());
    for (CGridItem* row : rows)
        entries.push_back(make(row));
    RadixSortPrefixes(entries);
    for (std::size_t slot = 0; slot < rows.size(); ++slot)
        rows[slot] = entries[slot].row;
    return entries;
}

template <class Before>
void IntroSortRows(CGridItem** first, CGridItem** last, const Before& before)
{
    CIntroSort<CGridItem*, Before>(before).Run(first, last);
}

// Finishes each run of rows with equal prefixes (equal entries) with the full comparison.
template <class Entry, class Before>
void SortTies(std::span<CGridItem*> rows, const std::pmr::vector<Entry>& entries,
              const Before& before)
{
    std::size_t runStart = 0;
    for (std::size_t slot = 1; slot <= rows.size(); ++slot) {
        if (slot < rows.size() && entries[slot].TiesWith(entries[runStart]))
            continue;
        if (slot - runStart > 1)
            IntroSortRows(rows.data() + runStart, rows.data() + slot, before);
        runStart = slot;
    }
}

} // namespace

bool CRowComparator::SortByPrefixes(std::span<CGridItem*> rows) const
{
    static_assert(kPrefixLevels == 2, "an entry holds the prefixes of two levels");
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
    // A first read of the prefixes finds their ranges: the sort then skips the bytes that
    // only a level's smallest value holds or that all share, and packs both levels into one
    // number when they fit.
    PrefixRange range;
    for (const CGridItem* row : rows) {
        for (std::size_t level = 0; level < kPrefixLevels; ++level)
            range.Add(level, prefixOf(row, level));
    }
    const int secondBits = range.Bits(1);
    const auto offset = [&](const CGridItem* row, std::size_t level) {
        return range.Offset(level, prefixOf(row, level));
    };

    // Rows with equal prefixes are equal unless a level past the prefixes, or text past the
    // bytes a prefix holds, tells them apart: only then are their runs finished with the full
    // comparison.
    const bool tiesMayDiffer = m_levels.size() > planned || !plans[planned - 1].exact;
    const auto before = [this](const CGridItem* a, const CGridItem* b) { return Before(*a, *b); };
    if (range.Bits(0) + secondBits <= 64) {
        const auto entries = SortEntries<PackedRow>(rows, [&](CGridItem* row) {
            // A level of one value takes no bits: its offset is 0 and adds nothing (shifting
            // by all 64 bits of the other level would be undefined).
            if (secondBits == 0)
                return PackedRow{offset(row, 0), row};
            if (secondBits == 64)
                return PackedRow{offset(row, 1), row};
            return PackedRow{offset(row, 0) << secondBits | offset(row, 1), row};
        });
        if (tiesMayDiffer)
            SortTies(rows, entries, before);
        return true;
    }
    const auto entries = SortEntries<PrefixedRow>(rows, [&](CGridItem* row) {
        return PrefixedRow{offset(row, 0), offset(row, 1), row};
    });
    if (tiesMayDiffer)
        SortTies(rows, entries, before);
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
