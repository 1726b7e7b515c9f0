#include "support/Harness.h"

#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <thread>

namespace Ombrel::Test {
namespace {

QPointF Local(CPoint point)
{
    return QPointF(point.x, point.y);
}

// A standard control's window (its widget has a focus proxy) takes input in the toolkit
// widgets inside it: mouse input goes to the innermost widget under the point, keys to the
// focus proxy, as the window system would deliver them.
QWidget* MouseTarget(QWidget* widget, QPointF& local)
{
    if (widget->focusProxy() == nullptr)
        return widget;
    QWidget* child = widget->childAt(local.toPoint());
    if (child == nullptr)
        return widget;
    local = child->mapFrom(widget, local);
    return child;
}

void SendMouse(CWnd& window, QEvent::Type type, CPoint point, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return;
    QPointF local = Local(point);
    QPointF global = widget->mapToGlobal(local);
    QWidget* target = MouseTarget(widget, local);
    QMouseEvent event(type, local, global, button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

void SendKey(CWnd& window, QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers,
             const char* text, bool autoRepeat)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return;
    if (widget->focusProxy() != nullptr)
        widget = widget->focusProxy();
    QKeyEvent event(type, qtKey, modifiers, QString::fromUtf8(text), autoRepeat);
    QApplication::sendEvent(widget, &event);
}

} // namespace

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        PumpMessagesFor(5);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration)
{
    auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline)
        PumpMessagesFor(5);
}

QWidget* WidgetOf(CWnd& window)
{
    return CWnd::Impl::Of(window).widget;
}

void ShowAndActivate(CWnd& window)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return;
    QWidget* top = widget->window();
    top->show();
    QApplication::setActiveWindow(top);
    PumpUntil([top] { return top->isActiveWindow(); }, 1s);
}

void MousePress(CWnd& window, CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    SendMouse(window, QEvent::MouseButtonPress, point, button, button, modifiers);
}

void MouseRelease(CWnd& window, CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    SendMouse(window, QEvent::MouseButtonRelease, point, button, Qt::NoButton, modifiers);
}

void MouseMove(CWnd& window, CPoint point, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    SendMouse(window, QEvent::MouseMove, point, Qt::NoButton, buttons, modifiers);
}

void Click(CWnd& window, CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    MousePress(window, point, button, modifiers);
    MouseRelease(window, point, button, modifiers);
}

void DoubleClick(CWnd& window, CPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Click(window, point, button, modifiers);
    SendMouse(window, QEvent::MouseButtonDblClick, point, button, button, modifiers);
    MouseRelease(window, point, button, modifiers);
}

void Wheel(CWnd& window, CPoint point, int delta, Qt::KeyboardModifiers modifiers)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return;
    QPointF local = Local(point);
    QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void MouseLeave(CWnd& window)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return;
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

void KeyPress(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers, const char* text, bool autoRepeat)
{
    SendKey(window, QEvent::KeyPress, qtKey, modifiers, text, autoRepeat);
}

void KeyRelease(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers, const char* text)
{
    SendKey(window, QEvent::KeyRelease, qtKey, modifiers, text, false);
}

void Key(CWnd& window, int qtKey, Qt::KeyboardModifiers modifiers, const char* text)
{
    KeyPress(window, qtKey, modifiers, text);
    KeyRelease(window, qtKey, modifiers, text);
}

void TypeText(CWnd& window, const char* text)
{
    for (const char* ch = text; *ch != '\0'; ++ch) {
        char c = *ch;
        char typed[2] = {c, '\0'};
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        int key = static_cast<unsigned char>(c);
        if (c >= 'a' && c <= 'z')
            key = Qt::Key_A + (c - 'a');
        else if (c >= 'A' && c <= 'Z')
            modifiers = Qt::ShiftModifier;
        Key(window, key, modifiers, typed);
    }
}

QImage Grab(CWnd& window)
{
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr)
        return {};
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

COLORREF PixelAt(const QImage& image, CPoint point)
{
    if (!image.valid(point.x, point.y))
        return 0xFFFFFFFF;
    QRgb pixel = image.pixel(point.x, point.y);
    return RGB(static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
               static_cast<std::uint8_t>(qBlue(pixel)));
}

COLORREF PixelAt(CWnd& window, CPoint point)
{
    return PixelAt(Grab(window), point);
}

} // namespace Ombrel::Test
