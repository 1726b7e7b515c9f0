#include "ombrel/platform/PaintDC.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

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
}

CPaintDC::~CPaintDC()
{
    AttachPainter(*this, nullptr);
}

} // namespace Ombrel
