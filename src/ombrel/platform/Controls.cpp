// The control classes' operations: each sends its control's message, so that windows of these
// classes made by other means (dialog templates) answer the same.

#include "ombrel/platform/Button.h"
#include "ombrel/platform/ComboBox.h"
#include "ombrel/platform/MonthCalCtrl.h"
#include "ombrel/platform/SpinButtonCtrl.h"
#include "ombrel/platform/Static.h"

#include <vector>

namespace Ombrel {
namespace {

LRESULT Send(const CWnd& window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return const_cast<CWnd&>(window).SendMessage(message, wParam, lParam);
}

WPARAM Index(int index)
{
    return static_cast<WPARAM>(static_cast<std::int64_t>(index));
}

LPARAM Text(const char* text)
{
    return reinterpret_cast<LPARAM>(text != nullptr ? text : "");
}

} // namespace

// ---- CButton ------------------------------------------------------------------------------

bool CButton::Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kButtonClass, text, style | WS_CHILD, rect, parent, id);
}

int CButton::GetCheck() const { return static_cast<int>(Send(*this, BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
void CButton::SetButtonStyle(DWORD style) { SendMessage(BM_SETSTYLE, style); }
UINT CButton::GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
void CButton::Click() { SendMessage(BM_CLICK); }

// ---- CStatic ------------------------------------------------------------------------------

bool CStatic::Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kStaticClass, text, style | WS_CHILD, rect, parent, id);
}

// ---- CComboBox ----------------------------------------------------------------------------

bool CComboBox::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kComboBoxClass, nullptr, style | WS_CHILD, rect, parent, id);
}

int CComboBox::AddString(const char* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, Text(text))); }
int CComboBox::InsertString(int index, const char* text)
{
    return static_cast<int>(SendMessage(CB_INSERTSTRING, Index(index), Text(text)));
}
int CComboBox::DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, Index(index))); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return static_cast<int>(Send(*this, CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(Send(*this, CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, Index(index))); }

CString CComboBox::GetLBText(int index) const
{
    LRESULT length = Send(*this, CB_GETLBTEXTLEN, Index(index));
    if (length < 0)
        return CString();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    Send(*this, CB_GETLBTEXT, Index(index), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

int CComboBox::FindString(int after, const char* prefix) const
{
    return static_cast<int>(Send(*this, CB_FINDSTRING, Index(after), Text(prefix)));
}
int CComboBox::FindStringExact(int after, const char* text) const
{
    return static_cast<int>(Send(*this, CB_FINDSTRINGEXACT, Index(after), Text(text)));
}
UINT_PTR CComboBox::GetItemData(int index) const
{
    return static_cast<UINT_PTR>(Send(*this, CB_GETITEMDATA, Index(index)));
}
int CComboBox::SetItemData(int index, UINT_PTR data)
{
    return static_cast<int>(SendMessage(CB_SETITEMDATA, Index(index), static_cast<LPARAM>(data)));
}
int CComboBox::SetItemHeight(int index, int height)
{
    return static_cast<int>(SendMessage(CB_SETITEMHEIGHT, Index(index), height));
}
int CComboBox::GetItemHeight(int index) const { return static_cast<int>(Send(*this, CB_GETITEMHEIGHT, Index(index))); }
void CComboBox::ShowDropDown(bool show) { SendMessage(CB_SHOWDROPDOWN, show ? 1 : 0); }
bool CComboBox::GetDroppedState() const { return Send(*this, CB_GETDROPPEDSTATE) != 0; }

// ---- CSpinButtonCtrl ----------------------------------------------------------------------

bool CSpinButtonCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kUpDownClass, nullptr, style | WS_CHILD, rect, parent, id);
}

void CSpinButtonCtrl::SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, Index(lower), upper); }
void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const
{
    Send(*this, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}
int CSpinButtonCtrl::SetPos32(int position) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, position)); }
int CSpinButtonCtrl::GetPos32(bool* error) const
{
    return static_cast<int>(Send(*this, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    return reinterpret_cast<CWnd*>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
}
CWnd* CSpinButtonCtrl::GetBuddy() const { return reinterpret_cast<CWnd*>(Send(*this, UDM_GETBUDDY)); }

// ---- CMonthCalCtrl ------------------------------------------------------------------------

bool CMonthCalCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kMonthCalClass, nullptr, style | WS_CHILD, rect, parent, id);
}

bool CMonthCalCtrl::GetCurSel(SYSTEMTIME* date) const
{
    return date != nullptr && Send(*this, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(date)) != 0;
}

bool CMonthCalCtrl::SetCurSel(const SYSTEMTIME& date)
{
    return SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date)) != 0;
}

} // namespace Ombrel
