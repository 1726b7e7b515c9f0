#include "ombrel/gui/services/Tooltip.h"

#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/PaintContext.h"

namespace Ombrel::GUI {

bool CTooltip::HasTooltip(CGrid& grid, const CellPaintContext& cell)
{
    return !GetTooltipText(grid, cell).IsEmpty();
}

CString CTooltip::GetTooltipText(CGrid&, const CellPaintContext& cell)
{
    if (cell.row == nullptr || cell.column == nullptr)
        return CString();
    return CCellPaintFormat::FormatCellText(cell);
}

CTooltip& CTooltip::GetDefault()
{
    // Never destroyed: grids may ask for it while static objects are torn down.
    static CTooltip* provider = new CTooltip(false);
    return *provider;
}

} // namespace Ombrel::GUI
