#pragma once

// The widths and shaped glyphs of the texts a device context draws, kept per font (private to
// the Qt implementation of CDC).

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

class QPaintDevice;

namespace Ombrel {

// Cell texts repeat from one paint to the next. A text is laid out once, when it is first
// measured or drawn: its advance width and its glyph runs are kept, so that a text that did
// not change is neither measured nor shaped again; measuring and shaping are most of what
// drawing a short text costs.
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
    };

    // The glyphs of the characters numbers, times and dates are written with, each laid out
    // alone, for a font in which no two of them kern or join: a text made only of them is set
    // by adding advances, which is exactly what shaping it would give, without shaping it.
    // Most cells of a live grid are such texts, and a page of new rows is mostly new texts.
    class CNumberGlyphs
    {
    public:
        // Lays out the characters and every pair of them (once per font).
        void Prepare(const QFont& font);
        // Sets `entry`'s width, glyphs and ink from the characters' glyphs; false, leaving the
        // entry alone, for a text with other characters or when the font does not allow it.
        bool Compose(const QString& text, Entry& entry) const;

    private:
        struct Glyph
        {
            quint32 index = 0;
            qreal advance = 0;
            QRectF ink; // at the line's origin
            bool known = false;
        };
        static constexpr std::size_t kCharacters = 128;

        std::array<Glyph, kCharacters> m_glyphs{};
        QRawFont m_rawFont;
        qreal m_baseline = 0;
        bool m_usable = false;
    };

    class CFontTexts
    {
    public:
        // `font` is resolved for the device the texts are drawn on.
        explicit CFontTexts(QFont font) : m_font(std::move(font)) {}
        // The entry of `utf8`, laid out on first use. Valid until the next Find.
        Entry& Find(std::string_view utf8);

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
        CNumberGlyphs m_numbers;
        bool m_numbersPrepared = false;
        std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_texts;
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
