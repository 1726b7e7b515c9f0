#pragma once

// Sets lines of simple text from glyphs kept per character, without shaping them (private to
// the Qt implementation of CDC).

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include "ombrel/platform/qt/QtFixedGlyph.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Ombrel {

// Shaping a short text costs far more than drawing it, and a page of new rows is mostly new
// texts: names, cities, numbers, dates. For text of one simple script — Latin-1 letters,
// digits and punctuation, a few typographic marks, nothing combining, nothing right-to-left —
// the shaper's result is each character's glyph placed after the previous one's advance, plus
// the font's kerning of each pair. Both are learnt from the shaper itself, a character or a
// pair at a time, the first time a text needs them:
//   - a character is laid out alone; it is usable when it gives one glyph of the font's own
//     face (not a fallback font);
//   - a pair is laid out as two characters; it is usable when it gives the same two glyphs,
//     the first one's advance changed by at most a kerning amount, and the second one's kept.
// Anything else (a ligature, a mark, a contextual form) marks the character or pair unusable
// and texts holding it are left to the shaper. The composed glyphs are therefore the glyphs
// and positions the shaper gives the whole text, as long as the font's substitutions and
// positioning only look at pairs, which holds for Latin text in the fonts a grid uses (the
// pixel tests compare both ways over kerned and accented text).
class CGlyphComposer
{
public:
    struct Line
    {
        QGlyphRun run;   // positions relative to the line's top-left corner
        qreal advance = 0;
        QRectF ink;      // bounding box of the glyphs, same coordinates
    };

    // `font` is resolved for the device the text is drawn on.
    explicit CGlyphComposer(QFont font) : m_font(std::move(font)) {}

    // Sets `line` for `text`; false, leaving `line` alone, when the text holds a character or
    // pair the composer cannot set, or the application lays text out right to left.
    bool Compose(const QString& text, Line& line);
    // The advance `text` would have, without making its glyphs; false as for Compose.
    bool Measure(const QString& text, qreal& advance);

    // The line of the UTF-8 text `utf8` as plain glyphs on the 1/64-pixel grid, appended to
    // `glyphs` (of RawFont(), with Flags()), with its advance and the whole pixels its ink
    // touches; false as for Compose (and for bytes that are not UTF-8), with `glyphs` as it was
    // or longer. A cache sets its new texts this way: no QString, no glyph run.
    bool ComposeGlyphs(std::string_view utf8, std::vector<FixedGlyph>& glyphs, qreal& advance,
                       QRect& ink);
    // The face and decorations of every composed glyph; valid once a text was composed.
    const QRawFont& RawFont() const { return m_rawFont; }
    QGlyphRun::GlyphRunFlags Flags() const { return m_flags; }

    // Characters the composer may set: Latin-1 without controls and the soft hyphen, and a few
    // typographic marks of general punctuation. Others always go to the shaper.
    static int SlotOf(char16_t ch);
    static constexpr int kSlots = 256;

private:
    enum class State : std::uint8_t { Unknown, Usable, Unusable };

    struct Glyph
    {
        quint32 index = 0;
        std::int32_t advance = 0; // in 1/64 pixels, as the shaper keeps it
        QRectF ink;               // at the line's origin
        // `ink` in 1/64 pixels, rounded outwards; inked is false for a box without area.
        std::int32_t inkLeft = 0;
        std::int32_t inkTop = 0;
        std::int32_t inkRight = 0;
        std::int32_t inkBottom = 0;
        bool inked = false;
        State state = State::Unknown;
    };

    // Kerning of a pair in 1/64 pixel (the shaper's fixed-point unit), or a state.
    using PairValue = std::int16_t;
    static constexpr PairValue kPairUnknown = INT16_MIN;
    static constexpr PairValue kPairUnusable = INT16_MIN + 1;

    // Walks the glyphs of `text` left to right, handing each with its x in 1/64 pixels to
    // `visit`, and sets the line's advance; false as soon as a character or pair cannot be
    // composed. The shaper works on the same grid, so the sums are its sums exactly.
    template <typename Characters, typename Visit>
    bool Place(const Characters& text, qreal& advance, Visit&& visit);
    const Glyph* GlyphOf(int slot, char16_t ch);
    // The kerning between two usable glyphs in 1/64 pixels; false when the pair is unusable.
    bool KerningOf(int first, char16_t firstCh, int second, char16_t secondCh, std::int32_t& kerning);
    void LearnGlyph(Glyph& glyph, char16_t ch);
    PairValue LearnPair(const Glyph& first, char16_t firstCh, const Glyph& second,
                        char16_t secondCh);

    QFont m_font;
    std::array<Glyph, kSlots> m_glyphs{};
    std::vector<PairValue> m_pairs; // kSlots x kSlots, made on the first pair asked for
    QRawFont m_rawFont;             // the face every usable glyph comes from
    qreal m_baseline = 0;
    std::int32_t m_fixedBaseline = 0; // m_baseline in 1/64 pixels
    QGlyphRun::GlyphRunFlags m_flags; // decorations of the font (underline, strike-out ...)
    bool m_faceKnown = false;
};

} // namespace Ombrel
