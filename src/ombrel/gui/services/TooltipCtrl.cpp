// The tooltip at the cursor: its window, font, text, measuring, placement and painting.

#include "ombrel/gui/services/TooltipCtrl.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/services/Tooltip.h"
#include "ombrel/gui/services/detail/TooltipPlacement.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/SystemMetrics.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

// Where a created, not yet shown tooltip waits: far outside every screen.
const CRect kOffScreen(-32000, -32000, -31999, -31999);

// A device context with the screen's resolution for measuring text.
class CMeasureDC : public CDC
{
public:
    CMeasureDC() { CreateCompatibleDC(nullptr); }
};

// A copy of `font` made from its description; null for no font or one not created.
std::unique_ptr<CFont> CopyOf(const CFont* font)
{
    LOGFONT description;
    if (font == nullptr || !font->GetLogFont(description))
        return nullptr;
    auto copy = std::make_unique<CFont>();
    if (!copy->CreateFontIndirect(description))
        return nullptr;
    return copy;
}

} // namespace

struct CTooltipCtrl::Impl
{
    bool autoDelete = true;
    CWnd* gridWindow = nullptr; // set by Create, cleared by Destroy
    CString text;               // the text shown last
    TooltipSettings shown;      // colours and margins of the text shown last
    std::unique_ptr<CFont> font; // own copy of the font the window uses; null: default font
};

CTooltipCtrl::CTooltipCtrl(bool autoDelete) : m_impl(std::make_unique<Impl>())
{
    m_impl->autoDelete = autoDelete;
}

CTooltipCtrl::~CTooltipCtrl()
{
    // The window goes while the font it uses still exists.
    Destroy();
}

bool CTooltipCtrl::IsAutoDelete() const
{
    return m_impl->autoDelete;
}

bool CTooltipCtrl::Create(CWnd* gridWindow)
{
    if (GetSafeHwnd() != nullptr || gridWindow == nullptr || !IsWindow(gridWindow))
        return false;
    RegisterWindowClass(kWindowClass, CS_HREDRAW | CS_VREDRAW); // false once registered
    const DWORD exStyle = WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    if (!CreateEx(exStyle, kWindowClass, nullptr, WS_POPUP, kOffScreen, gridWindow, 0))
        return false;
    m_impl->gridWindow = gridWindow;
    CFont* font = gridWindow->GetFont();
    SetFont(font != nullptr ? font : GetDefaultGuiFont(), false);
    return true;
}

void CTooltipCtrl::Destroy()
{
    if (GetSafeHwnd() != nullptr)
        DestroyWindow();
    m_impl->gridWindow = nullptr;
}

void CTooltipCtrl::Hide()
{
    if (GetSafeHwnd() != nullptr)
        ShowWindow(SW_HIDE);
}

ITooltip* CTooltipCtrl::GetDefaultTooltip()
{
    return &CTooltip::GetDefault();
}

CString CTooltipCtrl::GetText() const
{
    return m_impl->text;
}

CWnd* CTooltipCtrl::GetGridWindow() const
{
    return GetSafeHwnd() != nullptr ? m_impl->gridWindow : nullptr;
}

const TooltipSettings& CTooltipCtrl::GetSettings(CGrid& grid) const
{
    static const TooltipSettings fallback;
    const TooltipSettings* settings = grid.GetTooltipSettings();
    return settings != nullptr ? *settings : fallback;
}

const TooltipSettings& CTooltipCtrl::GetShownSettings() const
{
    return m_impl->shown;
}

CString CTooltipCtrl::FetchText(CGrid& grid, const CellPaintContext& cell,
                                const TooltipSettings& settings)
{
    ITooltip* provider = grid.GetTooltip();
    if (provider == nullptr)
        provider = GetDefaultTooltip();
    m_impl->text = provider->GetTooltipText(grid, cell);
    m_impl->shown = settings;
    return m_impl->text;
}

CSize CTooltipCtrl::MeasureText(const CString& text, CFont* font,
                                const TooltipSettings& settings) const
{
    CMeasureDC dc;
    CFont* previous = dc.SelectObject(font != nullptr ? font : GetDefaultGuiFont());
    CRect bounds(0, 0, 0, 0);
    dc.DrawText(text, bounds, DT_CALCRECT | DT_NOPREFIX);
    if (previous != nullptr)
        dc.SelectObject(previous);
    // Margins are bounded by the settings' validation; a record changed in place is clamped
    // so that no size can overflow.
    const int marginX = std::clamp(settings.textMargins.cx, 0, kMaxTooltipMargin);
    const int marginY = std::clamp(settings.textMargins.cy, 0, kMaxTooltipMargin);
    return CSize(bounds.Width() + 2 * marginX, bounds.Height() + 2 * marginY);
}

CSize CTooltipCtrl::MeasureTooltip(CGrid& grid, const CellPaintContext&)
{
    return MeasureText(m_impl->text, m_impl->font.get(), GetSettings(grid));
}

bool CTooltipCtrl::Show(CGrid& grid, const CellPaintContext& cell)
{
    if (GetSafeHwnd() == nullptr)
        return false;
    const TooltipSettings& settings = GetSettings(grid);
    FetchText(grid, cell, settings);
    const CSize size = MeasureTooltip(grid, cell);
    CPoint cursor;
    if (!GetCursorPos(&cursor))
        return false;
    const CSize cursorSize(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR));
    const CPoint topLeft = Detail::PlaceAtCursor(cursor, size, settings, cursorSize);
    ShowAt(Detail::KeepOnScreen(CRect(topLeft, size), Detail::VirtualScreen()));
    return true;
}

void CTooltipCtrl::ShowAt(const CRect& screenRect)
{
    SetWindowPos(nullptr, screenRect.left, screenRect.top, screenRect.Width(), screenRect.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate(false);
}

CRect CTooltipCtrl::GetTextRect(const CRect& client) const
{
    const TooltipSettings& settings = m_impl->shown;
    return CRect(client.left + settings.textMargins.cx, client.top + settings.textMargins.cy,
                 client.right - settings.textMargins.cx, client.bottom - settings.textMargins.cy);
}

UINT CTooltipCtrl::GetTextFormat() const
{
    return DT_NOCLIP | DT_NOPREFIX;
}

LRESULT CTooltipCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SETFONT)
        return CWnd::WindowProc(message, wParam, lParam);
    // The window switches to the new copy before the previous copy goes.
    std::unique_ptr<CFont> copy = CopyOf(reinterpret_cast<CFont*>(wParam));
    const LRESULT result =
        CWnd::WindowProc(message, reinterpret_cast<WPARAM>(copy.get()), lParam);
    m_impl->font = std::move(copy);
    return result;
}

void CTooltipCtrl::OnPaint()
{
    CPaintDC dc(this);
    const TooltipSettings& settings = m_impl->shown;
    const CRect client = GetClientRect();
    dc.FillSolidRect(client, settings.backgroundColor);
    CBrush border(settings.borderColor);
    dc.FrameRect(client, &border);
    CFont* previousFont = dc.SelectObject(m_impl->font ? m_impl->font.get() : GetDefaultGuiFont());
    const COLORREF previousColor = dc.SetTextColor(settings.textColor);
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    CRect textRect = GetTextRect(client);
    dc.DrawText(m_impl->text, textRect, GetTextFormat());
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
    if (previousFont != nullptr)
        dc.SelectObject(previousFont);
}

} // namespace Ombrel::GUI
