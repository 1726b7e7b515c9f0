#pragma once

#include "ombrel/platform/ComboBox.h"
#include "ombrel/platform/Dialog.h"

#include <array>

namespace Ombrel::GUI {

class CGridPrintPreview;

// The tool strip along the top of the print preview: "Print...", "Setup...", the page-zoom
// list, the printer-zoom list and "Close". A child dialog from the in-memory template "Print
// bar"; it tells the preview what the user chose and keeps no state of its own beyond the
// controls.
class CTitlePrintBar : public CDialog
{
public:
    static constexpr UINT kPrintButton = 1000;
    static constexpr UINT kSetupButton = 1001;
    static constexpr UINT kPageZoomLabel = 1002;
    static constexpr UINT kPageZoomList = 1003;
    static constexpr UINT kPrinterZoomLabel = 1004;
    static constexpr UINT kPrinterZoomList = 1005;
    static constexpr UINT kCloseButton = 1006;

    // The page-zoom entries, index = page-zoom mode.
    static constexpr std::array<const char*, 10> kPageZoomNames{
        "One Page", "Two pages", "Three Pages", "33%", "50%", "75%", "100%", "150%", "200%", "400%"};
    // The printer-zoom entries and the zoom each selects. "Auto" picks 0.1 when there is
    // something to fit, else changes nothing (the preview decides).
    static constexpr std::array<const char*, 9> kPrinterZoomNames{
        "Auto", "10%", "25%", "50%", "75%", "100%", "150%", "200%", "500%"};
    static constexpr std::array<double, 9> kPrinterZooms{0.1, 0.1, 0.25, 0.5, 0.75,
                                                         1.0, 1.5, 2.0, 5.0};
    static constexpr int kAutoPrinterZoom = 0;

    // The template: 448 x 14 dialog units.
    static const CDialogTemplate& GetTemplate();

    explicit CTitlePrintBar(CGridPrintPreview& preview);

    // Creates the strip at the top of the preview's client area.
    bool Create();
    // Fills both lists and selects the current page-zoom mode and the printer-zoom entry whose
    // zoom equals `printerZoom` exactly (none for other values; "10%", not "Auto", for 0.1).
    bool OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A tool strip in the button-face colour.
    bool OnEraseBkgnd(CDC* dc) override;
    // Enter and Escape do not end a tool strip.
    void OnOK() override {}
    void OnCancel() override {}

    // The printer-zoom entry for `zoom`, or -1.
    static int PrinterZoomIndex(double zoom);

    // The two lists, once the strip exists.
    CComboBox& GetPageZoomList() { return m_pageZoom; }
    CComboBox& GetPrinterZoomList() { return m_printerZoom; }

private:
    void FillLists();
    CGridPrintPreview& m_preview;
    CComboBox m_pageZoom;
    CComboBox m_printerZoom;
};

} // namespace Ombrel::GUI
