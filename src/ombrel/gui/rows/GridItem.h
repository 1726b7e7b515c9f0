#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "ombrel/common/Value.h"
#include "ombrel/gui/rows/ChildList.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/rows/SortKey.h"

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CEmbeddedControlAdapter;
class CGridRows;
class CItemContainer;
class CRowComparator;
class CRowArena;

// One row of a grid: a node of a tree that shows one data object.
//
// Unlike the other public classes a row keeps its state in the object itself, not behind a
// private implementation: a grid holds 100 000 rows and more, and one allocation per row (plus
// the children array) is what keeps per-row memory and load time down.
//
// A row always belongs to exactly one container (a new row starts in the process-wide pool),
// and its whole subtree belongs to the same one. "Visible" means the row has an entry in its
// container's visible sequence. Everything here runs on the window thread.
class CGridItem
{
public:
    // One field's change history, ordered by field identifier within a row.
    struct ChangeRecord
    {
        int fieldId;
        std::int64_t changeTime;  // grid clock, ms
        std::int64_t repaintTime; // grid clock, ms; -1 when no repaint is scheduled
    };

    CGridItem();
    // Unbinds the data object, deselects, leaves the container and the parent, then deletes
    // the subtree.
    virtual ~CGridItem();
    CGridItem(const CGridItem&) = delete;
    CGridItem& operator=(const CGridItem&) = delete;

    // Rows come from a process-wide arena of row-sized slots (see CRowArena), not one heap
    // allocation each; a derived row of another size or alignment goes to the heap.
    static void* operator new(std::size_t bytes);
    static void* operator new(std::size_t bytes, std::align_val_t align);
    static void operator delete(void* row, std::size_t bytes) noexcept;
    static void operator delete(void* row, std::size_t bytes, std::align_val_t align) noexcept;
    // The slots rows are made in; CItemContainer::CreateRows takes a burst of them at once.
    static CRowArena& GetArena();

    // --- Binding ---------------------------------------------------------------------------
    Common::CDataObject* GetDataObject() const { return m_dataObject; }
    // Rebinds the row, moving its registration with the dispatcher from the old object to the
    // new one.
    void SetDataObject(Common::CDataObject* object);

    // --- Tree ------------------------------------------------------------------------------
    CItemContainer* GetContainer() const { return m_container; }
    // Moves the row and its subtree into `container` (registered and selected sets, height).
    void SetContainer(CItemContainer* container);
    // The parent row: a container's root for a top-level row, null for a root or a row that is
    // in no tree.
    CGridItem* GetParent() const { return m_parent; }
    bool IsRoot() const;
    // Depth below the container's root (top-level rows are 0); -1 for a root or a detached row.
    int GetLevel() const;
    const CChildList& GetChildren() const { return m_children; }
    int GetChildCount() const { return m_children.Size(); }
    CGridItem* GetChild(int slot) const { return m_children.At(slot); }

    // Inserts `child` (which must have no parent) at `slot` (clamped; ignored in a sorted
    // container, where the child goes after every sibling that compares equal to it) and,
    // when `show` is set and this row's children are on display, shows it.
    // Returns true when the child is now among the children.
    bool InsertChild(CGridItem* child, int slot, bool show);
    // Inserts several children at once, as InsertChild would one after the other (from `slot`
    // on, in this order; in a sorted container each after its equal siblings, new rows that
    // compare equal coming in any order among themselves), sorting a burst once instead of
    // searching for each row's place. All or nothing: false when any of them cannot be a child
    // here (or is named twice). In a sorted container the children's keys are read from their
    // objects first, unless the caller has just read them (ChildKeys::Current).
    enum class ChildKeys
    {
        ToRead,
        Current,
    };
    bool InsertChildren(std::span<CGridItem* const> children, int slot, bool show,
                        ChildKeys keys = ChildKeys::ToRead);
    // Hides `child` and takes it out of the children; it keeps its subtree.
    void RemoveChild(CGridItem* child);
    // Slot of `child` among the children, -1 when it is not one of them.
    int FindChild(CGridItem* child);
    // True when `child` is one of the children: FindChild(child) >= 0 without the search.
    bool HasChild(const CGridItem* child) const;

    // --- Display ---------------------------------------------------------------------------
    bool IsVisible() const { return m_visibleBlock != nullptr; }
    bool IsExpanded() const { return (m_state & kExpanded) != 0; }
    bool IsSelected() const { return (m_state & kSelected) != 0; }
    // Number of descendants that are visible.
    int GetVisibleDescendantCount() const { return m_visibleDescendants; }
    // Enters the visible sequence with the visible part of the subtree, when the parent shows
    // its children and the filter lets the row through.
    void ShowRow();
    // Leaves the visible sequence together with the visible descendants.
    void HideRow();
    void Expand(bool recursive);
    void Collapse(bool recursive);
    // Applies the selection rules; returns true when the row's flag is now `select`.
    bool SetSelected(bool select);

    int GetHeight() const { return m_height; }
    void SetHeight(int height) { m_height = height; }

    // --- Sorting ---------------------------------------------------------------------------
    // Reads the values of the container's sort fields into the cached keys. Returns false when
    // a getter threw; the keys it could not read are left empty.
    bool UpdateSortKeys();
    // Cached key of a level; the empty value outside the container's levels.
    const CSortKey& GetSortKey(int level) const
    {
        if (level >= 0 && level < kInlineSortKeys)
            return m_sortKeys[level];
        if (level >= kInlineSortKeys && level < kMaxSortLevels && m_moreSortKeys)
            return m_moreSortKeys[level - kInlineSortKeys];
        return EmptyKey();
    }
    // Sorts the subtree's children with the container's comparator, depth first.
    void SortChildren();

    // --- Change times ----------------------------------------------------------------------
    void MarkFieldChanged(int fieldId);
    void MarkRowChanged();
    // Milliseconds since the field (or, without a record, the row) last changed; -1 when it
    // never did.
    std::int64_t GetElapsedSinceChange(int fieldId) const;
    // Schedules a repaint of the row (or one cell) `delay` ms from now; a negative delay clears.
    void ScheduleRepaint(std::int64_t delay);
    void ScheduleCellRepaint(int fieldId, std::int64_t delay);
    // Repaints what is due: the row, then each due cell of a visible row.
    void RefreshDueRepaints();
    // Earliest scheduled repaint time, -1 when none.
    std::int64_t GetNextRepaintTime() const;
    // Last AllFields change (grid clock), -1 when there was none.
    std::int64_t GetRowChangeTime() const;
    // One record per field that changed, by field identifier; valid until the row's next
    // change.
    std::span<const ChangeRecord> GetChangeRecords() const;

    // --- Embedded controls (not owned) -----------------------------------------------------
    CEmbeddedControlAdapter* GetEmbeddedControl(int fieldId) const;
    // Null removes the cell's entry.
    void SetEmbeddedControl(int fieldId, CEmbeddedControlAdapter* control);
    bool HasEmbeddedControls() const;

    // --- Notifications from the data object (window thread) --------------------------------
    // Records the change time, then lets the grid react.
    void OnUpdate(int fieldId);

private:
    friend class CChildList;
    friend class CVisibleSequence;
    friend class CItemContainer;

    // The root row of `container`: expanded, unregistered, never shown.
    explicit CGridItem(CItemContainer* rootOf);
    // A row made straight in `container` and bound to `object` without passing through the
    // pool; the container registers it and the dispatcher learns of the binding, both in bulk
    // (CItemContainer::CreateRows).
    CGridItem(CItemContainer* container, Common::CDataObject* object);

    static constexpr int kInlineSortKeys = 2;
    static_assert(kInlineSortKeys <= kMaxSortLevels, "inline keys are a prefix of the levels");

    // Change and repaint times and embedded controls: what a row needs only once a field
    // changed, a repaint was scheduled or a control was embedded in one of its cells.
    struct History;
    History& GetHistory();

    enum StateBits : std::uint8_t
    {
        kExpanded = 1 << 0,
        kSelected = 1 << 1,
        kRoot = 1 << 2, // set once, by the root constructor: IsRoot without reaching the container
    };

    static const CSortKey& EmptyKey();
    // ShowRow with the row's slot among its siblings when the caller knows it, else -1.
    void ShowRowAt(int slot);
    void SetStateBit(std::uint8_t bit, bool on);
    void JoinContainer(CItemContainer* container);
    void LeaveContainer();
    void AddVisibleDescendants(int delta);
    void CollectShownSubtree(std::vector<CGridItem*>& out);
    // Shows new children that hold consecutive slots, in slot order, as one block of the
    // visible sequence: what ShowRow does for each of them, with one insertion.
    void ShowNewChildren(std::span<CGridItem* const> children);
    // The rows that enter the visible sequence when new `children` are shown, in order: the
    // children themselves when each enters alone and none is filtered out, else the shown
    // subtrees gathered into `collected`.
    std::span<CGridItem* const> CollectEntering(const CGridRows& rows,
                                                std::span<CGridItem* const> children,
                                                std::vector<CGridItem*>& collected);
    bool ShouldShowChildren() const;
    // Makes this row the parent of every child, or of none when one of them cannot be a child
    // here or is named twice.
    bool AdoptAll(std::span<CGridItem* const> children);
    // Sorts `added` and puts it among the children at the sorted places; returns the slot
    // before which each row went, counted among the children before the insertion.
    std::vector<int> InsertSortedChildren(std::span<CGridItem*> added, ChildKeys keys);
    // Sorts `added` and makes it the children of this row, which has none: no slots to find.
    void InsertSortedIntoEmpty(std::span<CGridItem*> added, ChildKeys keys);
    // Those slots for rows sorted by `comparator`: each row after its equal siblings.
    std::vector<int> SortedSlotsAmongChildren(std::span<CGridItem* const> sorted,
                                              const CRowComparator& comparator) const;
    // True when the visible sequence is exactly this root's children in order, every row of
    // the container being one of them or one of `arriving` rows about to become one.
    bool ShowsOnlyFlatChildren(std::size_t arriving) const;
    // Shows new children of a flat root, merged at `slots` (as InsertSortedChildren returned
    // them): one pass over the visible sequence instead of a search per row. False, with
    // nothing shown, when the filter hides one of them.
    bool ShowMergedChildren(std::span<CGridItem* const> children, std::span<const int> slots);
    // Tells the grid that `entered` rows came into this row's container from `position` on
    // (the lowest position that changed) and announces them while row notifications are on.
    void AnnounceEntered(CGridRows& rows, int position, std::span<CGridItem* const> entered) const;
    ChangeRecord* FindChangeRecord(int fieldId);
    const ChangeRecord* FindChangeRecord(int fieldId) const;

    Common::CDataObject* m_dataObject = nullptr;
    CGridItem* m_parent = nullptr;
    CItemContainer* m_container = nullptr; // never null after construction
    CChildList m_children;
    CRowBlock* m_childBlock = nullptr;   // block of the parent's children holding this row
    CRowBlock* m_visibleBlock = nullptr; // block of the visible sequence; null exactly while hidden
    int m_visibleDescendants = 0; // descendants with a visible entry
    std::int32_t m_height = 14;   // pixels
    std::uint8_t m_state = 0;     // StateBits
    // Cached keys of the container's sort levels: the first kInlineSortKeys inline, because
    // nearly every grid sorts by one or two levels; the rest only while the container has more.
    CSortKey m_sortKeys[kInlineSortKeys];
    std::unique_ptr<CSortKey[]> m_moreSortKeys; // kMaxSortLevels - kInlineSortKeys, or null
    std::unique_ptr<History> m_history; // made by the first change, schedule or control
};

} // namespace Ombrel::GUI
