#pragma once

#include "ombrel/gui/edit/EditContext.h"

#include <cstdint>

namespace Ombrel {
class CDC;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {

struct CellPaintContext;

// Connects one kind of value format to one kind of editor control. The edit-in-place policy
// picks the reflector of a cell by its format (CReflectorList: the first that Supports it) and
// drives one edit through it:
//
//   CreateEditor -> OnActivate -> AcceptCode* -> [WriteValue] -> DestroyEditor
//
// CreateEditor makes the editor over the cell with the cell's current value and gives it the
// focus; AcceptCode is asked for every end code the editor's hook sees (false keeps the key or
// click inside the editor); WriteValue stores the editor's value into the data object through
// the grid's set-cell operations, only for a committing end; DestroyEditor repaints the cell
// and destroys the editor. The painter asks AdjustPaintFlags, WantsHint and DrawHint for cells
// that are not being edited.
//
// One instance of each reflector serves every grid of the process: edits happen one at a time
// on the window thread. A reflector owns the editor it created until DestroyEditor.
class IControlReflector
{
public:
    virtual ~IControlReflector() = default;

    // Whether this reflector edits cells of `format`.
    virtual bool Supports(const Common::CFormat* format) = 0;
    // Creates, fills, places and focuses the editor; false when it cannot (the edit does not
    // start). `format` null: the cell's format.
    virtual bool CreateEditor(const CEditContext& context, Common::CFormat* format, int trigger) = 0;
    // The grid has recorded the edit.
    virtual void OnActivate() = 0;
    // False keeps the event of `code` inside the editor (an arrow key moving the caret).
    virtual bool AcceptCode(const CEditContext& context, int code) = 0;
    // Stores the editor's value into the data object; false when nothing was written.
    virtual bool WriteValue(const CEditContext& context, Common::CFormat* format) = 0;
    // Repaints the cell (when a column is given) and destroys the editor; false without one.
    virtual bool DestroyEditor(CGrid* grid, CGridItem* row, CColumn* column) = 0;
    // Whether a hint is to be drawn into this cell now.
    virtual bool WantsHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // The paint option mask for the cell (PaintOption bits).
    virtual std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // Whether a single click on the cell starts editing (start mode 1).
    virtual bool StartsOnClick(const CEditContext& context, Common::CFormat* format) = 0;
    // The editor of the edit in progress; null when none (or the reflector uses no window).
    virtual CWnd* GetEditor() = 0;
};

} // namespace Ombrel::GUI
