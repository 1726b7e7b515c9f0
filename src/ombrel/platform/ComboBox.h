#pragma once

#include "ombrel/base/String.h"
#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "ComboBox" class: a drop-down list (CBS_DROPDOWNLIST) or an edit field with
// a drop-down list (CBS_DROPDOWN); CBS_OWNERDRAWFIXED lets the parent draw the items. Indices
// are 0-based; CB_ERR (-1) answers a bad index. What the parent is told is listed in
// ControlMessages.h (CBN_*).
class CComboBox : public CWnd
{
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    int AddString(const char* text); // with CBS_SORT at its sorted place; returns the index
    int InsertString(int index, const char* text);
    int DeleteString(int index);     // returns the remaining count
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index); // -1 clears the selection
    CString GetLBText(int index) const;
    int FindString(int after, const char* prefix) const;
    int FindStringExact(int after, const char* text) const;
    UINT_PTR GetItemData(int index) const;
    int SetItemData(int index, UINT_PTR data);
    // index -1: the selection field (the control's height); otherwise every item of the list.
    int SetItemHeight(int index, int height);
    int GetItemHeight(int index) const;
    void ShowDropDown(bool show = true);
    bool GetDroppedState() const;
};

} // namespace Ombrel
