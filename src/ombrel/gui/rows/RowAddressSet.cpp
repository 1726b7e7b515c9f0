#include "ombrel/gui/rows/detail/RowAddressSet.h"

#include <algorithm>
#include <cassert>

#include "ombrel/gui/rows/detail/FlatTableHashing.h"

namespace Ombrel::GUI {

using Detail::IsOverLoaded;

std::size_t CRowAddressSet::HomeSlot(const CGridItem* row) const
{
    return Detail::ScaledSlot(Detail::AddressKey(row), m_slots.size());
}

std::size_t CRowAddressSet::FindSlot(const CGridItem* row) const
{
    std::size_t slot = HomeSlot(row);
    while (m_slots[slot] != nullptr && m_slots[slot] != row)
        slot = Detail::NextSlot(slot, m_slots.size());
    return slot;
}

bool CRowAddressSet::Contains(const CGridItem* row) const
{
    if (!row || m_size == 0)
        return false;
    return m_slots[FindSlot(row)] == row;
}

bool CRowAddressSet::Insert(CGridItem* row)
{
    if (!row)
        return false;
    if (m_slots.empty() || IsOverLoaded(m_size + 1, m_slots.size()))
        Reserve(m_size + 1);
    const std::size_t slot = FindSlot(row);
    if (m_slots[slot] == row)
        return false;
    m_slots[slot] = row;
    ++m_size;
    return true;
}

void CRowAddressSet::InsertMany(std::span<CGridItem* const> rows)
{
    Reserve(m_size + rows.size());
    // Home slots of random addresses lie anywhere in the array; asking for a later row's slot
    // while this one is placed overlaps the cache misses instead of paying them one by one.
    constexpr std::size_t kAhead = 16;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (index + kAhead < rows.size() && rows[index + kAhead])
            __builtin_prefetch(&m_slots[HomeSlot(rows[index + kAhead])], 1);
        CGridItem* row = rows[index];
        if (!row)
            continue;
        const std::size_t slot = FindSlot(row);
        if (m_slots[slot] != row) {
            m_slots[slot] = row;
            ++m_size;
        }
    }
}

bool CRowAddressSet::Erase(const CGridItem* row)
{
    if (!row || m_size == 0)
        return false;
    std::size_t hole = FindSlot(row);
    if (m_slots[hole] != row)
        return false;
    Detail::EraseByBackwardShift(
        m_slots, hole, [](const CGridItem* slot) { return slot != nullptr; },
        [this](const CGridItem* slot) { return HomeSlot(slot); });
    --m_size;
    return true;
}

void CRowAddressSet::Reserve(std::size_t count)
{
    const std::size_t capacity = Detail::CapacityFor(count, m_slots.size());
    if (capacity != m_slots.size())
        Rehash(capacity);
}

void CRowAddressSet::ReserveTight(std::size_t count)
{
    const std::size_t capacity = Detail::TightCapacityFor(count, m_slots.size());
    if (capacity != m_slots.size())
        Rehash(capacity);
}

void CRowAddressSet::Clear()
{
    std::vector<CGridItem*>().swap(m_slots);
    m_size = 0;
}

std::vector<CGridItem*> CRowAddressSet::ToVector() const
{
    std::vector<CGridItem*> rows;
    rows.reserve(m_size);
    ForEach([&](CGridItem* row) { rows.push_back(row); });
    return rows;
}

void CRowAddressSet::Rehash(std::size_t capacity)
{
    std::vector<CGridItem*> old(capacity, nullptr);
    old.swap(m_slots);
    for (CGridItem* row : old) {
        if (row)
            m_slots[FindSlot(row)] = row;
    }
}

} // namespace Ombrel::GUI
