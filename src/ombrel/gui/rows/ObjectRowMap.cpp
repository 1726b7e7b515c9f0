#include "ombrel/gui/rows/detail/ObjectRowMap.h"

#include <algorithm>
#include <cassert>

#include "ombrel/gui/rows/detail/FlatTableHashing.h"

namespace Ombrel::GUI {

using Detail::IsOverLoaded;

std::size_t CObjectRowMap::HomeSlot(const Common::CDataObject* object) const
{
    return Detail::ScaledSlot(Detail::AddressKey(object), m_slots.size());
}

std::size_t CObjectRowMap::FindSlot(const Common::CDataObject* object) const
{
    std::size_t slot = HomeSlot(object);
    while (m_slots[slot].object != nullptr && m_slots[slot].object != object)
        slot = Detail::NextSlot(slot, m_slots.size());
    return slot;
}

const CObjectRowMap::Slot* CObjectRowMap::Find(const Common::CDataObject* object) const
{
    if (!object || m_size == 0)
        return nullptr;
    const Slot& slot = m_slots[FindSlot(object)];
    return slot.object == object ? &slot : nullptr;
}

bool CObjectRowMap::Add(const Common::CDataObject* object, CGridItem* row)
{
    assert(object && row && "only bound rows are registered");
    if (m_slots.empty() || IsOverLoaded(m_size + 1, m_slots.size()))
        Reserve(m_size + 1);
    Slot& slot = m_slots[FindSlot(object)];
    if (slot.object == object) {
        m_more[object].push_back(row);
        return false;
    }
    slot = Slot{object, row};
    ++m_size;
    return true;
}

CObjectRowMap::Removal CObjectRowMap::Remove(const Common::CDataObject* object,
                                             const CGridItem* row)
{
    if (!object || m_size == 0)
        return Removal::Absent;
    const std::size_t index = FindSlot(object);
    Slot& slot = m_slots[index];
    if (slot.object != object)
        return Removal::Absent;
    const auto more = m_more.find(object);
    if (slot.first == row) {
        if (more == m_more.end()) {
            EraseSlot(index);
            return Removal::Last;
        }
        // The second row becomes the first: registration order is kept.
        slot.first = more->second.front();
        more->second.erase(more->second.begin());
    } else {
        if (more == m_more.end())
            return Removal::Absent;
        const auto entry = std::ranges::find(more->second, row);
        if (entry == more->second.end())
            return Removal::Absent;
        more->second.erase(entry);
    }
    if (more->second.empty())
        m_more.erase(more);
    return Removal::Removed;
}

void CObjectRowMap::EraseObject(const Common::CDataObject* object)
{
    if (!object || m_size == 0)
        return;
    const std::size_t index = FindSlot(object);
    if (m_slots[index].object != object)
        return;
    m_more.erase(object);
    EraseSlot(index);
}

bool CObjectRowMap::Contains(const Common::CDataObject* object, const CGridItem* row) const
{
    const Slot* slot = Find(object);
    if (!slot)
        return false;
    if (slot->first == row)
        return true;
    const auto more = m_more.find(object);
    return more != m_more.end() && std::ranges::find(more->second, row) != more->second.end();
}

bool CObjectRowMap::HasObject(const Common::CDataObject* object) const
{
    return Find(object) != nullptr;
}

CGridItem* CObjectRowMap::SingleRow(const Common::CDataObject* object) const
{
    const Slot* slot = Find(object);
    if (!slot || (!m_more.empty() && m_more.contains(object)))
        return nullptr;
    return slot->first;
}

void CObjectRowMap::CopyRows(const Common::CDataObject* object, std::vector<CGridItem*>& out) const
{
    const Slot* slot = Find(object);
    if (!slot)
        return;
    out.push_back(slot->first);
    if (m_more.empty())
        return;
    if (const auto more = m_more.find(object); more != m_more.end())
        out.insert(out.end(), more->second.begin(), more->second.end());
}

void CObjectRowMap::Reserve(std::size_t count)
{
    const std::size_t capacity = Detail::CapacityFor(count, m_slots.size());
    if (capacity != m_slots.size())
        Rehash(capacity);
}

void CObjectRowMap::ReserveTight(std::size_t count)
{
    const std::size_t capacity = Detail::TightCapacityFor(count, m_slots.size());
    if (capacity != m_slots.size())
        Rehash(capacity);
}

void CObjectRowMap::EraseSlot(std::size_t hole)
{
    Detail::EraseByBackwardShift(
        m_slots, hole, [](const Slot& slot) { return slot.object != nullptr; },
        [this](const Slot& slot) { return HomeSlot(slot.object); });
    if (--m_size == 0) {
        // A grid's worth of slots goes back to the allocator with its last row.
        std::vector<Slot>().swap(m_slots);
    }
}

void CObjectRowMap::Rehash(std::size_t capacity)
{
    std::vector<Slot> old(capacity);
    old.swap(m_slots);
    for (const Slot& slot : old) {
        if (slot.object)
            m_slots[FindSlot(slot.object)] = slot;
    }
}

} // namespace Ombrel::GUI
