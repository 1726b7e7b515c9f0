#pragma once

// Helpers for window tests: pumping the event loop until a condition holds (with a time
// bound), synthetic input delivered to a window's widget, and pixels of rendered windows.

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"

#include <QImage>
#include <Qt>

#include <chrono>
#include <functional>

class QWidget;

namespace Ombrel {
class CWnd;
}

namespace Ombrel::Test {

using namespace std::chrono_literals;

// Handles events and window messages until `condition` is true or `timeout` has passed;
// returns the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);
// Handles events and window messages for `duration` (to check that something does NOT happen).
void PumpFor(std::chrono::milliseconds duration);

QWidget* WidgetOf(CWnd& window);
// Shows the window's top-level window and makes it the active window, so focus works.
void ShowAndActivate(CWnd& window);

// Mouse input at a client point of the window. `buttons` are the buttons held after the event.
void MousePress(CWnd& window, CPoint point, Qt::MouseButton button = Qt::LeftButton,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void MouseRelease(CWnd& window, CPoint point, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void MouseMove(CWnd& window, CPoint point, Qt::MouseButtons buttons = Qt::NoButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void Click(CWnd& window, CPoint point, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Press, release, double-click event, release: what a real double click delivers.
void DoubleClick(CWnd& window, CPoint point, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// `delta` in eighths of a degree: 120 is one notch away from the user.
void Wheel(CWnd& window, CPoint point, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void MouseLeave(CWnd& window);

// Key input to the window's widget; `text` is what the key types (may be empty).
void KeyPress(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const char* text = "", bool autoRepeat = false);
void KeyRelease(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const char* text = "");
void Key(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const char* text = "");

// Types ASCII text key by key (press and release, Shift for upper-case letters).
void TypeText(CWnd& window, const char* text);

// The window (with its children) rendered into an image of its size.
QImage Grab(CWnd& window);
// A pixel as COLORREF; CLR 0xFFFFFFFF outside the image.
COLORREF PixelAt(const QImage& image, CPoint point);
COLORREF PixelAt(CWnd& window, CPoint point);

} // namespace Ombrel::Test
