#include "ombrel/platform/PaintDC.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

namespace Ombrel {

CPaintDC::CPaintDC(CWnd* window)
{
    if (window == nullptr)
        return;
    CWnd::Impl& impl = CWnd::Impl::Of(*window);
    if (impl.painter == nullptr)
        return;
    AttachPainter(*this, impl.painter);
    m_updateRects = window->GetUpdateRects();
    m_updateBounds = window->GetUpdateBounds();
}

CPaintDC::~CPaintDC()
{
    AttachPainter(*this, nullptr);
}

} // namespace Ombrel
