#pragma once

// Coverage masks of single glyphs, and text blended from them straight into a bitmap (private
// to the Qt implementation of CDC).

#include <QGlyphRun>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRegion>

#include "ombrel/platform/qt/QtBumpArena.h"
#include "ombrel/platform/qt/QtFixedGlyph.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Ombrel {

// Drawing a glyph run through QPainter costs far more than the pixels it sets: for every run
// the raster engine resolves the font engine and maps the positions, and for every glyph it
// takes the glyph cache's lock, looks the glyph up and sets a blend up. A grid draws hundreds
// of short texts a frame into its own bitmap, so the device context keeps the coverage mask of
// each glyph itself, once per subpixel offset, and blends texts from them into the bitmap.
//
// A mask is taken from Qt's own rendering (the glyph drawn alone in white on black at the same
// subpixel offset), placed where Qt places it (the whole-pixel part of the glyph's position
// plus the offset seen in that rendering) and blended glyph after glyph with the raster
// engine's arithmetic for a grey mask, so the pixels are those QPainter::drawGlyphRun sets.
// That holds only for grey antialiased or aliased glyphs blended without gamma correction: a
// font whose glyphs come out otherwise (subpixel colour) or whose blend differs from the one
// here (checked once, by drawing a sample both ways) is never blended here; its runs go
// through the painter.
class CGlyphMasks
{
public:
    // A glyph's coverage as runs of inked pixels along its rows, so that blending visits no
    // pixel the glyph leaves alone (a test per pixel mispredicts about every other one). The
    // spans and coverage values lie right behind the mask in the masks' arena, so that a glyph
    // being blended is read from one stretch of memory.
    struct Mask
    {
        struct Span
        {
            std::int16_t x = 0; // from the glyph's whole-pixel position
            std::int16_t y = 0;
            std::int16_t length = 0;
            std::uint32_t first = 0; // index of its first coverage value
        };
        const Span* spans = nullptr;           // row by row, left to right
        const std::uint8_t* coverage = nullptr; // 1..255 per inked pixel, span after span
        std::uint32_t spanCount = 0;            // 0: no ink
        bool grey = true; // false: Qt drew the glyph in colour (subpixel), not a grey mask
        QRect bounds;     // of the spans, from the glyph's whole-pixel position
    };

    // A run's glyphs as masks with the whole-pixel offsets of their positions from the point
    // the run was placed at. Blending it at another whole-pixel point sets the pixels the run
    // sets there. The glyphs live in storage of whoever placed the run; the run is valid
    // while the masks keep the generation it was placed in.
    struct PlacedRun
    {
        struct Glyph
        {
            std::uint32_t mask = 0; // position in `masks`
            std::int16_t x = 0;     // of the whole-pixel glyph position
            std::int16_t y = 0;
        };
        const Glyph* glyphs = nullptr;
        std::uint32_t count = 0;
        QRect bounds; // of every glyph's inked pixels, from the point the run was placed at
        std::uint64_t generation = 0; // 0: never placed
        const Mask* const* masks = nullptr; // the masks' table, while the generation lasts
    };

    // Masks of glyphs of `font`; runs of other raw fonts are not blended.
    explicit CGlyphMasks(QRawFont font);
    ~CGlyphMasks();
    CGlyphMasks(const CGlyphMasks&) = delete;
    CGlyphMasks& operator=(const CGlyphMasks&) = delete;

    // Blends the glyphs of `run`, its positions taken from `origin` (device pixels), in the
    // opaque colour `color` into `image` (32-bit premultiplied), within `clip` (device
    // pixels, inside the image). False, having drawn nothing, when the run cannot be drawn
    // from masks exactly: another raw font, decorations, a position left of or above the
    // image's origin or off the 1/64-pixel grid that Qt's glyph positions use, a colour that
    // is not opaque, or a font found unusable.
    bool Blend(const QGlyphRun& run, QPointF origin, QRgb color, QImage& image,
               const QRegion& clip);

    // The glyphs of `run` placed at `origin`, appended to `glyphs`; false, leaving fewer
    // appended, for a run that cannot be drawn from these masks (as for Blend).
    bool FixedGlyphsOf(const QGlyphRun& run, QPointF origin, std::vector<FixedGlyph>& glyphs) const;
    // Places glyphs of this font, without decorations, for blending them again and again (a
    // cached text): `storage` holds room for every glyph and becomes `placed.glyphs`. False
    // for a glyph left of or above the origin, a glyph Qt draws in colour, or a font found
    // unusable.
    bool Place(std::span<const FixedGlyph> glyphs, PlacedRun::Glyph* storage, PlacedRun& placed);
    // Whether `placed` still points at this object's masks.
    bool IsCurrent(const PlacedRun& placed) const { return placed.generation == m_generation; }
    // Blends a current placed run shifted by `shift` whole pixels; false, having drawn
    // nothing, for a colour or an image it cannot blend exactly.
    static bool BlendPlaced(const PlacedRun& placed, QPoint shift, QRgb color, QImage& image,
                            const QRegion& clip);

    // Masks kept before they are all dropped (a new generation) and made again as needed
    // (texts of many scripts at many offsets). A Latin face at a grid's sizes needs a few
    // hundred, of a few hundred bytes each.
    static constexpr std::size_t kMaxMasks = 4096;
    // Glyphs larger than this on either side are left to the painter (span coordinates are
    // 16-bit).
    static constexpr int kMaxGlyphExtent = 4096;

private:
    // A slot of the open-addressing index of masks: the key of (glyph, fractions) and the
    // mask's position in m_table plus one (0: empty).
    struct Slot
    {
        std::uint64_t key = 0;
        std::uint32_t mask = 0;
    };

    // Whether blending here gives Qt's pixels for this font; checked on first use.
    bool IsUsable();
    // Place without the check.
    bool PlaceChecked(std::span<const FixedGlyph> glyphs, PlacedRun::Glyph* storage, PlacedRun& placed);
    bool PlaceRun(const QGlyphRun& run, QPointF origin, PlacedRun& placed);
    // The position of the mask in m_table.
    std::uint32_t MaskOf(quint32 glyph, int fractionX, int fractionY);
    const Mask& Render(quint32 glyph, int fractionX, int fractionY);
    void Index(std::uint64_t key, std::uint32_t position);
    void DropMasks();

    enum class Check : std::uint8_t { Unknown, Passed, Failed };

    QRawFont m_font;
    // Masks with their spans and coverage; emptied with the index when kMaxMasks are kept.
    CBumpArena m_store;
    std::vector<Slot> m_slots; // a power of two in size, at most half full
    // The masks kept, by position; never reallocated, so placed runs may point at it.
    std::unique_ptr<const Mask*[]> m_table;
    std::size_t m_maskCount = 0;
    std::uint64_t m_generation = 1;
    // Reused by Blend and Render, so that they allocate nothing once their sizes were seen.
    std::vector<FixedGlyph> m_scratchGlyphs;
    std::vector<PlacedRun::Glyph> m_scratchPlaced;
    PlacedRun m_scratch;
    std::vector<Mask::Span> m_renderSpans;
    std::vector<std::uint8_t> m_renderCoverage;
    Check m_check = Check::Unknown;
};

} // namespace Ombrel
