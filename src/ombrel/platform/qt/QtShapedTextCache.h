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
// changing) are forgotten at once and their entries reused for the texts that follow; fonts
// beyond kMaxFonts empty the whole cache, which changes its generation: a CFontTexts pointer is
// valid while the generation it was obtained in lasts.
class CShapedTextCache
{
public:
    struct Entry
    {
        std::string key;        // the UTF-8 bytes looked up
        std::uint64_t hash = 0; // of `key`
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
        // Texts kept now (at most kMaxTextsPerFont).
        std::size_t Size() const { return m_used; }
        // The width of `text` as Find would give it, without keeping the text: for passing
        // candidates such as the cuts tried for an ellipsis.
        int Measure(const QString& text);
        // The glyph masks of `face` (the font's own face, or a fallback face of a shaped
        // text); null beyond kMaxFaces faces, whose runs are drawn through the painter.
        CGlyphMasks* MasksOf(const QRawFont& face);

        static constexpr std::size_t kMaxFaces = 4;

    private:
        // A slot of the open-addressing index: the entry's position plus one (0: empty) and
        // the upper half of its hash, so that a probe compares bytes only on a likely match.
        struct Slot
        {
            std::uint32_t entry = 0;
            std::uint32_t tag = 0;
        };

        Entry* Lookup(std::string_view utf8, std::uint64_t hash);
        Entry& Insert(std::string_view utf8, std::uint64_t hash);
        void Index(std::uint32_t position);
        void GrowIndex();
        void ForgetAll();
        void LayOut(Entry& entry);

        QFont m_font;
        CGlyphComposer m_composer;
        // Entries [0, m_used) hold texts; later ones are kept only for their buffers, which a
        // new text reuses (a page of new values then allocates little). m_slots has a power of
        // two size and stays at most half full, so probes are short.
        std::vector<Entry> m_entries;
        std::size_t m_used = 0;
        std::vector<Slot> m_slots;
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
