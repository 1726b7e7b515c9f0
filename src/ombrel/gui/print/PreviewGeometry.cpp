#include "ombrel/gui/print/PreviewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Ombrel::GUI::PreviewGeometry {

namespace {

CSize Zoomed(CSize paper, double zoom)
{
    return CSize(static_cast<int>(paper.cx * zoom), static_cast<int>(paper.cy * zoom));
}

} // namespace

bool IsFixedZoomMode(int mode)
{
    return mode >= kFirstFixedZoomMode && mode < kPageZoomModes;
}

double ZoomOfMode(int mode)
{
    return IsFixedZoomMode(mode) ? kFixedZooms[static_cast<std::size_t>(mode - kFirstFixedZoomMode)]
                                 : 1.0;
}

int PagesShownAtOnce(int mode, int pageCount)
{
    if (pageCount <= 1 || IsFixedZoomMode(mode) || mode <= 0)
        return 1;
    return std::min(mode + 1, pageCount);
}

CRect PageArea(const CRect& client, int barHeight)
{
    CRect area(client.left, client.top + barHeight, client.right, client.bottom);
    area.DeflateRect(1, 1);
    if (area.right < area.left)
        area.right = area.left;
    if (area.bottom < area.top)
        area.bottom = area.top;
    return area;
}

CRect FitPageInSlot(const CRect& area, int slots, int slot, CSize paper)
{
    if (slots <= 0 || slot < 0 || slot >= slots || paper.cx <= 0 || paper.cy <= 0)
        return CRect();
    const int left = area.left + static_cast<int>(std::int64_t{area.Width()} * slot / slots);
    const int right = area.left + static_cast<int>(std::int64_t{area.Width()} * (slot + 1) / slots);
    CRect inside(left, area.top, right, area.bottom);
    inside.DeflateRect(kPageGap, kPageGap);
    if (inside.Width() <= 0 || inside.Height() <= 0)
        return CRect();
    const double aspect = double(paper.cy) / paper.cx; // height over width
    int height = inside.Height();
    int width = static_cast<int>(height / aspect);
    if (width > inside.Width()) {
        width = inside.Width();
        height = static_cast<int>(width * aspect);
    }
    const int x = inside.left + (inside.Width() - width) / 2;
    const int y = inside.top + (inside.Height() - height) / 2;
    return CRect(x, y, x + width, y + height);
}

ScrollRanges ComputeScrollRanges(int mode, int pageCount, CSize paper, const CRect& area)
{
    ScrollRanges ranges;
    if (pageCount <= 0 || paper.cx <= 0 || paper.cy <= 0)
        return ranges;
    if (!IsFixedZoomMode(mode)) {
        const int shown = PagesShownAtOnce(mode, pageCount);
        if (pageCount > shown)
            ranges.verticalMax = (pageCount - 1) / shown;
        return ranges;
    }
    const CSize page = Zoomed(paper, ZoomOfMode(mode));
    ranges.pageStep = std::max(page.cy + 2 * kPageGap - area.Height(), 1);
    const int widthStep = std::max(page.cx + 2 * kPageGap - area.Width(), 1);
    const std::int64_t vertical = std::int64_t{pageCount} * ranges.pageStep - 1;
    ranges.verticalMax = static_cast<int>(std::min<std::int64_t>(vertical, INT32_MAX - 1));
    ranges.horizontalMax = widthStep - 1;
    return ranges;
}

int PageUpDownStep(int mode, CSize paper, const CRect& area)
{
    const double zoom = IsFixedZoomMode(mode) ? ZoomOfMode(mode) : 1.0;
    const CSize page = Zoomed(paper, zoom);
    return std::max(page.cy + 2 * kPageGap - area.Height(), 1);
}

int FixedZoomPageIndex(int vertical, int pageStep)
{
    return pageStep > 0 ? std::max(vertical, 0) / pageStep : 0;
}

CRect FixedZoomPageRect(const CRect& area, int mode, CSize paper, int vertical, int horizontal,
                        int pageStep)
{
    const CSize page = Zoomed(paper, ZoomOfMode(mode));
    if (page.cx <= 0 || page.cy <= 0)
        return CRect();
    int left = area.left + kPageGap - std::max(horizontal, 0);
    if (page.cx + 2 * kPageGap <= area.Width())
        left = area.left + (area.Width() - page.cx) / 2;
    int top = area.top + kPageGap - (pageStep > 0 ? std::max(vertical, 0) % pageStep : 0);
    if (page.cy + 2 * kPageGap <= area.Height())
        top = area.top + (area.Height() - page.cy) / 2;
    return CRect(left, top, left + page.cx, top + page.cy);
}

} // namespace Ombrel::GUI::PreviewGeometry
