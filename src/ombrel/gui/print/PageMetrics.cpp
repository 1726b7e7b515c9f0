#include "ombrel/gui/print/PageMetrics.h"

#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/Printer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Ombrel::GUI {

namespace {

// value * numerator / denominator in 64 bits, truncated; 0 for a zero denominator.
int Scale(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return 0;
    return static_cast<int>(static_cast<std::int64_t>(value) * numerator / denominator);
}

// Millimetres to device pixels at `dpi`. Stored margins may be anything; nothing sensible
// lies beyond a metre, and the clamp keeps the product in range.
int MillimetresToPixels(std::int32_t millimetres, int dpi)
{
    const double clamped = std::clamp<double>(millimetres, -1000.0, 1000.0);
    return static_cast<int>(std::lround(clamped * kInchesPerMillimetre * dpi));
}

} // namespace

bool PageMetrics::IsValid() const
{
    return printerDpiX > 0 && printerDpiY > 0 && horzRes > 0 && vertRes > 0 &&
           physicalWidth > 0 && physicalHeight > 0 && screenDpiX > 0 && screenDpiY > 0;
}

CSize PageMetrics::PrintableScreenSize() const
{
    return CSize(Scale(horzRes, screenDpiX, printerDpiX), Scale(vertRes, screenDpiY, printerDpiY));
}

CSize PageMetrics::PhysicalScreenSize() const
{
    return CSize(Scale(physicalWidth, screenDpiX, printerDpiX),
                 Scale(physicalHeight, screenDpiY, printerDpiY));
}

CRect PageMetrics::ContentRect(const PrintSettings& settings) const
{
    if (!IsValid())
        return CRect();
    CRect content(MillimetresToPixels(settings.leftMargin, printerDpiX),
                  MillimetresToPixels(settings.topMargin, printerDpiY),
                  horzRes - MillimetresToPixels(settings.rightMargin, printerDpiX),
                  vertRes - MillimetresToPixels(settings.bottomMargin, printerDpiY));
    // Negative margins cannot reach past the printable area.
    content.IntersectRect(content, CRect(0, 0, horzRes, vertRes));
    return content;
}

CSize PageMetrics::ContentScreenSize(const PrintSettings& settings) const
{
    const CRect content = ContentRect(settings);
    return CSize(Scale(content.Width(), screenDpiX, printerDpiX),
                 Scale(content.Height(), screenDpiY, printerDpiY));
}

CRect PageMetrics::ContentRectOnPaper(const PrintSettings& settings, const CRect& paper) const
{
    const CRect content = ContentRect(settings);
    if (content.IsRectEmpty() || paper.IsRectEmpty())
        return CRect();
    auto x = [&](int printerX) {
        return paper.left + Scale(offsetX + printerX, paper.Width(), physicalWidth);
    };
    auto y = [&](int printerY) {
        return paper.top + Scale(offsetY + printerY, paper.Height(), physicalHeight);
    };
    return CRect(x(content.left), y(content.top), x(content.right), y(content.bottom));
}

CSize ScreenDpi()
{
    CDC screen;
    if (!screen.CreateCompatibleDC(nullptr))
        return CSize(96, 96);
    return CSize(screen.GetDeviceCaps(LOGPIXELSX), screen.GetDeviceCaps(LOGPIXELSY));
}

PageMetrics MeasurePage(const CPrinter& printer, int screenDpiX, int screenDpiY)
{
    PageMetrics metrics;
    if (!printer.IsValid())
        return metrics;
    metrics.printerDpiX = printer.GetDeviceCaps(LOGPIXELSX);
    metrics.printerDpiY = printer.GetDeviceCaps(LOGPIXELSY);
    metrics.horzRes = printer.GetDeviceCaps(HORZRES);
    metrics.vertRes = printer.GetDeviceCaps(VERTRES);
    metrics.physicalWidth = printer.GetDeviceCaps(PHYSICALWIDTH);
    metrics.physicalHeight = printer.GetDeviceCaps(PHYSICALHEIGHT);
    metrics.offsetX = printer.GetDeviceCaps(PHYSICALOFFSETX);
    metrics.offsetY = printer.GetDeviceCaps(PHYSICALOFFSETY);
    metrics.screenDpiX = screenDpiX;
    metrics.screenDpiY = screenDpiY;
    if (!metrics.IsValid())
        return PageMetrics();
    return metrics;
}

} // namespace Ombrel::GUI
