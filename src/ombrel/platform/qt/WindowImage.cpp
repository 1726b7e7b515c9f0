#include "ombrel/platform/WindowImage.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QImage>
#include <QPixmap>

namespace Ombrel {

bool RenderWindowToPng(CWnd& window, const char* path)
{
    QWidget* widget = CWnd::Impl::Of(window).widget;
    if (widget == nullptr || path == nullptr || widget->width() <= 0 || widget->height() <= 0)
        return false;
    // A hidden widget has not been laid out yet; make sure its layout matches its size.
    widget->ensurePolished();
    QImage image = widget->grab().toImage();
    return !image.isNull() && image.save(QString::fromUtf8(path), "PNG");
}

} // namespace Ombrel
