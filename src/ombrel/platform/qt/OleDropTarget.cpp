// Drop-target registration on the window's widget.
//
//   Register     the widget accepts drops; a DropEventFilter (a child of the widget) watches
//                its drag events
//   DragEnter    -> OnDragEnter: none ignores the event, so Qt sends nothing more of this drag
//   DragMove     -> OnDragOver: none ignores the move (no drop here), the drag goes on
//   DragLeave    -> OnDragLeave (also when the drag is cancelled over the window)
//   Drop         -> OnDrop with the effect of the last over
//   Revoke       the filter goes; the widget accepts no drops
//
// The filter never lets the widget's own handling see a drag event of a live window. Once the
// window is destroyed its widget is detached at once and deleted later: from then on the
// filter answers nothing (the widget ignores the drag) and the target counts as unregistered.

#include "ombrel/platform/OleDropTarget.h"

#include "ombrel/base/ThreadId.h"

#include "ombrel/platform/OleDataObject.h"
#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/OleDataObjectImpl.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QObject>
#include <QPointer>

namespace Ombrel {
namespace {

DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    DWORD state = 0;
    if (buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        state |= MK_ALT;
    return state;
}

Qt::DropAction ActionOf(DROPEFFECT effect)
{
    if ((effect & DROPEFFECT_MOVE) != 0)
        return Qt::MoveAction;
    if ((effect & DROPEFFECT_COPY) != 0)
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

DROPEFFECT EffectOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    default: return DROPEFFECT_NONE;
    }
}

CPoint ClientPointOf(const QDropEvent& event)
{
    const QPoint point = event.position().toPoint();
    return CPoint(point.x(), point.y());
}

std::unique_ptr<COleDataObject> DataOf(const QDropEvent& event)
{
    auto impl = std::make_unique<COleDataObject::Impl>();
    impl->data = event.mimeData();
    return std::make_unique<COleDataObject>(std::move(impl));
}

class DropEventFilter final : public QObject
{
public:
    DropEventFilter(COleDropTarget& target, CWnd& window, CHostWidget& widget)
        : QObject(&widget), m_target(target), m_window(window), m_widget(widget)
    {
    }

    // Whether the widget still belongs to the window the target registered for.
    bool IsLive() const { return m_widget.Window() == &m_window; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent() || !IsLive())
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
            OnMove(*static_cast<QDragEnterEvent*>(event), true);
            return true;
        case QEvent::DragMove:
            OnMove(*static_cast<QDragMoveEvent*>(event), false);
            return true;
        case QEvent::DragLeave:
            m_lastEffect = DROPEFFECT_NONE;
            m_target.OnDragLeave(&m_window);
            event->accept();
            return true;
        case QEvent::Drop:
            OnDrop(*static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
        }
    }

private:
    void OnMove(QDragMoveEvent& event, bool entering)
    {
        const std::unique_ptr<COleDataObject> data = DataOf(event);
        const DWORD keys = KeyStateOf(event.buttons(), event.modifiers());
        const CPoint point = ClientPointOf(event);
        const DROPEFFECT effect = entering ? m_target.OnDragEnter(&m_window, data.get(), keys, point)
                                           : m_target.OnDragOver(&m_window, data.get(), keys, point);
        m_lastEffect = effect;
        const Qt::DropAction action = ActionOf(effect);
        if (action == Qt::IgnoreAction || !event.possibleActions().testFlag(action)) {
            m_lastEffect = DROPEFFECT_NONE;
            event.ignore();
            return;
        }
        event.setDropAction(action);
        event.accept();
    }

    void OnDrop(QDropEvent& event)
    {
        const std::unique_ptr<COleDataObject> data = DataOf(event);
        const DWORD keys = KeyStateOf(event.buttons(), event.modifiers());
        const DROPEFFECT offered =
            m_lastEffect != DROPEFFECT_NONE ? m_lastEffect : EffectOf(event.dropAction());
        m_lastEffect = DROPEFFECT_NONE;
        const DROPEFFECT done = m_target.OnDrop(&m_window, data.get(), offered, keys,
                                                ClientPointOf(event));
        const Qt::DropAction action = ActionOf(done);
        if (action == Qt::IgnoreAction) {
            event.ignore();
            return;
        }
        event.setDropAction(action);
        event.accept();
    }

    COleDropTarget& m_target;
    CWnd& m_window;
    CHostWidget& m_widget; // the filter's parent: it lives as long as the filter
    DROPEFFECT m_lastEffect = DROPEFFECT_NONE;
};

} // namespace

struct COleDropTarget::Impl
{
    QPointer<DropEventFilter> filter; // null once revoked or once the widget is gone
};

COleDropTarget::COleDropTarget() : m_impl(std::make_unique<Impl>()) {}

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

bool COleDropTarget::Register(CWnd* window)
{
    if (IsRegistered() || window == nullptr || !IsWindow(window) ||
        GetWindowThreadProcessId(window) != GetCurrentThreadId())
        return false;
    Revoke(); // a filter left on the widget of a destroyed window
    CHostWidget* widget = CWnd::Impl::Of(*window).widget;
    if (widget == nullptr || widget->Window() != window)
        return false;
    m_impl->filter = new DropEventFilter(*this, *window, *widget); // a child of the widget
    widget->installEventFilter(m_impl->filter);
    widget->setAcceptDrops(true);
    return true;
}

void COleDropTarget::Revoke()
{
    DropEventFilter* filter = m_impl->filter;
    if (filter == nullptr)
        return;
    m_impl->filter = nullptr;
    if (auto* widget = qobject_cast<QWidget*>(filter->parent()))
        widget->setAcceptDrops(false);
    delete filter; // also removes it from the widget's filters
}

bool COleDropTarget::IsRegistered() const
{
    return m_impl->filter != nullptr && m_impl->filter->IsLive();
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

DROPEFFECT COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

} // namespace Ombrel
