#pragma once

// A glyph at a position on the 1/64-pixel grid that Qt's glyph positions use (private to the
// Qt implementation of CDC).

#include <QtGlobal>

#include <cstdint>

namespace Ombrel {

// Glyphs of a line as the text cache keeps them and the glyph masks place them: plain values,
// with none of the shared data and allocations of a QGlyphRun.
struct FixedGlyph
{
    static constexpr int kUnit = 64; // steps per pixel

    quint32 index = 0; // in the face the line is set in
    std::int32_t x = 0; // 1/64 pixels from the line's top-left corner
    std::int32_t y = 0;
};

} // namespace Ombrel
