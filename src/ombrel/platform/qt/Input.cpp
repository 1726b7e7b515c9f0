// Keyboard and mouse state, capture, mouse tracking and cursors.

#include "ombrel/platform/Input.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QCursor>
#include <QStyleHints>
#include <QTimer>

#include <array>
#include <atomic>
#include <optional>

namespace Ombrel {
namespace {

constexpr std::uint8_t kDown = 0x80;
constexpr std::uint8_t kToggled = 0x01;

// Key states as recorded from the input the windows received; any thread may read them.
std::array<std::atomic<std::uint8_t>, 256> g_keys{};

// Capture, mouse window and cursor belong to the application thread.
CWnd* g_capture = nullptr;
CWnd* g_mouseWindow = nullptr;
HCURSOR g_cursor = IDC_ARROW;
// The window the pointer was last seen over, and where on the screen (application thread).
CWnd* g_pointerWindow = nullptr;
std::optional<QPoint> g_pointerPos;

// Platforms without a real pointer (offscreen, minimal) have only the input the application
// was given: the pointer is where the latest mouse event put it.
bool HasRealPointer()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool Contains(const CWnd& ancestor, const CWnd* wnd)
{
    for (const CWnd* current = wnd; current != nullptr; current = current->GetParent()) {
        if (current == &ancestor)
            return true;
    }
    return false;
}

void SetDown(UINT vk, bool down)
{
    if (vk >= g_keys.size())
        return;
    std::uint8_t state = g_keys[vk].load(std::memory_order_relaxed);
    if (down && (state & kDown) == 0)
        state ^= kToggled; // a press toggles (caps lock, num lock)
    state = down ? (state | kDown) : (state & ~kDown);
    g_keys[vk].store(state, std::memory_order_relaxed);
}

Qt::CursorShape ShapeOf(HCURSOR cursor)
{
    switch (cursor) {
    case IDC_IBEAM: return Qt::IBeamCursor;
    case IDC_WAIT: return Qt::WaitCursor;
    case IDC_CROSS: return Qt::CrossCursor;
    case IDC_UPARROW: return Qt::UpArrowCursor;
    case IDC_SIZENWSE: return Qt::SizeFDiagCursor;
    case IDC_SIZENESW: return Qt::SizeBDiagCursor;
    case IDC_SIZEWE: return Qt::SizeHorCursor;
    case IDC_SIZENS: return Qt::SizeVerCursor;
    case IDC_SIZEALL: return Qt::SizeAllCursor;
    case IDC_NO: return Qt::ForbiddenCursor;
    case IDC_HAND: return Qt::PointingHandCursor;
    case IDC_APPSTARTING: return Qt::BusyCursor;
    case IDC_HELP: return Qt::WhatsThisCursor;
    case 0: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

// ---- Recorded input ----------------------------------------------------------------------

void NoteKeyState(UINT virtualKey, bool down)
{
    SetDown(virtualKey, down);
}

void NoteModifierState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    SetDown(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0);
    SetDown(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0);
    SetDown(VK_MENU, (modifiers & Qt::AltModifier) != 0);
    SetDown(VK_LBUTTON, (buttons & Qt::LeftButton) != 0);
    SetDown(VK_RBUTTON, (buttons & Qt::RightButton) != 0);
    SetDown(VK_MBUTTON, (buttons & Qt::MiddleButton) != 0);
}

void NoteMouseWindow(CWnd* wnd)
{
    g_mouseWindow = wnd;
}

CWnd* MouseWindow()
{
    return IsWindow(g_mouseWindow) ? g_mouseWindow : nullptr;
}

void NotePointerLeft(CWnd& wnd)
{
    CWnd::Impl& impl = CWnd::Impl::Of(wnd);
    impl.pointerInside = false;
    if (impl.trackFlags & TME_LEAVE) {
        // Leaving also ends a hover request: the pointer cannot rest over the window any more.
        impl.trackFlags &= ~(TME_LEAVE | TME_HOVER);
        PostMessage(&wnd, WM_MOUSELEAVE, 0, 0);
    }
}

void NotePointer(CWnd& wnd, QPoint client, QPoint global)
{
    g_pointerPos = global;
    CWnd::Impl& impl = CWnd::Impl::Of(wnd);
    const QWidget* widget = impl.widget;
    const bool inside = widget != nullptr && QRect(QPoint(0, 0), widget->size()).contains(client);
    CWnd* previous = IsWindow(g_pointerWindow) ? g_pointerWindow : nullptr;
    g_pointerWindow = inside ? &wnd : nullptr;
    if (previous != nullptr && previous != &wnd && !Contains(*previous, &wnd))
        NotePointerLeft(*previous);
    if (inside)
        impl.pointerInside = true;
    else if (impl.pointerInside)
        NotePointerLeft(wnd); // a captured drag carried the pointer out of the window
}

void ForgetInputWindow(CWnd* wnd)
{
    if (g_pointerWindow == wnd)
        g_pointerWindow = nullptr;
    if (g_mouseWindow == wnd)
        g_mouseWindow = nullptr;
    if (g_capture == wnd)
        g_capture = nullptr;
}

std::int16_t GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey >= static_cast<int>(g_keys.size()))
        return 0;
    auto vk = static_cast<std::size_t>(virtualKey);
    std::uint8_t state = g_keys[vk].load(std::memory_order_relaxed);
    // The left/right forms share the state of the generic key.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        state = g_keys[VK_SHIFT].load(std::memory_order_relaxed);
    else if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        state = g_keys[VK_CONTROL].load(std::memory_order_relaxed);
    else if (vk == VK_LMENU || vk == VK_RMENU)
        state = g_keys[VK_MENU].load(std::memory_order_relaxed);
    auto result = static_cast<std::uint16_t>(((state & kDown) ? 0x8000 : 0) | (state & kToggled));
    return static_cast<std::int16_t>(result);
}

bool GetCursorPos(CPoint* point)
{
    if (point == nullptr || !Internal::IsApplicationThread())
        return false;
    const QPoint pos = HasRealPointer() || !g_pointerPos ? QCursor::pos() : *g_pointerPos;
    *point = CPoint(pos.x(), pos.y());
    return true;
}

HWND GetFocus()
{
    return CWnd::GetFocus();
}

HWND WindowFromPoint(CPoint screenPoint)
{
    if (!Internal::IsApplicationThread() || QApplication::instance() == nullptr)
        return nullptr;
    return WindowFromWidget(QApplication::widgetAt(QPoint(screenPoint.x, screenPoint.y)));
}

// ---- Capture ------------------------------------------------------------------------------

CWnd* CWnd::SetCapture()
{
    CWnd* previous = IsWindow(g_capture) ? g_capture : nullptr;
    Impl& impl = *m_impl;
    if (!impl.widget || previous == this)
        return previous;
    g_capture = this;
    // Capture is kept here and honoured by the event translation; the platform grab adds
    // delivery outside our windows where the platform supports it.
    if (impl.widget->isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        impl.widget->grabMouse();
    if (previous != nullptr)
        DispatchNow(*previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(this));
    return previous;
}

CWnd* CWnd::GetCapture()
{
    return IsWindow(g_capture) ? g_capture : nullptr;
}

HWND GetCapture()
{
    return CWnd::GetCapture();
}

bool ReleaseCapture()
{
    CWnd* previous = IsWindow(g_capture) ? g_capture : nullptr;
    g_capture = nullptr;
    if (previous == nullptr)
        return true;
    QWidget* widget = CWnd::Impl::Of(*previous).widget;
    if (widget != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen"))
        widget->releaseMouse();
    DispatchNow(*previous, WM_CAPTURECHANGED, 0, 0);
    return true;
}

// ---- Mouse tracking -----------------------------------------------------------------------

bool TrackMouseEvent(TRACKMOUSEEVENT* request)
{
    if (request == nullptr || !IsWindow(request->hwndTrack))
        return false;
    CWnd::Impl& impl = CWnd::Impl::Of(*request->hwndTrack);
    if (!impl.widget)
        return false;
    if (request->dwFlags & TME_QUERY) {
        request->dwFlags = impl.trackFlags;
        request->dwHoverTime = impl.hoverTimeMs;
        return true;
    }
    DWORD flags = request->dwFlags & (TME_HOVER | TME_LEAVE);
    if (request->dwFlags & TME_CANCEL) {
        impl.trackFlags &= ~flags;
        if ((impl.trackFlags & TME_HOVER) == 0 && impl.hoverTimer != nullptr)
            impl.hoverTimer->stop();
        return true;
    }
    if (!impl.pointerInside) {
        // The pointer is not over the window: it has left already, and cannot hover.
        if (flags & TME_LEAVE)
            PostMessage(request->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return true;
    }
    impl.trackFlags |= flags;
    if (flags & TME_HOVER) {
        impl.hoverTimeMs = request->dwHoverTime == HOVER_DEFAULT ? 400 : request->dwHoverTime;
        impl.hoverAnchor = impl.lastMousePos;
        impl.StartHoverTimer();
    }
    return true;
}

// ---- Cursors ------------------------------------------------------------------------------

HCURSOR LoadCursor(std::uint32_t standardCursorId)
{
    switch (standardCursorId) {
    case IDC_ARROW: case IDC_IBEAM: case IDC_WAIT: case IDC_CROSS: case IDC_UPARROW:
    case IDC_SIZENWSE: case IDC_SIZENESW: case IDC_SIZEWE: case IDC_SIZENS: case IDC_SIZEALL:
    case IDC_NO: case IDC_HAND: case IDC_APPSTARTING: case IDC_HELP:
        return standardCursorId;
    default:
        return 0;
    }
}

void ApplyCursor(CWnd& wnd)
{
    if (QWidget* widget = CWnd::Impl::Of(wnd).widget)
        widget->setCursor(QCursor(ShapeOf(g_cursor)));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = g_cursor;
    g_cursor = cursor;
    CWnd* target = CWnd::GetCapture();
    if (target == nullptr)
        target = MouseWindow();
    if (target != nullptr)
        ApplyCursor(*target);
    return previous;
}

HCURSOR GetCursor()
{
    return g_cursor;
}

int ReadWheelScrollLines()
{
    if (QApplication::instance() == nullptr)
        return 3;
    return QApplication::wheelScrollLines();
}

UINT GetDoubleClickTime()
{
    if (QGuiApplication::instance() == nullptr)
        return 500;
    return static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

} // namespace Ombrel
