#include "ombrel/gui/paint/Highlight.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

using Style = HighlightSettings::Style;

constexpr int kOpaque = 255;

bool IsFading(std::int32_t style)
{
    return style == Style::TextFading || style == Style::BackgroundFading ||
           style == Style::TextAndBackgroundFading;
}

// alpha * remaining / duration, for an elapsed time inside the duration.
int FadedAlpha(int alpha, const HighlightSettings& settings, std::int64_t elapsedMs)
{
    const std::int64_t duration = settings.durationMs;
    return static_cast<int>(alpha * (duration - elapsedMs) / duration);
}

} // namespace

bool IsHighlighted(const HighlightSettings& settings, std::int64_t elapsedMs)
{
    return settings.durationMs > 0 && elapsedMs >= 0 &&
           elapsedMs < static_cast<std::int64_t>(settings.durationMs);
}

CellHighlight GetCurrentHighlight(const HighlightSettings& settings, std::int64_t elapsedMs,
                                  COLORREF cellText, COLORREF cellBackground)
{
    CellHighlight result;
    if (!IsHighlighted(settings, elapsedMs)) {
        return result;
    }
    result.textColor = settings.textColor;
    result.backgroundColor = settings.backgroundColor;
    const int fadedText = FadedAlpha(settings.textAlpha, settings, elapsedMs);
    const int fadedBackground = FadedAlpha(settings.backgroundAlpha, settings, elapsedMs);
    switch (settings.style) {
    case Style::Inverse:
        result.textColor = cellBackground;
        result.backgroundColor = cellText;
        result.textAlpha = kOpaque;
        result.backgroundAlpha = kOpaque;
        break;
    case Style::TextOpaque:
        result.textAlpha = kOpaque;
        break;
    case Style::BackgroundOpaque:
        result.backgroundAlpha = kOpaque;
        break;
    case Style::TextAndBackgroundOpaque:
        result.textAlpha = kOpaque;
        result.backgroundAlpha = kOpaque;
        break;
    case Style::TextAtAlpha:
        result.textAlpha = settings.textAlpha;
        break;
    case Style::BackgroundAtAlpha:
        result.backgroundAlpha = settings.backgroundAlpha;
        break;
    case Style::TextAndBackgroundAtAlpha:
        result.textAlpha = settings.textAlpha;
        result.backgroundAlpha = settings.backgroundAlpha;
        break;
    case Style::TextFading:
        result.textAlpha = fadedText;
        break;
    case Style::BackgroundFading:
        result.backgroundAlpha = fadedBackground;
        break;
    case Style::TextAndBackgroundFading:
        result.textAlpha = fadedText;
        result.backgroundAlpha = fadedBackground;
        break;
    default:
        break;
    }
    return result;
}

std::int64_t GetHighlightRepaintDelay(const HighlightSettings& settings, std::int64_t elapsedMs)
{
    if (!IsHighlighted(settings, elapsedMs)) {
        return -1;
    }
    std::int64_t delay = static_cast<std::int64_t>(settings.durationMs) - elapsedMs;
    if (IsFading(settings.style)) {
        delay = std::min<std::int64_t>(delay, settings.repaintIntervalMs);
    }
    return std::max<std::int64_t>(delay, 1);
}

} // namespace Ombrel::GUI
