#include "ombrel/gui/paint/Blend.h"

#include <gtest/gtest.h>

namespace Ombrel::GUI {
namespace {

TEST(BlendTest, BlendsEachChannelWithIntegerDivision)
{
    EXPECT_EQ(Blend(0xFFFFFF, 0x0000FF, 150), 0x6969FFu);
    // Channels must not bleed into each other: only blue differs here.
    EXPECT_EQ(Blend(0x000000, 0xFF0000, 128), 0x800000u);
    // Red (48 * 155 + 16 * 100) / 255 = 35, blue (16 * 155 + 48 * 100) / 255 = 28: truncated.
    EXPECT_EQ(Blend(0x102030, 0x302010, 100), 0x1C2023u);
}

TEST(BlendTest, AlphaEndsGiveBaseOrOverlayAndOutOfRangeIsClamped)
{
    EXPECT_EQ(Blend(0x123456, 0xABCDEF, 0), 0x123456u);
    EXPECT_EQ(Blend(0x123456, 0xABCDEF, 255), 0xABCDEFu);
    EXPECT_EQ(Blend(0x123456, 0xABCDEF, -20), 0x123456u);
    EXPECT_EQ(Blend(0x123456, 0xABCDEF, 999), 0xABCDEFu);
    // The high byte of a colour word is not a channel.
    EXPECT_EQ(Blend(0xFF123456, 0xFFABCDEF, 0), 0x123456u);
}

} // namespace
} // namespace Ombrel::GUI
