#pragma once

#include <mutex>

namespace Ombrel {

// A recursive lock: the thread that holds it may take it again, and must release it as often.
// Satisfies Lockable, so std::scoped_lock and std::unique_lock work with it; CScopedLock is
// the framework's spelling of the scoped form.
class CCriticalSection
{
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
    bool try_lock() { return m_mutex.try_lock(); }

private:
    std::recursive_mutex m_mutex;
};

using CScopedLock = std::lock_guard<CCriticalSection>;

} // namespace Ombrel
