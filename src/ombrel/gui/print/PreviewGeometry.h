#pragma once

#include "ombrel/base/Geometry.h"

#include <array>

namespace Ombrel::GUI {

// Where the print preview puts its pages: pure arithmetic over the client area, the paper's
// size on screen, the page-zoom mode and the page count.
//
// Page-zoom modes: 0, 1, 2 show one, two or three whole pages side by side; 3 to 9 show one
// page at a fixed zoom of the paper's screen size, with scroll bars where it does not fit.
namespace PreviewGeometry {

constexpr int kPageGap = 20; // pixels between pages and around them
constexpr int kPageZoomModes = 10;
constexpr int kFirstFixedZoomMode = 3;
constexpr std::array<double, 7> kFixedZooms{0.33, 0.5, 0.75, 1.0, 1.5, 2.0, 4.0};
static_assert(kFirstFixedZoomMode + kFixedZooms.size() == kPageZoomModes,
              "every fixed-zoom mode needs its zoom");

bool IsFixedZoomMode(int mode);
// The zoom of a fixed-zoom mode; 1.0 for modes 0 to 2.
double ZoomOfMode(int mode);
// Pages side by side: 1 for at most one page and in the fixed-zoom modes, else the mode's
// count, as far as there are pages.
int PagesShownAtOnce(int mode, int pageCount);
// The area pages go in: the client area below the print bar, one pixel in on every side.
CRect PageArea(const CRect& client, int barHeight);
// Modes 0 to 2: the page in slot `slot` of `slots` equal columns of `area`, a gap inside each,
// with the paper's proportions, as tall as the slot allows, centred. Empty for an empty paper.
CRect FitPageInSlot(const CRect& area, int slots, int slot, CSize paper);

// Scroll ranges; a maximum of -1 means no scroll bar.
struct ScrollRanges
{
    int verticalMax = -1;
    int horizontalMax = -1;
    int pageStep = 1;  // vertical positions per page in the fixed-zoom modes
};
ScrollRanges ComputeScrollRanges(int mode, int pageCount, CSize paper, const CRect& area);
// The vertical step of page up / page down: the fixed-zoom page step (at zoom 1.0 in modes
// 0 to 2), at least 1.
int PageUpDownStep(int mode, CSize paper, const CRect& area);

// Fixed-zoom modes: the page shown at vertical position `vertical` and horizontal position
// `horizontal`, and its rectangle. A page that fits across or down is centred that way.
int FixedZoomPageIndex(int vertical, int pageStep);
CRect FixedZoomPageRect(const CRect& area, int mode, CSize paper, int vertical, int horizontal,
                        int pageStep);

} // namespace PreviewGeometry

} // namespace Ombrel::GUI
