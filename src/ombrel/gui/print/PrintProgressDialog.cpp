#include "ombrel/gui/print/PrintProgressDialog.h"

#include "ombrel/platform/ControlMessages.h"

#include <string>

namespace Ombrel::GUI {

namespace {

const CDialogTemplate& ProgressTemplate()
{
    static const CDialogTemplate progress = [] {
        CDialogTemplate t("Printing", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER,
                          CRect(0, 0, 180, 48));
        t.AddItem(kStaticClass, CPrintProgressDialog::kStatusText, "Preparing pages...",
                  WS_VISIBLE | SS_CENTER, CRect(6, 8, 174, 20));
        t.AddItem(kButtonClass, IDCANCEL, "Cancel", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                  CRect(65, 26, 115, 40));
        return t;
    }();
    return progress;
}

} // namespace

bool CPrintProgressDialog::Create(CWnd* parent)
{
    m_cancelled = false;
    return CreateIndirect(ProgressTemplate(), parent);
}

void CPrintProgressDialog::SetProgress(int page, int pageCount)
{
    if (CWnd* status = GetDlgItem(kStatusText)) {
        const std::string text =
            "Printing page " + std::to_string(page) + " of " + std::to_string(pageCount);
        status->SetWindowText(text.c_str());
    }
}

} // namespace Ombrel::GUI
