#pragma once

#include <cstdint>

namespace Ombrel {

// Points, sizes and rectangles of the framework, in 32-bit device units (pixels).
// A rectangle's right and bottom edges are exclusive: it covers x in [left, right) and
// y in [top, bottom). A rectangle is empty when its width or height is not positive.

struct CSize
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;

    constexpr CSize() = default;
    constexpr CSize(std::int32_t width, std::int32_t height) : cx(width), cy(height) {}

    friend constexpr bool operator==(const CSize&, const CSize&) = default;
};

struct CPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(std::int32_t px, std::int32_t py) : x(px), y(py) {}

    void Offset(std::int32_t dx, std::int32_t dy) { x += dx; y += dy; }
    constexpr CPoint operator+(const CSize& s) const { return {x + s.cx, y + s.cy}; }
    constexpr CPoint operator-(const CSize& s) const { return {x - s.cx, y - s.cy}; }
    constexpr CSize operator-(const CPoint& p) const { return {x - p.x, y - p.y}; }

    friend constexpr bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(CPoint topLeft, CSize size)
        : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.cx), bottom(topLeft.y + size.cy) {}
    constexpr CRect(CPoint topLeft, CPoint bottomRight)
        : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

    constexpr std::int32_t Width() const { return right - left; }
    constexpr std::int32_t Height() const { return bottom - top; }
    constexpr CSize Size() const { return {Width(), Height()}; }
    constexpr CPoint TopLeft() const { return {left, top}; }
    constexpr CPoint BottomRight() const { return {right, bottom}; }
    constexpr CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }

    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(CPoint p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool EqualRect(const CRect& other) const { return *this == other; }

    void SetRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
    {
        left = l; top = t; right = r; bottom = b;
    }
    void SetRectEmpty() { *this = CRect(); }
    // Swaps edges so that left <= right and top <= bottom.
    void NormalizeRect();
    void OffsetRect(std::int32_t dx, std::int32_t dy);
    void OffsetRect(CPoint delta) { OffsetRect(delta.x, delta.y); }
    void InflateRect(std::int32_t dx, std::int32_t dy);
    void InflateRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b);
    void DeflateRect(std::int32_t dx, std::int32_t dy) { InflateRect(-dx, -dy); }
    void DeflateRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
    {
        InflateRect(-l, -t, -r, -b);
    }

    // Sets this to the overlap of a and b; when they do not overlap, this becomes all zero
    // and the result is false.
    bool IntersectRect(const CRect& a, const CRect& b);
    // Sets this to the smallest rectangle holding a and b; empty inputs are ignored. False
    // when the result is empty.
    bool UnionRect(const CRect& a, const CRect& b);

    friend constexpr bool operator==(const CRect&, const CRect&) = default;
};

} // namespace Ombrel
