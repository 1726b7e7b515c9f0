#include "ombrel/platform/qt/QtGlyphComposer.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QGuiApplication>

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
template <typename Visit>
bool CGlyphComposer::Place(const QString& text, qreal& advance, Visit&& visit)
{
    if (!QGuiApplication::isLeftToRight()) {
        return false;
    }
    qreal x = 0;
    const Glyph* previous = nullptr;
    int previousSlot = -1;
    char16_t previousCh = 0;
    for (const QChar character : text) {
        const char16_t ch = character.unicode();
        const int slot = SlotOf(ch);
        const Glyph* glyph = slot < 0 ? nullptr : GlyphOf(slot, ch);
        if (glyph == nullptr) {
            return false;
        }
        if (previous != nullptr) {
            qreal kerning = 0;
            if (!KerningOf(previousSlot, previousCh, slot, ch, kerning)) {
                return false;
            }
            x += previous->advance + kerning;
        }
        visit(*glyph, x);
        previous = glyph;
        previousSlot = slot;
        previousCh = ch;
    }
    advance = previous != nullptr ? x + previous->advance : 0;
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
    const bool placed = Place(text, advance, [&](const Glyph& glyph, qreal x) {
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
    return Place(text, advance, [](const Glyph&, qreal) {});
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
                               qreal& kerning)
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
    kerning = value / 64.0;
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
    glyph.index = run.glyphIndexes()[0];
    glyph.advance = alone.advance;
    glyph.ink = run.boundingRect();
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
    if (pair.advance != positions[1].x() + second.advance) {
        return kPairUnusable;
    }
    const qreal kerning = (positions[1].x() - first.advance) * 64;
    if (kerning != std::round(kerning) || std::abs(kerning) > kMaxKerning) {
        return kPairUnusable;
    }
    return static_cast<PairValue>(kerning);
}

} // namespace Ombrel
