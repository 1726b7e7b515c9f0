#include "ombrel/platform/MonthCalCtrl.h"

#include "ombrel/platform/detail/ControlMessaging.h"

namespace Ombrel {

using Detail::SendToControl;

bool CMonthCalCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kMonthCalClass, nullptr, style | WS_CHILD, rect, parent, id);
}

bool CMonthCalCtrl::GetCurSel(SYSTEMTIME* date) const
{
    return date != nullptr && SendToControl(*this, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(date)) != 0;
}

bool CMonthCalCtrl::SetCurSel(const SYSTEMTIME& date)
{
    return SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date)) != 0;
}

} // namespace Ombrel
