#include "ombrel/gui/grid/GridService.h"

namespace Ombrel::GUI {

bool IGridService::IsFilteredMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_SETFOCUS ||
           message == WM_KILLFOCUS || message == WM_TIMER || message == WM_CAPTURECHANGED ||
           message == WM_MOUSEHOVER || message == WM_MOUSELEAVE || message == WM_SETCURSOR ||
           message == WM_CONTEXTMENU;
}

} // namespace Ombrel::GUI
