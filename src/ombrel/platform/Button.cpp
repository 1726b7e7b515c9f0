#include "ombrel/platform/Button.h"

namespace Ombrel {
namespace {

LRESULT Send(const CWnd& window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return const_cast<CWnd&>(window).SendMessage(message, wParam, lParam);
}

} // namespace

bool CButton::Create(const char* text, DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kButtonClass, text, style | WS_CHILD, rect, parent, id);
}

int CButton::GetCheck() const { return static_cast<int>(Send(*this, BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
void CButton::SetButtonStyle(DWORD style) { SendMessage(BM_SETSTYLE, style); }
UINT CButton::GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
void CButton::Click() { SendMessage(BM_CLICK); }

} // namespace Ombrel
