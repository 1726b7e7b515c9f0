#pragma once

#include "ombrel/base/String.h"

namespace Ombrel {

class CDialog;
class CWnd;

// One pass of dialog data exchange (CDialog::UpdateData): either from the members to the
// controls (m_bSaveAndValidate false) or from the controls to the members, with validation.
// A failed check stops the pass: the failing control gets the focus, later exchanges of the
// pass are skipped, and UpdateData reports false. No exceptions are thrown.
class CDataExchange
{
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate);

    // The dialog's control `id`, or null (which fails the pass).
    CWnd* PrepareCtrl(int id);
    // Fails the pass; the last prepared control gets the focus (and its text is selected).
    void Fail();
    bool HasFailed() const { return m_failed; }

    bool m_bSaveAndValidate;
    CDialog* m_pDlgWnd;

private:
    CWnd* m_lastControl = nullptr;
    bool m_failed = false;
};

// The control's text <-> a string.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// The control's text <-> a 32-bit integer. Saving fails, and leaves the value alone, when the
// text is no whole decimal number within range (surrounding blanks allowed).
void DDX_Text(CDataExchange* dx, int id, int& value);
// The check state of a check box (BST_*).
void DDX_Check(CDataExchange* dx, int id, int& value);
// Makes `control` the dialog's control `id` (CDialog::SubclassDlgItem) on the first pass;
// fails when that is not possible.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

} // namespace Ombrel
