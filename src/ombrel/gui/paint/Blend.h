#pragma once

#include "ombrel/base/Color.h"

#include <algorithm>
#include <cstdint>

namespace Ombrel::GUI {

// `overlay` laid over `base` at `alpha` (0: base unchanged, 255: overlay), per channel with
// integer arithmetic: (base * (255 - alpha) + overlay * alpha) / 255. The high byte of the
// result is 0. Alphas outside 0..255 are clamped.
constexpr COLORREF Blend(COLORREF base, COLORREF overlay, int alpha)
{
    const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255));
    const auto channel = [a](std::uint32_t from, std::uint32_t to) {
        return (from * (255 - a) + to * a) / 255;
    };
    return RGB(static_cast<std::uint8_t>(channel(GetRValue(base), GetRValue(overlay))),
               static_cast<std::uint8_t>(channel(GetGValue(base), GetGValue(overlay))),
               static_cast<std::uint8_t>(channel(GetBValue(base), GetBValue(overlay))));
}

} // namespace Ombrel::GUI
