#include "ombrel/gui/services/detail/TooltipPlacement.h"

#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/platform/SystemMetrics.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace Ombrel::GUI::Detail {

namespace {

int ClampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

} // namespace

CPoint PlaceAtCursor(CPoint cursor, CSize size, const TooltipSettings& settings, CSize cursorSize)
{
    const std::int64_t cx = cursor.x;
    const std::int64_t cy = cursor.y;
    const std::int64_t w = size.cx;
    const std::int64_t h = size.cy;
    const std::int64_t cursorWidth = std::clamp(cursorSize.cx, 0, kMaxCursorExtent);
    const std::int64_t cursorHeight = std::clamp(cursorSize.cy, 0, kMaxCursorExtent);
    std::int64_t left = cx - w / 2;
    std::int64_t top = cy - settings.cursorOffset.y - h;
    switch (settings.placement) {
    case TooltipBelow:
        top = cy + cursorHeight + settings.cursorOffset.y;
        break;
    case TooltipLeft:
        left = cx - w - settings.cursorOffset.x;
        top = cy - h / 2;
        break;
    case TooltipRight:
        left = cx + cursorWidth + settings.cursorOffset.x;
        top = cy - h / 2;
        break;
    default:
        break;
    }
    return CPoint(ClampToInt(left), ClampToInt(top));
}

CRect KeepOnScreen(const CRect& rect, const CRect& screen)
{
    if (screen.IsRectEmpty())
        return rect; // no screen known (no application object): nothing to keep it on
    std::int64_t left = rect.left;
    std::int64_t top = rect.top;
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    if (left + width > screen.right)
        left = std::int64_t{screen.right} - width;
    if (top + height > screen.bottom)
        top = std::int64_t{screen.bottom} - height;
    left = std::max<std::int64_t>(left, screen.left);
    top = std::max<std::int64_t>(top, screen.top);
    return CRect(ClampToInt(left), ClampToInt(top), ClampToInt(left + width), ClampToInt(top + height));
}

CRect VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return CRect(left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

} // namespace Ombrel::GUI::Detail
