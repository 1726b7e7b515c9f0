#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/platform/Messages.h"

#include <memory>
#include <vector>

namespace Ombrel {

class CDC;
class CFont;

// A window of the framework: one native widget (or, for a message-only window, no widget at
// all) and a window procedure.
//
// Message flow: input and system events of the widget are translated into window messages
// with the platform's numbers and parameters; key messages first pass PreTranslateMessage
// (the window, then its parents); every message then goes to WindowProc, whose default
// hands it to OnWndMsg. OnWndMsg calls the typed handler (OnPaint, OnLButtonDown, ...);
// the base handlers call Default(), which is DefWindowProc for the message being handled.
// Messages sent or posted from any thread arrive through the same WindowProc on the window's
// own thread (WindowMessaging.h).
//
// Lifetime: Create/CreateEx/CreateMessageOnly make the window (WM_CREATE, then WM_SIZE);
// DestroyWindow sends WM_DESTROY, destroys the child windows, sends WM_NCDESTROY and calls
// PostNcDestroy, after which the object is no window again (it may be created anew). The
// destructor destroys a window that still exists. A window is used on its own thread only;
// from other threads only SendMessage/PostMessage and IsWindow are allowed.
//
// Coordinates: client coordinates start at the top-left of the client area, which is the
// window minus its scroll bars.
class CWnd
{
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // ---- Creation and destruction --------------------------------------------------------
    // `rect` is in the parent's client coordinates for a child (WS_CHILD), in screen
    // coordinates otherwise; for a window without WS_CHILD `parent` is its owner. Fails when
    // this object already is a window, the class is not registered, a child has no valid
    // parent, PreCreateWindow or OnCreate refuses, or the calling thread is not the thread
    // that runs the application object.
    bool Create(const char* className, const char* windowName, DWORD style, const CRect& rect,
                CWnd* parent, UINT id, void* createParam = nullptr);
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const CRect& rect, CWnd* parent, UINT id, void* createParam = nullptr);
    // A window without a widget that only receives messages (sent, posted, timers); it
    // belongs to the calling thread, which may be any thread that runs a message loop.
    bool CreateMessageOnly(const char* className, const char* windowName = nullptr);
    virtual bool DestroyWindow();

    HWND GetSafeHwnd() const;
    bool IsMessageOnly() const;
    CString GetClassName() const;
    std::uint32_t GetWindowThreadId() const;

    // ---- Family and identity -------------------------------------------------------------
    CWnd* GetParent() const;
    // The owner (set at creation for a window without WS_CHILD, or by SetOwner), else null.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner);
    UINT GetDlgCtrlID() const;
    UINT SetDlgCtrlID(UINT id); // returns the previous identifier
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    bool ModifyStyle(DWORD remove, DWORD add);
    // The top-level window that contains this one (this window when it is top-level).
    CWnd* GetTopLevelParent() const;

    // ---- Geometry ------------------------------------------------------------------------
    void GetClientRect(CRect* rect) const;
    CRect GetClientRect() const;
    void GetWindowRect(CRect* rect) const; // screen coordinates
    void ClientToScreen(CPoint* point) const;
    void ClientToScreen(CRect* rect) const;
    void ScreenToClient(CPoint* point) const;
    void ScreenToClient(CRect* rect) const;
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);
    void MoveWindow(const CRect& rect, bool repaint = true);
    bool SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);

    // ---- State ---------------------------------------------------------------------------
    bool ShowWindow(int command); // returns whether it was visible before
    bool IsWindowVisible() const;
    bool EnableWindow(bool enable); // returns whether it was disabled before
    bool IsWindowEnabled() const;
    CWnd* SetFocus(); // returns the window that had the focus
    static CWnd* GetFocus();
    void SetWindowText(const char* text);
    CString GetWindowText() const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    // The font is not owned: it must outlive its use by the window (WM_SETFONT / WM_GETFONT).
    void SetFont(CFont* font, bool redraw = true);
    CFont* GetFont() const;

    // ---- Messages ------------------------------------------------------------------------
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sees queued and key messages meant for this window or its children before dispatch;
    // true consumes the message.
    virtual bool PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc for the message being handled on this thread.
    LRESULT Default();
    // The message being handled on this thread, or null outside of message handling.
    static const MSG* GetCurrentMessage();

    // ---- Timers and capture --------------------------------------------------------------
    // Starts (or restarts) timer `id`, which sends WM_TIMER with wParam = id every `elapse`
    // milliseconds (at least 10) until KillTimer. Returns non-zero on success, 0 when this is
    // no window or the caller is not the window's thread.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    bool KillTimer(UINT_PTR id);
    // Captures the mouse; returns the window that had the capture.
    CWnd* SetCapture();
    static CWnd* GetCapture();

    // ---- Painting ------------------------------------------------------------------------
    void Invalidate(bool erase = true);
    // Adds the rectangle (client coordinates; null: the whole client area) to the update
    // region; it is painted by the next WM_PAINT.
    void InvalidateRect(const CRect* rect, bool erase = true);
    // Paints the pending update region now, if any.
    void UpdateWindow();
    bool RedrawWindow(const CRect* rect = nullptr, UINT flags = RDW_INVALIDATE | RDW_ERASE);
    // During WM_PAINT: the rectangles of the update region (client coordinates) and their
    // bounding box; empty outside of painting.
    std::vector<CRect> GetUpdateRects() const;
    CRect GetUpdateBounds() const;
    // Moves the pixels of `scrollRect` (null: the client area) by (dx, dy), clipped to
    // `clipRect`, and invalidates only the part that was uncovered.
    void ScrollWindow(int dx, int dy, const CRect* scrollRect = nullptr,
                      const CRect* clipRect = nullptr);

    // ---- Scroll bars (SB_HORZ, SB_VERT) --------------------------------------------------
    // A window has scroll bars when it was created with WS_HSCROLL / WS_VSCROLL; a bar is
    // shown while its range is larger than its page. Setting the information never sends
    // WM_HSCROLL/WM_VSCROLL; user actions on the bar do, and leave the position to the window.
    int SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw = true); // returns position
    bool GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int position, bool redraw = true); // returns the previous one
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, bool redraw = true);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    int GetScrollLimit(int bar) const; // the largest position the page allows
    void ShowScrollBar(int bar, bool show = true);

    // ---- Message handlers (called by OnWndMsg) -------------------------------------------
    virtual bool PreCreateWindow(CREATESTRUCT& cs);
    // Called once the window exists and before WM_CREATE.
    virtual void PreSubclassWindow();
    // Returns 0 to go on, -1 to fail the creation.
    virtual int OnCreate(CREATESTRUCT* cs);
    virtual void OnDestroy();
    virtual void OnNcDestroy();
    // Called last when the window has been destroyed; a window that deletes itself does it here.
    virtual void PostNcDestroy();
    virtual void OnClose();
    virtual void OnPaint();
    // `dc` paints on the window's update region; true when the background has been erased.
    virtual bool OnEraseBkgnd(CDC* dc);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnRButtonDblClk(UINT flags, CPoint point);
    virtual void OnMButtonDown(UINT flags, CPoint point);
    virtual void OnMButtonUp(UINT flags, CPoint point);
    virtual void OnMButtonDblClk(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    // `point` is in screen coordinates; true when the wheel has been handled.
    virtual bool OnMouseWheel(UINT flags, short delta, CPoint point);
    virtual void OnMouseHWheel(UINT flags, short delta, CPoint point);
    virtual void OnMouseHover(UINT flags, CPoint point);
    virtual void OnMouseLeave();
    virtual bool OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    virtual void OnCaptureChanged(CWnd* newCapture);
    // `flags` is the high word of the key message's lParam.
    virtual void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual void OnKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual void OnSysKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    virtual void OnSysKeyUp(UINT virtualKey, UINT repeatCount, UINT flags);
    // `ch` is a Unicode code point.
    virtual void OnChar(UINT ch, UINT repeatCount, UINT flags);
    virtual void OnHScroll(UINT code, UINT position);
    virtual void OnVScroll(UINT code, UINT position);
    // WM_COMMAND: the default offers the command to OnCmdMsg.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // Command routing: true when the command id was handled.
    virtual bool OnCmdMsg(UINT id, int code);
    // WM_NOTIFY: true when handled, with the message result in *result.
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Dispatches one message to the typed handlers; false when no handler exists for it.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The private state, defined by the framework's implementation.
    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    bool DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchKey(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
