#include "ombrel/gui/print/TitlePrintBar.h"

#include "ombrel/gui/print/GridPrintPreview.h"
#include "ombrel/gui/print/PrintSettings.h"
#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/SystemColors.h"

namespace Ombrel::GUI {

const CDialogTemplate& CTitlePrintBar::GetTemplate()
{
    static const CDialogTemplate bar = [] {
        CDialogTemplate t("Print bar", WS_CHILD | WS_VISIBLE, CRect(0, 0, 448, 14));
        t.AddItem(kButtonClass, kPrintButton, "Print...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                  CRect(1, 1, 45, 13));
        t.AddItem(kButtonClass, kSetupButton, "Setup...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                  CRect(53, 1, 97, 13));
        t.AddItem(kStaticClass, kPageZoomLabel, "Page zoom", WS_VISIBLE | SS_LEFT,
                  CRect(105, 3, 145, 15));
        t.AddItem(kComboBoxClass, kPageZoomList, "ScreenZoom",
                  WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(147, 1, 207, 183));
        t.AddItem(kStaticClass, kPrinterZoomLabel, "Printer zoom", WS_VISIBLE | SS_LEFT,
                  CRect(217, 3, 257, 15));
        t.AddItem(kComboBoxClass, kPrinterZoomList, "PrinterZoom",
                  WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, CRect(262, 1, 322, 183));
        t.AddItem(kButtonClass, kCloseButton, "Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                  CRect(331, 1, 375, 13));
        return t;
    }();
    return bar;
}

CTitlePrintBar::CTitlePrintBar(CGridPrintPreview& preview) : m_preview(preview) {}

bool CTitlePrintBar::Create()
{
    return CreateIndirect(GetTemplate(), &m_preview);
}

int CTitlePrintBar::PrinterZoomIndex(double zoom)
{
    // "Auto" is a request, not a value: it is never the selected entry.
    for (std::size_t index = kAutoPrinterZoom + 1; index < kPrinterZooms.size(); ++index) {
        if (kPrinterZooms[index] == zoom)
            return static_cast<int>(index);
    }
    return -1;
}

void CTitlePrintBar::FillLists()
{
    m_pageZoom.ResetContent();
    for (const char* name : kPageZoomNames)
        m_pageZoom.AddString(name);
    m_printerZoom.ResetContent();
    for (const char* name : kPrinterZoomNames)
        m_printerZoom.AddString(name);
    m_pageZoom.SetCurSel(m_preview.GetPageZoomMode());
    m_printerZoom.SetCurSel(PrinterZoomIndex(m_preview.GetPrintSettings().printerZoom));
}

bool CTitlePrintBar::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The lists answer through framework objects of their own class.
    SubclassDlgItem(kPageZoomList, &m_pageZoom);
    SubclassDlgItem(kPrinterZoomList, &m_printerZoom);
    // A list's template height is that of its opened list; closed, it is a field as high as
    // the buttons (the toolkit opens the list at its own height).
    for (CComboBox* list : {&m_pageZoom, &m_printerZoom}) {
        CRect rect;
        list->GetWindowRect(&rect);
        ScreenToClient(&rect);
        CRect field(0, 1, 0, 13);
        MapDialogRect(&field);
        list->MoveWindow(rect.left, rect.top, rect.Width(), field.Height());
    }
    FillLists();
    return false;
}

bool CTitlePrintBar::OnEraseBkgnd(CDC* dc)
{
    if (dc == nullptr)
        return false;
    dc->FillSolidRect(GetClientRect(), GetSysColor(COLOR_BTNFACE));
    return true;
}

bool CTitlePrintBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED && id == kPrintButton) {
        m_preview.OnPrint();
        return true;
    }
    if (code == BN_CLICKED && id == kSetupButton) {
        m_preview.OnSetup();
        return true;
    }
    if (code == BN_CLICKED && id == kCloseButton) {
        m_preview.PostMessage(WM_CLOSE);
        return true;
    }
    if (code == CBN_SELENDOK && id == kPageZoomList) {
        m_preview.SetPageZoomMode(m_pageZoom.GetCurSel());
        return true;
    }
    if (code == CBN_SELENDOK && id == kPrinterZoomList) {
        m_preview.SelectPrinterZoom(m_printerZoom.GetCurSel());
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

} // namespace Ombrel::GUI
