#pragma once

#include "ombrel/base/Color.h"

#include <cstdint>

namespace Ombrel::GUI {

// How a cell whose value changed recently is highlighted, and for how long. The record is
// 24 bytes and copied whole by SetHighlightSettings.
struct HighlightSettings
{
    // Styles: which colour a highlighted cell replaces, and how.
    enum Style : std::int32_t
    {
        Inverse = 0,              // text and background swap
        TextOpaque = 1,
        BackgroundOpaque = 2,
        TextAndBackgroundOpaque = 3,
        TextAtAlpha = 4,
        BackgroundAtAlpha = 5,
        TextAndBackgroundAtAlpha = 6,
        TextFading = 7,
        BackgroundFading = 8,
        TextAndBackgroundFading = 9,
    };

    std::uint32_t durationMs = 2000; // 0 switches highlighting off
    COLORREF textColor = 0x0000FF;
    COLORREF backgroundColor = 0x0000FF;
    std::uint8_t textAlpha = 150;
    std::uint8_t backgroundAlpha = 150;
    std::uint32_t repaintIntervalMs = 30; // step of the fading styles' animation
    std::int32_t style = BackgroundFading;

    bool operator==(const HighlightSettings&) const = default;
};

static_assert(sizeof(HighlightSettings) == 24);

} // namespace Ombrel::GUI
