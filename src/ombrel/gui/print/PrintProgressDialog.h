#pragma once

#include "ombrel/platform/Dialog.h"

namespace Ombrel::GUI {

// The small window that shows "Printing page n of m" while a long document goes out, with a
// Cancel button. Modeless: the print loop shows it, updates it between pages and asks whether
// the user cancelled.
class CPrintProgressDialog : public CDialog
{
public:
    static constexpr UINT kStatusText = 100;

    bool Create(CWnd* parent);
    void SetProgress(int page, int pageCount);
    bool IsCancelled() const { return m_cancelled; }
    // Cancel (button, Escape, closing the window) asks the print loop to stop; the loop ends
    // the dialog.
    void OnCancel() override { m_cancelled = true; }
    void OnOK() override {}

private:
    bool m_cancelled = false;
};

} // namespace Ombrel::GUI
