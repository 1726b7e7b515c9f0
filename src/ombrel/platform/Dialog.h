#pragma once

#include "ombrel/platform/DialogTemplate.h"
#include "ombrel/platform/Wnd.h"

#include <memory>

namespace Ombrel {

class CDataExchange;

// A dialog built from an in-memory template: a pop-up window whose controls are made from the
// template's items, in dialog units of the template's font. A template with WS_CHILD, created
// with CreateIndirect over a parent, makes a child window of the parent instead (a tool strip).
//
// Flow: DoModal / CreateIndirect build the window and its controls, set the font on all of
// them and send WM_INITDIALOG (OnInitDialog: exchange data into the controls; returning true
// gives the focus to the first tab stop). Enter presses the focused push button, else the
// default button (DM_GETDEFID: the BS_DEFPUSHBUTTON item, else IDOK); Escape and closing the
// window act as IDCANCEL. Alt with a letter presses the push button whose text marks that
// letter with '&' ("&Top": Alt+T), wherever the focus is in the dialog. WM_COMMAND IDOK runs OnOK (exchange data out of the controls, then
// EndDialog(IDOK) unless that failed), IDCANCEL runs OnCancel (EndDialog(IDCANCEL)); other
// commands go to OnCmdMsg.
//
// A modal dialog runs a nested event loop with the rest of the application blocked until
// EndDialog; DoModal then destroys the window and returns EndDialog's value, or -1 when the
// template could not be built (an unknown control class, a control that refuses its style)
// or the loop was ended by a quit request.
class CDialog : public CWnd
{
public:
    CDialog();
    // The template must outlive the dialog's use of it (DoModal).
    explicit CDialog(const CDialogTemplate* dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    bool InitModalIndirect(const CDialogTemplate* dialogTemplate, CWnd* parent = nullptr);
    virtual INT_PTR DoModal();
    // Builds and shows (WS_VISIBLE in the template) a modeless dialog; false when the template
    // cannot be built. EndDialog hides a modeless dialog; its owner destroys it.
    bool CreateIndirect(const CDialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    void EndDialog(int result);

    // The control with identifier `id`, or null.
    CWnd* GetDlgItem(UINT id) const;
    // Re-creates control `id` as `object` (same class, text, styles, place, font and tab
    // order), so that the object's handlers see all of the control's messages. True when
    // `object` is the control already; false when there is no such control or `object` is
    // another window.
    bool SubclassDlgItem(UINT id, CWnd* object);
    // Dialog units to pixels of this dialog's font.
    void MapDialogRect(CRect* rect) const;
    UINT GetDefID() const;
    void SetDefID(UINT id);

    // Exchanges data between members and controls (DoDataExchange); false when a check failed.
    bool UpdateData(bool saveAndValidate = true);

    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);

    bool PreTranslateMessage(MSG* msg) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void OnNcDestroy() override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    struct Impl;
    bool Build(const CDialogTemplate& dialogTemplate, CWnd* parent, bool modal);
    bool CreateItems(const CDialogTemplate& dialogTemplate);
    bool PressDefaultButton();
    bool PressMnemonicButton(UINT key);
    std::unique_ptr<Impl> m_dialog;
};

} // namespace Ombrel
