#include "ombrel/gui/edit/detail/ReflectorTools.h"

#include "ombrel/gui/edit/EditContext.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintSnapshot.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Input.h"

namespace Ombrel::GUI::Detail {

bool PlaceOverCell(const CEditContext& context, CWnd& editor)
{
    if (context.grid == nullptr || context.row == nullptr || context.column == nullptr)
        return false;
    const std::int32_t fieldId = context.GetFieldId();
    const CRect visible = context.grid->GetVisibleCellRect(context.row, fieldId);
    if (!visible.IsRectEmpty()) {
        editor.MoveWindow(visible);
        return true;
    }
    // Not in view yet (a scroll into view may still be pending): the grid moves the editor
    // onto its cell when it paints.
    return !context.grid->GetCellRect(context.row, fieldId).IsRectEmpty();
}

CFont* EditorFont(CGrid& grid)
{
    CFont* font = grid.GetFont();
    return font != nullptr ? font : GetDefaultGuiFont();
}

const EditInPlaceSettings& PaintedEditSettings(const CellPaintContext& cell, CGrid& grid)
{
    if (const EditInPlaceSettings* kept = cell.snapshot ? cell.snapshot->GetEditSettings() : nullptr)
        return *kept;
    return *grid.GetEditInPlaceSettings();
}

CPoint CursorInGrid(CGrid& grid)
{
    CPoint point;
    GetCursorPos(&point);
    grid.ScreenToClient(&point);
    return point;
}

bool MouseButtonDown()
{
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0;
}

bool ControlOrShiftHeld()
{
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0;
}

HintButtons LayOutHintButtons(const CRect& cell, bool spin, bool dropDown)
{
    HintButtons buttons;
    const int side = cell.Height();
    int right = cell.right;
    if (spin) {
        buttons.spin = CRect(right - side, cell.top, right, cell.bottom);
        right -= side;
    }
    if (dropDown)
        buttons.dropDown = CRect(right - side, cell.top, right, cell.bottom);
    return buttons;
}

void DrawHintButtons(CDC& dc, const HintButtons& buttons)
{
    if (!buttons.spin.IsRectEmpty()) {
        const int middle = buttons.spin.top + buttons.spin.Height() / 2;
        dc.DrawFrameControl(CRect(buttons.spin.left, buttons.spin.top, buttons.spin.right, middle),
                            DFC_SCROLL, DFCS_SCROLLUP);
        dc.DrawFrameControl(CRect(buttons.spin.left, middle, buttons.spin.right, buttons.spin.bottom),
                            DFC_SCROLL, DFCS_SCROLLDOWN);
    }
    if (!buttons.dropDown.IsRectEmpty())
        dc.DrawFrameControl(buttons.dropDown, DFC_SCROLL, DFCS_SCROLLDOWN);
}

// The conditions are asked cheapest first: the settings and the pointer rule out every cell
// but one in most paints before a column lock is taken or the pointer's position read.
bool ShouldShowButtonHint(const CellPaintContext& cell)
{
    auto* grid = dynamic_cast<CGrid*>(cell.grid);
    if (grid == nullptr || cell.row == nullptr || cell.column == nullptr)
        return false;
    const EditInPlaceSettings& settings = PaintedEditSettings(cell, *grid);
    if (!settings.enabled || !(settings.drawEditHints || settings.editHintsEverywhere))
        return false;
    const std::int32_t fieldId = cell.ColumnFieldId();
    const bool underPointer = settings.editHintsEverywhere || grid->IsPointerOverCell(cell.row, fieldId);
    if (!underPointer || !cell.column->IsEditable())
        return false;
    if (grid->GetEditor() != nullptr || MouseButtonDown())
        return false;
    if (!settings.editHintsEverywhere && !cell.rect.PtInRect(CursorInGrid(*grid)))
        return false;
    const int trigger = settings.startMode == 1 ? StartByDoubleClick : StartByClick;
    return grid->CanBeginEdit(cell.row, fieldId, trigger);
}

bool ClickOnHintButtons(const CEditContext& context, bool spin, bool dropDown)
{
    if (context.grid == nullptr || context.row == nullptr || context.column == nullptr)
        return false;
    const EditInPlaceSettings& settings = *context.grid->GetEditInPlaceSettings();
    if (!settings.drawEditHints && !settings.editHintsEverywhere)
        return false;
    const CRect cell = context.grid->GetVisibleCellRect(context.row, context.GetFieldId());
    const HintButtons buttons = LayOutHintButtons(cell, spin, dropDown);
    const CPoint cursor = CursorInGrid(*context.grid);
    return buttons.spin.PtInRect(cursor) || buttons.dropDown.PtInRect(cursor);
}

} // namespace Ombrel::GUI::Detail
