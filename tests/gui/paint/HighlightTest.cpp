#include "ombrel/gui/paint/Highlight.h"

#include <gtest/gtest.h>

namespace Ombrel::GUI {
namespace {

constexpr COLORREF kText = 0x000000;
constexpr COLORREF kBackground = 0xFFFFFF;

HighlightSettings WithStyle(std::int32_t style)
{
    HighlightSettings settings;
    settings.style = style;
    return settings;
}

TEST(HighlightTest, DefaultFadingBackgroundLosesAlphaWithTime)
{
    const HighlightSettings settings; // style 8, 2000 ms, alpha 150
    const CellHighlight fresh = GetCurrentHighlight(settings, 0, kText, kBackground);
    EXPECT_EQ(fresh.backgroundAlpha, 150);
    EXPECT_EQ(fresh.backgroundColor, 0x0000FFu);
    EXPECT_EQ(fresh.textAlpha, 0);

    EXPECT_EQ(GetCurrentHighlight(settings, 500, kText, kBackground).backgroundAlpha, 112);
    EXPECT_EQ(GetCurrentHighlight(settings, 1999, kText, kBackground).backgroundAlpha, 0);
    EXPECT_TRUE(GetCurrentHighlight(settings, 1000, kText, kBackground).IsActive());
}

TEST(HighlightTest, NothingOutsideTheDurationOrWithoutAChange)
{
    const HighlightSettings settings;
    for (std::int64_t elapsed : {std::int64_t{2000}, std::int64_t{5000}, std::int64_t{-1}}) {
        EXPECT_FALSE(GetCurrentHighlight(settings, elapsed, kText, kBackground).IsActive())
            << elapsed;
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
    // At 500 ms of 2000, alphas 150: fading gives 112.
    const Case cases[] = {
        {HighlightSettings::TextOpaque, 255, 0},
        {HighlightSettings::BackgroundOpaque, 0, 255},
        {HighlightSettings::TextAndBackgroundOpaque, 255, 255},
        {HighlightSettings::TextAtAlpha, 150, 0},
        {HighlightSettings::BackgroundAtAlpha, 0, 150},
        {HighlightSettings::TextAndBackgroundAtAlpha, 150, 150},
        {HighlightSettings::TextFading, 112, 0},
        {HighlightSettings::BackgroundFading, 0, 112},
        {HighlightSettings::TextAndBackgroundFading, 112, 112},
    };
    for (const Case& c : cases) {
        const CellHighlight h = GetCurrentHighlight(WithStyle(c.style), 500, kText, kBackground);
        EXPECT_EQ(h.textAlpha, c.textAlpha) << "style " << c.style;
        EXPECT_EQ(h.backgroundAlpha, c.backgroundAlpha) << "style " << c.style;
        EXPECT_EQ(h.textColor, 0x0000FFu) << "style " << c.style;
        EXPECT_EQ(h.backgroundColor, 0x0000FFu) << "style " << c.style;
    }
    EXPECT_FALSE(GetCurrentHighlight(WithStyle(42), 500, kText, kBackground).IsActive());
}

TEST(HighlightTest, InverseStyleSwapsTheCellsOwnColours)
{
    const CellHighlight h =
        GetCurrentHighlight(WithStyle(HighlightSettings::Inverse), 10, 0x112233, 0xAABBCC);
    EXPECT_EQ(h.textColor, 0xAABBCCu);
    EXPECT_EQ(h.backgroundColor, 0x112233u);
    EXPECT_EQ(h.textAlpha, 255);
    EXPECT_EQ(h.backgroundAlpha, 255);
}

TEST(HighlightTest, RepaintComesAfterTheRemainingTimeOrOneFadeStep)
{
    // A steady style changes look only when the highlight ends.
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::BackgroundOpaque), 500), 1500);
    // Fading styles advance by the repaint interval, but never past the end.
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::BackgroundFading), 500), 30);
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::TextFading), 1990), 10);
    EXPECT_EQ(GetHighlightRepaintDelay(WithStyle(HighlightSettings::TextAndBackgroundFading), 0),
              30);
}

TEST(HighlightTest, ZeroRepaintIntervalStillWaitsBetweenRepaints)
{
    HighlightSettings settings;
    settings.repaintIntervalMs = 0;
    EXPECT_EQ(GetHighlightRepaintDelay(settings, 500), 1);
}

} // namespace
} // namespace Ombrel::GUI
