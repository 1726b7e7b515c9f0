#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/Messages.h"

#include <cstdint>

// Keyboard, mouse and cursor state of the window thread. These functions are for the thread
// that runs the application object.

namespace Ombrel {

// State of a virtual key (VK_SHIFT, VK_CONTROL, VK_MENU and their left/right forms,
// VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_CAPITAL): the high bit (the value is negative) while
// the key is down. Keys are read from the latest input the application has seen.
std::int16_t GetKeyState(int virtualKey);

// The cursor position in screen coordinates. On platforms without a pointer of their own
// (offscreen, minimal) it is where the latest mouse event the application received happened.
bool GetCursorPos(CPoint* point);

// The window that has the keyboard focus, or null.
HWND GetFocus();

// The innermost window of the application at `screenPoint`, or null. Windows that let the
// mouse through (WS_EX_TRANSPARENT) are not found.
HWND WindowFromPoint(CPoint screenPoint);

// Mouse capture: the capturing window receives all mouse messages. ReleaseCapture sends
// WM_CAPTURECHANGED (lParam 0) to the window that loses it.
HWND GetCapture();
bool ReleaseCapture();

// Asks for WM_MOUSELEAVE when the pointer leaves the window and/or WM_MOUSEHOVER when it
// rests within a few pixels for the hover time (HOVER_DEFAULT: 400 ms); each request is
// answered once. Leaving ends a pending hover request. When the pointer is not over the
// window at the time of the request, WM_MOUSELEAVE is posted at once and no hover follows.
// TME_CANCEL withdraws the flags given; TME_QUERY fills `request` with the tracking in force
// for request->hwndTrack.
bool TrackMouseEvent(TRACKMOUSEEVENT* request);

// A standard cursor (IDC_*), or 0 for an identifier that names none.
HCURSOR LoadCursor(std::uint32_t standardCursorId);
// Shows `cursor` over the window that has the mouse (the capturing window, else the window
// under the pointer) until the next mouse move asks the window again (WM_SETCURSOR).
// Returns the cursor shown before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The user's setting for lines scrolled per wheel notch (3 when it cannot be read).
int ReadWheelScrollLines();

// Milliseconds within which a second click is a double click.
UINT GetDoubleClickTime();

} // namespace Ombrel
