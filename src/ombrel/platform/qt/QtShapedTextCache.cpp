#include "ombrel/platform/qt/QtShapedTextCache.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QTextLayout>
#include <QTextOption>
#include <QThread>

#include <QtGlobal>

#include <string_view>

namespace Ombrel {

namespace {

// A line that a glyph layout draws exactly as QPainter::drawText does: no line breaks or
// other control characters, which the two treat differently.
bool IsPlainLine(const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x20 || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator) {
            return false;
        }
    }
    return true;
}

// One line of `text` laid out alone, without wrapping, at the origin.
struct LaidOutLine
{
    QList<QGlyphRun> runs;
    qreal advance = 0;
    bool valid = false;
};

LaidOutLine LayOutLine(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.setCacheEnabled(false);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    LaidOutLine result;
    if (line.isValid()) {
        result.valid = true;
        result.advance = line.horizontalAdvance();
        result.runs = layout.glyphRuns();
    }
    return result;
}

// The characters of numbers, times and dates as cells show them.
constexpr char kNumberCharacters[] = "0123456789.,-+:/% ";

} // namespace

void CShapedTextCache::CNumberGlyphs::Prepare(const QFont& font)
{
    m_usable = false;
    const std::string_view characters(kNumberCharacters);
    for (const char ch : characters) {
        const LaidOutLine alone = LayOutLine(QString(QLatin1Char(ch)), font);
        if (!alone.valid || alone.runs.size() != 1 || alone.runs[0].glyphIndexes().size() != 1) {
            return;
        }
        const QGlyphRun& run = alone.runs[0];
        if (m_rawFont.isValid() && !(run.rawFont() == m_rawFont)) {
            return; // a character from a fallback font
        }
        m_rawFont = run.rawFont();
        m_baseline = run.positions()[0].y();
        Glyph& glyph = m_glyphs[static_cast<unsigned char>(ch)];
        glyph = Glyph{run.glyphIndexes()[0], alone.advance, run.boundingRect(), true};
    }
    // Every pair must come out as the two glyphs side by side: no kerning, no ligature.
    for (const char first : characters) {
        for (const char second : characters) {
            const Glyph& a = m_glyphs[static_cast<unsigned char>(first)];
            const Glyph& b = m_glyphs[static_cast<unsigned char>(second)];
            const LaidOutLine pair =
                LayOutLine(QString(QLatin1Char(first)) + QLatin1Char(second), font);
            if (!pair.valid || pair.runs.size() != 1 || pair.advance != a.advance + b.advance) {
                return;
            }
            const QList<quint32> indexes = pair.runs[0].glyphIndexes();
            const QList<QPointF> positions = pair.runs[0].positions();
            if (indexes.size() != 2 || indexes[0] != a.index || indexes[1] != b.index ||
                positions[0] != QPointF(0, m_baseline) || positions[1] != QPointF(a.advance, m_baseline)) {
                return;
            }
        }
    }
    m_usable = true;
}

bool CShapedTextCache::CNumberGlyphs::Compose(const QString& text, Entry& entry) const
{
    if (!m_usable) {
        return false;
    }
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    qreal x = 0;
    QRectF ink;
    for (const QChar ch : text) {
        if (ch.unicode() >= kCharacters || !m_glyphs[ch.unicode()].known) {
            return false;
        }
        const Glyph& glyph = m_glyphs[ch.unicode()];
        indexes.append(glyph.index);
        positions.append(QPointF(x, m_baseline));
        ink |= glyph.ink.translated(x, 0);
        x += glyph.advance;
    }
    entry.width = qRound(x);
    entry.ink = ink;
    entry.glyphs.clear();
    if (!indexes.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        entry.glyphs.append(run);
    }
    return true;
}

CShapedTextCache& CShapedTextCache::ForThisThread()
{
    thread_local CShapedTextCache cache;
    return cache;
}

CShapedTextCache::CFontTexts& CShapedTextCache::TextsOf(const QString& fontKey, const QFont& font,
                                                        const QPaintDevice* device)
{
    ClearWithApplication();
    auto found = m_fonts.find(fontKey);
    if (found == m_fonts.end()) {
        if (m_fonts.size() >= kMaxFonts) {
            m_fonts.clear();
            ++m_generation;
        }
        found = m_fonts.try_emplace(fontKey, device ? QFont(font, device) : font).first;
    }
    return found->second;
}

// Glyph runs hold font engines, which must be gone before the application object is: the
// application's thread empties its cache when the application ends.
void CShapedTextCache::ClearWithApplication()
{
    if (m_clearedWithApplication || QCoreApplication::instance() == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        return;
    }
    m_clearedWithApplication = true;
    qAddPostRoutine([] {
        CShapedTextCache& cache = ForThisThread();
        cache.m_fonts.clear();
        ++cache.m_generation;
        cache.m_clearedWithApplication = false; // a later application registers again
    });
}

CShapedTextCache::Entry& CShapedTextCache::CFontTexts::Find(std::string_view utf8)
{
    auto found = m_texts.find(utf8);
    if (found != m_texts.end()) {
        return found->second;
    }
    if (m_texts.size() >= kMaxTextsPerFont) {
        m_texts.clear();
    }
    found = m_texts.try_emplace(std::string(utf8)).first;
    Entry& entry = found->second;
    entry.text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    LayOut(entry);
    return entry;
}

// One layout at most gives both the width and the glyphs (none for a text of number
// characters). The advance is rounded the way QFontMetrics::horizontalAdvance rounds the same
// sum of glyph advances, so measured and drawn texts agree with every other measurement of
// the device context.
void CShapedTextCache::CFontTexts::LayOut(Entry& entry)
{
    entry.isPlain = IsPlainLine(entry.text);
    if (!entry.isPlain) {
        // Tabs and breaks measure differently in a line layout; the font's metrics decide.
        entry.width = QFontMetrics(m_font).horizontalAdvance(entry.text);
        return;
    }
    if (!m_numbersPrepared) {
        m_numbers.Prepare(m_font);
        m_numbersPrepared = true;
    }
    if (m_numbers.Compose(entry.text, entry)) {
        return;
    }
    const LaidOutLine line = LayOutLine(entry.text, m_font);
    if (!line.valid) {
        return;
    }
    entry.width = qRound(line.advance);
    entry.glyphs = line.runs;
    for (const QGlyphRun& run : entry.glyphs) {
        entry.ink |= run.boundingRect();
    }
}

} // namespace Ombrel
