#pragma once

#include "ombrel/base/Geometry.h"

namespace Ombrel::GUI {

struct TooltipSettings;

namespace Detail {

// The pointer's image counts at most this many pixels when a tooltip keeps clear of it.
constexpr int kMaxCursorExtent = 22;

// Top-left corner (screen coordinates) of a tooltip of `size` for the pointer's hot spot at
// `cursor`, by the record's placement, offset and `cursorSize` (the pointer's image, capped at
// kMaxCursorExtent):
//   above  (0): x = cx - w/2,                          y = cy - offset.y - h
//   below  (1): x = cx - w/2,                          y = cy + min(cursor h, 22) + offset.y
//   left   (2): x = cx - w - offset.x,                 y = cy - h/2
//   right  (3): x = cx + min(cursor w, 22) + offset.x, y = cy - h/2
// Any other placement (a record changed in place) counts as above. Computed without
// overflow and clamped to the int range.
CPoint PlaceAtCursor(CPoint cursor, CSize size, const TooltipSettings& settings, CSize cursorSize);

// `rect` moved (not resized) into `screen`: first left/up so that it ends at the screen's
// right/bottom edge, then right/down so that it starts at its left/top edge. A tooltip wider
// or taller than the screen thus keeps its beginning, where its text starts, on screen.
CRect KeepOnScreen(const CRect& rect, const CRect& screen);

// The rectangle around all screens, from the platform's virtual-screen metrics.
CRect VirtualScreen();

} // namespace Detail
} // namespace Ombrel::GUI
