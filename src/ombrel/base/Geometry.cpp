#include "ombrel/base/Geometry.h"

#include <algorithm>
#include <utility>

namespace Ombrel {

void CRect::NormalizeRect()
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
}

void CRect::OffsetRect(std::int32_t dx, std::int32_t dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void CRect::InflateRect(std::int32_t dx, std::int32_t dy)
{
    InflateRect(dx, dy, dx, dy);
}

void CRect::InflateRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
{
    left -= l;
    top -= t;
    right += r;
    bottom += b;
}

bool CRect::IntersectRect(const CRect& a, const CRect& b)
{
    const CRect overlap(std::max(a.left, b.left), std::max(a.top, b.top),
                        std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    if (overlap.IsRectEmpty()) {
        SetRectEmpty();
        return false;
    }
    *this = overlap;
    return true;
}

bool CRect::UnionRect(const CRect& a, const CRect& b)
{
    if (a.IsRectEmpty()) {
        *this = b.IsRectEmpty() ? CRect() : b;
    } else if (b.IsRectEmpty()) {
        *this = a;
    } else {
        *this = CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                      std::max(a.bottom, b.bottom));
    }
    return !IsRectEmpty();
}

} // namespace Ombrel
