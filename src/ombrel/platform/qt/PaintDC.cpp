#include "ombrel/platform/PaintDC.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QPaintDevice>
#include <QPainter>
#include <QWidget>

namespace Ombrel {

CPaintDC::CPaintDC(CWnd* window)
{
    if (window == nullptr)
        return;
    QPainter* painter = CWnd::Impl::Of(*window).PaintPainter();
    if (painter == nullptr)
        return;
    AttachPainter(*this, painter);
    m_updateRects = window->GetUpdateRects();
    m_updateBounds = window->GetUpdateBounds();
    // Widgets are painted into the window's backing store, and flushed after the paint,
    // unless they ask to paint on the screen itself.
    const QPaintDevice* device = painter->device();
    m_buffered = device == nullptr || device->devType() != QInternal::Widget ||
                 !static_cast<const QWidget*>(device)->testAttribute(Qt::WA_PaintOnScreen);
}

CPaintDC::~CPaintDC()
{
    AttachPainter(*this, nullptr);
}

} // namespace Ombrel
