#pragma once

#include <cstdint>

namespace Ombrel {

// A colour in the platform layout 0x00BBGGRR: red in the lowest byte.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}

constexpr std::uint8_t GetRValue(COLORREF color) { return static_cast<std::uint8_t>(color & 0xFF); }
constexpr std::uint8_t GetGValue(COLORREF color) { return static_cast<std::uint8_t>((color >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(COLORREF color) { return static_cast<std::uint8_t>((color >> 16) & 0xFF); }

static_assert(RGB(0x12, 0x34, 0x56) == 0x00563412, "COLORREF keeps red in the lowest byte");

} // namespace Ombrel
