#include "ombrel/platform/QtInterop.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

namespace Ombrel {

bool CreateWindowInWidget(CWnd& wnd, QWidget* parent, const char* className, DWORD style,
                          const CRect& rect, UINT id); // Wnd.cpp

QWidget* GetWidget(const CWnd& window)
{
    return CWnd::Impl::Of(window).widget;
}

CWnd* GetWindowOfWidget(QWidget* widget)
{
    return WindowFromWidget(widget);
}

bool CreateChildOfWidget(CWnd& window, QWidget* parent, DWORD style, const CRect& rect, UINT id,
                         const char* className)
{
    return CreateWindowInWidget(window, parent, className, style, rect, id);
}

} // namespace Ombrel
