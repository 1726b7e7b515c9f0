#include "ombrel/platform/Button.h"

#include "ombrel/platform/detail/ControlMessaging.h"

namespace Ombrel {

using Detail::SendToControl;

bool CButton::Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kButtonClass, text, style | WS_CHILD, rect, parent, id);
}

int CButton::GetCheck() const { return static_cast<int>(SendToControl(*this, BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
void CButton::SetButtonStyle(DWORD style) { SendMessage(BM_SETSTYLE, style); }
UINT CButton::GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
void CButton::Click() { SendMessage(BM_CLICK); }

} // namespace Ombrel
