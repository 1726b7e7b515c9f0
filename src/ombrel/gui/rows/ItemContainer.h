#pragma once

#include <memory>
#include <span>
#include <vector>

#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/rows/detail/RowAddressSet.h"
#include "ombrel/gui/header/SortInfo.h"

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGridItem;
class CGridRows;
class CVisibleSequence;

// One tree of rows with its visible sequence: the fixed rows or the normal rows of a grid, or
// the process-wide pool of rows that belong to no grid.
//
// The registered set (every row in the container, by address) is the authority for handle
// validation. The root row has no data object, is expanded from the start and is never shown,
// selected or collapsed. Used on window threads only.
class CItemContainer
{
public:
    // `rows` is the grid that owns the container; null for the pool.
    CItemContainer(RowType kind, CGridRows* rows);
    // Deletes the root and so every row of the container.
    ~CItemContainer();
    CItemContainer(const CItemContainer&) = delete;
    CItemContainer& operator=(const CItemContainer&) = delete;

    // The pool of rows that belong to no grid: kind ROW_DETACHED, no owner, alive until exit.
    static CItemContainer& GetPool();

    RowType GetKind() const;
    CGridRows* GetGridRows() const;
    bool IsPool() const { return GetGridRows() == nullptr; }
    CGridItem* GetRoot() const;

    CVisibleSequence& GetVisibleSequence();
    int GetRowCount() const;
    // Row at a visible position, null out of range.
    CGridItem* GetRowAt(int position) const;
    // Visible position of a row of this container, -1 when it is not visible.
    int GetVisibleIndex(CGridItem* row);

    int GetDefaultRowHeight() const;
    // Gives the new default to every row of the container.
    void SetDefaultRowHeight(int height);

    // How CreateRows binds a burst. Now: the rows are registered (this container's set, the
    // dispatcher's registry, the objects' subscriptions) before it returns. Aside: each object
    // is subscribed to and, in a sorted container, its row's keys are read as the row is made
    // (while the arena prepares its later chunks); the registration of a burst of at least
    // kRegisteredAsideRows then runs on a helper thread while the caller sorts the rows, until
    // FinishRegistration.
    enum class Registration
    {
        Now,
        Aside,
    };
    static constexpr std::size_t kRegisteredAsideRows = 16384;

    // New rows of this container, one per object, bound to it and registered with the
    // dispatcher under one lock; they have no parent yet. Unlike a row made with `new`, which
    // starts in the pool, they never pass through it.
    //
    // With Registration::Aside the registration may still run when this returns: until
    // FinishRegistration the returned vector must stay as it is (the helper reads it), and the
    // rows may be sorted, but not be shown, deleted or handed out. Every query of this
    // container's set waits for the helper first.
    std::vector<CGridItem*> CreateRows(std::span<Common::CDataObject* const> objects,
                                       Registration registration = Registration::Now);
    // Waits for a registration left to a helper thread and passes on what it threw; returns at
    // once when none runs.
    void FinishRegistration() const;
    // Makes room for `count` more rows, in this container's set and in the dispatcher's
    // registry, so that adding that many in bursts does not grow either table burst by burst.
    void ReserveRows(std::size_t count);
    // One such row, without the burst's lists.
    CGridItem* CreateRow(Common::CDataObject* object);

    bool IsRegistered(const CGridItem* row) const;
    const CRowAddressSet& GetRegisteredRows() const;
    // The selected rows of the container, by address (a flat set: no node per row).
    const CRowAddressSet& GetSelectedRows() const;

    // --- Sorting ---------------------------------------------------------------------------
    bool IsSorted() const;
    std::span<const CSortInfo> GetSortLevels() const;
    // Keeps at most kMaxSortLevels; does not reorder rows (BulkSort does).
    void SetSortLevels(std::span<const CSortInfo> levels);
    // Positive when a sorts before b (see CRowComparator).
    int Compare(const CGridItem& a, const CGridItem& b) const;
    // True when `a` comes before `b` in the pre-order of this container's tree.
    bool PrecedesInTree(CGridItem* a, CGridItem* b) const;
    // Refreshes every key, sorts every children array and reorders the visible sequence.
    void BulkSort();

    // Where a re-positioned row went in the visible sequence.
    struct SequenceMove
    {
        bool moved = false; // the row changed its place among its siblings
        int from = -1;      // old and new first position of the row's block; -1 when hidden
        int to = -1;
        int count = 0;      // the row and its visible descendants
    };
    // Refreshes a row's keys and moves it to its sorted place among its siblings, and its block
    // in the visible sequence with it. A row whose getter throws stays where it is.
    SequenceMove Reposition(CGridItem* row);

    // Deletes every row of the container (no notifications of its own); returns how many
    // visible rows there were.
    int DeleteAllRows();
    // Place for a row that is not in the sequence: the first position in [first, last) whose
    // row comes after `row` in tree order.
    int FindVisibleInsertPosition(CGridItem* row, int first, int last);

private:
    friend class CGridItem;

    void Register(CGridItem* row);
    void Unregister(CGridItem* row);
    void SetSelectedMember(CGridItem* row, bool selected);
    // Place in the sequence for a row that is not in it and whose parent shows its children;
    // `slot` is the row's slot among its siblings when the caller knows it, else -1.
    int VisibleInsertPosition(CGridItem* row, int slot = -1);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
