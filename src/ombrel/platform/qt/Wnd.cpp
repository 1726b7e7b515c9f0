// CWnd: creation, destruction, identity, geometry and state.

#include "ombrel/platform/Wnd.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/NativeControl.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace Ombrel {
namespace {

CRect ToCRect(const QRect& rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

// True on the thread that owns the window (by its queue: thread identifiers are reused).
bool IsOwnThread(const CWnd::Impl& impl)
{
    return impl.IsCreated() && impl.queue.get() == Internal::CurrentThreadQueueIfAny();
}

Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle)
{
    const bool frameless = (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION;
    // A frameless pop-up that must never be activated is what Qt calls a tool-tip window: the
    // window manager neither decorates nor activates it, and it stays above its owner.
    if (frameless && (exStyle & WS_EX_NOACTIVATE))
        return Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    Qt::WindowFlags flags = Qt::Window;
    if (frameless)
        flags |= Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOOLWINDOW)
        flags |= Qt::Tool;
    if (exStyle & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;
    if (exStyle & WS_EX_NOACTIVATE)
        flags |= Qt::WindowDoesNotAcceptFocus;
    return flags;
}

// Attributes that follow from the extended style; set before the widget is first shown.
void ApplyExtendedStyle(QWidget& widget, DWORD exStyle)
{
    if (exStyle & WS_EX_NOACTIVATE) {
        widget.setAttribute(Qt::WA_ShowWithoutActivating);
        widget.setFocusPolicy(Qt::NoFocus);
    }
    if (exStyle & WS_EX_TRANSPARENT) {
        widget.setAttribute(Qt::WA_TransparentForMouseEvents);
        if (widget.isWindow())
            widget.setWindowFlag(Qt::WindowTransparentForInput);
    }
}

// Shows `widget`; with `activate` false the active window and the focus stay where they are.
void ShowWidget(QWidget& widget, bool activate)
{
    const bool wasWithoutActivating = widget.testAttribute(Qt::WA_ShowWithoutActivating);
    if (!activate)
        widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.show();
    widget.setAttribute(Qt::WA_ShowWithoutActivating, wasWithoutActivating);
}

void RemoveFrom(std::vector<CWnd*>& list, const CWnd* wnd)
{
    std::erase(list, wnd);
}

// Creation parent supplied by the Qt interop (a QWidget that is no framework window).
thread_local QWidget* t_foreignParent = nullptr;

} // namespace

// ---- Internal helpers ---------------------------------------------------------------------

bool CreateWindowInWidget(CWnd& wnd, QWidget* parent, const char* className, DWORD style,
                          const CRect& rect, UINT id)
{
    if (parent == nullptr)
        return false;
    t_foreignParent = parent;
    bool created = wnd.CreateEx(0, className, nullptr, style | WS_CHILD, rect, nullptr, id);
    t_foreignParent = nullptr;
    return created;
}

CWnd* WindowFromWidget(QWidget* widget)
{
    for (QWidget* current = widget; current != nullptr; current = current->parentWidget()) {
        if (auto* host = dynamic_cast<CHostWidget*>(current))
            return host->Window();
    }
    return nullptr;
}

// ---- Impl ---------------------------------------------------------------------------------

CWnd::Impl::Impl(CWnd& window) : self(window) {}

CWnd::Impl::~Impl()
{
    ReleaseHooks();
}

QPainter* CWnd::Impl::PaintPainter()
{
    if (painter != nullptr || controlPaintWidget == nullptr)
        return painter;
    if (!controlPainter) {
        controlPainter = std::make_unique<QPainter>(controlPaintWidget);
        controlPainter->setClipRegion(paintRegion);
    }
    return controlPainter.get();
}

QRect CWnd::Impl::ClientQRect() const
{
    if (!widget)
        return {};
    int width = widget->width();
    int height = widget->height();
    int extent = widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
    if (bars[SB_VERT].shown)
        width -= extent;
    if (bars[SB_HORZ].shown)
        height -= extent;
    return QRect(0, 0, std::max(width, 0), std::max(height, 0));
}

void CWnd::Impl::SendSizeIfChanged()
{
    if (!widget || !IsCreated())
        return;
    QSize size = ClientQRect().size();
    if (size == lastClientSize)
        return;
    lastClientSize = size;
    UINT kind = widget->isMaximized() ? SIZE_MAXIMIZED : widget->isMinimized() ? SIZE_MINIMIZED : SIZE_RESTORED;
    DispatchNow(self, WM_SIZE, kind, MAKELPARAM(size.width(), size.height()));
}

void CWnd::Impl::OnWidgetDestroyed()
{
    // Qt is deleting the widget (its Qt parent went away): the window ends with it.
    widget = nullptr;
    if (lifecycle == Lifecycle::Live)
        self.DestroyWindow();
}

void CWnd::Impl::StartHoverTimer()
{
    if (!widget)
        return;
    if (hoverTimer == nullptr) {
        hoverTimer = new QTimer(widget);
        hoverTimer->setSingleShot(true);
        // The timer is a child of the widget, which outlives the window when the window is
        // destroyed (its deletion is deferred): the window is looked up through the widget,
        // which lets go of it at destruction, never remembered.
        CHostWidget* host = widget;
        QObject::connect(hoverTimer, &QTimer::timeout, hoverTimer, [host] {
            CWnd* wnd = host->Window();
            if (wnd == nullptr)
                return;
            Impl& impl = Impl::Of(*wnd);
            if ((impl.trackFlags & TME_HOVER) == 0)
                return;
            impl.trackFlags &= ~TME_HOVER;
            UINT flags = 0;
            if (GetKeyState(VK_LBUTTON) < 0) flags |= MK_LBUTTON;
            if (GetKeyState(VK_RBUTTON) < 0) flags |= MK_RBUTTON;
            if (GetKeyState(VK_MBUTTON) < 0) flags |= MK_MBUTTON;
            if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
            if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
            ::Ombrel::PostMessage(wnd, WM_MOUSEHOVER, flags,
                        MAKELPARAM(impl.lastMousePos.x(), impl.lastMousePos.y()));
        });
    }
    hoverTimer->start(static_cast<int>(hoverTimeMs));
}

void CWnd::Impl::ResetForReuse()
{
    lifecycle = Lifecycle::None;
    messageOnly = false;
    queue.reset();
    threadId = 0;
    parent = nullptr;
    owner = nullptr;
    children.clear();
    owned.clear();
    font = nullptr;
    widget = nullptr;
    lastClientSize = QSize(-1, -1);
    painter = nullptr;
    paintRegion = QRegion();
    pendingUpdate = QRegion();
    bars = {};
    barWidgets = {};
    trackFlags = 0;
    pointerInside = false;
    hoverTimer = nullptr;
    ReleaseHooks();
    if (control)
        control->Detach();
    control = nullptr;
    nativeEvent = nullptr;
    controlPainter.reset();
    controlPaintWidget = nullptr;
}

// ---- Construction and creation ------------------------------------------------------------

CWnd::CWnd() : m_impl(std::make_unique<Impl>(*this)) {}

CWnd::~CWnd()
{
    if (!m_impl->IsCreated() || DestroyWindow())
        return;
    // Destroyed from a thread that does not own it (or whose owner thread has ended): no
    // handler can run any more, but no other thread may reach this object either.
    Impl& impl = *m_impl;
    Internal::UnregisterWindow(this);
    if (impl.parent != nullptr && IsWindow(impl.parent))
        RemoveFrom(Impl::Of(*impl.parent).children, this);
    if (impl.control)
        impl.control->Detach();
    if (CHostWidget* widget = impl.widget) {
        widget->Detach();
        widget->deleteLater();
    }
}

bool CWnd::Create(const char* className, const char* windowName, DWORD style, const CRect& rect,
                  CWnd* parent, UINT id, void* createParam)
{
    return CreateEx(0, className, windowName, style, rect, parent, id, createParam);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const CRect& rect, CWnd* parent, UINT id, void* createParam)
{
    Impl& impl = *m_impl;
    QWidget* foreignParent = t_foreignParent;
    t_foreignParent = nullptr;
    if (impl.IsCreated() || !Internal::IsApplicationThread())
        return false;
    CREATESTRUCT cs;
    cs.lpCreateParams = createParam;
    cs.hwndParent = parent;
    cs.id = id;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.Width();
    cs.cy = rect.Height();
    cs.style = style;
    cs.dwExStyle = exStyle;
    cs.lpszName = windowName;
    cs.lpszClass = className;
    if (!PreCreateWindow(cs))
        return false;
    const char* effectiveClass = cs.lpszClass != nullptr ? cs.lpszClass : kDefaultWindowClass;
    if (!IsWindowClassRegistered(effectiveClass))
        return false;

    bool child = (cs.style & WS_CHILD) != 0;
    CWnd* parentWnd = cs.hwndParent;
    QWidget* parentWidget = foreignParent;
    if (parentWnd != nullptr) {
        Impl& parentImpl = Impl::Of(*parentWnd);
        if (!IsOwnThread(parentImpl) || !parentImpl.widget)
            return false;
        parentWidget = parentImpl.widget;
    }
    if (child && parentWidget == nullptr)
        return false;

    Qt::WindowFlags flags = child ? Qt::Widget : TopLevelFlags(cs.style, cs.dwExStyle);
    auto* widget = new CHostWidget(*this, parentWidget, flags);
    ApplyExtendedStyle(*widget, cs.dwExStyle);
    widget->setGeometry(cs.x, cs.y, std::max(cs.cx, 0), std::max(cs.cy, 0));
    bool refused = false;
    Internal::NativeControl* control = Internal::CreateNativeControl(*this, *widget, effectiveClass, cs, refused);
    if (refused) {
        delete widget;
        return false;
    }
    impl.widget = widget;
    impl.control = control;
    impl.className = effectiveClass;
    impl.classStyle = GetWindowClassStyle(effectiveClass);
    impl.style = cs.style & ~(WS_VISIBLE | WS_DISABLED | WS_HSCROLL | WS_VSCROLL);
    impl.exStyle = cs.dwExStyle;
    impl.id = child ? cs.id : 0;
    impl.text = cs.lpszName != nullptr ? cs.lpszName : "";
    impl.parent = child ? parentWnd : nullptr;
    impl.owner = child ? nullptr : parentWnd;
    if (!child)
        widget->setWindowTitle(QString::fromUtf8(impl.text.GetString()));

    impl.queue = Internal::CurrentThreadQueue();
    impl.threadId = GetCurrentThreadId();
    impl.lifecycle = Impl::Lifecycle::Live;
    Internal::RegisterWindow(this, impl.queue);
    if (parentWnd != nullptr)
        (child ? Impl::Of(*parentWnd).children : Impl::Of(*parentWnd).owned).push_back(this);

    PreSubclassWindow();
    if (!IsWindow(this) || DispatchNow(*this, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (IsWindow(this))
            DestroyWindow();
        return false;
    }
    if (!IsWindow(this) || !impl.widget)
        return false;
    if (cs.style & WS_DISABLED)
        impl.widget->setEnabled(false);
    if (cs.style & WS_VISIBLE)
        impl.widget->show();
    else if (child)
        impl.widget->hide();
    impl.LayoutScrollBars();
    impl.SendSizeIfChanged();
    return IsWindow(this);
}

bool CWnd::CreateMessageOnly(const char* className, const char* windowName)
{
    Impl& impl = *m_impl;
    if (impl.IsCreated())
        return false;
    CREATESTRUCT cs;
    cs.style = WS_POPUP;
    cs.lpszName = windowName;
    cs.lpszClass = className;
    if (!PreCreateWindow(cs))
        return false;
    const char* effectiveClass = cs.lpszClass != nullptr ? cs.lpszClass : kDefaultWindowClass;
    if (!IsWindowClassRegistered(effectiveClass))
        return false;
    impl.messageOnly = true;
    impl.className = effectiveClass;
    impl.classStyle = GetWindowClassStyle(effectiveClass);
    impl.style = cs.style & ~WS_VISIBLE;
    impl.exStyle = cs.dwExStyle;
    impl.text = cs.lpszName != nullptr ? cs.lpszName : "";
    impl.queue = Internal::CurrentThreadQueue();
    impl.threadId = GetCurrentThreadId();
    impl.lifecycle = Impl::Lifecycle::Live;
    Internal::RegisterWindow(this, impl.queue);
    PreSubclassWindow();
    if (!IsWindow(this) || DispatchNow(*this, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (IsWindow(this))
            DestroyWindow();
        return false;
    }
    return IsWindow(this);
}

bool CWnd::DestroyWindow()
{
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || impl.IsDestroying())
        return false;
    impl.lifecycle = Impl::Lifecycle::Destroying;
    if (GetCapture() == this)
        ReleaseCapture();
    if (impl.widget)
        impl.widget->hide();

    // Owned windows go first, then WM_DESTROY, the children, and WM_NCDESTROY last.
    for (CWnd* owned : std::vector<CWnd*>(impl.owned)) {
        if (IsWindow(owned))
            owned->DestroyWindow();
    }
    DispatchNow(*this, WM_DESTROY, 0, 0);
    for (CWnd* child : std::vector<CWnd*>(impl.children)) {
        if (IsWindow(child))
            child->DestroyWindow();
    }
    DispatchNow(*this, WM_NCDESTROY, 0, 0);

    Internal::UnregisterWindow(this); // drops queued messages, releases senders, stops timers
    ForgetInputWindow(this);
    if (impl.parent != nullptr)
        RemoveFrom(Impl::Of(*impl.parent).children, this);
    if (impl.owner != nullptr && !(impl.style & WS_CHILD))
        RemoveFrom(Impl::Of(*impl.owner).owned, this);
    if (CHostWidget* widget = impl.widget) {
        // Deleted later: the destruction may run inside an event or signal of the widget or
        // of one of its Qt children (a menu action that closes its frame).
        widget->Detach();
        widget->deleteLater();
    }
    impl.ResetForReuse();
    PostNcDestroy(); // may delete this object: nothing may follow
    return true;
}

HWND CWnd::GetSafeHwnd() const
{
    return m_impl->IsCreated() ? const_cast<CWnd*>(this) : nullptr;
}

bool CWnd::IsMessageOnly() const
{
    return m_impl->IsCreated() && m_impl->messageOnly;
}

CString CWnd::GetClassName() const
{
    return m_impl->IsCreated() ? m_impl->className : CString();
}

std::uint32_t CWnd::GetWindowThreadId() const
{
    return m_impl->IsCreated() ? m_impl->threadId : 0;
}

// ---- Family and identity ------------------------------------------------------------------

CWnd* CWnd::GetParent() const
{
    const Impl& impl = *m_impl;
    CWnd* result = (impl.style & WS_CHILD) ? impl.parent : impl.owner;
    return IsWindow(result) ? result : nullptr;
}

CWnd* CWnd::GetOwner() const
{
    const Impl& impl = *m_impl;
    if (IsWindow(impl.owner))
        return impl.owner;
    return IsWindow(impl.parent) ? impl.parent : nullptr;
}

void CWnd::SetOwner(CWnd* owner)
{
    m_impl->owner = owner;
}

UINT CWnd::GetDlgCtrlID() const
{
    return m_impl->id;
}

UINT CWnd::SetDlgCtrlID(UINT id)
{
    UINT previous = m_impl->id;
    m_impl->id = id;
    return previous;
}

DWORD CWnd::GetStyle() const
{
    const Impl& impl = *m_impl;
    DWORD style = impl.style;
    if (impl.widget) {
        if (!impl.widget->isHidden())
            style |= WS_VISIBLE;
        if (!impl.widget->isEnabled())
            style |= WS_DISABLED;
    }
    if (impl.bars[SB_HORZ].shown)
        style |= WS_HSCROLL;
    if (impl.bars[SB_VERT].shown)
        style |= WS_VSCROLL;
    return style;
}

DWORD CWnd::GetExStyle() const
{
    return m_impl->exStyle;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add)
{
    Impl& impl = *m_impl;
    if (!impl.IsCreated())
        return false;
    // Visibility, enabling and scroll bars have their own operations.
    constexpr DWORD kDerived = WS_VISIBLE | WS_DISABLED | WS_HSCROLL | WS_VSCROLL | WS_CHILD | WS_POPUP;
    DWORD before = impl.style;
    impl.style = (impl.style & ~(remove & ~kDerived)) | (add & ~kDerived);
    return impl.style != before;
}

CWnd* CWnd::GetTopLevelParent() const
{
    if (!m_impl->IsCreated())
        return nullptr;
    const CWnd* current = this;
    while (Impl::Of(*current).style & WS_CHILD) {
        CWnd* parent = current->GetParent();
        if (parent == nullptr)
            break;
        current = parent;
    }
    return const_cast<CWnd*>(current);
}

// ---- Geometry -----------------------------------------------------------------------------

void CWnd::GetClientRect(CRect* rect) const
{
    if (rect != nullptr)
        *rect = GetClientRect();
}

CRect CWnd::GetClientRect() const
{
    return ToCRect(m_impl->ClientQRect());
}

void CWnd::GetWindowRect(CRect* rect) const
{
    if (rect == nullptr)
        return;
    const Impl& impl = *m_impl;
    if (!impl.widget) {
        *rect = CRect();
        return;
    }
    *rect = ToCRect(QRect(impl.widget->mapToGlobal(QPoint(0, 0)), impl.widget->size()));
}

void CWnd::ClientToScreen(CPoint* point) const
{
    if (point == nullptr || !m_impl->widget)
        return;
    QPoint global = m_impl->widget->mapToGlobal(QPoint(point->x, point->y));
    *point = CPoint(global.x(), global.y());
}

void CWnd::ClientToScreen(CRect* rect) const
{
    if (rect == nullptr)
        return;
    CPoint topLeft = rect->TopLeft();
    CPoint bottomRight = rect->BottomRight();
    ClientToScreen(&topLeft);
    ClientToScreen(&bottomRight);
    *rect = CRect(topLeft, bottomRight);
}

void CWnd::ScreenToClient(CPoint* point) const
{
    if (point == nullptr || !m_impl->widget)
        return;
    QPoint local = m_impl->widget->mapFromGlobal(QPoint(point->x, point->y));
    *point = CPoint(local.x(), local.y());
}

void CWnd::ScreenToClient(CRect* rect) const
{
    if (rect == nullptr)
        return;
    CPoint topLeft = rect->TopLeft();
    CPoint bottomRight = rect->BottomRight();
    ScreenToClient(&topLeft);
    ScreenToClient(&bottomRight);
    *rect = CRect(topLeft, bottomRight);
}

void CWnd::MoveWindow(int x, int y, int width, int height, bool repaint)
{
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(const CRect& rect, bool repaint)
{
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

bool CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || !impl.widget)
        return false;
    QWidget* widget = impl.widget;
    QRect geometry = widget->geometry();
    if ((flags & SWP_NOMOVE) == 0)
        geometry.moveTo(x, y);
    if ((flags & SWP_NOSIZE) == 0)
        geometry.setSize(QSize(std::max(cx, 0), std::max(cy, 0)));
    widget->setGeometry(geometry);
    // A hidden widget gets its resize event only when shown; the window is told now.
    impl.LayoutScrollBars();
    impl.SendSizeIfChanged();
    if (!IsWindow(this) || !impl.widget)
        return true;
    if ((flags & SWP_NOZORDER) == 0 && insertAfter == nullptr)
        widget->raise();
    if (flags & SWP_SHOWWINDOW)
        ShowWidget(*widget, (flags & SWP_NOACTIVATE) == 0);
    if (flags & SWP_HIDEWINDOW)
        widget->hide();
    if ((flags & SWP_NOREDRAW) == 0)
        widget->update();
    return true;
}

// ---- State --------------------------------------------------------------------------------

bool CWnd::ShowWindow(int command)
{
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || !impl.widget)
        return false;
    QWidget* widget = impl.widget;
    bool wasVisible = !widget->isHidden();
    switch (command) {
    case SW_HIDE:
        widget->hide();
        break;
    case SW_SHOWMAXIMIZED:
        widget->showMaximized();
        break;
    case SW_MINIMIZE:
        widget->showMinimized();
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        ShowWidget(*widget, false);
        break;
    case SW_RESTORE:
        widget->showNormal();
        break;
    default:
        widget->show();
        break;
    }
    return wasVisible;
}

bool CWnd::IsWindowVisible() const
{
    return m_impl->widget && m_impl->widget->isVisible();
}

bool CWnd::EnableWindow(bool enable)
{
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || !impl.widget)
        return false;
    bool wasDisabled = !impl.widget->isEnabled();
    if (wasDisabled == enable) {
        impl.widget->setEnabled(enable);
        DispatchNow(*this, WM_ENABLE, enable ? 1 : 0, 0);
    }
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const
{
    return m_impl->widget && m_impl->widget->isEnabled();
}

CWnd* CWnd::SetFocus()
{
    CWnd* previous = GetFocus();
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || !impl.widget)
        return previous;
    QWidget* top = impl.widget->window();
    if (top->isVisible() && !top->isActiveWindow())
        QApplication::setActiveWindow(top);
    impl.widget->setFocus(Qt::OtherFocusReason);
    return previous;
}

CWnd* CWnd::GetFocus()
{
    if (!Internal::IsApplicationThread())
        return nullptr;
    return WindowFromWidget(QApplication::focusWidget());
}

void CWnd::SetWindowText(const char* text)
{
    if (m_impl->IsCreated())
        DispatchNow(*this, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
}

CString CWnd::GetWindowText() const
{
    return m_impl->text;
}

void CWnd::GetWindowText(CString& text) const
{
    text = m_impl->text;
}

int CWnd::GetWindowTextLength() const
{
    return m_impl->text.GetLength();
}

void CWnd::SetFont(CFont* font, bool redraw)
{
    if (m_impl->IsCreated())
        DispatchNow(*this, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw ? 1 : 0, 0));
}

CFont* CWnd::GetFont() const
{
    if (!m_impl->IsCreated())
        return nullptr;
    return reinterpret_cast<CFont*>(DispatchNow(const_cast<CWnd&>(*this), WM_GETFONT, 0, 0));
}

// ---- Timers and capture -------------------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse)
{
    Impl& impl = *m_impl;
    if (!IsOwnThread(impl) || !impl.queue->StartTimer(this, id, elapse))
        return 0;
    return id != 0 ? id : 1;
}

bool CWnd::KillTimer(UINT_PTR id)
{
    Impl& impl = *m_impl;
    return IsOwnThread(impl) && impl.queue->StopTimer(this, id);
}

} // namespace Ombrel
