#include "ombrel/platform/MonthCalCtrl.h"

namespace Ombrel {
namespace {

LRESULT Send(const CWnd& window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return const_cast<CWnd&>(window).SendMessage(message, wParam, lParam);
}

} // namespace

bool CMonthCalCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kMonthCalClass, nullptr, style | WS_CHILD, rect, parent, id);
}

bool CMonthCalCtrl::GetCurSel(SYSTEMTIME* date) const
{
    return date != nullptr && Send(*this, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(date)) != 0;
}

bool CMonthCalCtrl::SetCurSel(const SYSTEMTIME& date)
{
    return SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date)) != 0;
}

} // namespace Ombrel
