#include "ombrel/platform/ComboBox.h"

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

} // namespace Ombrel
