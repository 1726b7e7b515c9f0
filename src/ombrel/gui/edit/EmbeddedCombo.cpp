#include "ombrel/gui/edit/EmbeddedCombo.h"

#include "ombrel/gui/edit/detail/ControlNotificationHook.h"

#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/SystemColors.h"

namespace Ombrel::GUI {

namespace {

constexpr int kTextIndent = 2; // pixels between the left edge and the item text

// Messages after which the selection may be another one.
bool MayChangeSelection(UINT message)
{
    switch (message) {
    case CB_SETCURSEL:
    case CB_RESETCONTENT:
    case CB_DELETESTRING:
    case CB_INSERTSTRING:
    case CB_ADDSTRING:
    case WM_KEYDOWN:
    case WM_CHAR:
        return true;
    default:
        return false;
    }
}

} // namespace

CEmbeddedCombo::CEmbeddedCombo() : m_parentHook(std::make_unique<Detail::CControlNotificationHook>()) {}
CEmbeddedCombo::~CEmbeddedCombo() = default;

int CEmbeddedCombo::OnCreate(CREATESTRUCT* cs)
{
    if (CComboBox::OnCreate(cs) != 0)
        return -1;
    m_selected = GetCurSel();
    m_parentHook->Watch(this, [this](UINT code) {
        if (code == CBN_SELCHANGE)
            m_selected = GetCurSel();
        return false;
    });
    return 0;
}

void CEmbeddedCombo::OnNcDestroy()
{
    m_parentHook->Stop();
    CComboBox::OnNcDestroy();
}

LRESULT CEmbeddedCombo::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PaintFlat();
        return 0;
    }
    LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
    if (MayChangeSelection(message) && GetSafeHwnd() != nullptr)
        m_selected = GetCurSel();
    return result;
}

CRect CEmbeddedCombo::GetButtonRect() const
{
    CRect client = GetClientRect();
    const int side = client.Height();
    // Inset one pixel at the left, top and right.
    return CRect(client.right - side + 1, client.top + 1, client.right - 1, client.bottom);
}

void CEmbeddedCombo::PaintFlat()
{
    CPaintDC dc(this);
    const CRect client = GetClientRect();
    const bool focused = CWnd::GetFocus() == this;
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));

    CFont* oldFont = GetFont() != nullptr ? dc.SelectObject(GetFont()) : nullptr;
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    const CRect button = GetButtonRect();
    CRect textRect(client.left + kTextIndent, client.top, button.left - 1, client.bottom);
    if (m_selected >= 0)
        dc.DrawText(GetLBText(m_selected), textRect,
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (oldFont != nullptr)
        dc.SelectObject(oldFont);

    dc.DrawFrameControl(button, DFC_SCROLL,
                        DFCS_SCROLLCOMBOBOX | (GetDroppedState() ? DFCS_PUSHED : 0));
}

} // namespace Ombrel::GUI
