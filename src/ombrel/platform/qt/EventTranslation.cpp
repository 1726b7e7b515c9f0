// Qt events -> window messages.
//
//   mouse press/release/double click -> WM_SETCURSOR, then WM_xBUTTONDOWN/UP/DBLCLK
//                                       (client point in lParam, MK_* flags in wParam)
//   mouse move                       -> WM_SETCURSOR, WM_MOUSEMOVE (+ hover tracking)
//   leave, or mouse input to another   -> WM_MOUSELEAVE when asked for by TrackMouseEvent
//   window that does not contain it
//   wheel                            -> WM_MOUSEWHEEL / WM_MOUSEHWHEEL, 120 per notch, screen point
//   key press/release                -> PreTranslateMessage walk, WM_(SYS)KEYDOWN/UP, then
//                                       WM_(SYS)CHAR per character of the key's text
//   resize/move                      -> WM_SIZE (client size) / WM_MOVE
//   focus in/out                     -> WM_SETFOCUS / WM_KILLFOCUS
//   paint                            -> WM_ERASEBKGND, then WM_PAINT, with the painter and the
//                                       update region kept in the window's state meanwhile
//   close                            -> WM_CLOSE (its default destroys the window)
// A standard control's widget is translated by TranslateControlEvent (NativeControl.h): its
// host widget only reports size, position and closing.
// While a window has the mouse captured, mouse messages go to it instead.

#include "ombrel/base/Clock.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/NativeControl.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace Ombrel {
namespace {

// The window that lost the focus last; the window gaining it is told (WM_SETFOCUS wParam).
thread_local CWnd* t_focusLoser = nullptr;
thread_local const QKeyEvent* t_keyEvent = nullptr;

struct KeyEventScope
{
    explicit KeyEventScope(const QKeyEvent* event) : m_previous(t_keyEvent) { t_keyEvent = event; }
    ~KeyEventScope() { t_keyEvent = m_previous; }
    KeyEventScope(const KeyEventScope&) = delete;
    KeyEventScope& operator=(const KeyEventScope&) = delete;

private:
    const QKeyEvent* m_previous;
};

UINT KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

LPARAM PointParam(QPoint point)
{
    return MAKELPARAM(point.x(), point.y());
}

// The window that receives a mouse event of `window`: the capturing window, if any.
CWnd& MouseTarget(CWnd& window)
{
    CWnd* capture = GetCapture();
    return capture != nullptr && IsWindow(capture) ? *capture : window;
}

QPoint ClientPointIn(CWnd& target, QPointF globalPos)
{
    CWnd::Impl& impl = CWnd::Impl::Of(target);
    if (!impl.widget)
        return {};
    return impl.widget->mapFromGlobal(globalPos).toPoint();
}

void SendSetCursor(CWnd& target, UINT mouseMessage)
{
    DispatchNow(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(&target),
                MAKELPARAM(HTCLIENT, static_cast<std::int32_t>(mouseMessage)));
}

UINT ButtonMessage(Qt::MouseButton button, QEvent::Type type, bool classHasDoubleClicks)
{
    int index = button == Qt::LeftButton ? 0 : button == Qt::RightButton ? 1 : button == Qt::MiddleButton ? 2 : -1;
    if (index < 0)
        return 0;
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static constexpr UINT kDouble[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    switch (type) {
    case QEvent::MouseButtonPress:
        return kDown[index];
    case QEvent::MouseButtonRelease:
        return kUp[index];
    case QEvent::MouseButtonDblClick:
        return classHasDoubleClicks ? kDouble[index] : kDown[index];
    default:
        return 0;
    }
}

void TrackHover(CWnd& target, QPoint clientPos)
{
    CWnd::Impl& impl = CWnd::Impl::Of(target);
    impl.lastMousePos = clientPos;
    if ((impl.trackFlags & TME_HOVER) == 0)
        return;
    // The pointer must rest within the hover rectangle (4 pixels either way) for the hover time.
    QPoint moved = clientPos - impl.hoverAnchor;
    if (std::abs(moved.x()) > 4 || std::abs(moved.y()) > 4) {
        impl.hoverAnchor = clientPos;
        impl.StartHoverTimer();
    }
}

// `inHost`: the event's position is relative to the window's own widget (else to a widget
// inside it, such as a control's).
bool TranslateMouse(CWnd& window, QMouseEvent* event, bool inHost = true)
{
    NoteModifierState(event->modifiers(), event->buttons());
    CWnd& target = MouseTarget(window);
    NoteMouseWindow(&target);
    QPoint client = ClientPointIn(target, event->globalPosition());
    if (&target == &window && inHost)
        client = event->position().toPoint();
    NotePointer(target, client, event->globalPosition().toPoint());
    if (!IsWindow(&target))
        return true;
    UINT flags = KeyFlags(event->buttons(), event->modifiers());
    if (event->type() == QEvent::MouseMove) {
        SendSetCursor(target, WM_MOUSEMOVE);
        if (IsWindow(&target))
            TrackHover(target, client);
        if (IsWindow(&target))
            DispatchNow(target, WM_MOUSEMOVE, flags, PointParam(client));
        return true;
    }
    bool doubleClicks = (CWnd::Impl::Of(target).classStyle & CS_DBLCLKS) != 0;
    UINT message = ButtonMessage(event->button(), event->type(), doubleClicks);
    if (message == 0)
        return false;
    CWnd::Impl::Of(target).lastMousePos = client;
    if (event->type() != QEvent::MouseButtonRelease)
        SendSetCursor(target, message);
    if (IsWindow(&target))
        DispatchNow(target, message, flags, PointParam(client));
    return true;
}

bool TranslateWheel(CWnd& window, QWheelEvent* event)
{
    NoteModifierState(event->modifiers(), event->buttons());
    CWnd& target = MouseTarget(window);
    UINT flags = KeyFlags(event->buttons(), event->modifiers());
    QPoint delta = event->angleDelta();
    QPoint screen = event->globalPosition().toPoint();
    NotePointer(target, ClientPointIn(target, event->globalPosition()), screen);
    if (!IsWindow(&target))
        return true;
    auto clampDelta = [](int value) { return std::clamp(value, -32768, 32767); };
    if (delta.y() != 0)
        DispatchNow(target, WM_MOUSEWHEEL, MAKEWPARAM(flags, static_cast<std::uint16_t>(clampDelta(delta.y()))),
                    PointParam(screen));
    if (delta.x() != 0 && IsWindow(&target))
        DispatchNow(target, WM_MOUSEHWHEEL,
                    MAKEWPARAM(flags, static_cast<std::uint16_t>(clampDelta(delta.x()))),
                    PointParam(screen));
    return true;
}

bool IsExtendedKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier)
        return qtKey == Qt::Key_Enter || qtKey == Qt::Key_Slash;
    switch (qtKey) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Insert: case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

// The characters a key produces, as WM_CHAR code points.
std::vector<UINT> KeyCharacters(const QKeyEvent& event, UINT virtualKey)
{
    std::vector<UINT> characters;
    for (char32_t ch : event.text().toUcs4())
        characters.push_back(static_cast<UINT>(ch));
    if (!characters.empty())
        return characters;
    // Synthetic events may come without text: the control characters keys always produce.
    switch (virtualKey) {
    case VK_BACK: case VK_TAB: case VK_RETURN: case VK_ESCAPE:
        characters.push_back(virtualKey);
        break;
    default:
        if ((event.modifiers() & Qt::ControlModifier) && virtualKey >= 'A' && virtualKey <= 'Z')
            characters.push_back(virtualKey - 'A' + 1);
        break;
    }
    return characters;
}

bool DeliverKeyMessage(CWnd& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{&window, message, wParam, lParam, static_cast<DWORD>(GetTickCount64()), {}};
    if (WalkPreTranslateTree(msg))
        return false; // consumed
    if (IsWindow(&window))
        DispatchNow(window, message, wParam, lParam);
    return true;
}

bool TranslateKey(CWnd& window, QKeyEvent* event)
{
    KeyEventScope scope(event);
    bool press = event->type() == QEvent::KeyPress;
    UINT vk = TranslateQtKey(event->key(), event->modifiers());
    Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!press && event->isAutoRepeat())
        return true; // the platform repeats key-downs without key-ups in between
    NoteModifierState(modifiers, QApplication::mouseButtons());
    if (vk != 0)
        NoteKeyState(vk, press);
    bool alt = (modifiers & Qt::AltModifier) != 0;
    LPARAM lParam = 1 | (static_cast<LPARAM>(event->nativeScanCode() & 0xFF) << 16);
    if (IsExtendedKey(event->key(), modifiers))
        lParam |= KF_EXTENDED_BIT;
    if (alt)
        lParam |= KF_ALTDOWN_BIT;
    if (!press)
        lParam |= KF_REPEAT_BIT | KF_UP_BIT;
    else if (event->isAutoRepeat())
        lParam |= KF_REPEAT_BIT;
    bool system = alt || vk == VK_F10;
    UINT message = press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    bool delivered = vk == 0 || DeliverKeyMessage(window, message, vk, lParam);
    if (!press || !delivered || !IsWindow(&window))
        return true;
    UINT charMessage = alt ? WM_SYSCHAR : WM_CHAR;
    for (UINT ch : KeyCharacters(*event, vk)) {
        if (!IsWindow(&window))
            break;
        DeliverKeyMessage(window, charMessage, ch, lParam);
    }
    return true;
}

void TranslateFocusIn(CWnd& window)
{
    CWnd* previous = t_focusLoser != &window && IsWindow(t_focusLoser) ? t_focusLoser : nullptr;
    t_focusLoser = nullptr;
    DispatchNow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void TranslateFocusOut(CWnd& window)
{
    t_focusLoser = &window;
    CWnd* next = WindowFromWidget(QApplication::focusWidget());
    DispatchNow(window, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next == &window ? nullptr : next), 0);
}

// A control paints through WM_PAINT: a CPaintDC made by a handler opens a painter on the
// control widget on demand, and the control's own painting runs when WM_PAINT reaches its
// default processing.
void TranslateControlPaint(CWnd& window, QWidget& widget, QPaintEvent* event)
{
    CWnd::Impl& impl = CWnd::Impl::Of(window);
    impl.paintRegion = event->region();
    impl.controlPaintWidget = &widget;
    DispatchNow(window, WM_PAINT, 0, 0);
    if (!IsWindow(&window))
        return;
    if (impl.controlPainter && impl.controlPainter->isActive())
        impl.controlPainter->end();
    impl.controlPainter.reset();
    impl.controlPaintWidget = nullptr;
    impl.paintRegion = QRegion();
}

bool TranslatePaint(CWnd& window, CHostWidget& widget, QPaintEvent* event)
{
    CWnd::Impl& impl = CWnd::Impl::Of(window);
    QPainter painter(&widget);
    impl.painter = &painter;
    impl.paintRegion = event->region() & impl.ClientQRect();
    impl.pendingUpdate -= event->region();
    {
        CDC eraseDC;
        AttachPainter(eraseDC, &painter);
        DispatchNow(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(&eraseDC), 0);
    }
    if (IsWindow(&window) && impl.painter == &painter)
        DispatchNow(window, WM_PAINT, 0, 0);
    if (impl.painter == &painter) {
        impl.painter = nullptr;
        impl.paintRegion = QRegion();
    }
    return true;
}

bool IsControlWidgetEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: case QEvent::Wheel: case QEvent::KeyPress: case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: case QEvent::FocusIn: case QEvent::FocusOut: case QEvent::Paint:
        return true;
    default:
        return false;
    }
}

} // namespace

const QKeyEvent* CurrentKeyEvent()
{
    return t_keyEvent;
}

unsigned TranslateQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? VK_NUMPAD0 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    if (keypad) {
        switch (qtKey) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Select: return VK_SELECT;
    case Qt::Key_Printer: return VK_PRINT;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Meta: case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Super_R: return VK_RWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    // Shifted digits of the US layout produce the digit's key.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_Semicolon: case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal: case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma: case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus: case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period: case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash: case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash: case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return VK_OEM_7;
    default: return 0;
    }
}

bool TranslateControlEvent(CWnd& window, QWidget& receiver, QEvent* event)
{
    CWnd::Impl& impl = CWnd::Impl::Of(window);
    Internal::NativeEventRecord record;
    record.receiver = &receiver;
    record.event = event;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        record.virtualKey = TranslateQtKey(key->key(), key->modifiers());
        if (event->type() == QEvent::KeyPress)
            record.characters = KeyCharacters(*key, record.virtualKey);
    }
    Internal::NativeEventRecord* previous = impl.nativeEvent;
    impl.nativeEvent = &record;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        TranslateKey(window, static_cast<QKeyEvent*>(event));
        break;
    case QEvent::Wheel:
        TranslateWheel(window, static_cast<QWheelEvent*>(event));
        break;
    case QEvent::FocusIn:
        TranslateFocusIn(window);
        break;
    case QEvent::FocusOut:
        TranslateFocusOut(window);
        break;
    case QEvent::Paint:
        TranslateControlPaint(window, receiver, static_cast<QPaintEvent*>(event));
        break;
    default:
        TranslateMouse(window, static_cast<QMouseEvent*>(event), &receiver == impl.widget.data());
        break;
    }
    // The window may be gone (its object too): only a live window gets its state back.
    if (IsWindow(&window))
        impl.nativeEvent = previous;
    if (!record.delivered)
        event->accept(); // swallowed: nothing else may act on it
    return true;
}

bool TranslateEvent(CWnd& window, CHostWidget& widget, QEvent* event)
{
    CWnd::Impl& impl = CWnd::Impl::Of(window);
    if (impl.control && IsControlWidgetEvent(event->type())) {
        // The control widget covers its host and translates its own input; what reaches the
        // host was passed on by the control and must not travel to the windows behind it.
        event->accept();
        return true;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return TranslateMouse(window, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
        return TranslateWheel(window, static_cast<QWheelEvent*>(event));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return TranslateKey(window, static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride:
        // Every key comes to the window first; frames run their shortcuts from
        // PreTranslateMessage, after the windows below them had their say.
        event->accept();
        return true;
    case QEvent::Paint:
        return TranslatePaint(window, widget, static_cast<QPaintEvent*>(event));
    case QEvent::Resize:
        if (impl.control)
            impl.control->Layout();
        impl.LayoutScrollBars();
        impl.SendSizeIfChanged();
        return false;
    case QEvent::Move: {
        QPoint pos = widget.isWindow() ? widget.mapToGlobal(QPoint(0, 0)) : widget.pos();
        DispatchNow(window, WM_MOVE, 0, PointParam(pos));
        return false;
    }
    case QEvent::FocusIn:
        TranslateFocusIn(window);
        return true;
    case QEvent::FocusOut:
        TranslateFocusOut(window);
        return true;
    case QEvent::Enter:
        impl.pointerInside = true;
        return false;
    case QEvent::Leave:
        NotePointerLeft(window);
        return false;
    case QEvent::Close:
        event->ignore(); // the window decides (WM_CLOSE's default destroys it)
        DispatchNow(window, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

} // namespace Ombrel
