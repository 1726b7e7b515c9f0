#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Ombrel::GUI {

class CGridItem;

// A set of row addresses for handle validation: which rows a container holds.
//
// Open addressing with linear probing in one array of pointers, so a member costs 8 to 16
// bytes of that array and no allocation of its own (a tree set spends a 48-byte node per row
// and an allocation per insertion). Contains, Insert and Erase cost O(1) on average; erasing
// shifts the following run back instead of leaving tombstones, so lookups never slow down
// with churn. The array only grows (doubling at 3/4 load, or sized ahead with ReserveTight)
// until Clear releases it.
//
// The set never reads through the addresses it holds: it validates handles that may be stale.
// Iteration order is the array's, which has no meaning; callers that need an order sort.
class CRowAddressSet
{
public:
    CRowAddressSet() = default;
    CRowAddressSet(const CRowAddressSet&) = delete;
    CRowAddressSet& operator=(const CRowAddressSet&) = delete;

    std::size_t Size() const { return m_size; }
    bool IsEmpty() const { return m_size == 0; }
    // Slots of the array: members fit under three quarters of it before it grows.
    std::size_t Capacity() const { return m_slots.size(); }
    bool Contains(const CGridItem* row) const;
    // False when `row` is null or present already.
    bool Insert(CGridItem* row);
    // False when `row` was not present.
    bool Erase(const CGridItem* row);
    // Insert for each row, with the array grown once and the slots of later rows fetched ahead:
    // how a burst of new rows is registered without waiting on memory for each.
    void InsertMany(std::span<CGridItem* const> rows);
    // Makes room for `count` members in all, so that inserting them does not grow the array
    // (which grows by doubling).
    void Reserve(std::size_t count);
    // The same with the fewest slots that hold `count` under the load limit: for a count known
    // ahead, which doubling would overshoot by up to half the array.
    void ReserveTight(std::size_t count);
    // Removes every member and releases the array.
    void Clear();
    // The members, in no particular order.
    std::vector<CGridItem*> ToVector() const;

    template <class Visitor>
    void ForEach(Visitor&& visit) const
    {
        for (CGridItem* row : m_slots) {
            if (row)
                visit(row);
        }
    }

private:
    std::size_t HomeSlot(const CGridItem* row) const;
    // Slot holding `row`, or the empty slot where its probe run ends.
    std::size_t FindSlot(const CGridItem* row) const;
    void Rehash(std::size_t capacity);

    std::vector<CGridItem*> m_slots; // null = empty; 0 or at least kMinFlatTableCapacity slots
    std::size_t m_size = 0;          // non-null slots
};

} // namespace Ombrel::GUI
