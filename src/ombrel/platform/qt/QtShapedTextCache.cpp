#include "ombrel/platform/qt/QtShapedTextCache.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QThread>

#include <QtGlobal>

#include <algorithm>
#include <functional>

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

// `utf8` as `text`, in the buffer `text` already has where it can: most cell texts are ASCII,
// which widens byte by byte.
void SetText(QString& text, std::string_view utf8)
{
    const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                   [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
    if (!ascii) {
        text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        return;
    }
    text.resize(static_cast<qsizetype>(utf8.size()));
    QChar* out = text.data();
    for (const char byte : utf8) {
        *out++ = QLatin1Char(byte);
    }
}

// Slots of a font's first index; doubled as texts come.
constexpr std::size_t kFirstSlots = 64;

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
    const std::uint64_t hash = std::hash<std::string_view>{}(utf8);
    if (Entry* found = Lookup(utf8, hash)) {
        return *found;
    }
    if (m_used >= kMaxTextsPerFont) {
        ForgetAll();
    }
    Entry& entry = Insert(utf8, hash);
    LayOut(entry);
    return entry;
}

CShapedTextCache::Entry* CShapedTextCache::CFontTexts::Lookup(std::string_view utf8,
                                                              std::uint64_t hash)
{
    if (m_slots.empty()) {
        return nullptr;
    }
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot slot = m_slots[at];
        if (slot.entry == 0) {
            return nullptr;
        }
        if (slot.tag == tag) {
            Entry& entry = m_entries[slot.entry - 1];
            if (entry.key == utf8) {
                return &entry;
            }
        }
    }
}

// Takes the next entry for `utf8`, reusing the buffers of one kept from an earlier text.
CShapedTextCache::Entry& CShapedTextCache::CFontTexts::Insert(std::string_view utf8,
                                                              std::uint64_t hash)
{
    if (2 * (m_used + 1) > m_slots.size()) {
        GrowIndex();
    }
    if (m_used == m_entries.size()) {
        m_entries.emplace_back();
    }
    const auto position = static_cast<std::uint32_t>(m_used++);
    Entry& entry = m_entries[position];
    entry.key.assign(utf8);
    entry.hash = hash;
    SetText(entry.text, utf8);
    entry.width = 0;
    entry.isPlain = false;
    entry.glyphs.clear();
    entry.ink = QRectF();
    entry.elidedFor = -1;
    entry.elided.clear();
    entry.placed.glyphs.clear();
    entry.placed.generation = 0;
    entry.placedMasks = nullptr;
    Index(position);
    return entry;
}

void CShapedTextCache::CFontTexts::Index(std::uint32_t position)
{
    const std::size_t mask = m_slots.size() - 1;
    const std::uint64_t hash = m_entries[position].hash;
    std::size_t at = hash & mask;
    while (m_slots[at].entry != 0) {
        at = (at + 1) & mask;
    }
    m_slots[at] = Slot{position + 1, static_cast<std::uint32_t>(hash >> 32)};
}

void CShapedTextCache::CFontTexts::GrowIndex()
{
    m_slots.assign(std::max<std::size_t>(kFirstSlots, 2 * m_slots.size()), Slot{});
    for (std::size_t position = 0; position < m_used; ++position) {
        Index(static_cast<std::uint32_t>(position));
    }
}

// Values that keep changing would grow the cache without end: all texts are forgotten at once
// (cheaper than choosing some), and their entries keep their buffers for the next ones.
void CShapedTextCache::CFontTexts::ForgetAll()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_used = 0;
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

// One layout at most gives both the width and the glyphs (none for a text the composer sets).
// The advance is rounded the way QFontMetrics::horizontalAdvance rounds the same sum of glyph
// advances, so measured and drawn texts agree with every other measurement of the device
// context.
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
