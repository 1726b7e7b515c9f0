// CDC on a QPainter.
//
// Sections: 1. state and helpers  2. attaching and objects  3. attributes and saved states
//           4. clipping  5. lines and shapes  6. fills  7. text  8. block transfers
//           9. device capabilities
//
// How pixels are hit: the painter never carries a world transform or antialiasing, every
// operation converts its logical coordinates to device pixels itself (adding the viewport
// origin), and one-pixel lines are plotted pixel by pixel (runs for straight lines) so that
// they cover exactly the pixels the platform covers. The clip region is kept here in device
// coordinates and handed to the painter before anything is drawn through it; lines, solid
// fills and cell texts on a bitmap are written straight into it within that region.

#include "ombrel/platform/DC.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/QtGdiObjects.h"
#include "ombrel/platform/qt/QtGlyphMasks.h"
#include "ombrel/platform/qt/QtShapedTextCache.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>
#include <QPrinter>
#include <QRegion>
#include <QStyle>
#include <QHash>
#include <QGlyphRun>
#include <QThread>
#include <QVarLengthArray>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace Ombrel {

using DCImpl = QtDrawingAccess::DCImpl;

// === 1. State and helpers =====================================================================

namespace {

CPen* StockPen()
{
    static CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    return &pen;
}

CBrush* StockBrush()
{
    static CBrush brush(RGB(255, 255, 255));
    return &brush;
}

// What a memory device context holds before a bitmap is selected; never drawn into.
CBitmap* StockBitmap()
{
    static CBitmap bitmap;
    static const bool created = bitmap.CreateBitmap(1, 1, 1, 32, nullptr);
    static_cast<void>(created);
    return &bitmap;
}

// Everything SaveDC saves.
struct DrawState
{
    CPen* pen = StockPen();
    LOGPEN penDesc{PS_SOLID, 1, 0};
    CBrush* brush = StockBrush();
    LOGBRUSH brushDesc{BS_SOLID, RGB(255, 255, 255), 0};
    CFont* font = nullptr;           // null: the default GUI font; never read again
    std::optional<LOGFONT> fontDesc; // the selected font's description
    std::optional<QFont> qtFont;     // resolved at selection or on first text operation
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    QPoint origin;               // viewport origin: device = logical + origin
    QPoint position;             // current position, logical
    std::optional<QRegion> clip; // device coordinates; none = the whole surface
};

// Whether two states select the same font, as far as drawing text can tell.
bool SameFont(const DrawState& a, const DrawState& b)
{
    if (a.font != b.font || a.fontDesc.has_value() != b.fontDesc.has_value()) {
        return false;
    }
    return !a.fontDesc || std::memcmp(&*a.fontDesc, &*b.fontDesc, sizeof(LOGFONT)) == 0;
}

enum class Target
{
    None,
    Painter,
    Memory
};

// Coordinates reach a device context from stored state and may be anything. Every logical
// coordinate and the viewport origin are clamped to +-kCoordinateLimit on entry, so that sums,
// widths and +-1 corrections cannot overflow; nothing visible lies that far out.
constexpr int kCoordinateLimit = 1 << 28;

int Bound(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -kCoordinateLimit, kCoordinateLimit));
}

CRect Bound(const CRect& rect)
{
    return CRect(Bound(rect.left), Bound(rect.top), Bound(rect.right), Bound(rect.bottom));
}

// A rectangle from a corner and a size, without overflow.
CRect RectOfSize(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height)
{
    return CRect(Bound(x), Bound(y), Bound(x + width), Bound(y + height));
}

// Row `y` of a bitmap of kBitmapFormat being painted, to write into. Not scanLine(): on an
// image whose data is shared that detaches a copy, which would not be the image being painted.
QRgb* PaintedRow(const QImage& image, int y)
{
    return reinterpret_cast<QRgb*>(const_cast<uchar*>(image.constScanLine(y)));
}

// Sets the pixels of `rect` that lie in `drawable` to `pixel` (opaque, so premultiplied as
// kBitmapFormat wants it).
void FillPixels(QImage& image, const QRegion& drawable, const QRect& rect, QRgb pixel)
{
    for (const QRect& part : drawable) {
        const QRect filled = part & rect;
        for (int y = filled.top(); y <= filled.bottom(); ++y) {
            std::fill_n(PaintedRow(image, y) + filled.left(), filled.width(), pixel);
        }
    }
}

// `region & rect`. A region of one rectangle (a cell, a band: the common case) is cut as a
// rectangle, and comes back shared when the rectangle leaves it whole; building region data
// for every cell's clip would allocate several times a cell.
QRegion Intersected(const QRegion& region, const QRect& rect)
{
    if (region.rectCount() != 1) {
        return region & QRegion(rect);
    }
    const QRect bounds = region.boundingRect();
    if (rect.contains(bounds)) {
        return region;
    }
    return QRegion(bounds & rect);
}

QColor Opaque(COLORREF color)
{
    return ToQColor(color);
}

// The pixels of an on/off dash pattern, starting "on"; empty for a solid pen. The patterns
// are constants: a line looks its pen's pattern up without allocating.
std::span<const int> PatternOf(UINT style)
{
    static constexpr int kDash[] = {6, 2};
    static constexpr int kDot[] = {1, 1};
    static constexpr int kDashDot[] = {6, 2, 1, 2};
    static constexpr int kDashDotDot[] = {6, 2, 1, 2, 1, 2};
    switch (style) {
    case PS_DASH:
        return kDash;
    case PS_DOT:
    case PS_ALTERNATE:
        return kDot;
    case PS_DASHDOT:
        return kDashDot;
    case PS_DASHDOTDOT:
        return kDashDotDot;
    default:
        return {};
    }
}

} // namespace

struct CDC::Impl
{
    DrawState state;
    std::vector<DrawState> saved;
    Target target = Target::None;
    QPainter* painter = nullptr;          // what draws; owned by ownPainter or the caller
    std::unique_ptr<QPainter> ownPainter; // memory device context: paints the bitmap
    std::optional<QRegion> baseClip;      // clip the attached painter came with
    CBitmap* bitmap = nullptr;            // selected bitmap; null = the stock one
    int referenceDpiX = 96;
    int referenceDpiY = 96;
    mutable std::optional<QFontMetrics> metrics; // of state.qtFont on the current device
    QString metricsKey; // names the font and device resolution of `metrics`; set with it
    int ascent = 0;     // of `metrics`; set with it
    int descent = 0;
    mutable std::optional<QRegion> drawable; // DrawableRegion(), until the clip changes
    bool clipPending = false; // the painter's clip is not yet the one DrawableRegion() gives
    // The cached texts of the current font on the current device, while `metrics` lasts and
    // the cache keeps its generation.
    CShapedTextCache::CFontTexts* texts = nullptr;
    std::uint64_t textsGeneration = 0;

    bool CanDraw() const { return painter && painter->isActive(); }

    QRect Surface() const
    {
        if (!CanDraw()) {
            return {};
        }
        const QPaintDevice* device = painter->device();
        return QRect(0, 0, device->width(), device->height());
    }

    // The region drawing may touch, in device coordinates. Kept from one clip change to the
    // next: every line and text asks for it, and building a region allocates.
    const QRegion& DrawableRegion() const
    {
        if (!drawable) {
            QRegion region = state.clip ? *state.clip : QRegion(Surface());
            if (baseClip) {
                region &= *baseClip;
            }
            drawable = Intersected(region, Surface());
        }
        return *drawable;
    }

    // Records a change of the clip region, the base clip or the surface; every such change
    // ends here (or in ForgetDrawable), so the kept drawable region stays true. The painter
    // gets the new clip only when something is drawn through it (Painter()): cells narrow and
    // restore the clip around every cell, and most draw their text, lines and fills straight
    // into the bitmap within DrawableRegion() without the painter.
    void ApplyClip()
    {
        ForgetDrawable();
        clipPending = true;
    }

    // The painter, with the current clip handed to it. Only while CanDraw().
    QPainter& Painter()
    {
        if (clipPending) {
            clipPending = false;
            HandClipToPainter();
        }
        return *painter;
    }

    void HandClipToPainter()
    {
        if (!state.clip && !baseClip) {
            painter->setClipping(false);
            return;
        }
        QRegion region = state.clip ? *state.clip : QRegion(Surface());
        if (baseClip) {
            region &= *baseClip;
        }
        // A single rectangle is the common case (a cell, a band); the painter clips to a
        // rectangle without building region data.
        if (region.rectCount() == 1) {
            painter->setClipRect(region.boundingRect());
        } else {
            painter->setClipRegion(region);
        }
    }

    void ForgetDrawable() { drawable.reset(); }

    QPoint ToDevice(int x, int y) const { return QPoint(Bound(x), Bound(y)) + state.origin; }

    // The device rectangle of a logical one; null when it is empty.
    QRect ToDevice(const CRect& logical) const
    {
        const CRect rect = Bound(logical);
        if (rect.IsRectEmpty()) {
            return {};
        }
        return QRect(ToDevice(rect.left, rect.top), QSize(rect.Width(), rect.Height()));
    }

    CRect ToLogical(const QRect& rect) const
    {
        if (rect.isEmpty()) {
            return {};
        }
        const QRect moved = rect.translated(-state.origin);
        return CRect(moved.left(), moved.top(), moved.left() + moved.width(),
                     moved.top() + moved.height());
    }

    // A solid rectangle on a bitmap is written straight into it (the pixels the painter's
    // opaque fill sets, without handing it the clip and setting its fill up for every cell).
    void Fill(const QRect& deviceRect, COLORREF color)
    {
        const QRect visible = deviceRect & Surface();
        if (!CanDraw() || visible.isEmpty()) {
            return;
        }
        if (QImage* image = Image(); image && image->format() == kBitmapFormat) {
            FillPixels(*image, DrawableRegion(), visible, Opaque(color).rgba());
            return;
        }
        Painter().fillRect(visible, Opaque(color));
    }

    QImage* Image() const
    {
        if (!CanDraw() || painter->device()->devType() != QInternal::Image) {
            return nullptr;
        }
        return static_cast<QImage*>(painter->device());
    }

    const QFont& Font()
    {
        if (!state.qtFont) {
            CFont font;
            if (state.fontDesc) {
                font.CreateFontIndirect(*state.fontDesc);
            }
            state.qtFont = ToQFont(state.fontDesc ? font : *GetDefaultGuiFont());
            ForgetMetrics();
        }
        return *state.qtFont;
    }

    const QFontMetrics& Metrics()
    {
        const QFont& font = Font();
        if (!metrics) {
            int dpi = 0;
            if (CanDraw()) {
                metrics.emplace(font, painter->device());
                dpi = painter->device()->logicalDpiY();
            } else {
                metrics.emplace(font);
            }
            metricsKey = font.key() + QLatin1Char('@') + QString::number(dpi);
            ascent = metrics->ascent();
            descent = metrics->descent();
        }
        return *metrics;
    }

    // The metrics' ascent and the height of a line (ascent and descent), kept with them: every
    // cell's text asks, and the metrics look the font engine up on each call.
    int Ascent()
    {
        Metrics();
        return ascent;
    }
    int LineHeight()
    {
        Metrics();
        return ascent + descent;
    }

    // Key of the current font on the current device, for caches of measured text.
    const QString& MetricsKey()
    {
        Metrics();
        return metricsKey;
    }

    void ForgetMetrics()
    {
        metrics.reset();
        texts = nullptr;
    }

    // The measured and shaped texts of the current font on the current device.
    CShapedTextCache::CFontTexts& Texts()
    {
        CShapedTextCache& cache = CShapedTextCache::ForThisThread();
        if (texts == nullptr || textsGeneration != cache.Generation()) {
            const QString& key = MetricsKey();
            texts = &cache.TextsOf(key, Font(), CanDraw() ? painter->device() : nullptr);
            textsGeneration = cache.Generation();
        }
        return *texts;
    }

    void EndOwnPainter()
    {
        if (ownPainter) {
            ownPainter->end();
            if (painter == ownPainter.get()) {
                painter = nullptr;
            }
            ownPainter.reset();
        }
    }

    void ReleaseBitmap()
    {
        EndOwnPainter();
        if (bitmap) {
            QtDrawingAccess::ImplOf(*bitmap)->selectedInto = nullptr;
            bitmap = nullptr;
        }
        ForgetMetrics();
        ForgetDrawable();
    }

    void DetachPainter()
    {
        if (target == Target::Painter && painter) {
            if (painter->isActive()) {
                painter->restore();
            }
            painter = nullptr;
        }
        clipPending = false;
        baseClip.reset();
        ForgetMetrics();
        ForgetDrawable();
    }

    void PrepareNewPainter()
    {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->resetTransform();
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter->setOpacity(1.0);
        painter->setBrush(Qt::NoBrush);
        ApplyClip();
        ForgetMetrics();
    }
};

void QtDrawingAccess::ForgetBitmap(CDC& dc)
{
    dc.m_impl->ReleaseBitmap();
}

// === 2. Attaching and objects ================================================================

CDC::CDC() : m_impl(std::make_unique<Impl>()) {}

CDC::~CDC()
{
    DeleteDC();
}

void AttachPainter(CDC& dc, QPainter* painter)
{
    DCImpl& impl = *QtDrawingAccess::ImplOf(dc);
    impl.ReleaseBitmap();
    impl.DetachPainter();
    impl.target = painter ? Target::Painter : Target::None;
    impl.painter = painter;
    impl.ForgetDrawable();
    if (painter && painter->isActive()) {
        if (painter->hasClipping()) {
            impl.baseClip = painter->clipRegion() * painter->transform();
        }
        painter->save();
        impl.PrepareNewPainter();
    }
}

QPainter* GetPainter(const CDC& dc)
{
    DCImpl& impl = *QtDrawingAccess::ImplOf(dc);
    return impl.CanDraw() ? &impl.Painter() : impl.painter;
}

bool CDC::CreateCompatibleDC(CDC* reference)
{
    if (m_impl->target != Target::None) {
        return false;
    }
    m_impl->target = Target::Memory;
    const bool hasReference = reference && reference->GetSafeHdc();
    m_impl->referenceDpiX = hasReference ? reference->GetDeviceCaps(LOGPIXELSX) : ScreenDpiX();
    m_impl->referenceDpiY = hasReference ? reference->GetDeviceCaps(LOGPIXELSY) : ScreenDpiY();
    return true;
}

bool CDC::DeleteDC()
{
    const bool wasAttached = m_impl->target != Target::None;
    m_impl->ReleaseBitmap();
    m_impl->DetachPainter();
    m_impl->target = Target::None;
    m_impl->state = DrawState();
    m_impl->ForgetDrawable();
    m_impl->saved.clear();
    return wasAttached;
}

const void* CDC::GetSafeHdc() const
{
    return m_impl->target != Target::None ? m_impl.get() : nullptr;
}

bool CDC::IsPrinting() const
{
    return m_impl->CanDraw() && m_impl->painter->device()->devType() == QInternal::Printer;
}

CPen* CDC::SelectObject(CPen* pen)
{
    LOGPEN description;
    if (!pen || !pen->GetLogPen(&description)) {
        return nullptr;
    }
    CPen* previous = m_impl->state.pen;
    m_impl->state.pen = pen;
    m_impl->state.penDesc = description;
    return previous;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    LOGBRUSH description;
    if (!brush || !brush->GetLogBrush(&description)) {
        return nullptr;
    }
    CBrush* previous = m_impl->state.brush;
    m_impl->state.brush = brush;
    m_impl->state.brushDesc = description;
    return previous;
}

CFont* CDC::SelectObject(CFont* font)
{
    if (!font || !font->GetSafeHandle()) {
        return nullptr;
    }
    CFont* previous = m_impl->state.font ? m_impl->state.font : GetDefaultGuiFont();
    LOGFONT description;
    font->GetLogFont(description);
    // Selecting the font that is already selected (each cell selects the grid's font) keeps
    // the resolved font, its metrics and its cached texts.
    if (font == m_impl->state.font && m_impl->state.fontDesc &&
        std::memcmp(&description, &*m_impl->state.fontDesc, sizeof(LOGFONT)) == 0) {
        return previous;
    }
    m_impl->state.font = font;
    m_impl->state.fontDesc = description;
    m_impl->state.qtFont.reset();
    if (CanUseFonts()) {
        m_impl->state.qtFont = ToQFont(*font);
    }
    m_impl->ForgetMetrics();
    return previous;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    Impl& impl = *m_impl;
    if (!bitmap || !bitmap->GetSafeHandle() || impl.target != Target::Memory) {
        return nullptr;
    }
    CBitmap* previous = impl.bitmap ? impl.bitmap : StockBitmap();
    if (bitmap == previous) {
        return previous;
    }
    auto& bitmapImpl = *QtDrawingAccess::ImplOf(*bitmap);
    if (bitmapImpl.selectedInto) {
        return nullptr; // drawing into one image from two device contexts is refused
    }
    impl.ReleaseBitmap();
    if (bitmap == StockBitmap()) {
        return previous;
    }
    impl.ownPainter = std::make_unique<QPainter>();
    if (!impl.ownPainter->begin(&bitmapImpl.image)) {
        impl.ownPainter.reset();
        return nullptr;
    }
    impl.painter = impl.ownPainter.get();
    impl.bitmap = bitmap;
    bitmapImpl.selectedInto = this;
    impl.PrepareNewPainter();
    return previous;
}

CPen* CDC::GetCurrentPen() const
{
    return m_impl->state.pen;
}
CBrush* CDC::GetCurrentBrush() const
{
    return m_impl->state.brush;
}
CFont* CDC::GetCurrentFont() const
{
    return m_impl->state.font ? m_impl->state.font : GetDefaultGuiFont();
}
CBitmap* CDC::GetCurrentBitmap() const
{
    if (m_impl->target != Target::Memory) {
        return nullptr;
    }
    return m_impl->bitmap ? m_impl->bitmap : StockBitmap();
}

// === 3. Attributes and saved states ==========================================================

COLORREF CDC::SetTextColor(COLORREF color)
{
    return std::exchange(m_impl->state.textColor, color & 0x00FFFFFF);
}

COLORREF CDC::GetTextColor() const
{
    return m_impl->state.textColor;
}

COLORREF CDC::SetBkColor(COLORREF color)
{
    return std::exchange(m_impl->state.bkColor, color & 0x00FFFFFF);
}

COLORREF CDC::GetBkColor() const
{
    return m_impl->state.bkColor;
}

int CDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE) {
        return 0;
    }
    return std::exchange(m_impl->state.bkMode, mode);
}

int CDC::GetBkMode() const
{
    return m_impl->state.bkMode;
}

int CDC::SetStretchBltMode(int mode)
{
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        return 0;
    }
    return std::exchange(m_impl->state.stretchMode, mode);
}

int CDC::GetStretchBltMode() const
{
    return m_impl->state.stretchMode;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    const QPoint previous = std::exchange(m_impl->state.origin, QPoint(Bound(x), Bound(y)));
    return {previous.x(), previous.y()};
}

CPoint CDC::OffsetViewportOrg(int dx, int dy)
{
    const QPoint previous = m_impl->state.origin;
    m_impl->state.origin =
        QPoint(Bound(std::int64_t{previous.x()} + dx), Bound(std::int64_t{previous.y()} + dy));
    return {previous.x(), previous.y()};
}

CPoint CDC::GetViewportOrg() const
{
    return {m_impl->state.origin.x(), m_impl->state.origin.y()};
}

int CDC::SaveDC()
{
    if (m_impl->target == Target::None) {
        return 0;
    }
    m_impl->saved.push_back(m_impl->state);
    return static_cast<int>(m_impl->saved.size());
}

bool CDC::RestoreDC(int savedLevel)
{
    Impl& impl = *m_impl;
    const int count = static_cast<int>(impl.saved.size());
    const int level = savedLevel < 0 ? count + 1 + savedLevel : savedLevel;
    if (level < 1 || level > count) {
        return false;
    }
    DrawState& restored = impl.saved[static_cast<std::size_t>(level - 1)];
    // Cells save and restore around every step; when the font did not change its resolved
    // form, metrics and cached texts stay.
    const bool sameFont = SameFont(restored, impl.state);
    if (sameFont && !restored.qtFont) {
        restored.qtFont = std::move(impl.state.qtFont);
    }
    impl.state = std::move(restored);
    impl.saved.resize(static_cast<std::size_t>(level - 1));
    if (!sameFont) {
        impl.ForgetMetrics();
    }
    impl.ApplyClip();
    return true;
}

// === 4. Clipping =============================================================================

namespace {

int RegionKind(const QRegion& region)
{
    if (region.isEmpty()) {
        return NULLREGION;
    }
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    return IntersectClipRect(CRect(left, top, right, bottom));
}

int CDC::IntersectClipRect(const CRect& rect)
{
    Impl& impl = *m_impl;
    if (impl.target == Target::None) {
        return ERROR;
    }
    const QRect area = impl.ToDevice(rect);
    impl.state.clip = impl.state.clip ? Intersected(*impl.state.clip, area) : QRegion(area);
    impl.ApplyClip();
    return RegionKind(*impl.state.clip);
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom)
{
    return ExcludeClipRect(CRect(left, top, right, bottom));
}

int CDC::ExcludeClipRect(const CRect& rect)
{
    Impl& impl = *m_impl;
    if (impl.target == Target::None) {
        return ERROR;
    }
    const QRegion base = impl.state.clip ? *impl.state.clip : QRegion(impl.Surface());
    impl.state.clip = base.subtracted(QRegion(impl.ToDevice(rect)));
    impl.ApplyClip();
    return RegionKind(*impl.state.clip);
}

int CDC::SelectClipRgn(std::nullptr_t)
{
    Impl& impl = *m_impl;
    if (impl.target == Target::None) {
        return ERROR;
    }
    impl.state.clip.reset();
    impl.ApplyClip();
    return RegionKind(impl.DrawableRegion());
}

int CDC::GetClipBox(CRect* rect) const
{
    if (!rect) {
        return ERROR;
    }
    const QRegion region = m_impl->DrawableRegion();
    *rect = m_impl->ToLogical(region.boundingRect());
    return m_impl->target == Target::None ? ERROR : RegionKind(region);
}

bool CDC::RectVisible(const CRect& rect) const
{
    const QRect device = m_impl->ToDevice(rect);
    return !device.isEmpty() && m_impl->DrawableRegion().intersects(device);
}

bool CDC::PtVisible(int x, int y) const
{
    return m_impl->DrawableRegion().contains(m_impl->ToDevice(x, y));
}

// === 5. Lines and shapes =====================================================================

namespace {

// Sets the pixels of `points` that lie in `drawable` to an opaque colour, in a bitmap of
// kBitmapFormat, as drawing them with the painter's source-over composition would.
void PutPixels(QImage& image, const QRegion& drawable, const QPolygon& points, const QColor& color)
{
    const QRgb pixel = color.rgba(); // opaque, so already premultiplied
    for (const QRect& part : drawable) {
        for (const QPoint& point : points) {
            if (part.contains(point)) {
                PaintedRow(image, point.y())[point.x()] = pixel;
            }
        }
    }
}

// The phases of a dash pattern: whether pixel i of a line (i counted from its start) is "on"
// is OnAt(i % period).
class CPatternPhases
{
public:
    explicit CPatternPhases(std::span<const int> pattern)
    {
        for (std::size_t segment = 0; segment < pattern.size(); ++segment) {
            for (int pixel = 0; pixel < pattern[segment] && m_period < kMaxPeriod; ++pixel) {
                m_on[static_cast<std::size_t>(m_period++)] = segment % 2 == 0;
            }
        }
    }
    int Period() const { return m_period; }
    bool OnAt(int phase) const { return m_on[static_cast<std::size_t>(phase)]; }

private:
    static constexpr int kMaxPeriod = 16; // the longest pattern, dash-dot-dot, has 14 pixels
    std::array<bool, kMaxPeriod> m_on{};
    int m_period = 0;
};

// A horizontal or vertical patterned line on a bitmap (grid lines, focus frames, tree lines):
// the span of it inside each rectangle of the drawable region is written straight into the
// bitmap, so a line costs its visible pixels and no point list. Pixel i along the line (from
// `from`, up to but excluding `to`) takes the pattern's phase i, exactly as the general plot.
void PlotStraightPattern(DCImpl& impl, QImage& image, QPoint from, QPoint to,
                         std::span<const int> pattern, COLORREF color)
{
    const CPatternPhases phases(pattern);
    const int period = phases.Period();
    if (period == 0) {
        return;
    }
    const bool horizontal = from.y() == to.y();
    const int start = horizontal ? from.x() : from.y();
    const int end = horizontal ? to.x() : to.y();
    const int step = end > start ? 1 : -1;
    const int first = step > 0 ? start : end + 1; // lowest pixel, inclusive
    const int last = step > 0 ? end - 1 : start;  // highest pixel, inclusive
    const int across = horizontal ? from.y() : from.x();
    const QRgb on = Opaque(color).rgba();
    const QRgb off = Opaque(impl.state.bkColor).rgba();
    const bool fillsGaps = impl.state.bkMode == OPAQUE;
    // Not scanLine(): a detached copy would not be the image being painted.
    uchar* bits = const_cast<uchar*>(image.constBits());
    const qsizetype stride = image.bytesPerLine();
    for (const QRect& part : impl.DrawableRegion()) {
        const int partLow = horizontal ? part.left() : part.top();
        const int partHigh = horizontal ? part.right() : part.bottom();
        const int partAcrossLow = horizontal ? part.top() : part.left();
        const int partAcrossHigh = horizontal ? part.bottom() : part.right();
        if (across < partAcrossLow || across > partAcrossHigh) {
            continue;
        }
        const int low = std::max(first, partLow);
        const int high = std::min(last, partHigh);
        if (low > high) {
            continue;
        }
        // Walking up the axis moves the phase by `step` per pixel, so the pixels of one phase
        // lie `period` apart: each phase is written as one strided run, without a test per
        // pixel (a dotted grid line is every other pixel).
        int lowPhase = static_cast<int>((std::int64_t{low - start} * step) % period);
        lowPhase = lowPhase < 0 ? lowPhase + period : lowPhase;
        const qsizetype pixelStep = horizontal ? 1 : stride / qsizetype{sizeof(QRgb)};
        QRgb* const lowPixel = reinterpret_cast<QRgb*>(
            bits + stride * (horizontal ? across : low)) + (horizontal ? low : across);
        for (int skip = 0; skip < period && low + skip <= high; ++skip) {
            int phase = (lowPhase + skip * step) % period;
            phase = phase < 0 ? phase + period : phase;
            const bool drawn = phases.OnAt(phase);
            if (!drawn && !fillsGaps) {
                continue;
            }
            const QRgb value = drawn ? on : off;
            QRgb* pixel = lowPixel + pixelStep * skip;
            for (int along = low + skip; along <= high; along += period, pixel += pixelStep * period) {
                *pixel = value;
            }
        }
    }
}

// Plots the pixels of a one-pixel line from `from` up to but excluding `to` (device
// coordinates), in the pen's pattern. Gaps get the background colour in OPAQUE mode.
// Bresenham along the major axis; only the steps whose major coordinate lies on the surface
// are walked (the minor position and the pattern phase of the first one are computed), so a
// line's cost is bounded by the surface size whatever its length.
void PlotThinLine(DCImpl& impl, QPoint from, QPoint to, const LOGPEN& pen)
{
    if (from == to) {
        return;
    }
    const DrawState& state = impl.state;
    const std::span<const int> pattern = PatternOf(pen.lopnStyle);
    const std::int64_t dx = std::int64_t{to.x()} - from.x();
    const std::int64_t dy = std::int64_t{to.y()} - from.y();
    if (dx == 0 || dy == 0) {
        if (pattern.empty()) {
            // A solid straight line is one rectangle.
            const QRect run = dx == 0 ? QRect(QPoint(from.x(), std::min(from.y(), to.y() + 1)),
                                              QSize(1, static_cast<int>(std::abs(dy))))
                                      : QRect(QPoint(std::min(from.x(), to.x() + 1), from.y()),
                                              QSize(static_cast<int>(std::abs(dx)), 1));
            impl.Fill(run, pen.lopnColor);
            return;
        }
        if (QImage* image = impl.Image(); image && image->format() == kBitmapFormat) {
            PlotStraightPattern(impl, *image, from, to, pattern, pen.lopnColor);
            return;
        }
    }
    const QRect surface = impl.Surface();
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t major = xMajor ? std::abs(dx) : std::abs(dy); // number of pixels
    const std::int64_t minor = xMajor ? std::abs(dy) : std::abs(dx);
    const int majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int minorStep = (xMajor ? dy : dx) > 0 ? 1 : ((xMajor ? dy : dx) < 0 ? -1 : 0);
    const std::int64_t majorStart = xMajor ? from.x() : from.y();
    const std::int64_t minorStart = xMajor ? from.y() : from.x();
    const std::int64_t low = xMajor ? surface.left() : surface.top();
    const std::int64_t high = xMajor ? surface.right() : surface.bottom();
    // Steps i in [first, last] have their major coordinate on the surface.
    const std::int64_t first =
        std::max<std::int64_t>(0, majorStep > 0 ? low - majorStart : majorStart - high);
    const std::int64_t last =
        std::min<std::int64_t>(major - 1, majorStep > 0 ? high - majorStart : majorStart - low);
    if (first > last) {
        return;
    }
    // State after `first` steps: the minor axis has moved floor((2*minor*i + major - 1) /
    // (2*major)) times, which is what the error updates below produce.
    std::int64_t minorMoves = (2 * minor * first + major - 1) / (2 * major);
    std::int64_t error = 2 * minor * first - 2 * major * minorMoves;
    std::int64_t period = 0;
    for (const int length : pattern) {
        period += length;
    }
    std::size_t segment = 0;
    int leftInSegment = 0;
    if (!pattern.empty()) {
        std::int64_t phase = first % period;
        while (phase >= pattern[segment]) {
            phase -= pattern[segment];
            segment = (segment + 1) % pattern.size();
        }
        leftInSegment = pattern[segment] - static_cast<int>(phase);
    }
    QPolygon on;
    QPolygon off;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t along = majorStart + majorStep * i;
        const std::int64_t across = minorStart + minorStep * minorMoves;
        const QPoint pixel = xMajor ? QPoint(static_cast<int>(along), Bound(across))
                                    : QPoint(Bound(across), static_cast<int>(along));
        if (surface.contains(pixel)) {
            const bool drawn = pattern.empty() || segment % 2 == 0;
            (drawn ? on : off).append(pixel);
        }
        if (!pattern.empty() && --leftInSegment == 0) {
            segment = (segment + 1) % pattern.size();
            leftInSegment = pattern[segment];
        }
        error += 2 * minor;
        if (error > major) {
            ++minorMoves;
            error -= 2 * major;
        }
    }
    if (QImage* image = impl.Image(); image && image->format() == kBitmapFormat) {
        // Opaque pixels on a bitmap are written straight into it: the same pixels the painter
        // would set, without a pen and a transformed point list per line.
        const QRegion drawable = impl.DrawableRegion();
        PutPixels(*image, drawable, on, Opaque(pen.lopnColor));
        if (state.bkMode == OPAQUE) {
            PutPixels(*image, drawable, off, Opaque(state.bkColor));
        }
        return;
    }
    QPainter& painter = impl.Painter();
    painter.setPen(QPen(Opaque(pen.lopnColor), 1));
    painter.drawPoints(on);
    if (state.bkMode == OPAQUE && !off.isEmpty()) {
        painter.setPen(QPen(Opaque(state.bkColor), 1));
        painter.drawPoints(off);
    }
    painter.setPen(Qt::NoPen);
}

Qt::PenStyle QtPenStyle(UINT style)
{
    switch (style) {
    case PS_DASH:
        return Qt::DashLine;
    case PS_DOT:
    case PS_ALTERNATE:
        return Qt::DotLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

// Wide pens are drawn by the toolkit along the pixel centres, with round ends.
void DrawWideLine(DCImpl& impl, QPoint from, QPoint to, const LOGPEN& pen)
{
    QPainter& painter = impl.Painter();
    painter.setPen(QPen(Opaque(pen.lopnColor), pen.lopnWidth, QtPenStyle(pen.lopnStyle),
                        Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(from) + QPointF(0.5, 0.5), QPointF(to) + QPointF(0.5, 0.5));
    painter.setPen(Qt::NoPen);
}

void DrawPenLine(DCImpl& impl, QPoint from, QPoint to)
{
    const LOGPEN& pen = impl.state.penDesc;
    if (!impl.CanDraw() || pen.lopnStyle == PS_NULL) {
        return;
    }
    if (pen.lopnWidth > 1) {
        DrawWideLine(impl, from, to, pen);
    } else {
        PlotThinLine(impl, from, to, pen);
    }
}

bool HasBrush(const DrawState& state)
{
    return state.brushDesc.lbStyle == BS_SOLID;
}

bool HasPen(const DrawState& state)
{
    return state.penDesc.lopnStyle != PS_NULL;
}

} // namespace

CPoint CDC::MoveTo(int x, int y)
{
    const QPoint previous = std::exchange(m_impl->state.position, QPoint(x, y));
    return {previous.x(), previous.y()};
}

bool CDC::LineTo(int x, int y)
{
    Impl& impl = *m_impl;
    const QPoint from = impl.state.position;
    impl.state.position = QPoint(x, y);
    if (!impl.CanDraw()) {
        return false;
    }
    DrawPenLine(impl, impl.ToDevice(from.x(), from.y()), impl.ToDevice(x, y));
    return true;
}

CPoint CDC::GetCurrentPosition() const
{
    return {m_impl->state.position.x(), m_impl->state.position.y()};
}

bool CDC::Polyline(const CPoint* points, int count)
{
    Impl& impl = *m_impl;
    if (!points || count < 2 || !impl.CanDraw()) {
        return false;
    }
    for (int i = 1; i < count; ++i) {
        DrawPenLine(impl, impl.ToDevice(points[i - 1].x, points[i - 1].y),
                    impl.ToDevice(points[i].x, points[i].y));
    }
    return true;
}

bool CDC::Rectangle(int left, int top, int right, int bottom)
{
    Impl& impl = *m_impl;
    if (!impl.CanDraw()) {
        return false;
    }
    CRect rect = Bound(CRect(left, top, right, bottom));
    rect.NormalizeRect();
    const DrawState& state = impl.state;
    if (!HasPen(state)) {
        if (HasBrush(state)) {
            impl.Fill(impl.ToDevice(CRect(rect.left, rect.top, rect.right - 1, rect.bottom - 1)),
                      state.brushDesc.lbColor);
        }
        return true;
    }
    const int width = state.penDesc.lopnWidth;
    if (HasBrush(state)) {
        CRect inside = rect;
        inside.DeflateRect(width, width);
        impl.Fill(impl.ToDevice(inside), state.brushDesc.lbColor);
    }
    if (width > 1) {
        // A wide frame lies inside the rectangle.
        const COLORREF color = state.penDesc.lopnColor;
        impl.Fill(impl.ToDevice(CRect(rect.left, rect.top, rect.right, rect.top + width)), color);
        impl.Fill(impl.ToDevice(CRect(rect.left, rect.bottom - width, rect.right, rect.bottom)),
                  color);
        impl.Fill(impl.ToDevice(CRect(rect.left, rect.top, rect.left + width, rect.bottom)), color);
        impl.Fill(impl.ToDevice(CRect(rect.right - width, rect.top, rect.right, rect.bottom)),
                  color);
        return true;
    }
    const QPoint topLeft = impl.ToDevice(rect.left, rect.top);
    const QPoint topRight = impl.ToDevice(rect.right - 1, rect.top);
    const QPoint bottomRight = impl.ToDevice(rect.right - 1, rect.bottom - 1);
    const QPoint bottomLeft = impl.ToDevice(rect.left, rect.bottom - 1);
    if (topLeft == bottomRight) {
        impl.Fill(QRect(topLeft, QSize(1, 1)), state.penDesc.lopnColor);
        return true;
    }
    DrawPenLine(impl, topLeft, topRight);
    DrawPenLine(impl, topRight, bottomRight);
    DrawPenLine(impl, bottomRight, bottomLeft);
    DrawPenLine(impl, bottomLeft, topLeft);
    return true;
}

bool CDC::Polygon(const CPoint* points, int count)
{
    Impl& impl = *m_impl;
    if (!points || count < 2 || !impl.CanDraw()) {
        return false;
    }
    QPolygon polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) {
        polygon.append(impl.ToDevice(points[i].x, points[i].y));
    }
    if (HasBrush(impl.state) && count > 2) {
        QPainter& painter = impl.Painter();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Opaque(impl.state.brushDesc.lbColor));
        painter.drawPolygon(polygon, Qt::OddEvenFill);
        painter.setBrush(Qt::NoBrush);
    }
    for (int i = 0; i < count; ++i) {
        DrawPenLine(impl, polygon[i], polygon[(i + 1) % count]);
    }
    return true;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    Impl& impl = *m_impl;
    const QPoint device = impl.ToDevice(x, y);
    if (!impl.CanDraw() || !impl.DrawableRegion().contains(device)) {
        return CLR_INVALID;
    }
    impl.Fill(QRect(device, QSize(1, 1)), color);
    return color & 0x00FFFFFF;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const QImage* image = m_impl->Image();
    const QPoint device = m_impl->ToDevice(x, y);
    if (!image || !m_impl->DrawableRegion().contains(device)) {
        return CLR_INVALID;
    }
    return FromQColor(QColor::fromRgba(image->pixel(device)));
}

// === 6. Fills ================================================================================

void CDC::FillSolidRect(const CRect& rect, COLORREF color)
{
    m_impl->state.bkColor = color & 0x00FFFFFF;
    m_impl->Fill(m_impl->ToDevice(rect), color);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color)
{
    FillSolidRect(RectOfSize(x, y, width, height), color);
}

void CDC::FillRect(const CRect& rect, CBrush* brush)
{
    LOGBRUSH description;
    if (brush && brush->GetLogBrush(&description) && description.lbStyle == BS_SOLID) {
        m_impl->Fill(m_impl->ToDevice(rect), description.lbColor);
    }
}

void CDC::FrameRect(const CRect& frame, CBrush* brush)
{
    LOGBRUSH description;
    if (!brush || !brush->GetLogBrush(&description) || description.lbStyle != BS_SOLID ||
        frame.IsRectEmpty()) {
        return;
    }
    const COLORREF color = description.lbColor;
    Impl& impl = *m_impl;
    const CRect rect = Bound(frame);
    impl.Fill(impl.ToDevice(CRect(rect.left, rect.top, rect.right, rect.top + 1)), color);
    impl.Fill(impl.ToDevice(CRect(rect.left, rect.bottom - 1, rect.right, rect.bottom)), color);
    impl.Fill(impl.ToDevice(CRect(rect.left, rect.top, rect.left + 1, rect.bottom)), color);
    impl.Fill(impl.ToDevice(CRect(rect.right - 1, rect.top, rect.right, rect.bottom)), color);
}

void CDC::Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const CRect bounded = Bound(rect);
    Draw3dRect(bounded.left, bounded.top, bounded.Width(), bounded.Height(), topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight)
{
    const CRect rect = RectOfSize(x, y, width, height);
    FillSolidRect(rect.left, rect.top, rect.Width() - 1, 1, topLeft);
    FillSolidRect(rect.left, rect.top, 1, rect.Height() - 1, topLeft);
    FillSolidRect(rect.right - 1, rect.top, 1, rect.Height(), bottomRight);
    FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, bottomRight);
}

void CDC::DrawFocusRect(const CRect& rect)
{
    Impl& impl = *m_impl;
    const QRect device = impl.ToDevice(rect);
    if (!impl.CanDraw() || device.isEmpty() ||
        !impl.painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        return;
    }
    // Every pixel of the frame is visited once, so drawing twice restores the pixels.
    QPolygon dots;
    auto add = [&dots](int px, int py) {
        if ((px + py) % 2 == 0) {
            dots.append(QPoint(px, py));
        }
    };
    const int l = device.left(), t = device.top(), r = device.right(), b = device.bottom();
    // Only the part of the frame on the surface is walked; the dot phase is absolute.
    const QRect surface = impl.Surface();
    for (int px = std::max(l, surface.left()); px <= std::min(r, surface.right()); ++px) {
        add(px, t);
        if (b > t) {
            add(px, b);
        }
    }
    for (int py = std::max(t + 1, surface.top()); py < std::min(b, surface.bottom() + 1); ++py) {
        add(l, py);
        if (r > l) {
            add(r, py);
        }
    }
    QPainter& painter = impl.Painter();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(QColor(255, 255, 255), 1));
    painter.drawPoints(dots);
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

namespace {

void DrawArrowButton(QStyle& style, QPainter& painter, QStyleOption& option,
                     QStyle::PrimitiveElement arrow)
{
    style.drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter);
    QStyleOption arrowOption = option;
    const int inset = std::max(2, std::min(option.rect.width(), option.rect.height()) / 4);
    arrowOption.rect = option.rect.adjusted(inset, inset, -inset, -inset);
    style.drawPrimitive(arrow, &arrowOption, &painter);
}

} // namespace

bool CDC::DrawFrameControl(const CRect& rect, UINT type, UINT state)
{
    Impl& impl = *m_impl;
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    const QRect device = impl.ToDevice(rect);
    if (!application || !impl.CanDraw() || device.isEmpty()) {
        return false;
    }
    QStyle& style = *QApplication::style();
    QStyleOptionButton option;
    option.rect = device;
    option.palette = QApplication::palette();
    option.state = (state & DFCS_INACTIVE) ? QStyle::State_None : QStyle::State_Enabled;
    option.state |= (state & DFCS_CHECKED) ? QStyle::State_On : QStyle::State_Off;
    if (state & DFCS_PUSHED) {
        option.state |= QStyle::State_Sunken;
    } else {
        option.state |= QStyle::State_Raised;
    }
    if (state & DFCS_HOT) {
        option.state |= QStyle::State_MouseOver;
    }
    QPainter& painter = impl.Painter();
    painter.save();
    bool drawn = true;
    if (type == DFC_BUTTON) {
        const UINT kind = state & 0x1F;
        if (kind == DFCS_BUTTONCHECK) {
            style.drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter);
        } else if (kind == DFCS_BUTTONRADIO) {
            style.drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, &painter);
        } else if (kind == DFCS_BUTTONPUSH) {
            style.drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter);
        } else {
            drawn = false;
        }
    } else if (type == DFC_SCROLL) {
        switch (state & 0xFF) {
        case DFCS_SCROLLUP:
            DrawArrowButton(style, painter, option, QStyle::PE_IndicatorArrowUp);
            break;
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX:
            DrawArrowButton(style, painter, option, QStyle::PE_IndicatorArrowDown);
            break;
        case DFCS_SCROLLLEFT:
            DrawArrowButton(style, painter, option, QStyle::PE_IndicatorArrowLeft);
            break;
        case DFCS_SCROLLRIGHT:
            DrawArrowButton(style, painter, option, QStyle::PE_IndicatorArrowRight);
            break;
        default:
            drawn = false;
        }
    } else {
        drawn = false;
    }
    painter.restore();
    return drawn;
}

namespace {

// One 8-bit channel of a 16-bit vertex colour, interpolated at step/steps.
int Channel(COLOR16 from, COLOR16 to, int step, int steps)
{
    const std::int64_t a = from >> 8;
    const std::int64_t b = to >> 8;
    return static_cast<int>(a + (b - a) * step / steps);
}

QColor VertexColor(const TRIVERTEX& from, const TRIVERTEX& to, int step, int steps)
{
    return QColor(Channel(from.Red, to.Red, step, steps),
                  Channel(from.Green, to.Green, step, steps),
                  Channel(from.Blue, to.Blue, step, steps));
}

} // namespace

bool CDC::GradientFill(const TRIVERTEX* vertices, std::uint32_t vertexCount, const void* mesh,
                       std::uint32_t meshCount, std::uint32_t mode)
{
    Impl& impl = *m_impl;
    if (!vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)) {
        return false;
    }
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (std::uint32_t i = 0; i < meshCount; ++i) {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount) {
            return false;
        }
    }
    if (!impl.CanDraw()) {
        return false;
    }
    for (std::uint32_t i = 0; i < meshCount; ++i) {
        const TRIVERTEX& a = vertices[rects[i].UpperLeft];
        const TRIVERTEX& b = vertices[rects[i].LowerRight];
        CRect area = Bound(CRect(a.x, a.y, b.x, b.y));
        area.NormalizeRect();
        const QRect device = impl.ToDevice(area);
        if (device.isEmpty()) {
            continue;
        }
        const bool horizontal = mode == GRADIENT_FILL_RECT_H;
        const int steps = horizontal ? device.width() : device.height();
        // Colours run from the upper-left vertex at the left (top) edge towards the
        // lower-right one, reached just past the right (bottom) edge.
        const TRIVERTEX& start = (horizontal ? a.x <= b.x : a.y <= b.y) ? a : b;
        const TRIVERTEX& end = &start == &a ? b : a;
        const QRect visible = device & impl.Surface();
        if (visible.isEmpty()) {
            continue;
        }
        const int firstStep =
            horizontal ? visible.left() - device.left() : visible.top() - device.top();
        const int lastStep =
            horizontal ? visible.right() - device.left() : visible.bottom() - device.top();
        for (int step = firstStep; step <= lastStep; ++step) {
            const QRect band = horizontal
                                   ? QRect(device.left() + step, device.top(), 1, device.height())
                                   : QRect(device.left(), device.top() + step, device.width(), 1);
            impl.Painter().fillRect(band, VertexColor(start, end, step, steps));
        }
    }
    return true;
}

bool CDC::AlphaBlendSolid(const CRect& rect, COLORREF color, BYTE alpha)
{
    Impl& impl = *m_impl;
    const QRect device = impl.ToDevice(rect);
    if (!impl.CanDraw()) {
        return false;
    }
    if (device.isEmpty() || alpha == 0) {
        return true;
    }
    QImage* image = impl.Image();
    if (!image || image->format() != kBitmapFormat) {
        QColor overlay = Opaque(color);
        overlay.setAlpha(alpha);
        impl.Painter().fillRect(device, overlay);
        return true;
    }
    // Exact per-channel blend, written straight into the bitmap the painter draws on.
    const std::uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const std::uint32_t a = alpha;
    auto mix = [a](std::uint32_t base, std::uint32_t over) {
        return (base * (255 - a) + over * a) / 255;
    };
    const QRegion area = impl.DrawableRegion() & QRegion(device);
    for (const QRect& part : area) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            QRgb* row = PaintedRow(*image, y);
            for (int x = part.left(); x <= part.right(); ++x) {
                const std::uint32_t pixel = row[x];
                row[x] = (mix(pixel >> 24, 255) << 24) | (mix((pixel >> 16) & 0xFF, r) << 16) |
                         (mix((pixel >> 8) & 0xFF, g) << 8) | mix(pixel & 0xFF, b);
            }
        }
    }
    return true;
}

// === 7. Text =================================================================================

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

struct TextLine
{
    QString text;
    int underline = -1; // index of the character marked by '&', or -1
};

// Removes prefix marks: "&x" underlines x, "&&" is one '&', a final '&' disappears.
TextLine StripPrefix(const QString& source)
{
    TextLine line;
    line.text.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source[i] != QLatin1Char('&')) {
            line.text.append(source[i]);
        } else if (i + 1 < source.size()) {
            ++i;
            if (source[i] != QLatin1Char('&')) {
                line.underline = static_cast<int>(line.text.size());
            }
            line.text.append(source[i]);
        }
    }
    return line;
}

QString ExpandTabs(const QString& text)
{
    QString out;
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\t')) {
            out.append(QString(8 - out.size() % 8, QLatin1Char(' ')));
        } else {
            out.append(ch);
        }
    }
    return out;
}

// Greedy wrapping at spaces; a word wider than `width` keeps a line of its own.
QStringList Wrap(const QString& text, int width, const QFontMetrics& metrics)
{
    QStringList lines;
    QString current;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
            lines.append(current);
            current = word;
        } else {
            current = candidate;
        }
    }
    lines.append(current);
    return lines;
}

// Width of one line of text, measured once for as long as the text is cached.
int LineWidth(DCImpl& impl, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return impl.Texts().Find(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))).width;
}

// Draws the kept glyphs of a text with the top-left corner of its line at `topLeft`.
void DrawGlyphs(QPainter& painter, const QList<QGlyphRun>& runs, QPoint topLeft)
{
    for (const QGlyphRun& run : runs) {
        painter.drawGlyphRun(QPointF(topLeft), run);
    }
}

// Whether glyphs may be blended from masks straight into the bitmap under the painter: a
// plain bitmap with no transformation, composition or opacity of the painter that would
// change the pixels a glyph run sets, and text antialiasing as a new painter has it (the
// masks are taken with a new painter).
QImage* BlendTarget(const DCImpl& impl)
{
    QImage* image = impl.Image();
    if (image == nullptr || image->format() != kBitmapFormat) {
        return nullptr;
    }
    const QPainter& painter = *impl.painter;
    const bool plain = painter.deviceTransform().isIdentity() &&
                       painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                       painter.opacity() == 1.0 &&
                       painter.testRenderHint(QPainter::TextAntialiasing);
    return plain ? image : nullptr;
}

// Blends a text of one run from its placed glyph masks (placed on its first draw) within
// `clip`, which the painter's clip need not be; false, having drawn nothing, where it cannot.
bool BlendEntry(DCImpl& impl, CShapedTextCache::Entry& entry, QPoint topLeft, const QRegion& clip)
{
    QImage* image = BlendTarget(impl);
    if (image == nullptr) {
        return false;
    }
    const CGlyphMasks::PlacedRun* placed = impl.Texts().PlacedOf(entry);
    return placed != nullptr &&
           CGlyphMasks::BlendPlaced(*placed, topLeft, Opaque(impl.state.textColor).rgba(), *image, clip);
}

// Draws the kept glyphs of a text with the top-left corner of its line at `topLeft`, within
// `clip` (device pixels; the painter's clip must be the same region). Runs are blended from
// glyph masks where that gives the painter's pixels, else drawn through the painter with the
// text colour as its pen.
void DrawEntryGlyphs(DCImpl& impl, CShapedTextCache::Entry& entry, QPoint topLeft,
                     const QRegion& clip)
{
    if (BlendEntry(impl, entry, topLeft, clip)) {
        return;
    }
    const QColor color = Opaque(impl.state.textColor);
    QImage* image = BlendTarget(impl);
    for (const QGlyphRun& run : impl.Texts().RunsOf(entry)) {
        if (image != nullptr) {
            CGlyphMasks* masks = impl.Texts().MasksOf(run.rawFont());
            if (masks != nullptr && masks->Blend(run, QPointF(topLeft), color.rgba(), *image, clip)) {
                continue;
            }
        }
        // Every operation here sets the pen it draws with, so the text pen may stay; a new
        // pen is made only when the colour changes (making one allocates).
        QPainter& painter = impl.Painter();
        const QPen& pen = painter.pen();
        if (pen.style() != Qt::SolidLine || pen.brush().style() != Qt::SolidPattern ||
            pen.color() != color) {
            painter.setPen(color);
        }
        painter.drawGlyphRun(QPointF(topLeft), run);
    }
}

// Draws one line with its baseline at `baseline`, from the glyphs kept for it.
void DrawLine(DCImpl& impl, QPainter& painter, const QString& text, QPoint baseline)
{
    const QByteArray utf8 = text.toUtf8();
    CShapedTextCache::CFontTexts& texts = impl.Texts();
    CShapedTextCache::Entry& entry =
        texts.Find(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    if (!entry.IsPlain()) {
        painter.drawText(baseline, text);
        return;
    }
    DrawGlyphs(painter, texts.RunsOf(entry), QPoint(baseline.x(), baseline.y() - impl.Ascent()));
}

// Cuts `text` at a character boundary and appends "…" so that it fits `width`; `textWidth` is
// the width of the whole text.
QString Elide(const QString& text, int textWidth, int width, CShapedTextCache::CFontTexts& texts)
{
    if (textWidth <= width) {
        return text;
    }
    // A new page of cut values comes through here cell after cell: the cuts and the candidate
    // texts stay off the heap where they can.
    QVarLengthArray<qsizetype, 64> cuts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary()) {
        cuts.push_back(at);
    }
    QString candidate;
    candidate.reserve(text.size() + kEllipsis.size());
    // Find the longest prefix that still fits with the ellipsis (widths grow with length).
    std::size_t low = 0;
    std::size_t high = static_cast<std::size_t>(cuts.size());
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        candidate.resize(0);
        candidate.append(text.constData(), cuts[static_cast<qsizetype>(middle)]).append(kEllipsis);
        if (texts.Measure(candidate) <= width) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return text.left(cuts[static_cast<qsizetype>(low)]) + kEllipsis;
}

// The kept entry of `entry`'s text cut with an ellipsis to `width` pixels. The cut is
// remembered with the text, so a cell too narrow for its value is not searched for its cut
// on every paint.
CShapedTextCache::Entry& ElidedEntry(DCImpl& impl, CShapedTextCache::Entry& entry, int width)
{
    CShapedTextCache::CFontTexts& texts = impl.Texts();
    if (CShapedTextCache::Entry* cut = texts.RememberedCut(entry, width)) {
        return *cut;
    }
    const QString elided = Elide(CShapedTextCache::CFontTexts::TextOf(entry), entry.width, width, texts);
    const QByteArray utf8 = elided.toUtf8();
    // Finding the cut may forget every kept text, `entry` among them; remembering the cut in a
    // forgotten entry is harmless, for an entry is cleared before it is used again.
    CShapedTextCache::Entry& cut =
        texts.Find(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    texts.RememberCut(entry, width, cut);
    return cut;
}

// One line of plain text, as cells draw it: straight from the kept glyphs (the cut ones when
// the ellipsis shortens it), with no list of lines and no saved painter state, and without a
// clip change when the glyphs lie inside the rectangle (clipping them to it would change no
// pixel). False, having drawn nothing, for anything else: several lines, prefix marks, tabs
// or control characters.
// With DT_MODIFYSTRING and a `modified` string, a cut text is written back there.
bool DrawSingleLine(DCImpl& impl, const CString& text, const CRect& box, UINT format, int& height,
                    CString* modified = nullptr)
{
    constexpr UINT kGeneralOnly = DT_CALCRECT | DT_EXPANDTABS;
    if (!(format & DT_SINGLELINE) || (format & kGeneralOnly)) {
        return false;
    }
    const std::string_view utf8(text.GetString(), static_cast<std::size_t>(text.GetLength()));
    if (!(format & DT_NOPREFIX) && utf8.find('&') != std::string_view::npos) {
        return false;
    }
    CShapedTextCache::Entry* found = &impl.Texts().Find(utf8);
    if (!found->IsPlain()) {
        return false;
    }
    if ((format & DT_END_ELLIPSIS) && found->width > box.Width()) {
        found = &ElidedEntry(impl, *found, box.Width());
        if (modified != nullptr && (format & DT_MODIFYSTRING)) {
            *modified = CString(found->Key());
        }
    }
    CShapedTextCache::Entry& entry = *found;
    const int lineHeight = impl.LineHeight();
    height = lineHeight;
    if (!impl.CanDraw()) {
        return true;
    }
    int y = box.top;
    if (format & DT_VCENTER) {
        y = box.top + (box.Height() - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
        y = box.bottom - lineHeight;
    }
    int x = box.left;
    if (format & DT_CENTER) {
        x = box.left + (box.Width() - entry.width) / 2;
    } else if (format & DT_RIGHT) {
        x = box.right - entry.width;
    }
    const QPoint at = impl.ToDevice(x, y);
    const QRect deviceBox = impl.ToDevice(box);
    const bool opaque = impl.state.bkMode == OPAQUE;
    const QRect background(at, QSize(entry.width, lineHeight));
    // The glyphs' box, rounded outwards, holds every pixel they touch.
    const QRect ink = entry.ink.translated(at);
    const bool inside = deviceBox.contains(ink) && (!opaque || deviceBox.contains(background));
    const bool clip = !(format & DT_NOCLIP) && !inside;

    if (!clip) {
        if (opaque) {
            impl.Painter().fillRect(background, Opaque(impl.state.bkColor));
        }
        DrawEntryGlyphs(impl, entry, at, impl.DrawableRegion());
        return true;
    }
    // Glyphs blended from masks are cut to the box as they are blended: the painter's clip
    // is changed only for what goes through the painter.
    const QRegion clipped = Intersected(impl.DrawableRegion(), deviceBox);
    if (!opaque && BlendEntry(impl, entry, at, clipped)) {
        return true;
    }
    QPainter& painter = impl.Painter();
    painter.save();
    painter.setClipRegion(clipped);
    if (opaque) {
        painter.fillRect(background, Opaque(impl.state.bkColor));
    }
    DrawEntryGlyphs(impl, entry, at, clipped);
    painter.restore();
    return true;
}

std::vector<TextLine> LayOut(const QString& text, UINT format, int width,
                             const QFontMetrics& metrics)
{
    QString source = (format & DT_EXPANDTABS) ? ExpandTabs(text) : text;
    QStringList paragraphs;
    if (format & DT_SINGLELINE) {
        paragraphs.append(source);
    } else {
        source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        source.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        paragraphs = source.split(QLatin1Char('\n'));
    }
    std::vector<TextLine> lines;
    for (const QString& paragraph : paragraphs) {
        TextLine line = (format & DT_NOPREFIX) ? TextLine{paragraph, -1} : StripPrefix(paragraph);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) &&
            metrics.horizontalAdvance(line.text) > width) {
            for (const QString& part : Wrap(line.text, width, metrics)) {
                lines.push_back(TextLine{part, -1});
            }
        } else {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void DrawUnderline(QPainter& painter, const TextLine& line, int x, int baseline,
                   const QFontMetrics& metrics)
{
    if (line.underline < 0 || line.underline >= line.text.size()) {
        return;
    }
    const int start = x + metrics.horizontalAdvance(line.text.left(line.underline));
    const int width = metrics.horizontalAdvance(line.text.mid(line.underline, 1));
    const int y = baseline + std::max(1, metrics.underlinePos());
    painter.fillRect(QRect(start, y, std::max(1, width), std::max(1, metrics.lineWidth())),
                     painter.pen().color());
}

} // namespace

int CDC::DrawText(const CString& text, CRect& rect, UINT format)
{
    if (int height = 0; CanUseFonts() && m_impl->target != Target::None &&
                        DrawSingleLine(*m_impl, text, Bound(rect), format, height)) {
        return height;
    }
    CString copy = text;
    return DrawText(copy, rect, format & ~DT_MODIFYSTRING);
}

int CDC::DrawText(CString& text, CRect& rect, UINT format)
{
    Impl& impl = *m_impl;
    const CRect box = Bound(rect);
    if (!CanUseFonts() || impl.target == Target::None) {
        return 0;
    }
    if (int height = 0; DrawSingleLine(impl, text, box, format, height, &text)) {
        return height;
    }
    const QFontMetrics& metrics = impl.Metrics();
    const int lineHeight = metrics.ascent() + metrics.descent();
    std::vector<TextLine> lines =
        LayOut(QString::fromUtf8(text.GetString(), text.GetLength()), format, box.Width(), metrics);
    const int total = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TextLine& line : lines) {
            widest = std::max(widest, metrics.horizontalAdvance(line.text));
        }
        CRect measured = box;
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE) || widest > box.Width()) {
            measured.right = Bound(std::int64_t{box.left} + widest);
        }
        measured.bottom = Bound(std::int64_t{box.top} + total);
        rect = measured;
        return total;
    }
    bool elided = false;
    if (format & DT_END_ELLIPSIS) {
        for (TextLine& line : lines) {
            const QString shown =
                Elide(line.text, LineWidth(impl, line.text), box.Width(), impl.Texts());
            if (shown != line.text) {
                elided = true;
                if (line.underline >= shown.size() - 1) {
                    line.underline = -1;
                }
                line.text = shown;
            }
        }
    }
    if (elided && (format & DT_MODIFYSTRING)) {
        QStringList shown;
        for (const TextLine& line : lines) {
            shown.append(line.text);
        }
        text = CString(shown.join(QLatin1Char('\n')).toStdString());
    }
    if (!impl.CanDraw()) {
        return total;
    }
    int y = box.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            y = box.top + (box.Height() - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            y = box.bottom - lineHeight;
        }
    }
    QPainter& painter = impl.Painter();
    painter.save();
    if (!(format & DT_NOCLIP)) {
        const QRegion area = impl.DrawableRegion() & QRegion(impl.ToDevice(box));
        painter.setClipRegion(area);
    }
    painter.setFont(impl.Font());
    painter.setPen(Opaque(impl.state.textColor));
    for (const TextLine& line : lines) {
        const int width = LineWidth(impl, line.text);
        int x = box.left;
        if (format & DT_CENTER) {
            x = box.left + (box.Width() - width) / 2;
        } else if (format & DT_RIGHT) {
            x = box.right - width;
        }
        const QPoint at = impl.ToDevice(x, y);
        if (impl.state.bkMode == OPAQUE) {
            painter.fillRect(QRect(at, QSize(width, lineHeight)), Opaque(impl.state.bkColor));
        }
        DrawLine(impl, painter, line.text, QPoint(at.x(), at.y() + metrics.ascent()));
        DrawUnderline(painter, line, at.x(), at.y() + metrics.ascent(), metrics);
        y += lineHeight;
    }
    painter.restore();
    return total;
}

bool CDC::TextOut(int x, int y, const CString& text)
{
    return ExtTextOut(x, y, 0, nullptr, text);
}

bool CDC::ExtTextOut(int x, int y, UINT options, const CRect* rect, const CString& text)
{
    Impl& impl = *m_impl;
    if (!impl.CanDraw()) {
        return false;
    }
    if ((options & ETO_OPAQUE) && rect) {
        impl.Fill(impl.ToDevice(*rect), impl.state.bkColor);
    }
    if (text.IsEmpty()) {
        return true;
    }
    if (!CanUseFonts()) {
        return false;
    }
    const QFontMetrics& metrics = impl.Metrics();
    const QString line = QString::fromUtf8(text.GetString(), text.GetLength());
    QPainter& painter = impl.Painter();
    painter.save();
    if ((options & ETO_CLIPPED) && rect) {
        painter.setClipRegion(impl.DrawableRegion() & QRegion(impl.ToDevice(*rect)));
    }
    const QPoint at = impl.ToDevice(x, y);
    if (impl.state.bkMode == OPAQUE) {
        painter.fillRect(
            QRect(at, QSize(metrics.horizontalAdvance(line), metrics.ascent() + metrics.descent())),
            Opaque(impl.state.bkColor));
    }
    painter.setFont(impl.Font());
    painter.setPen(Opaque(impl.state.textColor));
    painter.drawText(QPoint(at.x(), at.y() + metrics.ascent()), line);
    painter.restore();
    return true;
}

CSize CDC::GetTextExtent(const CString& text) const
{
    if (!CanUseFonts()) {
        return {};
    }
    const QFontMetrics& metrics = m_impl->Metrics();
    const QString line = QString::fromUtf8(text.GetString(), text.GetLength());
    return {metrics.horizontalAdvance(line), metrics.ascent() + metrics.descent()};
}

bool CDC::GetTextMetrics(TEXTMETRIC* metrics) const
{
    if (!metrics || !CanUseFonts()) {
        return false;
    }
    const QFontMetrics& font = m_impl->Metrics();
    const QFont& qtFont = m_impl->Font();
    TEXTMETRIC result;
    result.tmAscent = font.ascent();
    result.tmDescent = font.descent();
    result.tmHeight = result.tmAscent + result.tmDescent;
    const int em = qtFont.pixelSize() > 0 ? qtFont.pixelSize() : result.tmHeight;
    result.tmInternalLeading = std::max(0, result.tmHeight - em);
    result.tmExternalLeading = std::max(0, font.leading());
    result.tmAveCharWidth = font.averageCharWidth();
    result.tmMaxCharWidth = font.maxWidth();
    result.tmWeight = static_cast<std::int32_t>(qtFont.weight());
    result.tmItalic = qtFont.italic() ? 1 : 0;
    result.tmUnderlined = qtFont.underline() ? 1 : 0;
    result.tmStruckOut = qtFont.strikeOut() ? 1 : 0;
    *metrics = result;
    return true;
}

// === 8. Block transfers ======================================================================

namespace {

// The source pixels of a block transfer: a copy of the logical rectangle of `source`. Null
// when the source has no readable pixels or the rectangle does not lie within its bitmap.
QImage SourcePixels(CDC* source, const QRect& logical)
{
    if (!source) {
        return {};
    }
    const DCImpl& impl = *QtDrawingAccess::ImplOf(*source);
    const QImage* image = impl.Image();
    const QRect device = logical.translated(impl.state.origin);
    if (!image || logical.isEmpty() || !image->rect().contains(device)) {
        return {};
    }
    return image->copy(device).convertToFormat(kBitmapFormat);
}

std::optional<QPainter::CompositionMode> ModeOf(DWORD rop)
{
    switch (rop) {
    case SRCCOPY:
        return QPainter::CompositionMode_Source;
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    default:
        return std::nullopt;
    }
}

// Operations that do not read the source.
bool FillWithoutSource(DCImpl& impl, const QRect& device, DWORD rop)
{
    QPainter& painter = impl.Painter();
    switch (rop) {
    case BLACKNESS:
        impl.Fill(device, RGB(0, 0, 0));
        return true;
    case WHITENESS:
        impl.Fill(device, RGB(255, 255, 255));
        return true;
    case PATCOPY:
        if (impl.state.brushDesc.lbStyle == BS_SOLID) {
            impl.Fill(device, impl.state.brushDesc.lbColor);
        }
        return true;
    case DSTINVERT:
        if (!painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
            return false;
        }
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(device, Qt::black);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return true;
    default:
        return false;
    }
}

// A read-only image over a rectangle of `image` that shares its pixels; valid while `image`
// is alive and unchanged. Images whose pixels are not whole bytes are copied instead.
QImage ViewOf(const QImage& image, const QRect& rect)
{
    if (image.depth() % 8 != 0) {
        return image.copy(rect);
    }
    const uchar* first = image.constScanLine(rect.top()) + rect.left() * (image.depth() / 8);
    return QImage(first, rect.width(), rect.height(), image.bytesPerLine(), image.format());
}

// Draws `pixels` scaled into `device` with the given composition. Only the part of `device`
// on the surface is drawn, from the matching part of `pixels`, so that no scaled copy larger
// than the surface is ever made.
bool Compose(DCImpl& impl, const QRect& device, QImage pixels, bool mirrorX, bool mirrorY,
             QPainter::CompositionMode mode, bool smooth)
{
    QPainter& painter = impl.Painter();
    if (mode >= QPainter::RasterOp_SourceOrDestination &&
        !painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        return false;
    }
    const QRect visible = device & impl.Surface();
    if (visible.isEmpty() || pixels.isNull()) {
        return true;
    }
    if (mirrorX || mirrorY) {
        pixels = pixels.mirrored(mirrorX, mirrorY);
    }
    const double scaleX = double(pixels.width()) / device.width();
    const double scaleY = double(pixels.height()) / device.height();
    const QRectF from((visible.left() - device.left()) * scaleX,
                      (visible.top() - device.top()) * scaleY, visible.width() * scaleX,
                      visible.height() * scaleY);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setCompositionMode(mode);
    painter.drawImage(QRectF(visible), pixels, from);
    painter.restore();
    return true;
}

// Normalised destination and source rectangles of a stretched transfer, and whether the
// picture is mirrored on either axis (when exactly one of the two widths is negative).
struct Transfer
{
    QRect device;
    QRect source;
    bool mirrorX = false;
    bool mirrorY = false;
};

std::optional<Transfer> MakeTransfer(const DCImpl& impl, int x, int y, int width, int height,
                                     int xSource, int ySource, int sourceWidth, int sourceHeight)
{
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) {
        return std::nullopt;
    }
    CRect destination = RectOfSize(x, y, width, height);
    destination.NormalizeRect();
    CRect from = RectOfSize(xSource, ySource, sourceWidth, sourceHeight);
    from.NormalizeRect();
    Transfer transfer;
    transfer.device = impl.ToDevice(destination);
    transfer.source = QRect(from.left, from.top, from.Width(), from.Height());
    transfer.mirrorX = (width < 0) != (sourceWidth < 0);
    transfer.mirrorY = (height < 0) != (sourceHeight < 0);
    return transfer;
}

} // namespace

bool CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                 DWORD rop)
{
    Impl& impl = *m_impl;
    if (!impl.CanDraw() || width <= 0 || height <= 0) {
        return false;
    }
    const QRect device = impl.ToDevice(RectOfSize(x, y, width, height));
    if (!ModeOf(rop)) {
        return FillWithoutSource(impl, device, rop);
    }
    // Only the part of the source inside its bitmap is copied; the rest of the target keeps
    // its pixels.
    const DCImpl* sourceImpl = source ? QtDrawingAccess::ImplOf(*source) : nullptr;
    const QImage* sourceImage = sourceImpl ? sourceImpl->Image() : nullptr;
    if (!sourceImage) {
        return false;
    }
    const QRect wanted(QPoint(Bound(xSource), Bound(ySource)) + sourceImpl->state.origin,
                       device.size());
    const QRect available = wanted & sourceImage->rect();
    if (available.isEmpty()) {
        return true;
    }
    // Copying a frame-sized back buffer for every blit costs more than painting the frame, so
    // the painter reads the source rectangle in place; only a copy within one surface, where
    // source and target overlap, needs its own pixels first.
    const bool sameSurface = sourceImage == impl.Image();
    const QImage copy = sameSurface ? sourceImage->copy(available) : QImage();
    // Qt's raster engine spreads a blit of more than about a hundred lines over its own thread
    // pool; bands of kBlitBandLines keep the work on this thread, which is as fast for a frame
    // and keeps pool hand-overs that race detectors cannot see out of our paints.
    constexpr int kBlitBandLines = 64;
    bool drawn = true;
    for (int top = available.top(); top <= available.bottom(); top += kBlitBandLines) {
        const QRect band(available.left(), top, available.width(),
                         std::min(kBlitBandLines, available.bottom() + 1 - top));
        const QImage pixels = sameSurface ? ViewOf(copy, band.translated(-available.topLeft()))
                                          : ViewOf(*sourceImage, band);
        const QPoint shift = band.topLeft() - wanted.topLeft();
        drawn = Compose(impl, QRect(device.topLeft() + shift, band.size()), pixels, false, false,
                        *ModeOf(rop), false) &&
                drawn;
    }
    return drawn;
}

bool CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int sourceWidth, int sourceHeight, DWORD rop)
{
    Impl& impl = *m_impl;
    const auto transfer =
        MakeTransfer(impl, x, y, width, height, xSource, ySource, sourceWidth, sourceHeight);
    if (!impl.CanDraw() || !transfer) {
        return false;
    }
    if (!ModeOf(rop)) {
        return FillWithoutSource(impl, transfer->device, rop);
    }
    const QImage pixels = SourcePixels(source, transfer->source);
    if (pixels.isNull()) {
        return false;
    }
    const bool scaling = impl.state.stretchMode == HALFTONE;
    return Compose(impl, transfer->device, pixels, transfer->mirrorX, transfer->mirrorY,
                   *ModeOf(rop), scaling);
}

bool CDC::AlphaBlend(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int sourceWidth, int sourceHeight, BLENDFUNCTION blend)
{
    Impl& impl = *m_impl;
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0 ||
        blend.BlendOp != AC_SRC_OVER) {
        return false;
    }
    const auto transfer =
        MakeTransfer(impl, x, y, width, height, xSource, ySource, sourceWidth, sourceHeight);
    if (!impl.CanDraw() || !transfer) {
        return false;
    }
    QImage pixels = SourcePixels(source, transfer->source);
    if (pixels.isNull()) {
        return false;
    }
    if (!(blend.AlphaFormat & AC_SRC_ALPHA)) {
        // Without per-pixel alpha the source counts as opaque.
        for (int row = 0; row < pixels.height(); ++row) {
            auto* line = reinterpret_cast<std::uint32_t*>(pixels.scanLine(row));
            for (int column = 0; column < pixels.width(); ++column) {
                line[column] |= 0xFF000000u;
            }
        }
    }
    QPainter& painter = impl.Painter();
    painter.setOpacity(blend.SourceConstantAlpha / 255.0);
    const bool drawn = Compose(impl, transfer->device, pixels, false, false,
                               QPainter::CompositionMode_SourceOver, false);
    painter.setOpacity(1.0);
    return drawn;
}

bool CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                         int sourceWidth, int sourceHeight, UINT transparentColor)
{
    Impl& impl = *m_impl;
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0) {
        return false;
    }
    const auto transfer =
        MakeTransfer(impl, x, y, width, height, xSource, ySource, sourceWidth, sourceHeight);
    if (!impl.CanDraw() || !transfer) {
        return false;
    }
    QImage pixels = SourcePixels(source, transfer->source);
    if (pixels.isNull()) {
        return false;
    }
    const QRgb key = Opaque(transparentColor).rgb() & 0x00FFFFFFu;
    for (int row = 0; row < pixels.height(); ++row) {
        auto* line = reinterpret_cast<std::uint32_t*>(pixels.scanLine(row));
        for (int column = 0; column < pixels.width(); ++column) {
            if ((qUnpremultiply(line[column]) & 0x00FFFFFFu) == key) {
                line[column] = 0;
            }
        }
    }
    // Nearest-pixel scaling keeps keyed pixels fully transparent.
    return Compose(impl, transfer->device, pixels, false, false,
                   QPainter::CompositionMode_SourceOver, false);
}

// === 9. Device capabilities ==================================================================

int CDC::GetDeviceCaps(int index) const
{
    const Impl& impl = *m_impl;
    if (impl.target == Target::None) {
        return 0;
    }
    const QPaintDevice* device = impl.CanDraw() ? impl.painter->device() : nullptr;
    const bool memory = impl.target == Target::Memory;
    if (!device && !memory) {
        return 0;
    }
    const int dpiX = memory ? impl.referenceDpiX : device->logicalDpiX();
    const int dpiY = memory ? impl.referenceDpiY : device->logicalDpiY();
    const int width = device ? device->width() : 1;
    const int height = device ? device->height() : 1;
    auto* printer = device && device->devType() == QInternal::Printer
                        ? dynamic_cast<const QPrinter*>(device)
                        : nullptr;
    switch (index) {
    case HORZRES:
        return width;
    case VERTRES:
        return height;
    case LOGPIXELSX:
        return dpiX;
    case LOGPIXELSY:
        return dpiY;
    case HORZSIZE:
        return static_cast<int>(width * 254L / (dpiX * 10L));
    case VERTSIZE:
        return static_cast<int>(height * 254L / (dpiY * 10L));
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case PHYSICALWIDTH:
        return printer ? qRound(printer->paperRect(QPrinter::DevicePixel).width()) : width;
    case PHYSICALHEIGHT:
        return printer ? qRound(printer->paperRect(QPrinter::DevicePixel).height()) : height;
    case PHYSICALOFFSETX:
        return printer ? qRound(printer->pageRect(QPrinter::DevicePixel).left() -
                                printer->paperRect(QPrinter::DevicePixel).left())
                       : 0;
    case PHYSICALOFFSETY:
        return printer ? qRound(printer->pageRect(QPrinter::DevicePixel).top() -
                                printer->paperRect(QPrinter::DevicePixel).top())
                       : 0;
    default:
        return 0;
    }
}

} // namespace Ombrel
