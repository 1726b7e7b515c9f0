#include "ombrel/platform/qt/QtGlyphComposer.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QGuiApplication>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace Ombrel {

namespace {

// Typographic marks cells often show, given the slots of the C1 controls (0x80-0x9f), which
// are never composed themselves. All are spacing, non-joining and neutral or left-to-right.
constexpr char16_t kExtraCharacters[] = {
    u'\u2026', // horizontal ellipsis: every cut text ends with it
    u'\u20AC', // euro sign
    u'\u2013', // en dash
    u'\u2014', // em dash
    u'\u2018', u'\u2019', u'\u201C', u'\u201D', // quotation marks
    u'\u2022', // bullet
    u'\u2212', // minus sign
};
constexpr int kFirstExtraSlot = 0x80;
static_assert(std::size(kExtraCharacters) <= 0x20, "the extra marks use the C1 control slots");

constexpr char16_t kSoftHyphen = u'\u00AD'; // invisible or a hyphen, as the shaper decides

// The character whose glyph tells the font's own face from fallback faces.
constexpr char16_t kFaceProbe = u'0';

// The largest kerning kept, in 1/64 pixel; anything larger is no pair kerning.
constexpr int kMaxKerning = 16000;
// The largest advance or baseline of a composed glyph, and the longest composed line, in 1/64
// pixel: sums stay far from the 32-bit limit (longer lines go to the shaper).
constexpr qreal kMaxFixedAdvance = 1 << 10 << 6;
constexpr std::int32_t kMaxFixedLine = 1 << 30;

// `value` / `divisor` rounded towards minus infinity (divisor > 0).
std::int32_t FloorDivide(std::int32_t value, std::int32_t divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// The UTF-16 units of `utf8`, as far as the composer could set them: false for bytes that are
// not UTF-8 (Qt shows them as replacement characters, which are never composed) and for
// characters beyond the basic plane, which no slot holds.
bool DecodeComposable(std::string_view utf8, QVarLengthArray<char16_t, 64>& characters)
{
    const auto* byte = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = byte + utf8.size();
    auto continuation = [&](int count, char32_t& code) {
        if (end - byte < count + 1) {
            return false;
        }
        for (int i = 1; i <= count; ++i) {
            if ((byte[i] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (byte[i] & 0x3F);
        }
        byte += count + 1;
        return true;
    };
    while (byte != end) {
        char32_t code = *byte;
        if (code < 0x80) {
            ++byte;
        } else if (code >= 0xC2 && code <= 0xDF) {
            code &= 0x1F;
            if (!continuation(1, code)) {
                return false;
            }
        } else if (code >= 0xE0 && code <= 0xEF) {
            code &= 0x0F;
            if (!continuation(2, code) || code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) {
                return false; // overlong or a surrogate
            }
        } else {
            return false;
        }
        characters.push_back(static_cast<char16_t>(code));
    }
    return true;
}

char16_t UnitOf(QChar character)
{
    return character.unicode();
}
char16_t UnitOf(char16_t unit)
{
    return unit;
}
char16_t UnitOf(char asciiByte)
{
    return static_cast<unsigned char>(asciiByte);
}

} // namespace

int CGlyphComposer::SlotOf(char16_t ch)
{
    if (ch < 0x100) {
        const bool control = ch < 0x20 || (ch >= 0x7F && ch < 0xA0);
        return control || ch == kSoftHyphen ? -1 : ch;
    }
    for (std::size_t i = 0; i < std::size(kExtraCharacters); ++i) {
        if (kExtraCharacters[i] == ch) {
            return kFirstExtraSlot + static_cast<int>(i);
        }
    }
    return -1;
}

// Neutral characters (digits, punctuation) take the paragraph's direction; the shaper follows
// the application's, which must be left to right for the glyphs to run that way.
template <typename Characters, typename Visit>
bool CGlyphComposer::Place(const Characters& text, qreal& advance, Visit&& visit)
{
    if (!QGuiApplication::isLeftToRight()) {
        return false;
    }
    std::int32_t x = 0;
    const Glyph* previous = nullptr;
    int previousSlot = -1;
    char16_t previousCh = 0;
    for (const auto character : text) {
        const char16_t ch = UnitOf(character);
        const int slot = SlotOf(ch);
        const Glyph* glyph = slot < 0 ? nullptr : GlyphOf(slot, ch);
        if (glyph == nullptr) {
            return false;
        }
        if (previous != nullptr) {
            std::int32_t kerning = 0;
            if (!KerningOf(previousSlot, previousCh, slot, ch, kerning)) {
                return false;
            }
            x += previous->advance + kerning;
            if (x > kMaxFixedLine) {
                return false;
            }
        }
        visit(*glyph, x);
        previous = glyph;
        previousSlot = slot;
        previousCh = ch;
    }
    advance = previous != nullptr ? qreal(x + previous->advance) / FixedGlyph::kUnit : 0;
    return true;
}

bool CGlyphComposer::Compose(const QString& text, Line& line)
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    QRectF ink;
    qreal advance = 0;
    const bool placed = Place(text, advance, [&](const Glyph& glyph, std::int32_t fixedX) {
        const qreal x = qreal(fixedX) / FixedGlyph::kUnit;
        indexes.append(glyph.index);
        positions.append(QPointF(x, m_baseline));
        ink |= glyph.ink.translated(x, 0);
    });
    if (!placed) {
        return false;
    }
    line.advance = advance;
    line.ink = ink;
    line.run = QGlyphRun();
    if (!indexes.isEmpty()) {
        line.run.setRawFont(m_rawFont);
        line.run.setGlyphIndexes(indexes);
        line.run.setPositions(positions);
        line.run.setFlags(m_flags);
    }
    return true;
}

bool CGlyphComposer::Measure(const QString& text, qreal& advance)
{
    return Place(text, advance, [](const Glyph&, std::int32_t) {});
}

bool CGlyphComposer::ComposeGlyphs(std::string_view utf8, std::vector<FixedGlyph>& glyphs,
                                   qreal& advance, QRect& ink)
{
    // The ink box on the 1/64-pixel grid, rounded outwards, then to whole pixels: never
    // smaller than the box of the glyphs' exact boxes, at most a pixel larger where one lies
    // within 1/64 pixel of a pixel's edge.
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool inked = false;
    auto keep = [&](const Glyph& glyph, std::int32_t x) {
        glyphs.push_back(FixedGlyph{glyph.index, x, m_fixedBaseline});
        if (!glyph.inked) {
            return;
        }
        left = inked ? std::min(left, x + glyph.inkLeft) : x + glyph.inkLeft;
        right = inked ? std::max(right, x + glyph.inkRight) : x + glyph.inkRight;
        top = inked ? std::min(top, glyph.inkTop) : glyph.inkTop;
        bottom = inked ? std::max(bottom, glyph.inkBottom) : glyph.inkBottom;
        inked = true;
    };
    glyphs.reserve(glyphs.size() + utf8.size());
    // Most cell texts are ASCII, whose bytes are their characters.
    const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                   [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
    bool placed = false;
    if (ascii) {
        placed = Place(utf8, advance, keep);
    } else if (QVarLengthArray<char16_t, 64> characters; DecodeComposable(utf8, characters)) {
        placed = Place(characters, advance, keep);
    }
    if (!placed) {
        return false;
    }
    if (!inked) {
        ink = QRectF().toAlignedRect();
        return true;
    }
    const QPoint topLeft(FloorDivide(left, FixedGlyph::kUnit), FloorDivide(top, FixedGlyph::kUnit));
    const QPoint bottomRight(-FloorDivide(-right, FixedGlyph::kUnit), -FloorDivide(-bottom, FixedGlyph::kUnit));
    ink = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
    return true;
}

const CGlyphComposer::Glyph* CGlyphComposer::GlyphOf(int slot, char16_t ch)
{
    Glyph& glyph = m_glyphs[static_cast<std::size_t>(slot)];
    if (glyph.state == State::Unknown) {
        LearnGlyph(glyph, ch);
    }
    return glyph.state == State::Usable ? &glyph : nullptr;
}

bool CGlyphComposer::KerningOf(int first, char16_t firstCh, int second, char16_t secondCh,
                               std::int32_t& kerning)
{
    if (m_pairs.empty()) {
        m_pairs.assign(static_cast<std::size_t>(kSlots) * kSlots, kPairUnknown);
    }
    PairValue& value = m_pairs[static_cast<std::size_t>(first) * kSlots + static_cast<std::size_t>(second)];
    if (value == kPairUnknown) {
        value = LearnPair(m_glyphs[static_cast<std::size_t>(first)], firstCh,
                          m_glyphs[static_cast<std::size_t>(second)], secondCh);
    }
    if (value == kPairUnusable) {
        return false;
    }
    kerning = value;
    return true;
}

// The face and baseline come from a probe character the first time, so that a character of a
// fallback face learnt first cannot pass for the font's own.
void CGlyphComposer::LearnGlyph(Glyph& glyph, char16_t ch)
{
    glyph.state = State::Unusable;
    if (!m_faceKnown) {
        m_faceKnown = true;
        const LaidOutLine probe = LayOutLine(QString(QChar(kFaceProbe)), m_font);
        if (!probe.valid || probe.runs.size() != 1 || probe.runs[0].glyphIndexes().size() != 1) {
            return; // m_rawFont stays invalid: nothing is composed in this font
        }
        m_rawFont = probe.runs[0].rawFont();
        m_baseline = probe.runs[0].positions()[0].y();
        const qreal fixedBaseline = m_baseline * FixedGlyph::kUnit;
        if (fixedBaseline != std::floor(fixedBaseline) || std::abs(fixedBaseline) > kMaxFixedAdvance) {
            m_rawFont = QRawFont(); // off the shaper's grid: nothing is composed in this font
            return;
        }
        m_fixedBaseline = static_cast<std::int32_t>(fixedBaseline);
        m_flags = probe.runs[0].flags();
    }
    if (!m_rawFont.isValid()) {
        return;
    }
    const LaidOutLine alone = LayOutLine(QString(QChar(ch)), m_font);
    if (!alone.valid || alone.runs.size() != 1 || alone.runs[0].glyphIndexes().size() != 1) {
        return;
    }
    const QGlyphRun& run = alone.runs[0];
    if (!(run.rawFont() == m_rawFont) || run.flags() != m_flags ||
        run.positions()[0] != QPointF(0, m_baseline)) {
        return;
    }
    const qreal advance = alone.advance * FixedGlyph::kUnit;
    if (advance != std::floor(advance) || std::abs(advance) > kMaxFixedAdvance) {
        return; // off the shaper's grid: sums could not be exact
    }
    glyph.index = run.glyphIndexes()[0];
    glyph.advance = static_cast<std::int32_t>(advance);
    glyph.ink = run.boundingRect();
    glyph.inked = !glyph.ink.isNull();
    glyph.inkLeft = static_cast<std::int32_t>(std::floor(glyph.ink.left() * FixedGlyph::kUnit));
    glyph.inkTop = static_cast<std::int32_t>(std::floor(glyph.ink.top() * FixedGlyph::kUnit));
    glyph.inkRight = static_cast<std::int32_t>(std::ceil(glyph.ink.right() * FixedGlyph::kUnit));
    glyph.inkBottom = static_cast<std::int32_t>(std::ceil(glyph.ink.bottom() * FixedGlyph::kUnit));
    glyph.state = State::Usable;
}

CGlyphComposer::PairValue CGlyphComposer::LearnPair(const Glyph& first, char16_t firstCh,
                                                    const Glyph& second, char16_t secondCh)
{
    const QChar characters[] = {QChar(firstCh), QChar(secondCh)};
    const LaidOutLine pair = LayOutLine(QString(characters, 2), m_font);
    if (!pair.valid || pair.runs.size() != 1 || !(pair.runs[0].rawFont() == m_rawFont)) {
        return kPairUnusable;
    }
    const QList<quint32> indexes = pair.runs[0].glyphIndexes();
    const QList<QPointF> positions = pair.runs[0].positions();
    if (indexes.size() != 2 || indexes[0] != first.index || indexes[1] != second.index ||
        positions[0] != QPointF(0, m_baseline) || positions[1].y() != m_baseline) {
        return kPairUnusable; // a ligature, a substituted form or a raised mark
    }
    // The second glyph keeps its own advance: the pair changes only the space between them.
    if (pair.advance != positions[1].x() + qreal(second.advance) / FixedGlyph::kUnit) {
        return kPairUnusable;
    }
    const qreal kerning = positions[1].x() * FixedGlyph::kUnit - first.advance;
    if (kerning != std::round(kerning) || std::abs(kerning) > kMaxKerning) {
        return kPairUnusable;
    }
    return static_cast<PairValue>(kerning);
}

} // namespace Ombrel
