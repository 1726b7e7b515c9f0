#pragma once

#include "ombrel/gui/header/SortInfo.h"

#include <cstdint>

namespace Ombrel {
class CDC;
class CFont;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {

class CGridItem;
class CHeader;
struct CellPaintContext;
struct EditInPlaceSettings;
struct GridAppearance;

// What a paint format may ask of the grid it paints. CGrid answers it; paint formats see the
// grid only through this interface, so painting never depends on the grid window's own
// headers. Every call is made on the window thread during a paint pass.
class IPaintedGrid
{
public:
    // The window the grid paints into (for clipping and client geometry).
    virtual CWnd* GetPaintedWindow() = 0;
    virtual CHeader* GetHeader() = 0;
    // The grid's appearance record; never null for a live grid.
    virtual GridAppearance* GetAppearance() = 0;
    // Sort level `level`; a level bound to no field ends the list.
    virtual CSortInfo GetSortInfo(int level) = 0;
    // Milliseconds since `fieldId` of `row` last changed; -1 when unknown.
    virtual std::int64_t GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId) = 0;
    // The same for a row the paint pass holds (it came from the grid's rows during this
    // paint), which needs no check that it is still one of the grid's rows: every cell of
    // every paint asks.
    virtual std::int64_t GetPaintedElapsedSinceChange(CGridItem& row, std::int32_t fieldId)
    {
        return GetElapsedSinceChange(&row, fieldId);
    }
    // Asks for `fieldId` of `row` to be painted again after `delayMs` (a fading highlight).
    virtual void ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs) = 0;
    // The grid's own font; null when it has none.
    virtual CFont* GetFont() = 0;
    // The field of the column that carries the tree (indent and buttons); 0 without one.
    virtual std::int32_t GetHierarchyColumn() = 0;
    virtual bool HasButtonsOnAllRows() = 0;
    // The row at a visible position of a row type; null outside the sequence.
    virtual CGridItem* GetRowAt(int index, int rowType) = 0;

    // The in-place editing settings, read once when a paint begins; null for a grid without
    // in-place editing.
    virtual const EditInPlaceSettings* GetEditSettingsForPaint() { return nullptr; }
    // In-place editing's say in painting a cell: the paint option mask for the cell (a check
    // box leaves out the text), and a hint drawn last (a hover frame, buttons, the box). A
    // grid without in-place editing keeps the flags and draws nothing.
    virtual std::uint32_t AdjustEditPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags)
    {
        (void)context, (void)dc;
        return flags;
    }
    virtual void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags)
    {
        (void)context, (void)dc, (void)flags;
    }

protected:
    ~IPaintedGrid() = default;
};

} // namespace Ombrel::GUI
