#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "Button" class: push button, default push button, check box (BS_*CHECKBOX,
// BS_*3STATE) or group box. A click tells the parent BN_CLICKED through WM_COMMAND.
class CButton : public CWnd
{
public:
    bool Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id);

    int GetCheck() const; // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    void SetCheck(int check);
    // Switches between BS_PUSHBUTTON and BS_DEFPUSHBUTTON.
    void SetButtonStyle(DWORD style);
    UINT GetButtonStyle() const;
    // Clicks the button as the user would (BN_CLICKED follows).
    void Click();
};

} // namespace Ombrel
