#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "SysMonthCal32" class: a month calendar with one selected day. The parent
// hears of user choices through WM_NOTIFY (MCN_SELCHANGE, MCN_SELECT with an NMSELCHANGE).
class CMonthCalCtrl : public CWnd
{
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    // The selected day (time of day 0); false when there is none.
    bool GetCurSel(SYSTEMTIME* date) const;
    // False, and nothing changes, for a day that does not exist.
    bool SetCurSel(const SYSTEMTIME& date);
};

} // namespace Ombrel
