// A Qt-only program, without any Ombrel code, that shows the ThreadSanitizer reports which
// Qt's own thread pool produces: a vertical scroll bar of 400 pixels in Qt's default style,
// repainted 300 times. Qt's raster engine splits the fills and lines of anything taller than
// about a hundred scan lines over QThreadPool::globalInstance() and waits for the pool inside
// Qt; Qt is not built with ThreadSanitizer, so the hand-over is invisible to it, and the
// pooled threads' frees of task objects (and the pool's own bookkeeping) are reported as races
// with the window thread's allocations. tools/qt-pool-race/run.sh builds and runs it.
#include <QApplication>
#include <QScrollBar>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 200000);
    bar.resize(16, 400);
    bar.show();
    constexpr int kFrames = 300;
    int frames = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        bar.setValue((bar.value() + 997) % bar.maximum());
        bar.repaint();
        if (++frames == kFrames)
            app.quit();
    });
    timer.start();
    return app.exec();
}
