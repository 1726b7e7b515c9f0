// The arena a font's texts and a face's masks live in: what it hands out is aligned and does not
// overlap, and a refill after Reset takes no new memory.
#include "ombrel/platform/qt/QtBumpArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace Ombrel;

namespace {

struct Handed
{
    std::byte* at = nullptr;
    std::size_t bytes = 0;
};

// Hands out a mix of small and odd sizes and alignments, with one request larger than any
// block, fills each with its own byte and checks none was overwritten by a later one.
std::vector<Handed> FillAndCheck(CBumpArena& arena)
{
    std::vector<Handed> handed;
    for (std::size_t i = 0; i < 3000; ++i) {
        const std::size_t bytes = i == 1500 ? 3 * CBumpArena::kLargestBlock : 1 + i * 7 % 300;
        const std::size_t align = std::size_t{1} << (i % 4);
        auto* at = static_cast<std::byte*>(arena.Allocate(bytes, align));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % align, 0u) << i;
        std::memset(at, static_cast<int>(i & 0xFF), bytes);
        handed.push_back({at, bytes});
    }
    for (std::size_t i = 0; i < handed.size(); ++i) {
        for (std::size_t b = 0; b < handed[i].bytes; ++b) {
            EXPECT_EQ(handed[i].at[b], static_cast<std::byte>(i & 0xFF)) << i;
            if (handed[i].at[b] != static_cast<std::byte>(i & 0xFF)) {
                break;
            }
        }
    }
    return handed;
}

} // namespace

TEST(BumpArenaTest, HandsOutAlignedRoomThatNoLaterRequestOverlaps)
{
    CBumpArena arena(256);
    FillAndCheck(arena);
    EXPECT_GE(arena.ReservedBytes(), 3 * CBumpArena::kLargestBlock);
}

TEST(BumpArenaTest, ARefillAfterResetReusesTheBlocksItHas)
{
    CBumpArena arena(256);
    const std::vector<Handed> first = FillAndCheck(arena);
    const std::size_t reserved = arena.ReservedBytes();
    arena.Reset();
    const std::vector<Handed> second = FillAndCheck(arena);
    EXPECT_EQ(arena.ReservedBytes(), reserved);
    EXPECT_EQ(second.front().at, first.front().at); // from the first block again
}
