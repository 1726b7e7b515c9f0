#pragma once

#include "ombrel/base/Color.h"

#include <cstdint>

namespace Ombrel::GUI {

// Colours and switches a grid paints with. Each grid holds its own copy, taken from the
// process-wide defaults when the grid is constructed; GetAppearance hands out its address so
// an application may change members in place. Colours are 0x00BBGGRR, alphas 0..255.
//
// Rows alternate by visible position: odd positions use oddText on oddBackground, even
// positions (0, 2, 4 ...) evenText on evenBackground.
struct GridAppearance
{
    COLORREF oddText = 0x000000;
    COLORREF evenText = 0x000000;
    COLORREF oddBackground = 0xFFFFFF;
    COLORREF evenBackground = 0xFFFFFF;
    COLORREF verticalLineColor = 0x808080;
    COLORREF horizontalLineColor = 0x808080;
    COLORREF selectionColor = 0xB46464;
    std::uint8_t selectionAlpha = 60;
    COLORREF focusColor = 0xB46464;
    std::uint8_t focusAlpha = 30;
    COLORREF sortColumnColor = 0xB496B4;
    std::uint8_t sortColumnAlpha = 50;
    // Fills and frames the tracking rectangle (a rubber-band selection, for instance).
    COLORREF overlayColor = 0xB4B4B4;
    std::uint8_t overlayAlpha = 128;
    bool drawVerticalLines = false;
    bool drawHorizontalLines = false;

    bool operator==(const GridAppearance&) const = default;
};

} // namespace Ombrel::GUI
