#include "ombrel/platform/Edit.h"

#include "ombrel/platform/detail/ControlMessaging.h"

namespace Ombrel {

using Detail::SendToControl;

bool CEdit::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, style, rect, parent, id);
}

bool CEdit::CreateEx(DWORD exStyle, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::CreateEx(exStyle, kEditClass, nullptr, style | WS_CHILD, rect, parent, id);
}

void CEdit::SetSel(int start, int end)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<std::int64_t>(start)), end);
}

void CEdit::GetSel(int& start, int& end) const
{
    DWORD from = 0;
    DWORD to = 0;
    SendToControl(*this, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    start = static_cast<int>(from);
    end = static_cast<int>(to);
}

DWORD CEdit::GetSel() const
{
    return static_cast<DWORD>(SendToControl(*this, EM_GETSEL));
}

void CEdit::ReplaceSel(const char* text)
{
    SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
}

int CEdit::GetCaretIndex() const
{
    return static_cast<int>(SendToControl(*this, EM_GETCARETINDEX));
}

void CEdit::SetCaretIndex(int position)
{
    SendMessage(EM_SETCARETINDEX, static_cast<WPARAM>(std::max(position, 0)));
}

void CEdit::SetLimitText(UINT characters)
{
    SendMessage(EM_LIMITTEXT, characters);
}

UINT CEdit::GetLimitText() const
{
    return static_cast<UINT>(SendToControl(*this, EM_GETLIMITTEXT));
}

bool CEdit::SetReadOnly(bool readOnly)
{
    return SendMessage(EM_SETREADONLY, readOnly ? 1 : 0) != 0;
}

} // namespace Ombrel
