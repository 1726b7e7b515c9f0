#include "ombrel/platform/qt/QtShapedTextCache.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QThread>

#include <QtGlobal>

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

} // namespace

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

int CShapedTextCache::CFontTexts::Measure(const QString& text)
{
    if (qreal advance = 0; IsPlainLine(text) && m_composer.Measure(text, advance)) {
        return qRound(advance);
    }
    return QFontMetrics(m_font).horizontalAdvance(text);
}

CGlyphMasks* CShapedTextCache::CFontTexts::MasksOf(const QRawFont& face)
{
    for (auto& [known, masks] : m_masks) {
        if (known == face) {
            return masks.get();
        }
    }
    if (m_masks.size() >= kMaxFaces || !face.isValid()) {
        return nullptr;
    }
    m_masks.emplace_back(face, std::make_unique<CGlyphMasks>(face));
    return m_masks.back().second.get();
}

// One layout at most gives both the width and the glyphs (none for a text the composer sets). The advance is rounded the way QFontMetrics::horizontalAdvance rounds the same
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
    if (CGlyphComposer::Line composed; m_composer.Compose(entry.text, composed)) {
        entry.width = qRound(composed.advance);
        entry.ink = composed.ink;
        if (!composed.run.glyphIndexes().isEmpty()) {
            entry.glyphs.append(composed.run);
        }
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
