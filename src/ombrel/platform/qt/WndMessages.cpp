// CWnd: message dispatch, default processing and the typed handlers.

#include "ombrel/platform/Wnd.h"

#include "ombrel/base/Clock.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/NativeControl.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QPainter>

#include <cstring>
#include <vector>

namespace Ombrel {
namespace {

// The messages being handled on this thread, innermost last (Default, GetCurrentMessage).
thread_local std::vector<MSG> t_messageStack;

struct CurrentMessageScope
{
    CurrentMessageScope(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        t_messageStack.push_back(MSG{&wnd, message, wParam, lParam, static_cast<DWORD>(GetTickCount64()), {}});
    }
    ~CurrentMessageScope() { t_messageStack.pop_back(); }
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;
};

CPoint PointFrom(LPARAM lParam)
{
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

UINT KeyRepeat(LPARAM lParam)
{
    return static_cast<UINT>(lParam & 0xFFFF);
}

UINT KeyFlagsOf(LPARAM lParam)
{
    return static_cast<UINT>((static_cast<std::uint64_t>(lParam) >> 16) & 0xFFFF);
}

// The window's background colour: the platform's window colour.
void EraseBackground(CWnd::Impl& impl)
{
    if (impl.painter == nullptr || !impl.widget)
        return;
    QColor background = impl.widget->palette().color(QPalette::Base);
    for (const QRect& rect : impl.paintRegion)
        impl.painter->fillRect(rect, background);
}

} // namespace

LRESULT DispatchNow(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!CWnd::Impl::Of(wnd).hooks.empty())
        return DispatchThroughHooks(wnd, message, wParam, lParam);
    return CallWindowProcedure(wnd, message, wParam, lParam);
}

LRESULT CallWindowProcedure(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Pushed here rather than in DispatchNow: a hook may pass changed parameters on, and
    // Default() must see what the window got.
    CurrentMessageScope scope(wnd, message, wParam, lParam);
    return wnd.WindowProc(message, wParam, lParam);
}

bool WalkPreTranslateTree(MSG& msg)
{
    for (CWnd* wnd = msg.hwnd; wnd != nullptr && IsWindow(wnd); wnd = wnd->GetParent()) {
        if (wnd->PreTranslateMessage(&msg))
            return true;
    }
    return false;
}

LRESULT Internal::DeliverMessage(const MSG& msg, bool posted)
{
    if (posted) {
        MSG copy = msg;
        if (WalkPreTranslateTree(copy))
            return 0;
    }
    if (!IsWindow(msg.hwnd))
        return 0;
    return DispatchNow(*msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

// ---- Messages -----------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::Ombrel::SendMessage(this, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::Ombrel::PostMessage(this, message, wParam, lParam);
}

bool CWnd::PreTranslateMessage(MSG*)
{
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::Default()
{
    if (t_messageStack.empty() || t_messageStack.back().hwnd != this)
        return 0;
    MSG msg = t_messageStack.back();
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    return t_messageStack.empty() ? nullptr : &t_messageStack.back();
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    Impl& impl = *m_impl;
    // A standard control's class processing comes first, as its class procedure would.
    if (impl.control) {
        LRESULT result = 0;
        if (impl.control->HandleMessage(message, wParam, lParam, result))
            return result;
    }
    switch (message) {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_ERASEBKGND:
        EraseBackground(impl);
        return 1;
    case WM_SETFONT:
        impl.font = reinterpret_cast<CFont*>(wParam);
        if (impl.widget) {
            impl.widget->setFont(impl.font != nullptr ? ToQFont(*impl.font) : QFont());
            if (LOWORD(static_cast<std::uint64_t>(lParam)) != 0)
                impl.widget->update();
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(impl.font);
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        impl.text = text != nullptr ? text : "";
        if (impl.widget && impl.widget->isWindow())
            impl.widget->setWindowTitle(QString::fromUtf8(impl.text.GetString()));
        return 1;
    }
    case WM_GETTEXT: {
        // wParam: buffer size in bytes including the terminator; returns the bytes copied.
        char* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0)
            return 0;
        std::size_t count = std::min<std::size_t>(impl.text.GetLength(), wParam - 1);
        std::memcpy(buffer, impl.text.GetString(), count);
        buffer[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
        return impl.text.GetLength();
    case WM_SETCURSOR:
        if (LOWORD(static_cast<std::uint64_t>(lParam)) == HTCLIENT) {
            SetCursor(LoadCursor(IDC_ARROW));
            return 1;
        }
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // An unhandled wheel goes to the parent, as on the platform.
        if ((impl.style & WS_CHILD) && GetParent() != nullptr)
            return GetParent()->SendMessage(message, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT dummy = 0;
    LRESULT& out = result != nullptr ? *result : dummy;
    out = 0;
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        return DispatchMouse(message, wParam, lParam);
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST)
        return DispatchKey(message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        out = OnCreate(reinterpret_cast<CREATESTRUCT*>(lParam));
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_NCDESTROY:
        OnNcDestroy();
        return true;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ERASEBKGND:
        out = OnEraseBkgnd(reinterpret_cast<CDC*>(wParam)) ? 1 : 0;
        return true;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<std::uint64_t>(lParam)),
               HIWORD(static_cast<std::uint64_t>(lParam)));
        return true;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return true;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<CWnd*>(wParam));
        return true;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<CWnd*>(wParam));
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_SETCURSOR:
        out = OnSetCursor(reinterpret_cast<CWnd*>(wParam), LOWORD(static_cast<std::uint64_t>(lParam)),
                          HIWORD(static_cast<std::uint64_t>(lParam))) ? 1 : 0;
        return true;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<CWnd*>(lParam));
        return true;
    case WM_MOUSEHOVER:
        OnMouseHover(static_cast<UINT>(wParam), PointFrom(lParam));
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return true;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam));
        return true;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), HIWORD(wParam));
        return true;
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(wParam, lParam, &out);
    default:
        return false;
    }
}

bool CWnd::DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT flags = GET_KEYSTATE_WPARAM(wParam);
    CPoint point = PointFrom(lParam);
    switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), point); return true;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), point); return true;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), point); return true;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), point); return true;
    case WM_RBUTTONDOWN: OnRButtonDown(static_cast<UINT>(wParam), point); return true;
    case WM_RBUTTONUP: OnRButtonUp(static_cast<UINT>(wParam), point); return true;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(static_cast<UINT>(wParam), point); return true;
    case WM_MBUTTONDOWN: OnMButtonDown(static_cast<UINT>(wParam), point); return true;
    case WM_MBUTTONUP: OnMButtonUp(static_cast<UINT>(wParam), point); return true;
    case WM_MBUTTONDBLCLK: OnMButtonDblClk(static_cast<UINT>(wParam), point); return true;
    case WM_MOUSEWHEEL: {
        // The wheel's result is the default's (it forwards to the parent) when unhandled.
        OnMouseWheel(flags, GET_WHEEL_DELTA_WPARAM(wParam), point);
        return true;
    }
    case WM_MOUSEHWHEEL: OnMouseHWheel(flags, GET_WHEEL_DELTA_WPARAM(wParam), point); return true;
    default: return false;
    }
}

bool CWnd::DispatchKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT key = static_cast<UINT>(wParam);
    UINT repeat = KeyRepeat(lParam);
    UINT flags = KeyFlagsOf(lParam);
    switch (message) {
    case WM_KEYDOWN: OnKeyDown(key, repeat, flags); return true;
    case WM_KEYUP: OnKeyUp(key, repeat, flags); return true;
    case WM_SYSKEYDOWN: OnSysKeyDown(key, repeat, flags); return true;
    case WM_SYSKEYUP: OnSysKeyUp(key, repeat, flags); return true;
    case WM_CHAR: OnChar(key, repeat, flags); return true;
    default: return false;
    }
}

// ---- Default handlers: the platform's default processing ---------------------------------

bool CWnd::PreCreateWindow(CREATESTRUCT&) { return true; }
void CWnd::PreSubclassWindow() {}
int CWnd::OnCreate(CREATESTRUCT*) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::PostNcDestroy() {}
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
bool CWnd::OnEraseBkgnd(CDC*) { return Default() != 0; }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
bool CWnd::OnMouseWheel(UINT, short, CPoint) { return Default() != 0; }
void CWnd::OnMouseHWheel(UINT, short, CPoint) { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
bool CWnd::OnSetCursor(CWnd*, UINT, UINT) { return Default() != 0; }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT) { Default(); }
void CWnd::OnVScroll(UINT, UINT) { Default(); }

bool CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    return OnCmdMsg(LOWORD(wParam), static_cast<int>(HIWORD(wParam)));
}

bool CWnd::OnCmdMsg(UINT, int)
{
    return false;
}

bool CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return false;
}

} // namespace Ombrel
