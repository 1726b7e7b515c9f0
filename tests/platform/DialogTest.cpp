#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/DataExchange.h"
#include "ombrel/platform/Dialog.h"
#include "ombrel/platform/Edit.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QFontMetrics>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace Ombrel::Test {
namespace {

constexpr UINT kTop = 1002;
constexpr UINT kName = 1010;
constexpr UINT kCount = 1011;

CDialogTemplate MakeTemplate()
{
    CDialogTemplate dialog("Settings", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                           CRect(0, 0, 194, 120), 10);
    dialog.AddItem(kButtonClass, IDOK, "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, CRect(31, 100, 81, 114))
        .AddItem(kButtonClass, IDCANCEL, "Cancel", WS_VISIBLE | WS_TABSTOP, CRect(87, 100, 137, 114))
        .AddItem(kButtonClass, kTop, "Top", WS_VISIBLE | WS_TABSTOP, CRect(147, 15, 185, 29))
        .AddItem(kEditClass, kName, "", WS_VISIBLE | WS_TABSTOP, CRect(7, 7, 137, 21), WS_EX_STATICEDGE)
        .AddItem(kEditClass, kCount, "", WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_RIGHT, CRect(7, 30, 60, 44));
    return dialog;
}

// A dialog with two exchanged members that ends with the id of the "Top" button too; `during`
// runs from the modal loop once the dialog is up.
class CSettingsDlg : public CDialog
{
public:
    using CDialog::CDialog;

    CString name = "first";
    int count = 4;
    bool bindNameEdit = false;
    CEdit nameEdit;
    std::function<void(CSettingsDlg&)> during;
    int initCalls = 0;

    bool OnInitDialog() override
    {
        ++initCalls;
        bool result = CDialog::OnInitDialog();
        if (during)
            QTimer::singleShot(20, [this] { during(*this); });
        return result;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        if (bindNameEdit)
            DDX_Control(dx, kName, nameEdit);
        DDX_Text(dx, kName, name);
        DDX_Text(dx, kCount, count);
    }

    bool OnCmdMsg(UINT id, int code) override
    {
        if (id == kTop && code == BN_CLICKED) {
            EndDialog(kTop);
            return true;
        }
        return CDialog::OnCmdMsg(id, code);
    }
};

CPoint Middle(CWnd& window)
{
    return window.GetClientRect().CenterPoint();
}

class DialogTest : public ::testing::Test
{
protected:
    CDialogTemplate dialogTemplate = MakeTemplate();
};

TEST_F(DialogTest, ModalDialogReturnsTheIdOfTheButtonClicked)
{
    for (UINT button : {kTop, static_cast<UINT>(IDOK), static_cast<UINT>(IDCANCEL)}) {
        CSettingsDlg dialog(&dialogTemplate);
        dialog.during = [button](CSettingsDlg& shown) { Click(*shown.GetDlgItem(button), Middle(*shown.GetDlgItem(button))); };
        EXPECT_EQ(static_cast<INT_PTR>(button), dialog.DoModal());
        EXPECT_FALSE(IsWindow(&dialog));
        EXPECT_EQ(1, dialog.initCalls);
    }
}

TEST_F(DialogTest, EscapeCancelsAndEnterPressesTheDefaultOrTheFocusedButton)
{
    CSettingsDlg escaped(&dialogTemplate);
    escaped.during = [](CSettingsDlg&) { Key(*CWnd::GetFocus(), Qt::Key_Escape); };
    EXPECT_EQ(IDCANCEL, escaped.DoModal());

    CSettingsDlg entered(&dialogTemplate);
    entered.during = [](CSettingsDlg& shown) {
        EXPECT_EQ(shown.GetDlgItem(IDOK), CWnd::GetFocus()); // the first tab stop
        shown.GetDlgItem(kName)->SetFocus();
        Key(*shown.GetDlgItem(kName), Qt::Key_Return, Qt::NoModifier, "\r");
    };
    EXPECT_EQ(IDOK, entered.DoModal());

    CSettingsDlg onButton(&dialogTemplate);
    onButton.during = [](CSettingsDlg& shown) {
        shown.GetDlgItem(kTop)->SetFocus();
        Key(*shown.GetDlgItem(kTop), Qt::Key_Return, Qt::NoModifier, "\r");
    };
    EXPECT_EQ(static_cast<INT_PTR>(kTop), onButton.DoModal());
}

TEST_F(DialogTest, AltWithAMarkedLetterPressesItsButtonFromAnyControl)
{
    CDialogTemplate marked("Settings", WS_POPUP | WS_CAPTION | DS_MODALFRAME, CRect(0, 0, 194, 120));
    marked.AddItem(kButtonClass, IDOK, "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, CRect(31, 100, 81, 114))
        .AddItem(kButtonClass, IDCANCEL, "Fish && chips", WS_VISIBLE | WS_TABSTOP, CRect(87, 100, 137, 114))
        .AddItem(kButtonClass, kTop, "&Top", WS_VISIBLE | WS_TABSTOP, CRect(147, 15, 185, 29))
        .AddItem(kEditClass, kName, "", WS_VISIBLE | WS_TABSTOP, CRect(7, 7, 137, 21));
    CSettingsDlg dialog(&marked);
    dialog.during = [](CSettingsDlg& shown) {
        CWnd& edit = *shown.GetDlgItem(kName);
        edit.SetFocus();
        Key(edit, Qt::Key_C, Qt::AltModifier, "c"); // "&&" marks no letter
        EXPECT_TRUE(IsWindow(&shown));
        Key(edit, Qt::Key_T, Qt::AltModifier, "t");
    };
    EXPECT_EQ(static_cast<INT_PTR>(kTop), dialog.DoModal());
}

TEST_F(DialogTest, TemplateThatCannotBeBuiltGivesMinusOneAndLeavesNoWindow)
{
    CDialogTemplate unknown = MakeTemplate();
    unknown.AddItem("No.Such.Class", 1020, "", WS_VISIBLE, CRect(0, 0, 10, 10));
    CSettingsDlg dialog(&unknown);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_FALSE(IsWindow(&dialog));
    EXPECT_EQ(0, dialog.initCalls);

    CDialogTemplate refused = MakeTemplate();
    refused.AddItem(kEditClass, 1021, "", ES_MULTILINE, CRect(0, 0, 10, 10));
    CSettingsDlg refusing(&refused);
    EXPECT_EQ(-1, refusing.DoModal());
    EXPECT_FALSE(IsWindow(&refusing));

    CDialog none;
    EXPECT_EQ(-1, none.DoModal());
}

TEST_F(DialogTest, DataGoesIntoTheControlsAndBackOnOkButNotOnCancel)
{
    CSettingsDlg dialog(&dialogTemplate);
    dialog.during = [](CSettingsDlg& shown) {
        EXPECT_EQ(CString("first"), shown.GetDlgItem(kName)->GetWindowText());
        EXPECT_EQ(CString("4"), shown.GetDlgItem(kCount)->GetWindowText());
        shown.GetDlgItem(kName)->SetFocus();
        TypeText(*shown.GetDlgItem(kName), "!");
        shown.GetDlgItem(kCount)->SetWindowText(" 42 ");
        Click(*shown.GetDlgItem(IDOK), Middle(*shown.GetDlgItem(IDOK)));
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(CString("first!"), dialog.name);
    EXPECT_EQ(42, dialog.count);

    dialog.during = [](CSettingsDlg& shown) {
        shown.GetDlgItem(kName)->SetWindowText("dropped");
        Key(*CWnd::GetFocus(), Qt::Key_Escape);
    };
    ASSERT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(CString("first!"), dialog.name);
}

TEST_F(DialogTest, TextThatIsNoNumberKeepsTheDialogOpenWithTheFocusOnIt)
{
    CSettingsDlg dialog(&dialogTemplate);
    dialog.during = [](CSettingsDlg& shown) {
        CWnd* count = shown.GetDlgItem(kCount);
        for (const char* bad : {"", "12x", "99999999999"}) {
            count->SetWindowText(bad);
            shown.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            EXPECT_TRUE(IsWindow(&shown)) << bad;
            EXPECT_EQ(count, CWnd::GetFocus()) << bad;
            EXPECT_EQ(4, shown.count) << bad;
        }
        shown.EndDialog(IDABORT);
    };
    EXPECT_EQ(IDABORT, dialog.DoModal());
    EXPECT_EQ(4, dialog.count);
}

TEST_F(DialogTest, ControlBoundByExchangeTakesTheItemsPlaceAndInput)
{
    CSettingsDlg dialog;
    dialog.bindNameEdit = true;
    ASSERT_TRUE(dialog.CreateIndirect(dialogTemplate));
    ASSERT_TRUE(IsWindow(&dialog.nameEdit));
    EXPECT_EQ(&dialog.nameEdit, dialog.GetDlgItem(kName));
    EXPECT_EQ(CString("first"), dialog.nameEdit.GetWindowText());
    EXPECT_TRUE(dialog.nameEdit.GetExStyle() & WS_EX_STATICEDGE);
    CRect expected(7, 7, 137, 21);
    dialog.MapDialogRect(&expected);
    CRect placed;
    dialog.nameEdit.GetWindowRect(&placed);
    dialog.ScreenToClient(&placed);
    EXPECT_EQ(expected, placed);

    ShowAndActivate(dialog);
    dialog.nameEdit.SetFocus();
    dialog.nameEdit.SetSel(0, -1);
    TypeText(dialog.nameEdit, "bound");
    EXPECT_TRUE(dialog.UpdateData(true)); // binding again is a no-op
    EXPECT_EQ(CString("bound"), dialog.name);
    dialog.DestroyWindow();
}

TEST_F(DialogTest, DialogUnitsFollowTheTemplatesFont)
{
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dialogTemplate));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, ""));
    QFontMetrics metrics(ToQFont(font));
    int width = (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    CRect rect(4, 8, 40, 80);
    dialog.MapDialogRect(&rect);
    EXPECT_EQ(CRect(width, metrics.height(), 10 * width, 10 * metrics.height()), rect);
    EXPECT_EQ(194 * width / 4, dialog.GetClientRect().Width() + (194 * width % 4 >= 2 ? 1 : 0));
    EXPECT_EQ(IDOK, LOWORD(static_cast<std::uint64_t>(dialog.SendMessage(DM_GETDEFID))));
    EXPECT_EQ(DC_HASDEFID, HIWORD(static_cast<std::uint64_t>(dialog.SendMessage(DM_GETDEFID))));

    CDialogTemplate large("large", WS_POPUP | DS_SETFONT, CRect(0, 0, 100, 100), 20);
    CDialog bigger;
    ASSERT_TRUE(bigger.CreateIndirect(large));
    EXPECT_GT(bigger.GetClientRect().Width(), dialog.GetClientRect().Width() / 194 * 100);
}

} // namespace
} // namespace Ombrel::Test
