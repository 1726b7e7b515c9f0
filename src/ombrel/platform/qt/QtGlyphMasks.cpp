#include "ombrel/platform/qt/QtGlyphMasks.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>

namespace Ombrel {

namespace {

// Positions further out than this are left to the painter (the fixed-point arithmetic below
// stays far from overflow).
constexpr double kMaxPosition = 1 << 22;
// Room around a glyph's bounding box in the canvas it is rendered on: hinting and
// antialiasing may reach a pixel or two beyond the box.
constexpr int kCanvasMargin = 4;

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
    for (const CGlyphMasks::Mask::Span& span : mask.spans) {
        BlendRun(target.Row(at.y() + span.y) + at.x() + span.x, mask.coverage.data() + span.first,
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
        for (const CGlyphMasks::Mask::Span& span : mask.spans) {
            const int y = at.y() + span.y;
            const int left = at.x() + span.x;
            const int from = inside ? left : std::max(left, part.left());
            const int to = inside ? left + span.length - 1 : std::min(left + span.length - 1, part.right());
            if (!inside && (y < part.top() || y > part.bottom() || from > to)) {
                continue;
            }
            BlendRun(target.Row(y) + from, mask.coverage.data() + span.first + (from - left), to - from + 1,
                     pen);
        }
    }
}

std::uint64_t KeyOf(quint32 glyph, int fractionX, int fractionY)
{
    return (std::uint64_t{glyph} << 12) | (std::uint64_t(fractionX) << 6) | std::uint64_t(fractionY);
}

// Splits a position into whole pixels and 1/64 fractions; false when it is negative, too far
// out, or between two 1/64 steps (where Qt's own rounding to its fixed-point grid would have
// to be guessed).
bool Split(double position, int& pixel, int& fraction)
{
    const double scaled = position * 64;
    if (!(position >= 0 && position < kMaxPosition) || scaled != std::floor(scaled)) {
        return false;
    }
    const auto fixed = static_cast<std::int64_t>(scaled);
    pixel = static_cast<int>(fixed >> 6);
    fraction = static_cast<int>(fixed & 63);
    return true;
}

} // namespace

CGlyphMasks::CGlyphMasks(QRawFont font) : m_font(std::move(font)) {}

bool CGlyphMasks::Blend(const QGlyphRun& run, QPointF origin, QRgb color, QImage& image,
                        const QRegion& clip)
{
    return Place(run, origin, m_scratch) &&
           BlendPlaced(m_scratch, QPoint(0, 0), color, image, clip);
}

bool CGlyphMasks::Place(const QGlyphRun& run, QPointF origin, PlacedRun& placed)
{
    return IsUsable() && PlaceChecked(run, origin, placed);
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
    // next glyphs' masks are asked for while this one blends (two ahead for the mask itself,
    // one ahead for its spans and coverage, whose addresses the mask holds).
    const std::vector<PlacedRun::Glyph>& glyphs = placed.glyphs;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (i + 2 < glyphs.size()) {
            __builtin_prefetch(glyphs[i + 2].mask);
        }
        if (i + 1 < glyphs.size()) {
            const Mask& next = *glyphs[i + 1].mask;
            __builtin_prefetch(next.spans.data());
            __builtin_prefetch(next.coverage.data());
        }
        if (whole) {
            BlendWholeMask(*glyphs[i].mask, glyphs[i].offset + shift, pen, target);
        } else {
            BlendMask(*glyphs[i].mask, glyphs[i].offset + shift, pen, target, clip);
        }
    }
    return true;
}

bool CGlyphMasks::PlaceChecked(const QGlyphRun& run, QPointF origin, PlacedRun& placed)
{
    placed.generation = 0;
    if (run.flags() != QGlyphRun::GlyphRunFlags() || run.rawFont() != m_font) {
        return false;
    }
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    if (glyphs.size() != positions.size()) {
        return false;
    }
    // Dropping the masks here, before any is chosen, keeps every chosen one alive.
    if (m_masks.size() + static_cast<std::size_t>(glyphs.size()) > kMaxMasks) {
        m_masks.clear();
        ++m_generation;
    }
    placed.glyphs.clear();
    placed.bounds = QRect();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        int x = 0;
        int y = 0;
        int fractionX = 0;
        int fractionY = 0;
        if (!Split(origin.x() + positions[i].x(), x, fractionX) ||
            !Split(origin.y() + positions[i].y(), y, fractionY)) {
            return false;
        }
        const Mask& mask = MaskOf(glyphs[i], fractionX, fractionY);
        if (!mask.grey) {
            return false;
        }
        placed.glyphs.push_back({&mask, QPoint(x, y)});
        placed.bounds |= mask.bounds.translated(x, y);
    }
    placed.generation = m_generation;
    return true;
}

const CGlyphMasks::Mask& CGlyphMasks::MaskOf(quint32 glyph, int fractionX, int fractionY)
{
    const std::uint64_t key = KeyOf(glyph, fractionX, fractionY);
    auto found = m_masks.find(key);
    if (found == m_masks.end()) {
        found = m_masks.emplace(key, Render(glyph, fractionX, fractionY)).first;
    }
    return found->second;
}

// The glyph drawn alone by Qt, white on opaque black, at a whole-pixel point plus the
// fractions: each channel of a pixel then holds the glyph's coverage of it.
CGlyphMasks::Mask CGlyphMasks::Render(quint32 glyph, int fractionX, int fractionY) const
{
    const QRectF box = m_font.boundingRect(glyph);
    const bool placeable = std::abs(box.left()) < kMaxGlyphExtent &&
                           std::abs(box.top()) < kMaxGlyphExtent &&
                           box.width() < kMaxGlyphExtent && box.height() < kMaxGlyphExtent;
    if (!placeable) {
        Mask refused;
        refused.grey = false; // drawn through the painter
        return refused;
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
    Mask mask;
    for (int y = 0; y < canvas.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb pixel = row[x];
            if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel)) {
                mask.grey = false;
            }
            if (qBlue(pixel) == 0) {
                continue;
            }
            const bool continues = !mask.spans.empty() && mask.spans.back().y == y - at.y() &&
                                   mask.spans.back().x + mask.spans.back().length == x - at.x();
            if (!continues) {
                mask.spans.push_back({static_cast<std::int16_t>(x - at.x()),
                                      static_cast<std::int16_t>(y - at.y()), 0,
                                      static_cast<std::uint32_t>(mask.coverage.size())});
            }
            ++mask.spans.back().length;
            mask.coverage.push_back(static_cast<std::uint8_t>(qBlue(pixel)));
            mask.bounds |= QRect(x - at.x(), y - at.y(), 1, 1);
        }
    }
    return mask;
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
        if (!PlaceChecked(sample, origin, m_scratch) ||
            !BlendPlaced(m_scratch, QPoint(0, 0), color, blended, QRegion(blended.rect())) ||
            blended != expected) {
            return false;
        }
    }
    m_check = Check::Passed;
    return true;
}

} // namespace Ombrel
