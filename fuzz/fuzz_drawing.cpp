// Runs drawing operations with coordinates, sizes and options taken from the input on a small
// memory bitmap. Coordinates reach the device context from stored state (column widths, row
// heights, scroll positions) and may be anything: no value may crash, overflow or allocate
// without bound.
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/Pen.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool AtEnd() const { return m_size == 0; }

    std::uint8_t Byte()
    {
        if (m_size == 0) {
            return 0;
        }
        --m_size;
        return *m_data++;
    }

    // Mostly small values, sometimes extreme ones.
    std::int32_t Int()
    {
        const std::uint8_t kind = Byte();
        if (kind < 0xF0) {
            return static_cast<std::int8_t>(Byte());
        }
        std::int32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 8 | Byte());
        }
        return value;
    }

    Ombrel::CRect Rect() { return Ombrel::CRect(Int(), Int(), Int(), Int()); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Ombrel;
    Reader in(data, size);
    CBitmap target;
    target.CreateCompatibleBitmap(nullptr, 32, 32);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&target);
    CBitmap sourceBitmap;
    sourceBitmap.CreateCompatibleBitmap(nullptr, 8, 8);
    CDC source;
    source.CreateCompatibleDC(nullptr);
    source.SelectObject(&sourceBitmap);
    CPen pen;
    CBrush brush(RGB(1, 2, 3));
    dc.SelectObject(&brush);

    for (int step = 0; step < 64 && !in.AtEnd(); ++step) {
        switch (in.Byte() % 20) {
        case 0:
            dc.FillSolidRect(in.Rect(), RGB(in.Byte(), 0, 0));
            break;
        case 1:
            dc.Draw3dRect(in.Rect(), 0, RGB(255, 255, 255));
            break;
        case 2:
            dc.MoveTo(in.Int(), in.Int());
            dc.LineTo(in.Int(), in.Int());
            break;
        case 3:
            if (pen.CreatePen(in.Byte() % 10, in.Int() % 8, 0)) {
                dc.SelectObject(&pen);
            }
            break;
        case 4:
            dc.Rectangle(in.Rect());
            break;
        case 5:
            dc.IntersectClipRect(in.Rect());
            break;
        case 6:
            dc.ExcludeClipRect(in.Rect());
            break;
        case 7:
            dc.SelectClipRgn(nullptr);
            break;
        case 8:
            dc.SaveDC();
            break;
        case 9:
            dc.RestoreDC(in.Int());
            break;
        case 10:
            dc.SetViewportOrg(in.Int(), in.Int());
            break;
        case 11:
            dc.BitBlt(in.Int(), in.Int(), in.Int(), in.Int(), &source, in.Int(), in.Int(), SRCCOPY);
            break;
        case 12:
            dc.StretchBlt(in.Int() % 64, in.Int() % 64, in.Int() % 64, in.Int() % 64, &source,
                          in.Int(), in.Int(), in.Int() % 64, in.Int() % 64, SRCCOPY);
            break;
        case 13:
            dc.TransparentBlt(in.Int() % 64, in.Int() % 64, in.Int() % 64, in.Int() % 64, &source,
                              in.Int(), in.Int(), in.Int() % 64, in.Int() % 64, 0);
            break;
        case 14:
            dc.AlphaBlendSolid(in.Rect(), RGB(0, 0, 255), in.Byte());
            break;
        case 15: {
            TRIVERTEX corners[2];
            corners[0].x = in.Int();
            corners[0].y = in.Int();
            corners[1].x = in.Int();
            corners[1].y = in.Int();
            const GRADIENT_RECT rect{in.Byte() % 3u, in.Byte() % 3u};
            dc.GradientFill(corners, 2, &rect, 1, in.Byte() % 3u);
            break;
        }
        case 16:
            dc.DrawFocusRect(in.Rect());
            break;
        case 17: {
            CPoint points[4];
            for (CPoint& point : points) {
                point = CPoint(in.Int(), in.Int());
            }
            dc.Polygon(points, 1 + in.Byte() % 4);
            break;
        }
        case 18: {
            CRect box;
            dc.GetClipBox(&box);
            dc.RectVisible(in.Rect());
            dc.GetPixel(in.Int(), in.Int());
            break;
        }
        case 19: {
            CImageList list;
            if (list.Create(1 + in.Byte() % 16, 1 + in.Byte() % 16, ILC_MASK, in.Int(), 0)) {
                list.Add(&sourceBitmap, RGB(0, 0, 0));
                list.Draw(&dc, in.Byte() % 4, CPoint(in.Int(), in.Int()), in.Byte());
            }
            break;
        }
        }
    }
    return 0;
}
