#pragma once

// The widths and shaped glyphs of the texts a device context draws, kept per font (private to
// the Qt implementation of CDC).

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>
#include <QString>

#include "ombrel/platform/qt/QtGlyphComposer.h"
#include "ombrel/platform/qt/QtGlyphMasks.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class QPaintDevice;

namespace Ombrel {

// Cell texts repeat from one paint to the next. A text is laid out once, when it is first
// measured or drawn: its advance width and its glyph runs are kept, so that a text that did
// not change is neither measured nor shaped again; measuring and shaping are most of what
// drawing a short text costs.
//
// Texts of simple script are set from per-character glyphs (CGlyphComposer) rather than
// shaped, so that even new texts cost little.
//
// Texts are kept per font key (the font and the device resolution) and looked up by their
// UTF-8 bytes, so a lookup needs no conversion. One cache per thread, since glyph runs belong
// to the thread that made them. A font's texts that outgrow kMaxTextsPerFont (values that keep
// changing) are emptied and start again; fonts beyond kMaxFonts empty the whole cache, which
// changes its generation: a CFontTexts pointer is valid while the generation it was obtained
// in lasts.
class CShapedTextCache
{
public:
    struct Entry
    {
        QString text;           // the text as Qt holds it
        int width = 0;          // advance in device pixels, as QFontMetrics measures it
        bool isPlain = false;   // one line without control characters: drawn from `glyphs`
        QList<QGlyphRun> glyphs; // positions relative to the line's top-left corner
        QRectF ink;             // bounding box of the glyphs, same coordinates
        // The text as drawn with an end ellipsis into `elidedFor` pixels, once asked for.
        int elidedFor = -1;
        QString elided;
        // A text of one run, once blended from glyph masks: its glyphs placed from the line's
        // top-left corner, and the masks they come from (owned by the same CFontTexts).
        CGlyphMasks::PlacedRun placed;
        CGlyphMasks* placedMasks = nullptr;
    };

    class CFontTexts
    {
    public:
        // `font` is resolved for the device the texts are drawn on.
        explicit CFontTexts(QFont font) : m_font(font), m_composer(std::move(font)) {}
        // The entry of `utf8`, laid out on first use. Valid until the next Find.
        Entry& Find(std::string_view utf8);
        // The width of `text` as Find would give it, without keeping the text: for passing
        // candidates such as the cuts tried for an ellipsis.
        int Measure(const QString& text);
        // The glyph masks of `face` (the font's own face, or a fallback face of a shaped
        // text); null beyond kMaxFaces faces, whose runs are drawn through the painter.
        CGlyphMasks* MasksOf(const QRawFont& face);

        static constexpr std::size_t kMaxFaces = 4;

    private:
        struct Hash
        {
            using is_transparent = void;
            std::size_t operator()(std::string_view text) const
            {
                return std::hash<std::string_view>{}(text);
            }
        };
        void LayOut(Entry& entry);

        QFont m_font;
        CGlyphComposer m_composer;
        std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_texts;
        std::vector<std::pair<QRawFont, std::unique_ptr<CGlyphMasks>>> m_masks;
    };

    static CShapedTextCache& ForThisThread();

    // The texts of the font named by `fontKey`; `font` and `device` lay them out.
    CFontTexts& TextsOf(const QString& fontKey, const QFont& font, const QPaintDevice* device);
    std::uint64_t Generation() const { return m_generation; }

    static constexpr std::size_t kMaxFonts = 8; // a grid paints with a few fonts
    static constexpr std::size_t kMaxTextsPerFont = 16384;

private:
    void ClearWithApplication();

    std::map<QString, CFontTexts> m_fonts; // nodes never move: pointers stay valid
    std::uint64_t m_generation = 0;
    bool m_clearedWithApplication = false;
};

} // namespace Ombrel
