#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "Static" class: text aligned by SS_LEFT, SS_CENTER or SS_RIGHT.
class CStatic : public CWnd
{
public:
    bool Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id);
};

} // namespace Ombrel
