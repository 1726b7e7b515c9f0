#pragma once

// The private state of CWnd and the Qt widget behind it. Internal to the framework layer.

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/MessageQueue.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QPainter;
class QScrollBar;
class QTimer;

namespace Ombrel {

class CHostWidget;
class CWindowHook;

namespace Internal {
class NativeControl;
struct NativeEventRecord;
}

// One scroll bar's state as the window sees it; the QScrollBar only mirrors it.
struct ScrollBarState
{
    int minPos = 0;
    int maxPos = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool disableNoScroll = false; // shown disabled rather than hidden when not needed
    // What ShowScrollBar last asked for; Auto until it is called.
    enum class Forced
    {
        Auto,
        Hidden, // ShowScrollBar(false)
        Shown,  // ShowScrollBar(true)
    };
    Forced forced = Forced::Auto;
    bool shown = false;           // whether the bar takes room from the client area now
};

struct CWnd::Impl
{
    explicit Impl(CWnd& window);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    CWnd& self;
    // ---- Identity (set by creation, cleared by destruction) ------------------------------
    // None until creation; Live once created; Destroying from DestroyWindow until the window
    // is gone, when it returns to None (the object may be created again).
    enum class Lifecycle
    {
        None,
        Live,
        Destroying,
    };
    Lifecycle lifecycle = Lifecycle::None;
    bool IsCreated() const { return lifecycle != Lifecycle::None; }
    bool IsDestroying() const { return lifecycle == Lifecycle::Destroying; }
    bool messageOnly = false;
    std::shared_ptr<Internal::ThreadQueue> queue; // the owning thread's queue while created
    std::uint32_t threadId = 0;
    CString className;
    UINT classStyle = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT id = 0;
    CWnd* parent = nullptr;
    CWnd* owner = nullptr;
    std::vector<CWnd*> children; // in creation order
    std::vector<CWnd*> owned;    // top-level windows this one owns
    CString text;
    CFont* font = nullptr; // not owned (WM_SETFONT)

    // ---- The widget (null for message-only windows) --------------------------------------
    QPointer<CHostWidget> widget;
    QSize lastClientSize{-1, -1}; // size reported by the last WM_SIZE

    // ---- Painting (set only while WM_PAINT / WM_ERASEBKGND are dispatched) ----------------
    QPainter* painter = nullptr;
    QRegion paintRegion;
    QRegion pendingUpdate; // invalidated by this window and not yet painted

    // ---- Scroll bars: [SB_HORZ], [SB_VERT] -----------------------------------------------
    std::array<ScrollBarState, 2> bars;
    std::array<QPointer<QScrollBar>, 2> barWidgets;

    // ---- Mouse tracking (TrackMouseEvent) -------------------------------------------------
    DWORD trackFlags = 0; // TME_HOVER | TME_LEAVE in force
    UINT hoverTimeMs = 400;
    QPoint hoverAnchor;
    QPoint lastMousePos; // client coordinates of the latest mouse event
    // Whether the pointer is over the widget: set by mouse events and Enter, cleared by Leave
    // and by mouse input that went to another window. A leave request made while it is false
    // is answered at once.
    bool pointerInside = false;
    QTimer* hoverTimer = nullptr; // child of the widget

    // ---- Hooks (WindowHook.cpp) ----------------------------------------------------------
    // In installation order: the last entry sees a message first. An entry is null while the
    // hook it held was removed during a dispatch that still walks the chain; nulls are dropped
    // once no dispatch of this window is running.
    std::vector<CWindowHook*> hooks;

    // ---- Standard control (null for windows of other classes) ----------------------------
    // The toolkit widget of a control class ("Edit", "Button", ...) inside `widget`.
    // Owned by `widget` (a Qt child of it), so that it outlives a destruction that starts
    // inside one of its own signals; detached from this window when the window is destroyed.
    QPointer<Internal::NativeControl> control;
    // The toolkit event of the control being translated into messages right now, if any.
    Internal::NativeEventRecord* nativeEvent = nullptr;
    // While a control's WM_PAINT is handled: the widget a CPaintDC paints on, and the painter
    // opened for it on demand (ended before the control's own painting runs).
    QWidget* controlPaintWidget = nullptr;
    std::unique_ptr<QPainter> controlPainter;

    static Impl& Of(const CWnd& wnd) { return wnd.GetImpl(); }

    // ---- Operations used by the widget and the free functions ----------------------------
    QRect ClientQRect() const;
    void LayoutScrollBars();
    void UpdateScrollBarWidget(int bar);
    void SendSizeIfChanged();
    void OnWidgetDestroyed();
    void StartHoverTimer();
    void ResetForReuse();
    // Releases every hook of the window (they end up bound to no window).
    void ReleaseHooks();
    // The painter a CPaintDC draws with during WM_PAINT (opened on demand for controls).
    QPainter* PaintPainter();
};

// Dispatches a message to a window of the calling thread, as SendMessage does on the
// window's own thread: through the window's hooks, then its WindowProc.
LRESULT DispatchNow(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam);
// The window's own procedure, past its hooks (the end of the hook chain).
LRESULT CallWindowProcedure(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the window's hook chain (WindowHook.cpp); the chain ends in CallWindowProcedure.
LRESULT DispatchThroughHooks(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs PreTranslateMessage from the message's window up through its parents; true when one
// of them consumed the message.
bool WalkPreTranslateTree(MSG& msg);

// The window behind a widget (the nearest framework window among it and its ancestors).
CWnd* WindowFromWidget(QWidget* widget);

// Input state recorded from the events the windows receive (GetKeyState).
void NoteKeyState(UINT virtualKey, bool down);
void NoteModifierState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// The window that saw the latest mouse event (cursor changes apply to it).
void NoteMouseWindow(CWnd* wnd);
// Records where the pointer is: over `wnd` at `client` (client coordinates), at `global` on
// the screen. The window the pointer was over before is left, with WM_MOUSELEAVE when it
// asked for it, unless it contains `wnd`.
void NotePointer(CWnd& wnd, QPoint client, QPoint global);
// The pointer has left `wnd` (a Leave event): WM_MOUSELEAVE when it asked for it.
void NotePointerLeft(CWnd& wnd);
CWnd* MouseWindow();
void ForgetInputWindow(CWnd* wnd);
// Shows the current cursor (SetCursor) over `wnd`.
void ApplyCursor(CWnd& wnd);

} // namespace Ombrel
