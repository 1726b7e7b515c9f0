#pragma once

// Small drawing helpers shared by the standard paint formats (not part of the public API).

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/Pen.h"

namespace Ombrel {
class CDC;
class CImageList;
} // namespace Ombrel

namespace Ombrel::GUI::PaintTools {

// Selects a one-pixel pen of `style` and `color` for its lifetime.
class CScopedPen
{
public:
    CScopedPen(CDC& dc, UINT style, COLORREF color);
    ~CScopedPen();
    CScopedPen(const CScopedPen&) = delete;
    CScopedPen& operator=(const CScopedPen&) = delete;

private:
    CDC& m_dc;
    CPen m_pen;
    CPen* m_previous = nullptr;
};

// The first even coordinate at or after `start`: dotted lines started there keep one dot
// pattern across neighbouring cells.
constexpr int EvenStart(int start) { return start + (start & 1); }

// One-pixel lines with the selected pen: x from `left` to `right` (excluded) at y, and y from
// `top` to `bottom` (excluded) at x.
void HorizontalLine(CDC& dc, int left, int right, int y);
void VerticalLine(CDC& dc, int x, int top, int bottom);

// Fills `rect` with `color`, keeping the device context's background colour.
void FillSolid(CDC& dc, const CRect& rect, COLORREF color);
// Lays `color` over `rect` at `alpha`: nothing at 0, a plain fill at 255, else a per-pixel
// blend; where blending is not available, a plain fill of `fallback`.
void BlendSolid(CDC& dc, const CRect& rect, COLORREF color, int alpha, COLORREF fallback);

// Whether `index` names an image of `imageList`.
bool HasImage(const CImageList* imageList, int index);
// Draws the image at its own size at the left of `rect`, clipped to it and centred
// vertically when it is lower than `rect`.
void DrawImageClipped(CDC& dc, CImageList& imageList, int index, const CRect& rect);

} // namespace Ombrel::GUI::PaintTools
