#include "ombrel/platform/qt/QtGlyphMasks.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cassert>
#include <climits>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <span>

namespace Ombrel {

namespace {

// Positions further out than this are left to the painter (the fixed-point arithmetic below
// stays far from overflow).
constexpr double kMaxPosition = 1 << 22;
// Room around a glyph's bounding box in the canvas it is rendered on: hinting and
// antialiasing may reach a pixel or two beyond the box.
constexpr int kCanvasMargin = 4;
// Lines of a mask fetched ahead of its blending: a digit or letter at a grid's sizes, header,
// spans and coverage, takes three or four.
constexpr int kCacheLine = 64;
constexpr int kPrefetchedLines = 4;
static_assert(sizeof(CGlyphMasks::PlacedRun::Glyph) == 8,
              "a new text keeps a placed glyph per character: keep it to eight bytes");
// Placed glyphs keep their whole-pixel positions in 16 bits: a run reaching further out (a
// text tens of thousands of pixels long) is drawn through the painter.
constexpr std::int32_t kMaxPlacedOffset = std::int32_t{INT16_MAX} * FixedGlyph::kUnit;

// Qt's multiplication of the four 8-bit channels of `x` by `a` / 255, rounded as the raster
// engine rounds it.
inline QRgb ByteMul(QRgb x, std::uint32_t a)
{
    std::uint64_t t = ((std::uint64_t{x} | (std::uint64_t{x} << 24)) & 0x00ff00ff00ff00ffULL) * a;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffULL) + 0x0080008000800080ULL) >> 8;
    t &= 0x00ff00ff00ff00ffULL;
    return static_cast<QRgb>(t | (t >> 24));
}

// One pixel of a grey glyph mask over `destination`, as the raster engine blends a solid pen
// through a coverage value: the pen scaled by the coverage, source-over. With an opaque pen
// this is also exact at full coverage (the pen), where the engine skips the arithmetic, so the
// loop needs no test.
inline QRgb BlendPixel(QRgb destination, QRgb color, std::uint32_t coverage)
{
    const QRgb source = ByteMul(color, coverage);
    return source + ByteMul(destination, qAlpha(~source));
}

// The blends of one opaque pen over one background colour at every coverage. Nearly every
// pixel under a glyph is the background of its cell, so a text takes most of its pixels from
// a table instead of computing them; the few tables in use (a line's colours, the selection)
// are kept per thread, as the masks are.
const QRgb* BlendTableFor(QRgb color, QRgb background)
{
    struct Table
    {
        QRgb color = 0;
        QRgb background = 0;
        std::array<QRgb, 256> pixels{};
    };
    constexpr std::size_t kTables = 8;
    thread_local std::array<Table, kTables> tables;
    thread_local std::size_t filled = 0;
    thread_local std::size_t next = 0;
    for (std::size_t i = 0; i < filled; ++i) {
        if (tables[i].color == color && tables[i].background == background) {
            return tables[i].pixels.data();
        }
    }
    Table& table = tables[next];
    next = (next + 1) % kTables;
    filled = std::max(filled, next == 0 ? kTables : next);
    table.color = color;
    table.background = background;
    for (std::uint32_t coverage = 0; coverage < 256; ++coverage) {
        table.pixels[coverage] = BlendPixel(background, color, coverage);
    }
    return table.pixels.data();
}

// The pen of one text, with the table of the background found under its first inked pixel.
struct PenOver
{
    QRgb color = 0;
    QRgb background = 0;
    const QRgb* table = nullptr; // null until the first pixel is blended
};

// Blends `count` pixels of one span.
inline void BlendRun(QRgb* row, const std::uint8_t* coverage, int count, PenOver& pen)
{
    if (pen.table == nullptr) {
        pen.background = row[0];
        pen.table = BlendTableFor(pen.color, pen.background);
    }
    for (int x = 0; x < count; ++x) {
        const QRgb destination = row[x];
        row[x] = destination == pen.background ? pen.table[coverage[x]]
                                               : BlendPixel(destination, pen.color, coverage[x]);
    }
}

// The pixels of a bitmap being painted, row by row.
struct Target
{
    uchar* bits = nullptr;
    qsizetype stride = 0;

    explicit Target(QImage& image)
        // Not bits(): a detached copy would not be the image being painted.
        : bits(const_cast<uchar*>(image.constBits())), stride(image.bytesPerLine())
    {
    }
    QRgb* Row(int y) const { return reinterpret_cast<QRgb*>(bits + stride * y); }
};

// Blends a mask that lies wholly inside the drawable part of the bitmap.
void BlendWholeMask(const CGlyphMasks::Mask& mask, QPoint at, PenOver& pen, const Target& target)
{
    for (const CGlyphMasks::Mask::Span& span : std::span(mask.spans, mask.spanCount)) {
        BlendRun(target.Row(at.y() + span.y) + at.x() + span.x, mask.coverage + span.first,
                 span.length, pen);
    }
}

void BlendMask(const CGlyphMasks::Mask& mask, QPoint at, PenOver& pen, const Target& target,
               const QRegion& clip)
{
    const QRect bounds = mask.bounds.translated(at);
    for (const QRect& part : clip) {
        if (!part.intersects(bounds)) {
            continue;
        }
        // Most glyphs lie wholly inside their cell: their spans need no cutting.
        const bool inside = part.contains(bounds);
        for (const CGlyphMasks::Mask::Span& span : std::span(mask.spans, mask.spanCount)) {
            const int y = at.y() + span.y;
            const int left = at.x() + span.x;
            const int from = inside ? left : std::max(left, part.left());
            const int to = inside ? left + span.length - 1 : std::min(left + span.length - 1, part.right());
            if (!inside && (y < part.top() || y > part.bottom() || from > to)) {
                continue;
            }
            BlendRun(target.Row(y) + from, mask.coverage + span.first + (from - left), to - from + 1,
                     pen);
        }
    }
}

std::uint64_t KeyOf(quint32 glyph, int fractionX, int fractionY)
{
    return (std::uint64_t{glyph} << 12) | (std::uint64_t(fractionX) << 6) | std::uint64_t(fractionY);
}

// A position in 1/64 pixels; false when it is negative, too far out, or between two 1/64 steps
// (where Qt's own rounding to its fixed-point grid would have to be guessed).
bool ToFixed(double position, std::int32_t& fixed)
{
    const double scaled = position * FixedGlyph::kUnit;
    if (!(position >= 0 && position < kMaxPosition) || scaled != std::floor(scaled)) {
        return false;
    }
    fixed = static_cast<std::int32_t>(scaled);
    return true;
}

// Slots of a face's first mask index; doubled as masks come.
constexpr std::size_t kFirstSlots = 1024;
// The arena's first block: the masks of a face's digits and letters at a few offsets.
constexpr std::size_t kFirstStoreBlock = 16 * 1024;

std::uint64_t HashOf(std::uint64_t key)
{
    return (key * 0x9E3779B97F4A7C15ULL) >> 17;
}

} // namespace

CGlyphMasks::CGlyphMasks(QRawFont font)
    : m_font(std::move(font)), m_store(kFirstStoreBlock), m_table(std::make_unique<const Mask*[]>(kMaxMasks))
{
}

CGlyphMasks::~CGlyphMasks() = default;

bool CGlyphMasks::Blend(const QGlyphRun& run, QPointF origin, QRgb color, QImage& image,
                        const QRegion& clip)
{
    return PlaceRun(run, origin, m_scratch) &&
           BlendPlaced(m_scratch, QPoint(0, 0), color, image, clip);
}

bool CGlyphMasks::PlaceRun(const QGlyphRun& run, QPointF origin, PlacedRun& placed)
{
    m_scratchGlyphs.clear();
    if (!FixedGlyphsOf(run, origin, m_scratchGlyphs)) {
        placed.generation = 0;
        return false;
    }
    m_scratchPlaced.resize(m_scratchGlyphs.size());
    return Place(m_scratchGlyphs, m_scratchPlaced.data(), placed);
}

bool CGlyphMasks::FixedGlyphsOf(const QGlyphRun& run, QPointF origin,
                                std::vector<FixedGlyph>& glyphs) const
{
    if (run.flags() != QGlyphRun::GlyphRunFlags() || run.rawFont() != m_font) {
        return false;
    }
    const QList<quint32> indexes = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    if (indexes.size() != positions.size()) {
        return false;
    }
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        FixedGlyph glyph;
        glyph.index = indexes[i];
        if (!ToFixed(origin.x() + positions[i].x(), glyph.x) ||
            !ToFixed(origin.y() + positions[i].y(), glyph.y)) {
            return false;
        }
        glyphs.push_back(glyph);
    }
    return true;
}

bool CGlyphMasks::Place(std::span<const FixedGlyph> glyphs, PlacedRun::Glyph* storage,
                        PlacedRun& placed)
{
    placed.generation = 0;
    return IsUsable() && PlaceChecked(glyphs, storage, placed);
}

bool CGlyphMasks::BlendPlaced(const PlacedRun& placed, QPoint shift, QRgb color, QImage& image,
                              const QRegion& clip)
{
    if (qAlpha(color) != 255 || image.format() != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    PenOver pen;
    pen.color = color;
    // A run inside one clip rectangle (a cell's text, nearly always) blends its glyphs
    // without cutting each to the clip.
    const bool whole = clip.rectCount() == 1 && clip.boundingRect().contains(placed.bounds.translated(shift));
    const Target target(image);
    // The back buffer a frame fills pushes the masks out of the caches between frames: the
    // masks of the glyph after next are asked for while this one blends. A mask, its spans
    // and its coverage lie one after another, so its first lines are fetched without reading
    // it first.
    const std::span<const PlacedRun::Glyph> glyphs(placed.glyphs, placed.count);
    const Mask* const* masks = placed.masks;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (i + 2 < glyphs.size()) {
            const char* ahead = reinterpret_cast<const char*>(masks[glyphs[i + 2].mask]);
            for (int line = 0; line < kPrefetchedLines; ++line) {
                __builtin_prefetch(ahead + line * kCacheLine);
            }
        }
        const Mask& mask = *masks[glyphs[i].mask];
        const QPoint at(glyphs[i].x + shift.x(), glyphs[i].y + shift.y());
        if (whole) {
            BlendWholeMask(mask, at, pen, target);
        } else {
            BlendMask(mask, at, pen, target, clip);
        }
    }
    return true;
}

bool CGlyphMasks::PlaceChecked(std::span<const FixedGlyph> glyphs, PlacedRun::Glyph* storage,
                               PlacedRun& placed)
{
    placed.generation = 0;
    // Dropping the masks here, before any is chosen, keeps every chosen one alive.
    if (m_maskCount + glyphs.size() > kMaxMasks) {
        DropMasks();
    }
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
    bool inked = false;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const FixedGlyph& glyph = glyphs[i];
        if (glyph.x < 0 || glyph.y < 0 || glyph.x >= kMaxPlacedOffset || glyph.y >= kMaxPlacedOffset) {
            return false;
        }
        const std::uint32_t position = MaskOf(glyph.index, glyph.x % FixedGlyph::kUnit, glyph.y % FixedGlyph::kUnit);
        const Mask& mask = *m_table[position];
        if (!mask.grey) {
            return false;
        }
        const QPoint offset(glyph.x / FixedGlyph::kUnit, glyph.y / FixedGlyph::kUnit);
        storage[i] = PlacedRun::Glyph{position, static_cast<std::int16_t>(offset.x()),
                                      static_cast<std::int16_t>(offset.y())};
        if (mask.spanCount != 0) {
            const QRect bounds = mask.bounds.translated(offset);
            left = inked ? std::min(left, bounds.left()) : bounds.left();
            top = inked ? std::min(top, bounds.top()) : bounds.top();
            right = inked ? std::max(right, bounds.right()) : bounds.right();
            bottom = inked ? std::max(bottom, bounds.bottom()) : bounds.bottom();
            inked = true;
        }
    }
    placed.glyphs = storage;
    placed.count = static_cast<std::uint32_t>(glyphs.size());
    placed.bounds = inked ? QRect(QPoint(left, top), QPoint(right, bottom)) : QRect();
    placed.generation = m_generation;
    placed.masks = m_table.get();
    return true;
}

std::uint32_t CGlyphMasks::MaskOf(quint32 glyph, int fractionX, int fractionY)
{
    const std::uint64_t key = KeyOf(glyph, fractionX, fractionY);
    if (!m_slots.empty()) {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = HashOf(key) & mask; m_slots[at].mask != 0; at = (at + 1) & mask) {
            if (m_slots[at].key == key) {
                return m_slots[at].mask - 1;
            }
        }
    }
    assert(m_maskCount < kMaxMasks && "masks are dropped before a run could outgrow them");
    const auto position = static_cast<std::uint32_t>(m_maskCount);
    m_table[position] = &Render(glyph, fractionX, fractionY);
    Index(key, position);
    return position;
}

void CGlyphMasks::Index(std::uint64_t key, std::uint32_t position)
{
    if (2 * (m_maskCount + 1) > m_slots.size()) {
        std::vector<Slot> old(std::max(kFirstSlots, 2 * m_slots.size()));
        old.swap(m_slots);
        m_maskCount = 0;
        for (const Slot& slot : old) {
            if (slot.mask != 0) {
                Index(slot.key, slot.mask - 1);
            }
        }
    }
    const std::size_t slotMask = m_slots.size() - 1;
    std::size_t at = HashOf(key) & slotMask;
    while (m_slots[at].mask != 0) {
        at = (at + 1) & slotMask;
    }
    m_slots[at] = Slot{key, position + 1};
    ++m_maskCount;
}

void CGlyphMasks::DropMasks()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_maskCount = 0;
    m_store.Reset();
    ++m_generation;
}

// The glyph drawn alone by Qt, white on opaque black, at a whole-pixel point plus the
// fractions: each channel of a pixel then holds the glyph's coverage of it. The mask, its spans
// and its coverage are stored one after another.
const CGlyphMasks::Mask& CGlyphMasks::Render(quint32 glyph, int fractionX, int fractionY)
{
    Mask* mask = new (m_store.AllocateArray<Mask>(1)) Mask{};
    const QRectF box = m_font.boundingRect(glyph);
    const bool placeable = std::abs(box.left()) < kMaxGlyphExtent &&
                           std::abs(box.top()) < kMaxGlyphExtent &&
                           box.width() < kMaxGlyphExtent && box.height() < kMaxGlyphExtent;
    if (!placeable) {
        mask->grey = false; // drawn through the painter
        return *mask;
    }
    const QPoint at(kCanvasMargin - qFloor(box.left()), kCanvasMargin - qFloor(box.top()));
    const QSize size(qCeil(box.width()) + 2 * kCanvasMargin + 2,
                     qCeil(box.height()) + 2 * kCanvasMargin + 2);
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setPen(Qt::white);
        QGlyphRun single;
        single.setRawFont(m_font);
        single.setGlyphIndexes({glyph});
        single.setPositions({QPointF(at.x() + fractionX / 64.0, at.y() + fractionY / 64.0)});
        painter.drawGlyphRun(QPointF(0, 0), single);
    }
    m_renderSpans.clear();
    m_renderCoverage.clear();
    for (int y = 0; y < canvas.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb pixel = row[x];
            if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel)) {
                mask->grey = false;
            }
            if (qBlue(pixel) == 0) {
                continue;
            }
            const bool continues = !m_renderSpans.empty() && m_renderSpans.back().y == y - at.y() &&
                                   m_renderSpans.back().x + m_renderSpans.back().length == x - at.x();
            if (!continues) {
                m_renderSpans.push_back({static_cast<std::int16_t>(x - at.x()),
                                         static_cast<std::int16_t>(y - at.y()), 0,
                                         static_cast<std::uint32_t>(m_renderCoverage.size())});
            }
            ++m_renderSpans.back().length;
            m_renderCoverage.push_back(static_cast<std::uint8_t>(qBlue(pixel)));
            mask->bounds |= QRect(x - at.x(), y - at.y(), 1, 1);
        }
    }
    Mask::Span* spans = m_store.AllocateArray<Mask::Span>(m_renderSpans.size());
    std::uninitialized_copy(m_renderSpans.begin(), m_renderSpans.end(), spans);
    std::uint8_t* coverage = m_store.AllocateArray<std::uint8_t>(m_renderCoverage.size());
    std::uninitialized_copy(m_renderCoverage.begin(), m_renderCoverage.end(), coverage);
    mask->spans = spans;
    mask->coverage = coverage;
    mask->spanCount = static_cast<std::uint32_t>(m_renderSpans.size());
    return *mask;
}

// Draws a sample of glyphs over mid-tone colours both through the painter and from masks,
// at whole and fractional positions; any pixel that differs marks the font unusable here.
bool CGlyphMasks::IsUsable()
{
    if (m_check != Check::Unknown) {
        return m_check == Check::Passed;
    }
    m_check = Check::Failed;
    const QList<quint32> glyphs = m_font.glyphIndexesForString(QStringLiteral("Wg8&ay/AV"));
    const QList<QPointF> advances = m_font.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    qreal x = 0.25;
    for (const QPointF& advance : advances) {
        positions.append(QPointF(x, 0));
        x += std::round(advance.x() * 64) / 64;
    }
    QGlyphRun sample;
    sample.setRawFont(m_font);
    sample.setGlyphIndexes(glyphs);
    sample.setPositions(positions);
    const QPointF origin(3, std::ceil(m_font.ascent()) + 2);
    const QSize size(qCeil(x) + 8, qCeil(m_font.ascent() + m_font.descent()) + 6);
    for (const QRgb color : {qRgb(0x20, 0x30, 0x40), qRgb(0xf0, 0x80, 0x10)}) {
        QImage expected(size, QImage::Format_ARGB32_Premultiplied);
        expected.fill(QColor(0x7f, 0x9f, 0xbf));
        QImage blended = expected.copy();
        {
            QPainter painter(&expected);
            painter.setPen(QColor(color));
            painter.drawGlyphRun(origin, sample);
        }
        // Its own glyphs: the check runs inside a Place, whose glyphs may be the scratch ones.
        std::vector<FixedGlyph> fixed;
        std::vector<PlacedRun::Glyph> storage(static_cast<std::size_t>(glyphs.size()));
        PlacedRun placed;
        if (!FixedGlyphsOf(sample, origin, fixed) || !PlaceChecked(fixed, storage.data(), placed) ||
            !BlendPlaced(placed, QPoint(0, 0), color, blended, QRegion(blended.rect())) ||
            blended != expected) {
            return false;
        }
    }
    m_check = Check::Passed;
    return true;
}

} // namespace Ombrel
