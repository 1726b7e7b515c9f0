#pragma once

// Hosting framework windows in a Qt application. This is the one public header of the
// framework layer that includes Qt: include it only from code that uses Qt itself (a Qt host
// application); the grid and the rest of the library never do.

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/Messages.h"

#include <QWidget>

namespace Ombrel {

class CWnd;

// The widget behind a window (null for a message-only window or no window). The host may put
// it into its own layouts; resizing it sends WM_SIZE to the window.
QWidget* GetWidget(const CWnd& window);

// The framework window whose widget is `widget` or its nearest ancestor, or null.
CWnd* GetWindowOfWidget(QWidget* widget);

// Creates `window` as a child (WS_CHILD is implied) of a Qt widget that is no framework
// window. `rect` is in the parent's coordinates; `className` null means the default class.
// A grid for a Qt application is easier had as Ombrel::GridWidget (library Ombrel::Qt),
// which does this with scroll bars, fills its layout and turns notifications into signals.
bool CreateChildOfWidget(CWnd& window, QWidget* parent, DWORD style, const CRect& rect,
                         UINT id = 0, const char* className = nullptr);

} // namespace Ombrel
