#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/common/LockedPool.h"

namespace Ombrel::Common {
namespace {

// Threads take and give back blocks of two sizes from one pool at once, each marking its
// blocks with its own byte: a block handed to two holders, or a pool state torn by an
// unguarded call, shows as a mark overwritten by another thread (and as a race under
// ThreadSanitizer).
TEST(LockedPoolThreadTest, BlocksTakenOnManyThreadsAreNeverShared)
{
    CLockedPool pool(2048, &CHugePageMemory::Get());
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    constexpr std::size_t kHeld = 64;
    std::vector<int> damaged(kThreads, 0);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            const auto mark = static_cast<unsigned char>(thread + 1);
            std::vector<std::pair<void*, std::size_t>> held;
            for (int round = 0; round < kRounds; ++round) {
                for (std::size_t index = 0; index < kHeld; ++index) {
                    const std::size_t bytes = index % 2 == 0 ? 24 : 2048;
                    void* block = pool.allocate(bytes, alignof(std::max_align_t));
                    std::memset(block, mark, bytes);
                    held.emplace_back(block, bytes);
                }
                for (const auto& [block, bytes] : held) {
                    const auto* bytesOf = static_cast<const unsigned char*>(block);
                    if (std::any_of(bytesOf, bytesOf + bytes, [&](unsigned char b) { return b != mark; }))
                        ++damaged[static_cast<std::size_t>(thread)];
                    pool.deallocate(block, bytes, alignof(std::max_align_t));
                }
                held.clear();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 0; thread < kThreads; ++thread)
        EXPECT_EQ(damaged[static_cast<std::size_t>(thread)], 0) << "thread " << thread;
}

} // namespace
} // namespace Ombrel::Common
