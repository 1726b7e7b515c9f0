#include "ombrel/platform/qt/HostWidget.h"

#include "ombrel/platform/qt/WndImpl.h"

namespace Ombrel {

CHostWidget::CHostWidget(CWnd& window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_window(&window)
{
    // The window paints every pixel itself (WM_ERASEBKGND, then WM_PAINT), which also lets
    // ScrollWindow move pixels instead of repainting everything.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

CHostWidget::~CHostWidget()
{
    if (m_window != nullptr)
        CWnd::Impl::Of(*m_window).OnWidgetDestroyed();
}

bool CHostWidget::event(QEvent* event)
{
    if (m_window == nullptr)
        return QWidget::event(event);
    // The window may be destroyed while it handles the event; this widget then lives on,
    // detached, until its deferred deletion.
    bool handled = TranslateEvent(*m_window, *this, event);
    return handled || QWidget::event(event);
}

} // namespace Ombrel
