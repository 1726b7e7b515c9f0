#include "ombrel/base/CriticalSection.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace Ombrel {
namespace {

// Two increments per round, the second under a nested lock of the same thread: a lock that
// is not recursive deadlocks, one that does not exclude other threads loses increments.
TEST(CriticalSectionThreadTest, RecursiveLockExcludesOtherThreads)
{
    CCriticalSection lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CScopedLock outer(lock);
            ++counter;
            CScopedLock inner(lock);
            ++counter;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(work);
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 4 * 20000 * 2);
}

} // namespace
} // namespace Ombrel
