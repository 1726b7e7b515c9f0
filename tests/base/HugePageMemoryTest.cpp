#include <cstdint>
#include <memory_resource>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ombrel/base/HugePageMemory.h"

namespace Ombrel {
namespace {

constexpr std::size_t kHuge = CHugePageMemory::kHugePageBytes;

TEST(HugePageMemoryTest, LargeBlocksAreMappedWholeAndCountedSmallOnesAreNot)
{
    CHugePageMemory& memory = CHugePageMemory::Get();
    const std::size_t before = memory.GetMappedBytes();

    void* small = memory.allocate(kHuge - 64, alignof(std::max_align_t));
    EXPECT_EQ(memory.GetMappedBytes(), before);

    // A block just over two huge pages takes three, starting on a huge-page boundary, and every
    // byte of it can be written.
    const std::size_t bytes = 2 * kHuge + 1;
    auto* large = static_cast<unsigned char*>(memory.allocate(bytes, 64));
    EXPECT_EQ(memory.GetMappedBytes(), before + 3 * kHuge);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(large) % kHuge, 0u);
    for (std::size_t at = 0; at < bytes; at += 4096)
        large[at] = static_cast<unsigned char>(at);
    large[bytes - 1] = 7;
    EXPECT_EQ(large[4096], static_cast<unsigned char>(4096));

    memory.deallocate(large, bytes, 64);
    memory.deallocate(small, kHuge - 64, alignof(std::max_align_t));
    EXPECT_EQ(memory.GetMappedBytes(), before);
}

TEST(HugePageMemoryThreadTest, ContainersOnManyThreadsGetAndReturnTheirOwnBlocks)
{
    CHugePageMemory& memory = CHugePageMemory::Get();
    const std::size_t before = memory.GetMappedBytes();
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&memory, thread] {
            for (int round = 0; round < 20; ++round) {
                // Half a million eight-byte entries: 4 MB, mapped.
                std::pmr::vector<std::uint64_t> values(&memory);
                values.resize(500000 + static_cast<std::size_t>(round));
                for (std::size_t i = 0; i < values.size(); i += 512)
                    values[i] = static_cast<std::uint64_t>(thread) << 32 | i;
                for (std::size_t i = 0; i < values.size(); i += 512)
                    ASSERT_EQ(values[i], static_cast<std::uint64_t>(thread) << 32 | i);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(memory.GetMappedBytes(), before);
}

} // namespace
} // namespace Ombrel
