#pragma once

#include "ombrel/platform/Dialog.h"

#include <memory>

namespace Ombrel::GUI {

class CHeader;

// A ready-made modal dialog with which a user chooses which columns of a header show, in which
// order they stand and how many of them are fixed.
//
// The header's columns are the rows of a grid of the dialog's own, in display order: a check
// box for visibility beside the column's title. "Top", "Up", "Down" and "Bottom" move the
// selected rows; the spin buttons beside "Fixed columns" change the header's fixed column count
// at once (the rows of fixed columns are drawn grey, italic and tinted). OK gives the header
// the list's order and visibility; Cancel leaves them, but keeps a fixed count changed with the
// spin buttons.
//
// The keyboard does all of it: Space ticks the focused row, Alt with the underlined letter
// presses a move button, Up and Down in the number box step the fixed count, Enter is OK and
// Escape is Cancel.
//
// DoModal returns IDOK or IDCANCEL, or -1 when the dialog's template cannot be built. A column
// the program removes while the dialog is open is skipped by OK; one it adds keeps its place.
class CHeaderConfigurationDlg : public CDialog
{
public:
    // The identifiers of the dialog's controls.
    static constexpr UINT kOkId = 1000;
    static constexpr UINT kCancelId = 1001;
    static constexpr UINT kTopId = 1002;
    static constexpr UINT kUpId = 1003;
    static constexpr UINT kDownId = 1004;
    static constexpr UINT kBottomId = 1005;
    static constexpr UINT kFixedLabelId = 1006;
    static constexpr UINT kListId = 1007;
    static constexpr UINT kSpinId = 1008;
    static constexpr UINT kFixedCountId = 1009;

    // The fields of a list row: the column's visibility, its title and its field identifier.
    static constexpr int kVisibleField = 0;
    static constexpr int kTitleField = 1;
    static constexpr int kFieldIdField = 2;

    // `header` is not owned and must outlive the dialog.
    explicit CHeaderConfigurationDlg(CHeader* header, CWnd* parent = nullptr);
    ~CHeaderConfigurationDlg() override;
    CHeaderConfigurationDlg(const CHeaderConfigurationDlg&) = delete;
    CHeaderConfigurationDlg& operator=(const CHeaderConfigurationDlg&) = delete;

    // The fixed column count the number box shows.
    int GetFixedColumnCount() const;

    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCmdMsg(UINT id, int code) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The list's editing policy and custom draw, and the list with its rows.
    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
