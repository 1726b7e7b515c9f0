#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "ombrel/gui/rows/detail/RowArena.h"

namespace Ombrel::GUI {
namespace {

constexpr std::size_t kSlotBytes = 120;

// Writes a slot's own address over it, so that overlapping slots or a slot handed out twice
// show as a pattern broken by its neighbour.
void Stamp(void* slot)
{
    const auto address = reinterpret_cast<std::uintptr_t>(slot);
    auto* words = static_cast<std::uintptr_t*>(slot);
    for (std::size_t word = 0; word < kSlotBytes / sizeof(std::uintptr_t); ++word)
        words[word] = address + word;
}

bool StampIntact(const void* slot)
{
    const auto address = reinterpret_cast<std::uintptr_t>(slot);
    const auto* words = static_cast<const std::uintptr_t*>(slot);
    for (std::size_t word = 0; word < kSlotBytes / sizeof(std::uintptr_t); ++word) {
        if (words[word] != address + word)
            return false;
    }
    return true;
}

TEST(RowArenaTest, RandomChurnUpToFullSizeChunksKeepsSlotsAlignedDisjointAndReturnsEmptyOnes)
{
    CRowArena arena(kSlotBytes, 8);
    std::vector<void*> live;
    std::mt19937 random(11);
    // Grow until full-size chunks are in use, with bursts and single slots, freeing at random
    // on the way, so that slots come from free lists of several chunks as well as from fresh
    // memory.
    while (arena.GetHeldBytes() < 3 * CRowArena::kChunkBytes) {
        if (random() % 4 == 0 && !live.empty()) {
            const std::size_t victim = random() % live.size();
            ASSERT_TRUE(StampIntact(live[victim]));
            arena.Free(live[victim]);
            live[victim] = live.back();
            live.pop_back();
        } else if (random() % 2 == 0) {
            std::vector<void*> burst(random() % 500);
            arena.AllocateMany(burst);
            for (void* slot : burst) {
                Stamp(slot);
                live.push_back(slot);
            }
        } else {
            live.push_back(arena.Allocate());
            Stamp(live.back());
        }
    }
    EXPECT_EQ(arena.GetLiveCount(), live.size());
    EXPECT_GE(arena.GetChunkCount(), 7u);
    std::set<void*> distinct(live.begin(), live.end());
    EXPECT_EQ(distinct.size(), live.size()) << "a slot was handed out twice";
    for (void* slot : live) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(slot) % 8, 0u);
        ASSERT_TRUE(StampIntact(slot)) << "slots overlap";
    }

    // Chunks go back as they empty, down to one that is kept for the next rows.
    std::shuffle(live.begin(), live.end(), random);
    for (void* slot : live)
        arena.Free(slot);
    EXPECT_EQ(arena.GetLiveCount(), 0u);
    EXPECT_EQ(arena.GetChunkCount(), 1u);
    EXPECT_LE(arena.GetHeldBytes(), CRowArena::kChunkBytes);
}

TEST(RowArenaTest, FreedSlotsAreReusedBeforeFreshMemoryAndASmallArenaHoldsLittle)
{
    CRowArena arena(kSlotBytes, 8);
    std::vector<void*> first(2000);
    for (void*& slot : first)
        slot = arena.Allocate(); // one at a time: the chunks grow with the arena
    const std::size_t chunks = arena.GetChunkCount();
    ASSERT_GE(chunks, 2u);
    EXPECT_LE(arena.GetHeldBytes(), 2000 * kSlotBytes * 2) << "chunks grow with the arena";
    // Free every other slot: the next slots fill those holes and no chunk is added while
    // there are any.
    std::set<void*> holes;
    for (std::size_t index = 0; index < first.size(); index += 2) {
        holes.insert(first[index]);
        arena.Free(first[index]);
    }
    std::vector<void*> again(holes.size());
    arena.AllocateMany(again);
    EXPECT_EQ(std::set<void*>(again.begin(), again.end()), holes);
    EXPECT_EQ(arena.GetChunkCount(), chunks);
    for (void* slot : again)
        arena.Free(slot);
    for (std::size_t index = 1; index < first.size(); index += 2)
        arena.Free(first[index]);
    EXPECT_EQ(arena.GetChunkCount(), 1u);
}

TEST(RowArenaTest, ALargeBurstTakesFullSizeChunksAtOnce)
{
    // A load of many rows skips the small chunks a growing arena starts with: every chunk but
    // the last (sized to what is left) is a full one, a huge page.
    CRowArena arena(kSlotBytes, 8);
    const std::size_t perChunk = CRowArena::kChunkBytes / kSlotBytes;
    std::vector<void*> burst(perChunk * 3);
    arena.AllocateMany(burst);
    const std::size_t chunks = arena.GetChunkCount();
    EXPECT_GE(chunks, 3u);
    EXPECT_LE(chunks, 4u);
    EXPECT_GT(arena.GetHeldBytes(), (chunks - 1) * CRowArena::kChunkBytes);
    EXPECT_LE(arena.GetHeldBytes(), chunks * CRowArena::kChunkBytes);
    for (void* slot : burst)
        arena.Free(slot);
}

TEST(RowArenaThreadTest, ABurstHandedOverRunByRunGivesEverySlotOnceInOrder)
{
    // Enough full-size chunks for the later ones to be prepared on another thread while the
    // runs are written: each run is written whole before the next is taken, the runs cover the
    // burst in order, and no slot is handed out twice or overlaps another.
    CRowArena arena(kSlotBytes, 8);
    const std::size_t perChunk = CRowArena::kChunkBytes / kSlotBytes;
    std::vector<void*> burst(perChunk * 6 + 5);
    std::size_t handed = 0;
    int runs = 0;
    bool inOrder = true;
    arena.AllocateMany(burst, [&](std::span<void* const> run) {
        ++runs;
        inOrder = inOrder && run.data() == burst.data() + handed && run.size() <= perChunk;
        for (void* slot : run)
            std::memset(slot, 0x5a, kSlotBytes);
        handed += run.size();
    });
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(handed, burst.size());
    EXPECT_GE(runs, 7);
    std::vector<void*> sorted = burst;
    std::ranges::sort(sorted);
    for (std::size_t index = 1; index < sorted.size(); ++index) {
        const auto* previous = static_cast<std::byte*>(sorted[index - 1]);
        EXPECT_GE(static_cast<std::byte*>(sorted[index]) - previous,
                  static_cast<std::ptrdiff_t>(kSlotBytes));
    }
    EXPECT_EQ(arena.GetLiveCount(), burst.size());
    for (void* slot : burst)
        arena.Free(slot);
    EXPECT_EQ(arena.GetLiveCount(), 0u);
}

TEST(RowArenaThreadTest, ThreadsMakingAndFreeingSlotsAtOnceNeverShareOne)
{
    CRowArena arena(kSlotBytes, 8);
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<std::thread> threads;
    std::vector<int> broken(kThreads, 0);
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&arena, &broken, thread] {
            std::mt19937 random(static_cast<unsigned>(thread));
            std::vector<void*> mine;
            for (int round = 0; round < kRounds; ++round) {
                std::vector<void*> burst(random() % 300 + 1);
                arena.AllocateMany(burst);
                for (void* slot : burst)
                    Stamp(slot);
                mine.insert(mine.end(), burst.begin(), burst.end());
                // Give back about half, the rest stay live while the other threads work.
                std::shuffle(mine.begin(), mine.end(), random);
                const std::size_t keep = mine.size() / 2;
                for (std::size_t index = keep; index < mine.size(); ++index) {
                    broken[thread] += StampIntact(mine[index]) ? 0 : 1;
                    arena.Free(mine[index]);
                }
                mine.resize(keep);
            }
            for (void* slot : mine) {
                broken[thread] += StampIntact(slot) ? 0 : 1;
                arena.Free(slot);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int thread = 0; thread < kThreads; ++thread)
        EXPECT_EQ(broken[thread], 0) << "thread " << thread << " found its slot overwritten";
    EXPECT_EQ(arena.GetLiveCount(), 0u);
    EXPECT_EQ(arena.GetChunkCount(), 1u);
}

TEST(RowArenaThreadTest, ABurstWithChunksPreparedAheadGivesDisjointSlotsAndKeepsNoSpare)
{
    // Enough full-size chunks for the arena to have them prepared on another thread while it
    // hands out slots, beside another thread's small bursts: every slot is writable, aligned and
    // nobody else's, and the chunks prepared but not taken do not stay with the arena.
    CRowArena arena(kSlotBytes, 8);
    const std::size_t perChunk = CRowArena::kChunkBytes / kSlotBytes;
    std::vector<void*> burst(perChunk * 10);
    std::atomic<bool> done{false};
    int otherBroken = 0;
    std::thread other([&] {
        while (!done.load()) {
            std::vector<void*> small(50);
            arena.AllocateMany(small);
            for (void* slot : small)
                Stamp(slot);
            for (void* slot : small) {
                otherBroken += StampIntact(slot) ? 0 : 1;
                arena.Free(slot);
            }
        }
    });
    arena.AllocateMany(burst);
    for (void* slot : burst) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(slot) % 8, 0u);
        Stamp(slot);
    }
    int broken = 0;
    for (void* slot : burst)
        broken += StampIntact(slot) ? 0 : 1;
    done = true;
    other.join();
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(otherBroken, 0);
    EXPECT_EQ(std::set<void*>(burst.begin(), burst.end()).size(), burst.size());
    EXPECT_LE(arena.GetHeldBytes(), (burst.size() * kSlotBytes / CRowArena::kChunkBytes + 2) *
                                        CRowArena::kChunkBytes);
    for (void* slot : burst)
        arena.Free(slot);
    EXPECT_EQ(arena.GetLiveCount(), 0u);
}

} // namespace
} // namespace Ombrel::GUI
