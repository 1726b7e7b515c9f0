#include "ombrel/gui/services/InPlaceTooltipCtrl.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/platform/Font.h"

#include <algorithm>
#include <cstring>

namespace Ombrel::GUI {

namespace {

bool SameFont(const CFont* a, const CFont* b)
{
    LOGFONT first;
    LOGFONT second;
    return a != nullptr && b != nullptr && a->GetLogFont(first) && b->GetLogFont(second) &&
           std::memcmp(&first, &second, sizeof(LOGFONT)) == 0;
}

} // namespace

const TooltipSettings& CInPlaceTooltipCtrl::GetSettings(CGrid& grid) const
{
    static const TooltipSettings fallback;
    const TooltipSettings* settings = grid.GetInPlaceTooltipSettings();
    return settings != nullptr ? *settings : fallback;
}

CSize CInPlaceTooltipCtrl::MeasureTooltip(CGrid& grid, const CellPaintContext& cell)
{
    const CSize size = MeasureText(GetText(), grid.GetFont(), GetSettings(grid));
    return CSize(size.cx, std::max(size.cy, cell.rect.Height()));
}

bool CInPlaceTooltipCtrl::Show(CGrid& grid, const CellPaintContext& cell)
{
    if (GetSafeHwnd() == nullptr)
        return false;
    const TooltipSettings& settings = GetSettings(grid);
    if (FetchText(grid, cell, settings).IsEmpty())
        return false;
    const CSize size = MeasureTooltip(grid, cell);
    ICellPaintFormat* format = grid.GetCustomDraw()->GetCellPaintFormat(cell.column, cell);
    CRect textRect = format->GetTextRect(cell, grid.GetPaintOptions());
    // The text fits when its rectangle holds the measured width without the margins.
    const int textWidth = size.cx - 2 * std::clamp(settings.textMargins.cx, 0, kMaxTooltipMargin);
    if (textRect.IsRectEmpty() || textRect.Width() >= textWidth)
        return false;
    grid.ClientToScreen(&textRect);
    // The window paints with the grid's font, as the cell does; the copy is renewed only
    // when the grid's font changed since.
    if (CFont* gridFont = grid.GetFont(); gridFont != nullptr && !SameFont(gridFont, GetFont()))
        SetFont(gridFont, false);
    ShowAt(CRect(textRect.TopLeft(), CSize(size.cx, textRect.Height())));
    UpdateWindow();
    return true;
}

CRect CInPlaceTooltipCtrl::GetTextRect(const CRect& client) const
{
    const TooltipSettings& settings = GetShownSettings();
    return CRect(client.left + settings.textMargins.cx, client.top,
                 client.right - settings.textMargins.cx, client.bottom);
}

UINT CInPlaceTooltipCtrl::GetTextFormat() const
{
    return DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX;
}

} // namespace Ombrel::GUI
