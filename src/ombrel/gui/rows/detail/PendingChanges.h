#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

// One change waiting for the owner thread: an object's field (or AllFields, NoField).
struct PendingChange
{
    Common::CDataObject* object = nullptr; // a registry key only, never dereferenced here
    std::int32_t fieldId = 0;
};

// The dispatcher's queue of changes on their way to the owner thread.
//
// Any thread pushes; the owner thread takes the oldest changes in rounds. Two promises bound
// what the owner thread owes, whatever rate the notifying threads reach:
//   - A change whose (object, field) is already pending is absorbed by the pending one: it
//     keeps its place in the queue and is delivered once. The row reads the object when it is
//     delivered and painted, so it shows the last value, and its change time is taken then,
//     after the last notification. The queue therefore never holds more entries than there
//     are distinct (object, field) pairs.
//   - At most one wake is outstanding: Push asks its caller to wake the owner thread only when
//     no wake is, and the owner thread's round ends with EndRound, which either keeps the wake
//     outstanding (changes are left: the caller posts the next one) or clears it.
// Changes of different pairs are delivered in the order of their first pending notification.
//
// Guarded by its own mutex, held only for the bookkeeping: never while a row hears a change.
class CPendingChanges
{
public:
    CPendingChanges() = default;
    CPendingChanges(const CPendingChanges&) = delete;
    CPendingChanges& operator=(const CPendingChanges&) = delete;

    // Any thread. Queues the change unless its pair is pending already. True when the caller
    // must wake the owner thread.
    bool Push(Common::CDataObject* object, std::int32_t fieldId);
    // A wake asked for by Push could not be posted: the next Push asks again.
    void OnWakeLost();

    // Owner thread. Replaces `out` with up to `maxCount` of the oldest pending changes; their
    // pairs are no longer pending, so a later notification queues them again.
    void Take(std::vector<PendingChange>& out, std::size_t maxCount);
    // Owner thread, at the end of a round of delivery. True when changes are left: the wake
    // stays outstanding and the caller posts it. False: no wake is outstanding any more.
    bool EndRound();

    std::size_t GetCount() const;

private:
    // The pending pairs, for absorbing repeats: open addressing with linear probing in one
    // array (a slot with a null object is free), so that a change allocates nothing once the
    // array has grown to the burst, and erasing shifts the following run back instead of
    // leaving tombstones. At most half full.
    struct PairSlot
    {
        const Common::CDataObject* object = nullptr;
        std::int32_t fieldId = 0;
    };

    std::size_t HomeSlot(const Common::CDataObject* object, std::int32_t fieldId) const;
    // True when the pair was not pending and is now.
    bool InsertPair(const Common::CDataObject* object, std::int32_t fieldId);
    void ErasePair(const Common::CDataObject* object, std::int32_t fieldId);
    void GrowPairs();

    // Drops the taken front of the array once it outweighs what is left, so that a queue that
    // never runs empty does not grow without bound. Called with the mutex held.
    void CompactTakenFront();

    mutable std::mutex m_mutex;
    std::vector<PendingChange> m_changes;                // [m_head, size): pending, oldest first
    std::size_t m_head = 0;                              // taken entries before it
    std::vector<PairSlot> m_pairs;                       // the pairs of [m_head, size)
    std::size_t m_pairCount = 0;
    bool m_wakeOutstanding = false;
};

} // namespace Ombrel::GUI
