#pragma once

namespace Ombrel {

// Indices of GetSystemMetrics, with the platform's values.
constexpr int SM_CXSCREEN = 0;         // width of the primary screen, pixels
constexpr int SM_CYSCREEN = 1;         // height of the primary screen, pixels
constexpr int SM_CXVSCROLL = 2;        // width of a vertical scroll bar
constexpr int SM_CYHSCROLL = 3;        // height of a horizontal scroll bar
constexpr int SM_CXCURSOR = 13;        // width of the pointer's image
constexpr int SM_CYCURSOR = 14;        // height of the pointer's image
constexpr int SM_CXDOUBLECLK = 36;     // double-click rectangle around the first click
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXDRAG = 68;          // distance the pointer moves before a drag starts
constexpr int SM_CYDRAG = 69;
constexpr int SM_XVIRTUALSCREEN = 76;  // the rectangle around all screens: left
constexpr int SM_YVIRTUALSCREEN = 77;  // top
constexpr int SM_CXVIRTUALSCREEN = 78; // width
constexpr int SM_CYVIRTUALSCREEN = 79; // height
constexpr int SM_CMONITORS = 80;       // number of screens

// A size or setting of the desktop, in pixels unless the index says otherwise; 0 for an
// index it does not know and before the application object exists. Screen coordinates may
// be negative: a screen left of or above the primary one makes SM_XVIRTUALSCREEN or
// SM_YVIRTUALSCREEN negative. Window thread only.
//
// The pointer size is the one the desktop's cursor theme is drawn at (XCURSOR_SIZE when the
// session sets it, otherwise the size the cursor library derives from the screen's
// resolution).
int GetSystemMetrics(int index);

} // namespace Ombrel
