#include "ombrel/platform/Static.h"

namespace Ombrel {
bool CStatic::Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kStaticClass, text, style | WS_CHILD, rect, parent, id);
}

} // namespace Ombrel
