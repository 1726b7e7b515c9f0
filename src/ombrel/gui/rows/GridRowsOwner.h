#pragma once

#include <vector>

#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/header/SortInfo.h"

namespace Ombrel::GUI {

class CGrid;
class CGridItem;

// What rows and containers need from the grid that owns them: owner notifications, repaints,
// focus, the top row and layout scheduling. The grid implementation provides it; tests provide
// their own. Rows in the process-wide pool have no owner and call none of this.
//
// Every call happens on the window thread. Positions are positions in the visible sequence of
// the given row type.
class IGridRowsOwner
{
public:
    enum class SelectionMode
    {
        Disabled, // no row may be selected
        Single,   // at most one row of the grid is selected
        Multiple,
    };

    // The grid window handed to the row filter; may be null while no window exists.
    virtual CGrid* GetGrid() const = 0;

    // A row notification (GN_...) about a row of a grid container. Roots and pooled rows are
    // filtered out before this is called; whether notifications are switched on is the owner's.
    virtual void NotifyRow(int code, CGridItem* row) = 0;
    // False while the owner passes row notifications on to nobody (they are switched off), so
    // that a burst of rows entering need not be announced row by row. NotifyRow is still
    // called for rows leaving, which the owner's services hear of regardless.
    virtual bool AnnouncesRows() const { return true; }

    // Repaint requests. RepaintPositions covers first..last inclusive; the owner repaints only
    // what lies on screen.
    virtual void RepaintRow(CGridItem* row) = 0;
    virtual void RepaintCell(CGridItem* row, int fieldId) = 0;
    virtual void RepaintPositions(int rowType, int first, int last) = 0;
    virtual void RepaintAll() = 0;

    // The focus is a position; rows keep it pointing at the same row as the sequence changes.
    virtual RowPosition GetFocus() const = 0;
    virtual void SetFocus(RowPosition focus) = 0;
    // Forgets the focus without notifications (rows moved or left under it).
    virtual void ClearFocus() = 0;

    // Index of the first normal row on screen, -1 while there is none. Setting only stores it.
    virtual int GetTopRow() const = 0;
    virtual void SetTopRow(int index) = 0;

    // `count` rows entered or left the visible sequence of `rowType` at `position`.
    virtual void OnRowsEntered(int rowType, int position, int count) = 0;
    virtual void OnRowsLeft(int rowType, int position, int count) = 0;

    // Starts the one-shot layout timer used after insertions.
    virtual void StartLayoutTimer() = 0;
    // Posts one deferred layout request to the window; the grid calls
    // CGridRows::OnDeferredLayout when it is handled.
    virtual void PostDeferredLayout() = 0;
    // Recomputes layout and scroll state now.
    virtual void UpdateLayout() = 0;

    virtual SelectionMode GetSelectionMode() const = 0;

    // The sort levels the grid's header holds now, in level order; empty without a header.
    virtual std::vector<CSortInfo> GetHeaderSortLevels() const = 0;

    // The data object of `row` announced a change of `fieldId` (or AllFields / NoField); the
    // row is already in its sorted place and repainted, GN_ROWUPDATED not yet sent.
    virtual void OnRowChanged(CGridItem* row, int fieldId) = 0;

protected:
    ~IGridRowsOwner() = default;
};

} // namespace Ombrel::GUI
