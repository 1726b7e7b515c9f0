#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"

#include <cstdint>

namespace Ombrel::GUI {

// What the mouse is doing to the grid, as the paint pass must show it. Written by the mouse
// service (CGridMouse) and the drop target, read by the painter; all on the window thread.
struct GridTracking
{
    // The header cell the pointer holds (pressed, or being dragged); -2 for none.
    std::int32_t trackedFieldId = -2;
    // The tracked cell is drawn pressed (a press that may still become a sort click).
    bool trackedPressed = false;
    // While a column is dragged: the visible index the drop marker stands at (0 .. visible
    // column count), -1 when no marker is shown.
    int dropIndex = -1;
    // The rubber band in client coordinates, normalized; empty while there is none.
    CRect rubberBand;
    // Where rows dragged over the grid would land, in client coordinates; empty while nothing
    // is dragged over it. A line between rows (before or after a row, at the end of an area) or,
    // when the rows would become children, the row's whole band, drawn as a frame. Written by
    // the grid's drop target (CGridDropTarget).
    CRect dropMark;
    bool dropMarkIsFrame = false;
    COLORREF dropMarkColor = 0;
};

} // namespace Ombrel::GUI
