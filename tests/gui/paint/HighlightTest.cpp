#include "ombrel/gui/paint/Highlight.h"

#include <gtest/gtest.h>

namespace Ombrel::GUI {
namespace {

constexpr COLORREF kText = 0x112233;
constexpr COLORREF kBackground = 0xAABBCC;

HighlightSettings WithStyle(std::int32_t style)
{
    HighlightSettings settings;
    settings.style = style;
    return settings;
}

TEST(HighlightTest, DefaultFadingBackgroundLosesAlphaWithTimeAndEndsWithTheDuration)
{
    const HighlightSettings settings; // style 8, 2000 ms, alpha 150
    EXPECT_EQ(GetCurrentHighlight(settings, 0, kText, kBackground).backgroundAlpha, 150);
    EXPECT_EQ(GetCurrentHighlight(settings, 500, kText, kBackground).backgroundAlpha, 112);
    EXPECT_EQ(GetCurrentHighlight(settings, 500, kText, kBackground).textAlpha, 0);
    for (std::int64_t elapsed : {std::int64_t{2000}, std::int64_t{5000}, std::int64_t{-1}}) {
        EXPECT_FALSE(GetCurrentHighlight(settings, elapsed, kText, kBackground).IsActive());
        EXPECT_EQ(GetHighlightRepaintDelay(settings, elapsed), -1) << elapsed;
    }
    HighlightSettings off;
    off.durationMs = 0;
    EXPECT_FALSE(GetCurrentHighlight(off, 0, kText, kBackground).IsActive());
    EXPECT_EQ(GetHighlightRepaintDelay(off, 0), -1);
}

TEST(HighlightTest, StylesChooseWhichColourChangesAndHowStrongly)
{
    struct Case
    {
        std::int32_t style;
        int textAlpha;
        int backgroundAlpha;
    };
    // At 500 ms of 2000 with alphas 150, fading gives 112.
    const Case cases[] = {{1, 255, 0},   {2, 0, 255},   {3, 255, 255},
                          {4, 150, 0},   {5, 0, 150},   {6, 150, 150},
                          {7, 112, 0},   {8, 0, 112},   {9, 112, 112}};
    for (const Case& c : cases) {
        const CellHighlight h = GetCurrentHighlight(WithStyle(c.style), 500, kText, kBackground);
        EXPECT_EQ(h.textAlpha, c.textAlpha) << "style " << c.style;
        EXPECT_EQ(h.backgroundAlpha, c.backgroundAlpha) << "style " << c.style;
        EXPECT_EQ(h.textColor, 0x0000FFu) << "style " << c.style;
        EXPECT_EQ(h.backgroundColor, 0x0000FFu) << "style " << c.style;
    }
    // The inverse style lays each of the cell's own colours over the other.
    const CellHighlight inverse = GetCurrentHighlight(WithStyle(0), 10, kText, kBackground);
    EXPECT_EQ(inverse.textColor, kBackground);
    EXPECT_EQ(inverse.backgroundColor, kText);
    EXPECT_EQ(inverse.textAlpha, 255);
    EXPECT_EQ(inverse.backgroundAlpha, 255);
    EXPECT_FALSE(GetCurrentHighlight(WithStyle(42), 500, kText, kBackground).IsActive());
}

TEST(HighlightTest, RepaintComesAfterTheRemainingTimeOrOneFadeStep)
{
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::BackgroundOpaque), 500), 1500);
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::BackgroundFading), 500), 30);
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::TextFading), 1990), 10);
    // A zero interval must not ask for repaints without pause.
    HighlightSettings noInterval;
    noInterval.repaintIntervalMs = 0;
    EXPECT_EQ(GetHighlightRepaintDelay(noInterval, 500), 1);
}

} // namespace
} // namespace Ombrel::GUI
