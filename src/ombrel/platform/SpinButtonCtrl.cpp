#include "ombrel/platform/SpinButtonCtrl.h"

#include "ombrel/platform/detail/ControlMessaging.h"

namespace Ombrel {

using Detail::SendToControl;
using Detail::IndexParam;

bool CSpinButtonCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kUpDownClass, nullptr, style | WS_CHILD, rect, parent, id);
}

void CSpinButtonCtrl::SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, IndexParam(lower), upper); }
void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const
{
    SendToControl(*this, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}
int CSpinButtonCtrl::SetPos32(int position) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, position)); }
int CSpinButtonCtrl::GetPos32(bool* error) const
{
    return static_cast<int>(SendToControl(*this, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    return reinterpret_cast<CWnd*>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
}
CWnd* CSpinButtonCtrl::GetBuddy() const { return reinterpret_cast<CWnd*>(SendToControl(*this, UDM_GETBUDDY)); }

} // namespace Ombrel
