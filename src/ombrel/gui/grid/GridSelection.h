#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/platform/Messages.h"

#include <memory>
#include <string>
#include <vector>

namespace Ombrel {
class CWnd;
}

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGridItem;
class CGridLayout;
class CGridRows;
struct GridOptions;

// Focus and selection of one grid: the focused position, the rules that decide which rows may
// take the focus or be selected, the core rules for a left-button press over the rows, and the
// type-ahead search over the header's search column.
//
// Terms: a position is {index, type} in the visible sequence of rows of that type (ROW_FIXED or
// ROW_NORMAL); the focus is such a position, {-1, ROW_DETACHED} when nothing has it. The
// selection is the selected flag of each row, mirrored by its container's selected set; it may
// include rows that are no longer visible (they keep the flag until deselected).
//
// The switches and masks live in the grid's GridOptions; the grid changes them there first and
// then calls the matching On...Changed reaction. Owner notifications go through
// CGridRows::NotifyRow, repaints straight to the window (bands computed with the layout).
// Window thread only; notification handlers may call back into the grid, so every loop here
// re-validates the rows it still has to visit.
class CGridSelection
{
public:
    // Where the last left-button press over the rows happened, kept for mouse tracking.
    struct Press
    {
        CPoint point;                // client coordinates
        int areaType = ROW_DETACHED; // ROW_FIXED / ROW_NORMAL area under the point, else 0
    };

    CGridSelection(CWnd& window, CGridRows& rows, const GridOptions& options, CGridLayout& layout);
    ~CGridSelection();
    CGridSelection(const CGridSelection&) = delete;
    CGridSelection& operator=(const CGridSelection&) = delete;

    // --- Focus -----------------------------------------------------------------------------
    RowPosition GetFocus() const;
    int GetFocusIndex() const;
    int GetFocusType() const;
    // The focused row, null when there is none.
    CGridItem* GetFocusedRow() const;
    // Stores the position as it is: no checks, repaints or notifications. This is the store
    // the rows use (IGridRowsOwner::Get/SetFocus) to keep the focus on its row while the
    // sequences change, and to clear it on removal, detaching, filtering and re-sorting.
    void StoreFocus(RowPosition focus);
    // Moves the focus to `index` of `type`'s visible sequence; a negative index clears it.
    // Fails (false, nothing changes) for an unknown type, a position past the sequence or a
    // type that may not take the focus. With `repaint` the old and the new focused rows are
    // repainted. Sends GN_FOCUSCHANGED for the old row, then for the new one.
    bool SetFocus(int index, int type, bool repaint);
    bool IsFocusable(int type) const;

    // --- Selection -------------------------------------------------------------------------
    // How the row-level rule treats a request to select (IGridRowsOwner::GetSelectionMode).
    IGridRowsOwner::SelectionMode GetSelectionMode() const;
    bool IsSelectable(int type) const;
    // A valid, visible row goes through SelectAt at its position; anything else fails.
    bool Select(CGridItem* row, bool select);
    // True when the row at the position has the requested state afterwards. Selecting fails
    // for a type outside the selectable mask, with selection disabled, and with single
    // selection while another row is selected. Repaints the row's band.
    bool SelectAt(int index, int type, bool select);
    // Applies Select to every row of the grid that shows `object`; true when any row changed.
    bool SelectObject(Common::CDataObject* object, bool select);
    // Applies SelectAt to every row from `from` to `to` (the fixed sequence precedes the normal
    // one), skipping types that may not be selected. False when an end is not a valid position.
    bool SelectRange(RowPosition from, RowPosition to, bool select);
    // Selects every visible row of the selectable types; only with multiple selection enabled.
    void SelectAll();
    // Deselects every selected row of both containers (GN_SELCHANGED for each) and repaints
    // those on screen.
    void ClearSelection();
    bool IsSelected(const CGridItem* row) const;
    bool IsSelectedAt(int index, int type) const;
    // Selected rows of both containers, visible or not.
    int GetSelectedCount() const;
    // Appends the selected visible rows of the types in `typeMask`: fixed rows first, each
    // type in visible order.
    void GetSelectedRows(int typeMask, std::vector<CGridItem*>& out) const;

    // --- Reactions to option changes (the grid has stored the new value already) ------------
    // Clears the focus when its type may no longer take it.
    void OnFocusableTypesChanged();
    // Disabling selection or multiple selection clears the selection.
    void OnSelectionEnabledChanged();
    void OnMultipleSelectionChanged();
    // Deselects the rows of every type that is no longer selectable.
    void OnSelectableTypesChanged();

    // --- Mouse -----------------------------------------------------------------------------
    // A left-button press (MK_* flags, client point) that the expand-button test and the
    // header did not take. Presses above the rows (in the header band) are left alone and
    // give false. `rememberPress` is false while a drawing state forbids mouse tracking.
    bool OnLButtonDown(UINT flags, CPoint point, bool rememberPress = true);
    // The last press remembered by OnLButtonDown; areaType 0 before any.
    const Press& GetLastPress() const;

    // --- Type-ahead search -----------------------------------------------------------------
    // Adds `ch` to the search text (or starts a new one after the timeout) and moves the focus
    // and the selection to the first matching row. Runs only while there are normal rows, the
    // left button is up, the header has a search column and `ch` is an ASCII letter or digit.
    // True when a row matched.
    bool SearchByChar(char ch);
    // The search text typed so far.
    const std::string& GetSearchText() const;
    // The character a key-down of `virtualKey` types into the search (the caller checks that
    // neither Shift nor Ctrl is held): keypad digits give '0'..'9', other keys their code read
    // as a character when that is an ASCII letter or digit (so F1..F11 give 'p'..'z');
    // 0 for keys that take no part.
    static char CharFromVirtualKey(UINT virtualKey);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
