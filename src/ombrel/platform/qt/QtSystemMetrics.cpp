// GetSystemMetrics from Qt's screens, style and style hints.

#include "ombrel/platform/SystemMetrics.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

#include <cstdlib>

namespace Ombrel {
namespace {

// The largest pointer size a cursor theme is drawn at; a larger XCURSOR_SIZE is a typo.
constexpr int kMaxCursorSize = 512;

// The size the cursor library draws the pointer at: the session's XCURSOR_SIZE when it is a
// sensible number, else 16 points at the screen's logical resolution, as the library itself
// falls back to.
int CursorSize(const QScreen& screen)
{
    if (const char* configured = std::getenv("XCURSOR_SIZE")) {
        char* end = nullptr;
        const long size = std::strtol(configured, &end, 10);
        if (end != configured && *end == '\0' && size > 0 && size <= kMaxCursorSize)
            return static_cast<int>(size);
    }
    return static_cast<int>(screen.logicalDotsPerInchY() * 16.0 / 72.0);
}

int ScrollBarExtent()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

} // namespace

int GetSystemMetrics(int index)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return 0;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return 0;
    const QRect screen = primary->geometry();
    const QRect desktop = primary->virtualGeometry();
    switch (index) {
    case SM_CXSCREEN: return screen.width();
    case SM_CYSCREEN: return screen.height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return ScrollBarExtent();
    case SM_CXCURSOR:
    case SM_CYCURSOR: return CursorSize(*primary);
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return QGuiApplication::styleHints()->startDragDistance();
    case SM_XVIRTUALSCREEN: return desktop.left();
    case SM_YVIRTUALSCREEN: return desktop.top();
    case SM_CXVIRTUALSCREEN: return desktop.width();
    case SM_CYVIRTUALSCREEN: return desktop.height();
    case SM_CMONITORS: return static_cast<int>(QGuiApplication::screens().size());
    default: return 0;
    }
}

} // namespace Ombrel
