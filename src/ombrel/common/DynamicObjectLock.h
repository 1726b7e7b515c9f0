#pragma once

#include <atomic>

namespace Ombrel::Common {

// The lock of one dynamic object: one byte, so that a table of a million rows does not pay
// forty bytes a row for a lock that is almost never contended.
//
// Not recursive: the object never calls out (formats, sinks, fields) while it holds it. A
// waiter blocks in the kernel (atomic wait) after a short spin, so a thread that holds the
// lock while it is preempted does not make the others burn their time slices.
class CDynamicObjectLock
{
public:
    CDynamicObjectLock() = default;
    CDynamicObjectLock(const CDynamicObjectLock&) = delete;
    CDynamicObjectLock& operator=(const CDynamicObjectLock&) = delete;

    void lock()
    {
        for (int spin = 0; m_held.test_and_set(std::memory_order_acquire); ++spin) {
            if (spin >= kSpins)
                m_held.wait(true, std::memory_order_relaxed);
        }
    }

    void unlock()
    {
        m_held.clear(std::memory_order_release);
        m_held.notify_one();
    }

private:
    static constexpr int kSpins = 64;

    std::atomic_flag m_held;
};

} // namespace Ombrel::Common
