#include "ombrel/gui/paint/detail/PaintTools.h"

#include "ombrel/platform/DC.h"
#include "ombrel/platform/ImageList.h"

#include <algorithm>

namespace Ombrel::GUI::PaintTools {

CScopedPen::CScopedPen(CDC& dc, UINT style, COLORREF color) : m_dc(dc), m_pen(style, 1, color)
{
    m_previous = m_dc.SelectObject(&m_pen);
}

CScopedPen::~CScopedPen()
{
    if (m_previous) {
        m_dc.SelectObject(m_previous);
    }
}

void HorizontalLine(CDC& dc, int left, int right, int y)
{
    if (left < right) {
        dc.MoveTo(left, y);
        dc.LineTo(right, y);
    }
}

void VerticalLine(CDC& dc, int x, int top, int bottom)
{
    if (top < bottom) {
        dc.MoveTo(x, top);
        dc.LineTo(x, bottom);
    }
}

void FillSolid(CDC& dc, const CRect& rect, COLORREF color)
{
    if (rect.IsRectEmpty()) {
        return;
    }
    const COLORREF background = dc.GetBkColor();
    dc.FillSolidRect(rect, color);
    dc.SetBkColor(background);
}

void BlendSolid(CDC& dc, const CRect& rect, COLORREF color, int alpha, COLORREF fallback)
{
    if (alpha <= 0 || rect.IsRectEmpty()) {
        return;
    }
    if (alpha >= 255) {
        FillSolid(dc, rect, color);
        return;
    }
    if (!dc.AlphaBlendSolid(rect, color, static_cast<BYTE>(alpha))) {
        FillSolid(dc, rect, fallback);
    }
}

bool HasImage(const CImageList* imageList, int index)
{
    return imageList != nullptr && index >= 0 && index < imageList->GetImageCount();
}

void DrawImageClipped(CDC& dc, CImageList& imageList, int index, const CRect& rect)
{
    if (rect.IsRectEmpty()) {
        return;
    }
    const CSize size = imageList.GetImageSize();
    const int y = rect.top + std::max(0, (rect.Height() - size.cy) / 2);
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(rect);
    imageList.Draw(&dc, index, CPoint(rect.left, y), ILD_TRANSPARENT);
    if (saved > 0) {
        dc.RestoreDC(saved);
    }
}

} // namespace Ombrel::GUI::PaintTools
