#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "msctls_updown32" class: spin buttons that step a position within a range.
// Every step is offered to the parent first (WM_NOTIFY UDN_DELTAPOS, a non-zero result
// refuses it) and then reported (WM_VSCROLL, or WM_HSCROLL with UDS_HORZ, SB_THUMBPOSITION and
// the new position); releasing an arrow reports SB_ENDSCROLL. The up arrow moves toward the
// upper bound. With UDS_SETBUDDYINT the buddy window's text shows (and sets) the position;
// with UDS_ARROWKEYS Up and Down typed into the buddy step too.
class CSpinButtonCtrl : public CWnd
{
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    int SetPos32(int position); // kept within the range; returns the previous position
    int GetPos32(bool* error = nullptr) const;
    CWnd* SetBuddy(CWnd* buddy); // returns the previous buddy
    CWnd* GetBuddy() const;
};

} // namespace Ombrel
