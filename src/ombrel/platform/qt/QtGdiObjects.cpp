#include "ombrel/platform/qt/QtGdiObjects.h"

#include "ombrel/platform/qt/QtDrawing.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace Ombrel {

bool CanUseFonts()
{
    return QGuiApplication::instance() != nullptr;
}

static QScreen* PrimaryScreen()
{
    return CanUseFonts() ? QGuiApplication::primaryScreen() : nullptr;
}

int ScreenDpiY()
{
    const QScreen* screen = PrimaryScreen();
    return screen ? std::max(1, qRound(screen->logicalDotsPerInchY())) : 96;
}

int ScreenDpiX()
{
    const QScreen* screen = PrimaryScreen();
    return screen ? std::max(1, qRound(screen->logicalDotsPerInchX())) : 96;
}

// --- CPen -------------------------------------------------------------------------------

CPen::CPen() : m_impl(std::make_unique<Impl>()) {}

CPen::CPen(UINT style, int width, COLORREF color) : CPen()
{
    CreatePen(style, width, color);
}

CPen::CPen(UINT style, int width, const LOGBRUSH& brush) : CPen()
{
    CreatePen(style, width, brush);
}

CPen::~CPen() = default;

CPen::CPen(const CPen& other) : CGdiObject(other), m_impl(std::make_unique<Impl>(*other.m_impl)) {}

CPen& CPen::operator=(const CPen& other)
{
    *m_impl = *other.m_impl;
    return *this;
}

bool CPen::CreatePen(UINT style, int width, COLORREF color)
{
    const UINT lineStyle = style & PS_STYLE_MASK;
    if (lineStyle > PS_ALTERNATE || lineStyle == 7 || width < 0) {
        return false;
    }
    m_impl->pen = LOGPEN{lineStyle, std::max(1, width), color & 0x00FFFFFF};
    m_impl->created = true;
    return true;
}

bool CPen::CreatePen(UINT style, int width, const LOGBRUSH& brush)
{
    if (brush.lbStyle == BS_NULL) {
        return CreatePen(PS_NULL, width, COLORREF{0});
    }
    if (brush.lbStyle != BS_SOLID) {
        return false;
    }
    return CreatePen(style, width, brush.lbColor);
}

bool CPen::CreateStockObject(int index)
{
    switch (index) {
    case WHITE_PEN:
        return CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    case BLACK_PEN:
        return CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    case NULL_PEN:
        return CreatePen(PS_NULL, 1, COLORREF{0});
    default:
        return false;
    }
}

bool CPen::GetLogPen(LOGPEN* logPen) const
{
    if (!logPen || !m_impl->created) {
        return false;
    }
    *logPen = m_impl->pen;
    return true;
}

const void* CPen::GetSafeHandle() const
{
    return m_impl->created ? m_impl.get() : nullptr;
}

bool CPen::DeleteObject()
{
    const bool wasCreated = m_impl->created;
    *m_impl = Impl();
    return wasCreated;
}

// --- CBrush -----------------------------------------------------------------------------

CBrush::CBrush() : m_impl(std::make_unique<Impl>()) {}

CBrush::CBrush(COLORREF color) : CBrush()
{
    CreateSolidBrush(color);
}

CBrush::~CBrush() = default;

CBrush::CBrush(const CBrush& other)
    : CGdiObject(other), m_impl(std::make_unique<Impl>(*other.m_impl))
{}

CBrush& CBrush::operator=(const CBrush& other)
{
    *m_impl = *other.m_impl;
    return *this;
}

bool CBrush::CreateSolidBrush(COLORREF color)
{
    m_impl->brush = LOGBRUSH{BS_SOLID, color & 0x00FFFFFF, 0};
    m_impl->created = true;
    return true;
}

bool CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush)
{
    if (!logBrush || (logBrush->lbStyle != BS_SOLID && logBrush->lbStyle != BS_NULL)) {
        return false;
    }
    m_impl->brush = LOGBRUSH{logBrush->lbStyle, logBrush->lbColor & 0x00FFFFFF, 0};
    m_impl->created = true;
    return true;
}

bool CBrush::CreateStockObject(int index)
{
    switch (index) {
    case WHITE_BRUSH:
        return CreateSolidBrush(RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return CreateSolidBrush(RGB(192, 192, 192));
    case GRAY_BRUSH:
        return CreateSolidBrush(RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return CreateSolidBrush(RGB(64, 64, 64));
    case BLACK_BRUSH:
        return CreateSolidBrush(RGB(0, 0, 0));
    case NULL_BRUSH: {
        const LOGBRUSH hollow{BS_NULL, 0, 0};
        return CreateBrushIndirect(&hollow);
    }
    default:
        return false;
    }
}

bool CBrush::GetLogBrush(LOGBRUSH* logBrush) const
{
    if (!logBrush || !m_impl->created) {
        return false;
    }
    *logBrush = m_impl->brush;
    return true;
}

const void* CBrush::GetSafeHandle() const
{
    return m_impl->created ? m_impl.get() : nullptr;
}

bool CBrush::DeleteObject()
{
    const bool wasCreated = m_impl->created;
    *m_impl = Impl();
    return wasCreated;
}

// --- CBitmap ----------------------------------------------------------------------------

static bool ValidSize(int width, int height)
{
    return width > 0 && height > 0 && width <= CBitmap::kMaxDimension &&
           height <= CBitmap::kMaxDimension && std::int64_t{width} * height <= CBitmap::kMaxPixels;
}

CBitmap::CBitmap() : m_impl(std::make_unique<Impl>()) {}

CBitmap::~CBitmap()
{
    if (m_impl->selectedInto) {
        QtDrawingAccess::ForgetBitmap(*m_impl->selectedInto);
    }
}

bool CBitmap::CreateCompatibleBitmap(CDC* /*dc*/, int width, int height)
{
    return CreateBitmap(width, height, 1, 32, nullptr);
}

static QImage ImageFrom32BitPixels(int width, int height, const void* bits)
{
    QImage image(width, height, kBitmapFormat);
    if (image.isNull()) {
        return image;
    }
    const auto* source = static_cast<const std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const bool anyAlpha =
        std::any_of(source, source + count, [](std::uint32_t pixel) { return (pixel >> 24) != 0; });
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const std::uint32_t* from = source + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[x] = anyAlpha ? from[x] : (from[x] | 0xFF000000u);
        }
    }
    return image;
}

static QImage ImageFrom24BitPixels(int width, int height, const void* bits)
{
    QImage image(width, height, kBitmapFormat);
    if (image.isNull()) {
        return image;
    }
    const auto* source = static_cast<const std::uint8_t*>(bits);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const std::uint8_t* from = source + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel = from + static_cast<std::size_t>(x) * 3;
            row[x] = 0xFF000000u | (std::uint32_t(pixel[2]) << 16) |
                     (std::uint32_t(pixel[1]) << 8) | pixel[0];
        }
    }
    return image;
}

bool CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (m_impl->selectedInto || planes != 1 || !ValidSize(width, height) ||
        (bitsPerPixel != 32 && bitsPerPixel != 24)) {
        return false;
    }
    QImage image;
    if (!bits) {
        image = QImage(width, height, kBitmapFormat);
        if (!image.isNull()) {
            image.fill(0xFF000000u);
        }
    } else if (bitsPerPixel == 32) {
        image = ImageFrom32BitPixels(width, height, bits);
    } else {
        image = ImageFrom24BitPixels(width, height, bits);
    }
    if (image.isNull()) {
        return false; // out of memory
    }
    m_impl->image = std::move(image);
    return true;
}

bool CBitmap::LoadImageFile(const char* path)
{
    if (!path || m_impl->selectedInto) {
        return false;
    }
    QImageReader reader(QString::fromUtf8(path));
    const QSize size = reader.size();
    if (size.isValid() && !ValidSize(size.width(), size.height())) {
        return false;
    }
    QImage image = reader.read();
    if (image.isNull() || !ValidSize(image.width(), image.height())) {
        return false;
    }
    m_impl->image = image.convertToFormat(kBitmapFormat);
    return !m_impl->image.isNull();
}

int CBitmap::GetBitmap(BITMAP* info) const
{
    if (!info || m_impl->image.isNull()) {
        return 0;
    }
    info->bmType = 0;
    info->bmWidth = m_impl->image.width();
    info->bmHeight = m_impl->image.height();
    info->bmWidthBytes = m_impl->image.width() * 4;
    info->bmPlanes = 1;
    info->bmBitsPixel = 32;
    return static_cast<int>(sizeof(BITMAP));
}

CSize CBitmap::GetSize() const
{
    return {m_impl->image.width(), m_impl->image.height()};
}

DWORD CBitmap::GetBitmapBits(DWORD count, void* bits) const
{
    const QImage& image = m_impl->image;
    if (!bits || image.isNull()) {
        return 0;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 4;
    std::size_t copied = 0;
    auto* out = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < image.height() && copied < count; ++y) {
        const std::size_t n = std::min<std::size_t>(rowBytes, count - copied);
        std::memcpy(out + copied, image.constScanLine(y), n);
        copied += n;
    }
    return static_cast<DWORD>(copied);
}

const void* CBitmap::GetSafeHandle() const
{
    return m_impl->image.isNull() ? nullptr : m_impl.get();
}

bool CBitmap::DeleteObject()
{
    if (m_impl->image.isNull() || m_impl->selectedInto) {
        return false;
    }
    m_impl->image = QImage();
    return true;
}

// --- Qt bridge for colours and bitmaps ----------------------------------------------------

QColor ToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF FromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return RGB(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
               static_cast<std::uint8_t>(rgb.blue()));
}

const QImage& GetImage(const CBitmap& bitmap)
{
    return QtDrawingAccess::ImplOf(bitmap)->image;
}

bool SetImage(CBitmap& bitmap, const QImage& image)
{
    auto* impl = QtDrawingAccess::ImplOf(bitmap);
    if (impl->selectedInto || image.isNull() || !ValidSize(image.width(), image.height())) {
        return false;
    }
    impl->image = image.convertToFormat(kBitmapFormat);
    return !impl->image.isNull();
}

} // namespace Ombrel
