#pragma once

#include <memory>
#include <span>
#include <vector>

#include "ombrel/gui/rows/GridTypes.h"

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGridItem;
class CItemContainer;
class IGridRowsOwner;
class IRowFilter;

// The rows of one grid: its fixed and normal containers, the operations that build, reshape
// and query the two trees, sorting, the row filter and the reaction to data-object changes.
//
// It holds no window state: notifications, repaints, focus, the top row and layout go to the
// owner (the grid implementation, or a test). Every operation validates its row handles and
// gives the neutral result (false, null, 0 or -1) for anything that is not a live row of this
// grid. Used on the window thread only.
class CGridRows
{
public:
    explicit CGridRows(IGridRowsOwner& owner);
    // Deletes every row without notifications.
    ~CGridRows();
    CGridRows(const CGridRows&) = delete;
    CGridRows& operator=(const CGridRows&) = delete;

    IGridRowsOwner& GetOwner() const;
    // ROW_FIXED or ROW_NORMAL; any other value gives the normal container.
    CItemContainer& GetContainer(int rowType) const;

    // --- Building --------------------------------------------------------------------------
    // A new row for `object` under `parent` (GRID_ROOT, GRID_FIXED_ROOT or a row) after
    // `insertAfter` (GRID_FIRST, GRID_LAST, null or a row below `parent`); null on failure.
    CGridItem* Add(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter);
    // A row for each object, as Add would make them one after the other (from `insertAfter` on,
    // in this order), but a burst under a sorted parent is sorted once instead of each row
    // searching its place. The new rows come back in the order of `objects`; none when
    // `parent` is not a parent of this grid. A handler of the notifications may remove some.
    std::vector<CGridItem*> AddMany(std::span<Common::CDataObject* const> objects,
                                    CGridItem* parent, CGridItem* insertAfter);
    // Makes room for `count` more rows of `rowType` (ROW_NORMAL or ROW_FIXED) before they come,
    // for instance in bursts of AddMany while a file is read: no effect on the rows shown.
    void ReserveRows(std::size_t count, int rowType);
    bool Remove(CGridItem* row);
    bool RemoveAt(int position, int typeMask);
    bool RemoveAll(int typeMask);
    // Takes a row with its subtree out of the grid into the pool, keeping its bindings.
    bool Detach(CGridItem* row);
    // Puts a pooled row (see Detach) back into this grid.
    bool Attach(CGridItem* row, CGridItem* parent, CGridItem* insertAfter);
    // Moves a row before or after `reference` (GRID_FIRST, GRID_LAST or a child of the new
    // parent) under `parent` (GRID_ROOT, GRID_FIXED_ROOT or null for its current parent).
    void Move(CGridItem* row, CGridItem* reference, CGridItem* parent, bool before);
    // `handle` may be a root handle or a row.
    void Expand(CGridItem* handle, bool expand, bool recursive);

    // --- Queries ---------------------------------------------------------------------------
    bool IsValid(const CGridItem* row) const;
    int GetRowType(const CGridItem* row) const;
    CGridItem* GetParent(const CGridItem* row) const;
    int GetLevel(const CGridItem* row) const;
    void GetChildren(CGridItem* parent, std::vector<CGridItem*>& out) const;
    bool HasChildren(CGridItem* parent) const;
    bool IsExpanded(const CGridItem* row) const;
    bool IsVisible(const CGridItem* row) const;
    int GetVisibleIndex(CGridItem* row) const;
    CGridItem* GetRowAt(int position, int rowType) const;
    int GetRowCount(int rowType) const;
    Common::CDataObject* GetDataObject(const CGridItem* row) const;
    Common::CDataObject* GetDataObject(int position, int rowType) const;
    // Rows of this grid showing `object`, in registration order, restricted by type mask.
    void FindRows(Common::CDataObject* object, std::vector<CGridItem*>& out, int typeMask,
                  bool visibleOnly) const;
    CGridItem* FindRow(Common::CDataObject* object) const;
    // Every row of the fixed tree, then of the normal tree, in pre-order.
    void GetAllRows(int typeMask, std::vector<CGridItem*>& out) const;

    // --- Sorting and filtering -------------------------------------------------------------
    void SetSortedTypes(int mask);
    int GetSortedTypes() const;
    // Copies the header's levels into the sorted containers and sorts them.
    void Resort();
    // Empties both containers' levels; rows keep their order.
    void ClearSortLevels();
    // Stores the filter (not owned) and refreshes; returns the previous one.
    IRowFilter* SetFilter(IRowFilter* filter);
    IRowFilter* GetFilter() const;
    void RefreshFilter();
    bool IsHiddenByFilter(CGridItem* row) const;

    // --- Reactions -------------------------------------------------------------------------
    // A data object shown by `row` changed `fieldId` (the row has recorded the time already).
    void OnRowUpdated(CGridItem* row, int fieldId);
    // The deferred layout request posted after removals has been handled.
    void OnDeferredLayout();
    // Sends a row notification unless the row is a root or in the pool.
    void NotifyRow(int code, CGridItem* row) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
