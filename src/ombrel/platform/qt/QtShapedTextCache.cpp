#include "ombrel/platform/qt/QtShapedTextCache.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QThread>

#include <QtGlobal>

#include <algorithm>
#include <cassert>
#include <functional>
#include <memory>
#include <new>
#include <span>

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

// The same for UTF-8 bytes: a control character is one byte below 0x20, the line and
// paragraph separators (U+2028, U+2029) are E2 80 A8 and E2 80 A9.
bool IsPlainLine(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20) {
            return false;
        }
        if (byte == 0xE2 && i + 2 < utf8.size() && utf8[i + 1] == '\x80' &&
            (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
            return false;
        }
    }
    return true;
}

// Slots of a font's first index; doubled as texts come.
constexpr std::size_t kFirstSlots = 64;
// The first block of a font's arena: a header's or a few cells' texts. Blocks double from there.
constexpr std::size_t kFirstArenaBlock = 4096;

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

CShapedTextCache::CFontTexts::CFontTexts(QFont font)
    : m_font(font), m_composer(std::move(font)), m_entryStore(sizeof(Entry) * kEntriesPerBlock), m_arena(kFirstArenaBlock)
{
}

CShapedTextCache::CFontTexts::~CFontTexts()
{
    for (std::size_t position = 0; position < m_made; ++position) {
        At(position).~Entry();
    }
}

QString CShapedTextCache::CFontTexts::TextOf(const Entry& entry)
{
    return QString::fromUtf8(entry.key, static_cast<qsizetype>(entry.keyLength));
}

CShapedTextCache::Entry& CShapedTextCache::CFontTexts::Find(std::string_view utf8)
{
    const std::uint64_t hash = std::hash<std::string_view>{}(utf8);
    if (Entry* found = Lookup(utf8, hash)) {
        return *found;
    }
    if (m_used >= kMaxTextsPerFont || m_arena.HandedOutBytes() >= kMaxTextBytesPerFont) {
        ForgetAll();
    }
    Entry& entry = Insert(utf8, hash);
    LayOut(entry);
    return entry;
}

CShapedTextCache::Entry& CShapedTextCache::CFontTexts::At(std::size_t position)
{
    assert(position < m_made && "entry position beyond the entries made");
    return m_blocks[position / kEntriesPerBlock][position % kEntriesPerBlock];
}

CShapedTextCache::Entry* CShapedTextCache::CFontTexts::Lookup(std::string_view utf8,
                                                              std::uint64_t hash)
{
    if (m_slots.empty()) {
        return nullptr;
    }
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = static_cast<std::uint16_t>(hash >> 48);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot slot = m_slots[at];
        if (slot.entry == 0) {
            return nullptr;
        }
        if (slot.tag == tag) {
            Entry& entry = At(slot.entry - 1u);
            if (entry.Key() == utf8) {
                return &entry;
            }
        }
    }
}

// Takes the next entry for `utf8`, reusing the glyph-run list of one kept from an earlier text.
CShapedTextCache::Entry& CShapedTextCache::CFontTexts::Insert(std::string_view utf8,
                                                              std::uint64_t hash)
{
    if (2 * (m_used + 1) > m_slots.size()) {
        GrowIndex();
    }
    if (m_used == m_made) {
        if (m_made % kEntriesPerBlock == 0) {
            m_blocks.reserve(m_blocks.size() + 1);
            m_blocks.push_back(static_cast<Entry*>(
                m_entryStore.Allocate(sizeof(Entry) * kEntriesPerBlock, alignof(Entry))));
        }
        new (&m_blocks.back()[m_made % kEntriesPerBlock]) Entry();
        ++m_made;
    }
    const auto position = static_cast<std::uint32_t>(m_used++);
    Entry& entry = At(position);
    // A fresh entry but for the glyph-run list, emptied with its buffer kept.
    QList<QGlyphRun> runs = std::move(entry.glyphs);
    runs.clear();
    entry = Entry{};
    entry.glyphs = std::move(runs);
    char* key = m_arena.AllocateArray<char>(utf8.size());
    std::copy(utf8.begin(), utf8.end(), key);
    entry.key = key;
    entry.keyLength = static_cast<std::uint32_t>(utf8.size());
    entry.hash = hash;
    entry.position = position;
    Index(position);
    return entry;
}

void CShapedTextCache::CFontTexts::Index(std::uint32_t position)
{
    const std::size_t mask = m_slots.size() - 1;
    const std::uint64_t hash = At(position).hash;
    std::size_t at = hash & mask;
    while (m_slots[at].entry != 0) {
        at = (at + 1) & mask;
    }
    m_slots[at] = Slot{static_cast<std::uint16_t>(position + 1), static_cast<std::uint16_t>(hash >> 48)};
}

void CShapedTextCache::CFontTexts::GrowIndex()
{
    m_slots.assign(std::max<std::size_t>(kFirstSlots, 2 * m_slots.size()), Slot{});
    for (std::size_t position = 0; position < m_used; ++position) {
        Index(static_cast<std::uint32_t>(position));
    }
}

// Values that keep changing would grow the cache without end: all texts are forgotten at once
// (cheaper than choosing some); their entries and the arena's blocks are kept for the next ones.
void CShapedTextCache::CFontTexts::ForgetAll()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_used = 0;
    m_arena.Reset();
    m_scratchEntry = nullptr;
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

CGlyphMasks* CShapedTextCache::CFontTexts::ComposedMasks()
{
    if (m_composedMasks == nullptr && m_composer.RawFont().isValid()) {
        m_composedMasks = MasksOf(m_composer.RawFont());
    }
    return m_composedMasks;
}

bool CShapedTextCache::CFontTexts::ComposedGlyphs(Entry& entry, std::span<const FixedGlyph>& glyphs)
{
    if (m_scratchEntry != &entry) {
        m_scratch.clear();
        qreal advance = 0;
        QRect ink;
        if (!m_composer.ComposeGlyphs(entry.Key(), m_scratch, advance, ink)) {
            // The application turned right to left since: the shaper sets the text now.
            m_scratchEntry = nullptr;
            entry.setting = Setting::Shaped;
            entry.runsMade = false;
            const LaidOutLine line = LayOutLine(TextOf(entry), m_font);
            entry.glyphs = line.valid ? line.runs : QList<QGlyphRun>();
            return false;
        }
        m_scratchEntry = &entry;
    }
    glyphs = m_scratch;
    return true;
}

const QList<QGlyphRun>& CShapedTextCache::CFontTexts::RunsOf(Entry& entry)
{
    if (entry.setting != Setting::Composed || entry.runsMade) {
        return entry.glyphs;
    }
    std::span<const FixedGlyph> composed;
    if (!ComposedGlyphs(entry, composed)) {
        return entry.glyphs;
    }
    entry.runsMade = true;
    entry.glyphs.clear();
    if (composed.empty()) {
        return entry.glyphs;
    }
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(static_cast<qsizetype>(composed.size()));
    positions.reserve(static_cast<qsizetype>(composed.size()));
    for (const FixedGlyph& glyph : composed) {
        indexes.append(glyph.index);
        positions.append(QPointF(qreal(glyph.x) / FixedGlyph::kUnit, qreal(glyph.y) / FixedGlyph::kUnit));
    }
    QGlyphRun run;
    run.setRawFont(m_composer.RawFont());
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    run.setFlags(m_composer.Flags());
    entry.glyphs.append(run);
    return entry.glyphs;
}

const CGlyphMasks::PlacedRun* CShapedTextCache::CFontTexts::PlacedOf(Entry& entry)
{
    if (entry.placedMasks != nullptr && entry.placedMasks->IsCurrent(entry.placed)) {
        return &entry.placed;
    }
    CGlyphMasks* masks = nullptr;
    std::span<const FixedGlyph> glyphs;
    if (entry.setting == Setting::Composed) {
        if (m_composer.Flags() != QGlyphRun::GlyphRunFlags()) {
            return nullptr; // decorations are drawn by the painter
        }
        masks = ComposedMasks();
        if (!ComposedGlyphs(entry, glyphs)) {
            return nullptr;
        }
    } else if (entry.setting == Setting::Shaped && entry.glyphs.size() == 1) {
        masks = MasksOf(entry.glyphs.front().rawFont());
        m_scratch.clear();
        m_scratchEntry = nullptr;
        if (masks == nullptr || !masks->FixedGlyphsOf(entry.glyphs.front(), QPointF(0, 0), m_scratch)) {
            return nullptr;
        }
        glyphs = m_scratch;
    }
    if (masks == nullptr) {
        return nullptr;
    }
    // Placed again after the masks were dropped, into the same storage: the glyphs are the same.
    if (entry.placedStorage == nullptr) {
        entry.placedStorage = m_arena.AllocateArray<CGlyphMasks::PlacedRun::Glyph>(glyphs.size());
    }
    entry.placedMasks = masks;
    return masks->Place(glyphs, entry.placedStorage, entry.placed) ? &entry.placed : nullptr;
}

CShapedTextCache::Entry* CShapedTextCache::CFontTexts::RememberedCut(const Entry& entry, int width)
{
    return entry.elidedFor == width ? &At(entry.elidedEntry) : nullptr;
}

void CShapedTextCache::CFontTexts::RememberCut(Entry& entry, int width, const Entry& cut)
{
    entry.elidedFor = width;
    entry.elidedEntry = cut.position;
}

// One layout at most gives both the width and the glyphs. The advance is rounded the way
// QFontMetrics::horizontalAdvance rounds the same sum of glyph advances, so measured and drawn
// texts agree with every other measurement of the device context.
void CShapedTextCache::CFontTexts::LayOut(Entry& entry)
{
    if (!IsPlainLine(entry.Key())) {
        // Tabs and breaks measure differently in a line layout; the font's metrics decide.
        entry.setting = Setting::Lines;
        entry.width = QFontMetrics(m_font).horizontalAdvance(TextOf(entry));
        return;
    }
    m_scratch.clear();
    m_scratchEntry = nullptr;
    if (qreal advance = 0; m_composer.ComposeGlyphs(entry.Key(), m_scratch, advance, entry.ink)) {
        // The glyphs stay in m_scratch for the draw that usually follows.
        entry.setting = Setting::Composed;
        entry.width = qRound(advance);
        m_scratchEntry = &entry;
        return;
    }
    entry.setting = Setting::Shaped;
    const LaidOutLine line = LayOutLine(TextOf(entry), m_font);
    QRectF ink;
    if (line.valid) {
        entry.width = qRound(line.advance);
        entry.glyphs = line.runs;
        for (const QGlyphRun& run : entry.glyphs) {
            ink |= run.boundingRect();
        }
    }
    entry.ink = ink.toAlignedRect();
}

} // namespace Ombrel
