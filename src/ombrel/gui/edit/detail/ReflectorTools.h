#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/common/ValueKind.h"
#include "ombrel/common/Value.h"

#include <cstdint>

namespace Ombrel {
class CDC;
class CFont;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {
class CGrid;
struct CEditContext;
struct CellPaintContext;
struct EditInPlaceSettings;
} // namespace Ombrel::GUI

// Helpers the reflectors share: placing an editor, its font, where the mouse is, and the
// buttons of the editing hints.
namespace Ombrel::GUI::Detail {

// Whether values of `kind` are numbers (shown right-aligned by an automatic column).
using Common::IsNumericKind;

// Moves `editor` over the context's cell; false when the cell has no place in the grid (its
// row is not shown or its column hidden). A cell scrolled out of view still has a place; the
// grid keeps the editor on its cell and hides it while the cell is out of view.
bool PlaceOverCell(const CEditContext& context, CWnd& editor);
// The grid's font, else the default font.
CFont* EditorFont(CGrid& grid);

// The grid's in-place editing settings as the paint of `cell` sees them: read once a paint
// into its snapshot, else (a cell painted without one) asked of the grid.
const EditInPlaceSettings& PaintedEditSettings(const CellPaintContext& cell, CGrid& grid);

// The mouse pointer in the grid's client coordinates.
CPoint CursorInGrid(CGrid& grid);
bool MouseButtonDown();
bool ControlOrShiftHeld();

// The square buttons a hint shows at the right edge of `cell`, from right to left: the spin
// pair (when `spin`), then the drop-down button (when `dropDown`). Each is as wide as the cell
// is high.
struct HintButtons
{
    CRect spin;
    CRect dropDown;
};
HintButtons LayOutHintButtons(const CRect& cell, bool spin, bool dropDown);
void DrawHintButtons(CDC& dc, const HintButtons& buttons);

// Whether a date or enumeration reflector shows its buttons in a cell now: editing is on, one
// of the hint switches is on, the cell is editable, no editor is open, no mouse button is down,
// the pointer is in the cell (unless hints show everywhere), and the grid could start an edit.
bool ShouldShowButtonHint(const CellPaintContext& cell);
// Whether a single click at the pointer lands on a hint button of the context's cell.
bool ClickOnHintButtons(const CEditContext& context, bool spin, bool dropDown);

} // namespace Ombrel::GUI::Detail
