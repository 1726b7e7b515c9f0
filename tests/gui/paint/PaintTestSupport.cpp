#include "PaintTestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace Ombrel::GUI::PaintTesting {

OMBREL_BEGIN_FIELD_MAP(CPaintSample)
    OMBREL_FIELD(kNameField, "Name", &CPaintSample::GetName, &CPaintSample::SetName)
    OMBREL_FIELD(kAmountField, "Amount", &CPaintSample::GetAmount, &CPaintSample::SetAmount)
    OMBREL_FIELD(kPriceField, "Price", &CPaintSample::GetPrice)
OMBREL_END_FIELD_MAP()

CCanvas::CCanvas(int width, int height, COLORREF fill)
{
    m_dc.CreateCompatibleDC(nullptr);
    m_bitmap.CreateCompatibleBitmap(&m_dc, width, height);
    m_previous = m_dc.SelectObject(&m_bitmap);
    m_dc.FillSolidRect(0, 0, width, height, fill);
}

CCanvas::~CCanvas()
{
    if (m_previous) {
        m_dc.SelectObject(m_previous);
    }
}

int CCanvas::CountInRow(int y, int left, int right, COLORREF color) const
{
    int count = 0;
    for (int x = left; x < right; ++x) {
        count += At(x, y) == color ? 1 : 0;
    }
    return count;
}

bool IsInk(COLORREF pixel, COLORREF background)
{
    const auto distance = [&](int shift) {
        return std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                        static_cast<int>((background >> shift) & 0xFF));
    };
    return std::max({distance(0), distance(8), distance(16)}) > 60;
}

std::pair<int, int> InkExtent(const CCanvas& canvas, const CRect& band, COLORREF background)
{
    int first = -1;
    int last = -1;
    for (int x = band.left; x < band.right; ++x) {
        for (int y = band.top; y < band.bottom; ++y) {
            if (IsInk(canvas.At(x, y), background)) {
                if (first < 0) {
                    first = x;
                }
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace Ombrel::GUI::PaintTesting
