#pragma once

// Coverage masks of single glyphs, and text blended from them straight into a bitmap (private
// to the Qt implementation of CDC).

#include <QGlyphRun>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRegion>

#include <cstdint>
#include <unordered_map>
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
    // Masks of glyphs of `font`; runs of other raw fonts are not blended.
    explicit CGlyphMasks(QRawFont font);

    // Blends the glyphs of `run`, its positions taken from `origin` (device pixels), in the
    // opaque colour `color` into `image` (32-bit premultiplied), within `clip` (device
    // pixels, inside the image). False, having drawn nothing, when the run cannot be drawn
    // from masks exactly: another raw font, decorations, a position left of or above the
    // image's origin or off the 1/64-pixel grid that Qt's glyph positions use, or a font
    // found unusable.
    bool Blend(const QGlyphRun& run, QPointF origin, QRgb color, QImage& image,
               const QRegion& clip);

    // Masks kept before they are all dropped and made again as needed (texts of many
    // scripts at many offsets).
    static constexpr std::size_t kMaxMasks = 8192;

private:
    struct Mask
    {
        QImage coverage; // Format_Alpha8; null for a glyph that sets no pixel
        QPoint offset;   // top-left corner relative to the whole-pixel glyph position
        bool grey = true; // false: Qt drew the glyph in colour (subpixel), not a grey mask
    };

    // A glyph's position split into whole pixels and 1/64-pixel fractions.
    struct Placement
    {
        QPoint pixel;
        int fractionX = 0;
        int fractionY = 0;
    };

    // Whether blending here gives Qt's pixels for this font; checked on first use.
    bool IsUsable();
    // Blend without the check; false, having drawn nothing, as for Blend.
    bool Draw(const QGlyphRun& run, QPointF origin, QRgb color, QImage& image,
              const QRegion& clip);
    // Fills m_placements and m_chosen for `run`; false when a glyph cannot be blended.
    bool Prepare(const QGlyphRun& run, QPointF origin);
    const Mask& MaskOf(quint32 glyph, int fractionX, int fractionY);
    Mask Render(quint32 glyph, int fractionX, int fractionY) const;

    enum class Check : std::uint8_t { Unknown, Passed, Failed };

    QRawFont m_font;
    std::unordered_map<std::uint64_t, Mask> m_masks;
    // Reused by every Blend, so that a text allocates nothing once its masks exist.
    std::vector<Placement> m_placements;
    std::vector<const Mask*> m_chosen;
    Check m_check = Check::Unknown;
};

} // namespace Ombrel
