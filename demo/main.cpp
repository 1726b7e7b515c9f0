// Entry point of the demonstration. Besides starting the application object it decides
// whether a display exists, and it writes screenshots: the framework renders the window's
// contents, and since the title bar belongs to the window manager, a plain caption strip with
// the window's title is drawn above them so that the picture says which window it shows.

#include "DemoApp.h"

#include "ombrel/Platform.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/platform/QtInterop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMimeData>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdlib>
#include <string>

namespace {

constexpr int kCaptionHeight = 28;

bool WriteWindowWithCaption(Ombrel::CWnd& window, const std::string& path)
{
    if (!Ombrel::RenderWindowToPng(window, path.c_str()))
        return false;
    QImage contents(QString::fromStdString(path));
    if (contents.isNull())
        return false;
    QImage framed(contents.width(), contents.height() + kCaptionHeight, QImage::Format_RGB32);
    framed.fill(QColor(0x3C, 0x4A, 0x5E));
    QPainter painter(&framed);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, framed.width() - 20, kCaptionHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromUtf8(window.GetWindowText().GetString()));
    painter.drawImage(0, kCaptionHeight, contents);
    painter.end();
    return framed.save(QString::fromStdString(path), "PNG");
}

// What the platform delivers while the grid's selected rows are dragged to `point`: the
// rows, in the formats a drag offers (taken through the clipboard, which uses the same ones),
// entering the grid's widget and moving to the point. The drag stays hovering: it is never
// dropped, so nothing changes but the drop mark.
void HoverDragOfSelection(Ombrel::GUI::CGrid& grid, Ombrel::CPoint point)
{
    QWidget* widget = Ombrel::GetWidget(grid);
    if (widget == nullptr || !grid.Copy())
        return;
    static QMimeData dragged; // must outlive the hovering drag
    dragged.clear();
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    for (const QString& format : offered->formats())
        dragged.setData(format, offered->data(format));
    const QPoint at(point.x, point.y);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

int main(int argc, char** argv)
{
    const bool headless = !Ombrel::PrepareDisplay();
    Ombrel::Demo::CDemoApp app(WriteWindowWithCaption, headless, HoverDragOfSelection);
    return app.Main(argc, argv);
}
