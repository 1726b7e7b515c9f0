#include "ombrel/platform/GlobalMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

namespace Ombrel::Test {
namespace {

HGLOBAL ForgedHandle(std::uintptr_t value)
{
    return reinterpret_cast<HGLOBAL>(value);
}

TEST(GlobalMemoryTest, NewBlockIsZeroedAndKeepsWhatIsWrittenIntoIt)
{
    for (UINT flags : {GMEM_FIXED, GMEM_MOVEABLE, GHND, GPTR}) {
        HGLOBAL block = GlobalAlloc(flags, 64);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(GlobalSize(block), 64u);
        auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
        ASSERT_NE(bytes, nullptr);
        EXPECT_TRUE(std::all_of(bytes, bytes + 64, [](unsigned char b) { return b == 0; }));
        std::memcpy(bytes, "payload", 8);
        GlobalUnlock(block);

        EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "payload");
        GlobalUnlock(block);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
}

TEST(GlobalMemoryTest, EmptyBlockIsAValidBlockWithAnAddress)
{
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemoryTest, UnknownFlagsAndOversizedRequestsAllocateNothing)
{
    EXPECT_EQ(GlobalAlloc(0x8000, 16), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, kMaxGlobalBlockSize + 1), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, std::numeric_limits<std::size_t>::max()), nullptr);
}

TEST(GlobalMemoryTest, MoveableBlockCountsLocksAndFixedBlockDoesNot)
{
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 8);
    void* first = GlobalLock(moveable);
    EXPECT_EQ(GlobalLock(moveable), first);
    EXPECT_TRUE(GlobalUnlock(moveable));  // one lock left
    EXPECT_FALSE(GlobalUnlock(moveable)); // now unlocked
    EXPECT_FALSE(GlobalUnlock(moveable)); // not below zero
    GlobalFree(moveable);

    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 8);
    GlobalLock(fixed);
    EXPECT_FALSE(GlobalUnlock(fixed));
    GlobalFree(fixed);
}

TEST(GlobalMemoryTest, FreedOrForgedHandleNamesNoBlock)
{
    HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 32);
    ASSERT_EQ(GlobalFree(freed), nullptr);
    HGLOBAL live = GlobalAlloc(GMEM_FIXED, 32);
    const auto liveValue = reinterpret_cast<std::uintptr_t>(live);
    // The address of a block's bytes is not its handle.
    const auto bytesOfLive = reinterpret_cast<std::uintptr_t>(GlobalLock(live));

    for (HGLOBAL handle :
         {freed, ForgedHandle(liveValue + 1), ForgedHandle(liveValue + 4096), ForgedHandle(0x1),
          ForgedHandle(~std::uintptr_t{0}), ForgedHandle(bytesOfLive)}) {
        EXPECT_EQ(GlobalLock(handle), nullptr);
        EXPECT_EQ(GlobalSize(handle), 0u);
        EXPECT_FALSE(GlobalUnlock(handle));
        EXPECT_EQ(GlobalFree(handle), handle) << "a free of a block that is not there fails";
    }
    // The live block was not disturbed by the lookups around it.
    EXPECT_EQ(GlobalSize(live), 32u);
    EXPECT_EQ(GlobalFree(live), nullptr);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemoryThreadTest, ThreadsAllocatingAndFreeingKeepTheirBlocksApart)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 500;
    std::vector<std::thread> threads;
    std::vector<int> corrupted(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &corrupted] {
            const auto mark = static_cast<unsigned char>(t + 1);
            for (int round = 0; round < kRounds; ++round) {
                const std::size_t size = 1 + static_cast<std::size_t>(round % 97);
                HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
                auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
                std::memset(bytes, mark, size);
                GlobalUnlock(block);
                bytes = static_cast<unsigned char*>(GlobalLock(block));
                if (GlobalSize(block) != size ||
                    !std::all_of(bytes, bytes + size,
                                 [mark](unsigned char b) { return b == mark; }))
                    ++corrupted[t];
                GlobalUnlock(block);
                if (GlobalFree(block) != nullptr)
                    ++corrupted[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(corrupted, std::vector<int>(kThreads, 0));
}

} // namespace
} // namespace Ombrel::Test
