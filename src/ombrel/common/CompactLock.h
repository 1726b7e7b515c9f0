#pragma once

#include <atomic>
#include <cstdint>

namespace Ombrel::Common {

// A one-byte lock for state that every row of a table carries: a data object's sink list, a
// dynamic object's values. A table of a million rows must not pay forty bytes a row for locks
// that are almost never contended.
//
// Not recursive: its holders never call out (formats, sinks, fields) while they hold it. A
// waiter blocks in the kernel (atomic wait) after a short spin, so a thread that holds the
// lock while it is preempted does not make the others burn their time slices; unlocking wakes
// anyone only when a thread has gone to wait, so an uncontended lock and unlock are one atomic
// operation each. Satisfies Lockable, so std::lock_guard, std::unique_lock and
// std::condition_variable_any work with it.
//
// Unlock touches the lock's byte only in its first, releasing operation: a holder that lets go
// of the lock and then learns it was the last user of the memory around it may free it.
class CCompactLock
{
public:
    CCompactLock() = default;
    CCompactLock(const CCompactLock&) = delete;
    CCompactLock& operator=(const CCompactLock&) = delete;

    void lock()
    {
        if (try_lock())
            return;
        for (int spin = 0; spin < kSpins; ++spin) {
            if (m_state.load(std::memory_order_relaxed) == kFree && try_lock())
                return;
        }
        // Announce a waiter; whoever unlocks next wakes one.
        while (m_state.exchange(kHeldWithWaiters, std::memory_order_acquire) != kFree)
            m_state.wait(kHeldWithWaiters, std::memory_order_relaxed);
    }

    bool try_lock()
    {
        std::uint8_t expected = kFree;
        return m_state.compare_exchange_strong(expected, kHeld, std::memory_order_acquire, std::memory_order_relaxed);
    }

    void unlock()
    {
        // The wake-up names the address only; the memory may be gone by then.
        if (m_state.exchange(kFree, std::memory_order_release) == kHeldWithWaiters)
            m_state.notify_one();
    }

private:
    static constexpr std::uint8_t kFree = 0;
    static constexpr std::uint8_t kHeld = 1;
    static constexpr std::uint8_t kHeldWithWaiters = 2;
    static constexpr int kSpins = 64;

    std::atomic<std::uint8_t> m_state{kFree};
};

} // namespace Ombrel::Common
