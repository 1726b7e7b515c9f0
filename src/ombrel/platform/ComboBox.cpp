#include "ombrel/platform/ComboBox.h"

#include "ombrel/platform/detail/ControlMessaging.h"

#include <vector>

namespace Ombrel {
namespace {

using Detail::SendToControl;

using Detail::IndexParam;

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
    return static_cast<int>(SendMessage(CB_INSERTSTRING, IndexParam(index), Text(text)));
}
int CComboBox::DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, IndexParam(index))); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return static_cast<int>(SendToControl(*this, CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendToControl(*this, CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, IndexParam(index))); }

CString CComboBox::GetLBText(int index) const
{
    LRESULT length = SendToControl(*this, CB_GETLBTEXTLEN, IndexParam(index));
    if (length < 0)
        return CString();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    SendToControl(*this, CB_GETLBTEXT, IndexParam(index), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

int CComboBox::FindString(int after, const char* prefix) const
{
    return static_cast<int>(SendToControl(*this, CB_FINDSTRING, IndexParam(after), Text(prefix)));
}
int CComboBox::FindStringExact(int after, const char* text) const
{
    return static_cast<int>(SendToControl(*this, CB_FINDSTRINGEXACT, IndexParam(after), Text(text)));
}
UINT_PTR CComboBox::GetItemData(int index) const
{
    return static_cast<UINT_PTR>(SendToControl(*this, CB_GETITEMDATA, IndexParam(index)));
}
int CComboBox::SetItemData(int index, UINT_PTR data)
{
    return static_cast<int>(SendMessage(CB_SETITEMDATA, IndexParam(index), static_cast<LPARAM>(data)));
}
int CComboBox::SetItemHeight(int index, int height)
{
    return static_cast<int>(SendMessage(CB_SETITEMHEIGHT, IndexParam(index), height));
}
int CComboBox::GetItemHeight(int index) const { return static_cast<int>(SendToControl(*this, CB_GETITEMHEIGHT, IndexParam(index))); }
void CComboBox::ShowDropDown(bool show) { SendMessage(CB_SHOWDROPDOWN, show ? 1 : 0); }
bool CComboBox::GetDroppedState() const { return SendToControl(*this, CB_GETDROPPEDSTATE) != 0; }

} // namespace Ombrel
