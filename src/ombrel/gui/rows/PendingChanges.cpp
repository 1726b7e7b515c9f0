#include "ombrel/gui/rows/detail/PendingChanges.h"

#include "ombrel/gui/rows/detail/FlatTableHashing.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace Ombrel::GUI {

namespace {

// Below this many taken entries the front is left alone: moving a short tail is not worth it.
constexpr std::size_t kCompactAfter = 4096;
constexpr std::size_t kFirstPairSlots = 256; // a power of two, as every size of the array

} // namespace

// ---- The set of pending pairs -------------------------------------------------------------

std::size_t CPendingChanges::HomeSlot(const Common::CDataObject* object,
                                      std::int32_t fieldId) const
{
    // Fibonacci hashing of the address mixed with the field: objects lie 8 or more bytes
    // apart and their fields are small numbers, so both need spreading over the array.
    const std::uint64_t key = Detail::AddressKey(object) ^
                              (static_cast<std::uint64_t>(static_cast<std::uint32_t>(fieldId)) << 40);
    const int bits = std::countr_zero(m_pairs.size());
    return Detail::FibonacciSlot(key, 64 - bits);
}

bool CPendingChanges::InsertPair(const Common::CDataObject* object, std::int32_t fieldId)
{
    if (m_pairs.empty() || 2 * (m_pairCount + 1) > m_pairs.size())
        GrowPairs();
    const std::size_t mask = m_pairs.size() - 1;
    for (std::size_t slot = HomeSlot(object, fieldId);; slot = (slot + 1) & mask) {
        PairSlot& entry = m_pairs[slot];
        if (entry.object == nullptr) {
            entry = PairSlot{object, fieldId};
            ++m_pairCount;
            return true;
        }
        if (entry.object == object && entry.fieldId == fieldId)
            return false;
    }
}

void CPendingChanges::ErasePair(const Common::CDataObject* object, std::int32_t fieldId)
{
    const std::size_t mask = m_pairs.size() - 1;
    std::size_t hole = HomeSlot(object, fieldId);
    while (m_pairs[hole].object != object || m_pairs[hole].fieldId != fieldId) {
        assert(m_pairs[hole].object != nullptr && "a taken change's pair is pending");
        hole = (hole + 1) & mask;
    }
    Detail::EraseByBackwardShift(
        m_pairs, hole, [](const PairSlot& slot) { return slot.object != nullptr; },
        [this](const PairSlot& slot) { return HomeSlot(slot.object, slot.fieldId); });
    --m_pairCount;
}

void CPendingChanges::GrowPairs()
{
    std::vector<PairSlot> old = std::move(m_pairs);
    m_pairs.assign(old.empty() ? kFirstPairSlots : 2 * old.size(), PairSlot{});
    m_pairCount = 0;
    for (const PairSlot& entry : old) {
        if (entry.object != nullptr)
            InsertPair(entry.object, entry.fieldId);
    }
}

// ---- Queue --------------------------------------------------------------------------------

bool CPendingChanges::Push(Common::CDataObject* object, std::int32_t fieldId)
{
    if (object == nullptr)
        return false; // no row shows nothing
    std::lock_guard lock(m_mutex);
    if (!InsertPair(object, fieldId))
        return false; // absorbed by the pending change of the same pair
    m_changes.push_back(PendingChange{object, fieldId});
    if (m_wakeOutstanding)
        return false;
    m_wakeOutstanding = true;
    return true;
}

void CPendingChanges::OnWakeLost()
{
    std::lock_guard lock(m_mutex);
    m_wakeOutstanding = false;
}

void CPendingChanges::Take(std::vector<PendingChange>& out, std::size_t maxCount)
{
    out.clear();
    std::lock_guard lock(m_mutex);
    const std::size_t count = std::min(maxCount, m_changes.size() - m_head);
    const auto first = m_changes.begin() + static_cast<std::ptrdiff_t>(m_head);
    out.assign(first, first + static_cast<std::ptrdiff_t>(count));
    for (const PendingChange& change : out)
        ErasePair(change.object, change.fieldId);
    m_head += count;
    if (m_head == m_changes.size()) {
        m_changes.clear(); // keeps the capacity: the next burst allocates nothing
        m_head = 0;
    } else {
        CompactTakenFront();
    }
}

bool CPendingChanges::EndRound()
{
    std::lock_guard lock(m_mutex);
    m_wakeOutstanding = m_head < m_changes.size();
    return m_wakeOutstanding;
}

std::size_t CPendingChanges::GetCount() const
{
    std::lock_guard lock(m_mutex);
    return m_changes.size() - m_head;
}

void CPendingChanges::CompactTakenFront()
{
    if (m_head < kCompactAfter || m_head < m_changes.size() - m_head)
        return;
    m_changes.erase(m_changes.begin(), m_changes.begin() + static_cast<std::ptrdiff_t>(m_head));
    m_head = 0;
}

} // namespace Ombrel::GUI
