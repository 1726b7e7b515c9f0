#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGridItem;

// The dispatcher's registry: for each data object, the rows that show it, in registration
// order.
//
// Nearly every object is shown by exactly one row, so the first row of each object lives in a
// flat open-addressed table of (object, row) pairs: 16 bytes a slot, no allocation per object
// (a hash-map node per object costs 48 bytes and an allocation). Only the further rows of an
// object shown more than once go to a side map. Probing is linear; erasing shifts the following
// run back, so lookups do not slow down with churn. The table grows by doubling at 3/4 load (or
// is sized ahead with ReserveTight) and is released when it becomes empty.
//
// The map never reads through the addresses it holds: an object may be gone by the time a
// posted change looks it up. Not thread-safe: the dispatcher guards it with its registry lock.
class CObjectRowMap
{
public:
    enum class Removal
    {
        Absent,  // the pair was not registered
        Removed, // removed; the object still has rows
        Last,    // removed; it was the object's last row
    };

    CObjectRowMap() = default;
    CObjectRowMap(const CObjectRowMap&) = delete;
    CObjectRowMap& operator=(const CObjectRowMap&) = delete;

    std::size_t ObjectCount() const { return m_size; }
    // Appends `row` to the object's rows; true when it is the object's first one.
    bool Add(const Common::CDataObject* object, CGridItem* row);
    // Removes the first entry of `row` among the object's rows.
    Removal Remove(const Common::CDataObject* object, const CGridItem* row);
    // Removes every row of the object.
    void EraseObject(const Common::CDataObject* object);
    bool Contains(const Common::CDataObject* object, const CGridItem* row) const;
    bool HasObject(const Common::CDataObject* object) const;
    // The object's only row; null when it has none or several.
    CGridItem* SingleRow(const Common::CDataObject* object) const;
    // Appends the object's rows to `out`, in registration order.
    void CopyRows(const Common::CDataObject* object, std::vector<CGridItem*>& out) const;
    // Asks the memory for the object's slot ahead of a lookup, so that a burst of registrations
    // overlaps its cache misses.
    void Prefetch(const Common::CDataObject* object) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[HomeSlot(object)], 1);
    }
    // Makes room for `count` objects in all, so that adding them does not grow the table
    // (which grows by doubling).
    void Reserve(std::size_t count);
    // The same with the fewest slots that hold `count` under the load limit: for a count known
    // ahead, which doubling would overshoot by up to half the table.
    void ReserveTight(std::size_t count);

private:
    struct Slot
    {
        const Common::CDataObject* object = nullptr; // null = empty
        CGridItem* first = nullptr;                  // the object's first row
    };

    std::size_t HomeSlot(const Common::CDataObject* object) const;
    // Slot holding `object`, or the empty slot where its probe run ends.
    std::size_t FindSlot(const Common::CDataObject* object) const;
    const Slot* Find(const Common::CDataObject* object) const;
    void EraseSlot(std::size_t hole);
    void Rehash(std::size_t capacity);

    std::vector<Slot> m_slots; // 0 or at least kMinFlatTableCapacity slots
    std::size_t m_size = 0;    // occupied slots
    // The rows after the first of objects shown by more than one row.
    std::unordered_map<const Common::CDataObject*, std::vector<CGridItem*>> m_more;
};

} // namespace Ombrel::GUI
