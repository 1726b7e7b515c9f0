#pragma once

// The widths and shaped glyphs of the texts a device context draws, kept per font (private to
// the Qt implementation of CDC).

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRect>
#include <QString>

#include "ombrel/platform/qt/QtBumpArena.h"
#include "ombrel/platform/qt/QtFixedGlyph.h"
#include "ombrel/platform/qt/QtGlyphComposer.h"
#include "ombrel/platform/qt/QtGlyphMasks.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

class QPaintDevice;

namespace Ombrel {

// Cell texts repeat from one paint to the next. A text is laid out once, when it is first
// measured or drawn: its advance width and its glyphs are kept, so that a text that did not
// change is neither measured nor shaped again; measuring and shaping are most of what drawing
// a short text costs.
//
// Texts of simple script are set from per-character glyphs (CGlyphComposer) rather than
// shaped, so that even new texts cost little: a page of new values is mostly new texts, and
// such a text is kept as its glyphs placed on their masks in the font's arena, with no QString
// and no glyph run (one is made only for drawing through the painter).
//
// Texts are kept per font key (the font and the device resolution) and looked up by their
// UTF-8 bytes, so a lookup needs no conversion. One cache per thread, since glyph runs belong
// to the thread that made them. A font's texts that outgrow kMaxTextsPerFont or
// kMaxTextBytesPerFont (values that keep changing, long texts) are forgotten at once and their
// entries and memory reused for the texts that follow; fonts
// beyond kMaxFonts empty the whole cache, which changes its generation: a CFontTexts pointer is
// valid while the generation it was obtained in lasts.
class CShapedTextCache
{
public:
    // How a kept text is drawn.
    enum class Setting : std::uint8_t
    {
        Lines,    // tabs, breaks or other control characters: by the painter's own text drawing
        Composed, // from the composer's glyphs (`composed`), the usual case
        Shaped,   // from the shaper's glyph runs (`glyphs`)
    };

    // A kept text. Its key and glyphs live in the font's arena: an entry holds no memory of
    // its own but its glyph runs, and those only for shaped texts or texts once drawn through
    // the painter.
    struct Entry
    {
        std::string_view Key() const { return {key, keyLength}; }
        // One line without control characters: drawn from glyphs.
        bool IsPlain() const { return setting != Setting::Lines; }

        const char* key = nullptr; // the UTF-8 bytes looked up
        std::uint32_t keyLength = 0;
        int width = 0;             // advance in device pixels, as QFontMetrics measures it
        std::uint64_t hash = 0;    // of the key
        std::uint32_t position = 0; // among the font's entries, which never move
        Setting setting = Setting::Lines;
        bool runsMade = false;     // `glyphs` holds the run of a composed text
        QRect ink; // whole pixels the glyphs touch, from the line's top-left corner
        // Setting::Shaped: the runs; Setting::Composed: its run once RunsOf made it (a composed
        // text keeps its glyphs only as placed on masks, and is composed again when needed
        // otherwise, which is rare).
        QList<QGlyphRun> glyphs;
        // The text cut with an end ellipsis to `elidedFor` pixels, once asked for: the position
        // of the cut text's entry, kept as long as this text is.
        int elidedFor = -1;
        std::uint32_t elidedEntry = 0;
        // A text of one run, once blended from glyph masks: its glyphs placed from the line's
        // top-left corner (in `placedStorage`), and the masks they come from (owned by the
        // same CFontTexts).
        CGlyphMasks::PlacedRun placed;
        CGlyphMasks::PlacedRun::Glyph* placedStorage = nullptr;
        CGlyphMasks* placedMasks = nullptr;
    };

    class CFontTexts
    {
    public:
        // `font` is resolved for the device the texts are drawn on.
        explicit CFontTexts(QFont font);
        ~CFontTexts();
        CFontTexts(const CFontTexts&) = delete;
        CFontTexts& operator=(const CFontTexts&) = delete;

        // The entry of `utf8`, laid out on first use. Valid until the next Find.
        Entry& Find(std::string_view utf8);
        // Texts kept now (at most kMaxTextsPerFont).
        std::size_t Size() const { return m_used; }
        // The width of `text` as Find would give it, without keeping the text: for passing
        // candidates such as the cuts tried for an ellipsis.
        int Measure(const QString& text);
        // The glyph runs of a plain entry, for drawing it through the painter.
        const QList<QGlyphRun>& RunsOf(Entry& entry);
        // The glyphs of a plain entry of one run placed on their masks, placing them on first
        // use; null for an entry that cannot be blended from masks.
        const CGlyphMasks::PlacedRun* PlacedOf(Entry& entry);
        // The entry of `entry`'s text cut to `width` pixels, when one was remembered (only for
        // an entry found since the last Find); null otherwise.
        Entry* RememberedCut(const Entry& entry, int width);
        // Remembers `cut` (found after `entry`) as `entry`'s text cut to `width` pixels.
        void RememberCut(Entry& entry, int width, const Entry& cut);
        // The glyph masks of `face` (the font's own face, or a fallback face of a shaped
        // text); null beyond kMaxFaces faces, whose runs are drawn through the painter.
        CGlyphMasks* MasksOf(const QRawFont& face);
        // Bytes the kept texts take beyond the entries themselves (keys and glyphs).
        std::size_t ArenaBytes() const { return m_arena.ReservedBytes(); }

        static QString TextOf(const Entry& entry);

        static constexpr std::size_t kMaxFaces = 4;

    private:
        // A slot of the open-addressing index: the entry's position plus one (0: empty) and
        // the upper bits of its hash, so that a probe compares bytes only on a likely match.
        // Four bytes a slot keep the index of a full font within the second-level cache.
        struct Slot
        {
            std::uint16_t entry = 0;
            std::uint16_t tag = 0;
        };
        // A font of a few texts (a header's) takes one block from the heap; the blocks of its
        // store double from there.
        static constexpr std::size_t kEntriesPerBlock = 128;

        Entry& At(std::size_t position);
        Entry* Lookup(std::string_view utf8, std::uint64_t hash);
        Entry& Insert(std::string_view utf8, std::uint64_t hash);
        void Index(std::uint32_t position);
        void GrowIndex();
        void ForgetAll();
        void LayOut(Entry& entry);
        CGlyphMasks* ComposedMasks();
        // The glyphs of a composed entry, in m_scratch: those of its layout when nothing was
        // composed since, else composed again. False, having made the entry a shaped one, when
        // the text no longer composes.
        bool ComposedGlyphs(Entry& entry, std::span<const FixedGlyph>& glyphs);

        QFont m_font;
        CGlyphComposer m_composer;
        // Entries [0, m_used) hold texts; later ones up to m_made are kept only for their
        // glyph-run lists, which a new text reuses. Entries stay where they are made (blocks of
        // kEntriesPerBlock from m_entryStore, which is never reset), so the cache grows
        // without moving any.
        CBumpArena m_entryStore;
        std::vector<Entry*> m_blocks;
        std::size_t m_used = 0;
        std::size_t m_made = 0;
        // Keys, composed glyphs and placed glyphs of the texts kept now; emptied with them.
        CBumpArena m_arena;
        std::vector<FixedGlyph> m_scratch; // glyphs of one text on their way to being placed
        const Entry* m_scratchEntry = nullptr; // the composed entry whose glyphs m_scratch holds
        // m_slots has a power of two size and stays at most half full, so probes are short.
        std::vector<Slot> m_slots;
        std::vector<std::pair<QRawFont, std::unique_ptr<CGlyphMasks>>> m_masks;
        CGlyphMasks* m_composedMasks = nullptr; // masks of the composer's face, once known
    };

    static CShapedTextCache& ForThisThread();

    // The texts of the font named by `fontKey`; `font` and `device` lay them out.
    CFontTexts& TextsOf(const QString& fontKey, const QFont& font, const QPaintDevice* device);
    std::uint64_t Generation() const { return m_generation; }

    static constexpr std::size_t kMaxFonts = 8; // a grid paints with a few fonts
    static constexpr std::size_t kMaxTextsPerFont = 16384;
    // Bytes of a font's texts (keys and placed glyphs) beyond which they are forgotten as when
    // there are too many: long texts must not grow a font's cache without bound. Cell values
    // take a few hundred bytes each, so a full font of them stays far below.
    static constexpr std::size_t kMaxTextBytesPerFont = std::size_t{32} << 20;
    static_assert(kMaxTextsPerFont < (std::size_t{1} << 16),
                  "index slots hold an entry position in 16 bits: widen Slot::entry");

private:
    void ClearWithApplication();

    std::map<QString, CFontTexts> m_fonts; // nodes never move: pointers stay valid
    std::uint64_t m_generation = 0;
    bool m_clearedWithApplication = false;
};

} // namespace Ombrel
