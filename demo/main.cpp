// Entry point of the demonstration. Besides starting the application object it decides
// whether a display exists, and it writes screenshots: the framework renders the window's
// contents, and since the title bar belongs to the window manager, a plain caption strip with
// the window's title is drawn above them so that the picture says which window it shows.

#include "DemoApp.h"

#include "ombrel/Platform.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdlib>
#include <string>

namespace {

constexpr int kCaptionHeight = 28;

bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

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

} // namespace

int main(int argc, char** argv)
{
    const bool headless = !HasDisplay();
    if (headless && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Ombrel::Demo::CDemoApp app(WriteWindowWithCaption, headless);
    return app.Main(argc, argv);
}
