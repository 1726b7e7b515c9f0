#pragma once

#include "ombrel/platform/Messages.h"

namespace Ombrel::GUI {

// The grid window's timers. The identifiers are fixed: the grid window and its services share
// one timer space, and each identifier has one owner. The grid stops all of them when its
// window is destroyed.
enum class GridTimer : UINT_PTR
{
    Repaint = 0,        // scheduled repaints of changed cells (the fading highlight)
    AutoScroll = 1,     // mouse service: scrolling while a drag holds the pointer outside
    Hover = 2,          // mouse and drag-and-drop services: hover over a row or a drop target
    DeferredLayout = 3, // layout after a burst of insertions; stops itself
    EnsureVisible = 4,  // the layout's deferred EnsureVisible; stops itself
    HeaderLayout = 5,   // layout and full repaint after a column was resized; stops itself
    TooltipDisplay = 6, // tooltip service: hides a shown tooltip after its display time
    Frame = 7,          // repaints asked for by changes of data, once per frame (CRepaintPacer)
    Count
};

constexpr UINT_PTR TimerId(GridTimer timer)
{
    return static_cast<UINT_PTR>(timer);
}

constexpr UINT_PTR kGridTimerCount = TimerId(GridTimer::Count);

} // namespace Ombrel::GUI
