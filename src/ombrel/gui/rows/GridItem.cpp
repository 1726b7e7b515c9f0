#include "ombrel/gui/rows/GridItem.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <map>
#include <memory_resource>
#include <span>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/RowComparator.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/VisibleSequence.h"
#include "ombrel/gui/rows/detail/RowArena.h"

namespace Ombrel::GUI {

// A row holds: vtable (8), data object, parent, container (3 x 8), its children list (8, a list
// exists only while there are children), its blocks in the parent's children and in the visible
// sequence (2 x 8), visible descendants and height (2 x 4), state flags (8 with padding), two
// cached sort keys inline (2 x 16), the further keys (8, allocated only while the container
// sorts by more than two levels) and the history (8, allocated by the first change). A row that
// never changed costs these 120 bytes and its allocation, which a million-row grid pays a
// million times: change it deliberately.
static_assert(sizeof(CGridItem) <= 120, "CGridItem grew: per-row memory is a product goal");

namespace {

// The change records of one row, ordered by field identifier. The first kInline live in the
// history itself: a row of a live grid changes a few fields (a price, a quantity, a time), and
// its first change must not cost an allocation beyond the history's own slot. A row whose
// changes outgrow them moves them all to the heap at once and keeps them there.
class CChangeRecordList
{
public:
    using Record = CGridItem::ChangeRecord;

    std::span<Record> All() { return m_spilled.empty() ? Inline() : std::span<Record>(m_spilled); }
    std::span<const Record> All() const
    {
        return m_spilled.empty() ? std::span<const Record>(m_inline.data(), m_inlineCount)
                                 : std::span<const Record>(m_spilled);
    }

    // The record of `fieldId`, or where it would go.
    Record* LowerBound(int fieldId)
    {
        const std::span<Record> records = All();
        const auto found = std::ranges::lower_bound(records, fieldId, {}, &Record::fieldId);
        return records.data() + (found - records.begin());
    }

    // Inserts `record` at `place` (from LowerBound, nothing inserted since), keeping the order.
    void InsertAt(Record* place, const Record& record)
    {
        if (!m_spilled.empty()) {
            m_spilled.insert(m_spilled.begin() + (place - m_spilled.data()), record);
            return;
        }
        const std::size_t index = static_cast<std::size_t>(place - m_inline.data());
        if (m_inlineCount < kInline) {
            std::copy_backward(m_inline.begin() + static_cast<std::ptrdiff_t>(index),
                               m_inline.begin() + m_inlineCount,
                               m_inline.begin() + m_inlineCount + 1);
            m_inline[index] = record;
            ++m_inlineCount;
            return;
        }
        m_spilled.reserve(kFirstSpill);
        m_spilled.assign(m_inline.begin(), m_inline.end());
        m_spilled.insert(m_spilled.begin() + static_cast<std::ptrdiff_t>(index), record);
        m_inlineCount = 0;
    }

private:
    static constexpr std::size_t kInline = 3;
    static constexpr std::size_t kFirstSpill = 8;

    std::span<Record> Inline() { return std::span<Record>(m_inline.data(), m_inlineCount); }

    std::array<Record, kInline> m_inline{};
    std::vector<Record> m_spilled; // empty while the records fit inline
    std::uint8_t m_inlineCount = 0;
};

} // namespace

// Histories live in an arena of their own like the rows: a grid under live data gives most of
// its rows one the first time they change, and a heap allocation each would fault fresh heap
// pages in one at a time.
struct CGridItem::History
{
    static CRowArena& GetArena()
    {
        // Never destroyed: rows of static grids may be deleted during exit.
        static CRowArena* const arena = new CRowArena(sizeof(History), alignof(History));
        return *arena;
    }
    static void* operator new([[maybe_unused]] std::size_t bytes)
    {
        assert(bytes == sizeof(History));
        return GetArena().Allocate();
    }
    static void operator delete(void* history, [[maybe_unused]] std::size_t bytes) noexcept
    {
        assert(bytes == sizeof(History));
        GetArena().Free(history);
    }

    CChangeRecordList changes;
    std::int64_t rowChangeTime = -1;  // last AllFields change, grid clock
    std::int64_t rowRepaintTime = -1; // -1: none scheduled
    // By field id; not owned. Made with the first embedded control: few rows have one.
    std::unique_ptr<std::map<int, CEmbeddedControlAdapter*>> embedded;
};

namespace {

// Asks the memory system for a row's first sort keys, which a comparison is about to read; a
// hint only, nothing is read. In a large parent every probe of a search lands on a row nobody
// touched lately: asked for early, the reads overlap instead of following one another.
[[gnu::always_inline]] inline void PrefetchFirstSortKeys(const CGridItem* row)
{
    const auto* keys = reinterpret_cast<const char*>(&row->GetSortKey(0));
    __builtin_prefetch(keys);
    __builtin_prefetch(keys + 2 * sizeof(CSortKey) - 1);
}

// Keeps the focus on the same row while the visible sequence changes under it: a focused row
// that stays visible keeps the focus at its new position, one that left loses it.
class CFocusKeeper
{
public:
    explicit CFocusKeeper(CGridRows* rows) : m_rows(rows)
    {
        if (!m_rows)
            return;
        const RowPosition focus = m_rows->GetOwner().GetFocus();
        if (!focus.IsNone())
            m_focused = m_rows->GetRowAt(focus.index, focus.type);
    }
    CFocusKeeper(const CFocusKeeper&) = delete;
    CFocusKeeper& operator=(const CFocusKeeper&) = delete;

    ~CFocusKeeper()
    {
        if (!m_focused)
            return;
        IGridRowsOwner& owner = m_rows->GetOwner();
        const RowPosition focus = owner.GetFocus();
        if (focus.IsNone())
            return;
        CItemContainer* container = m_focused->GetContainer();
        const int position = m_focused->IsVisible() ? container->GetVisibleIndex(m_focused) : -1;
        if (position < 0)
            owner.ClearFocus();
        else if (position != focus.index || container->GetKind() != focus.type)
            owner.SetFocus(RowPosition{position, container->GetKind()});
    }

private:
    CGridRows* m_rows;
    CGridItem* m_focused = nullptr;
};

} // namespace

// ---- Memory -------------------------------------------------------------------------------

CRowArena& CGridItem::GetArena()
{
    // Never destroyed: rows of static grids may be deleted during exit.
    static CRowArena* const arena = new CRowArena(sizeof(CGridItem), alignof(CGridItem));
    return *arena;
}

void* CGridItem::operator new(std::size_t bytes)
{
    return bytes == sizeof(CGridItem) ? GetArena().Allocate() : ::operator new(bytes);
}

void* CGridItem::operator new(std::size_t bytes, std::align_val_t align)
{
    return ::operator new(bytes, align);
}

void CGridItem::operator delete(void* row, std::size_t bytes) noexcept
{
    if (bytes == sizeof(CGridItem))
        GetArena().Free(row);
    else
        ::operator delete(row, bytes);
}

void CGridItem::operator delete(void* row, std::size_t bytes, std::align_val_t align) noexcept
{
    ::operator delete(row, bytes, align);
}

// ---- Construction -------------------------------------------------------------------------

CGridItem::CGridItem()
{
    JoinContainer(&CItemContainer::GetPool());
}

CGridItem::CGridItem(CItemContainer* rootOf) : m_container(rootOf), m_state(kExpanded | kRoot)
{
    // A root is not registered: it is never a valid handle.
}

CGridItem::CGridItem(CItemContainer* container, Common::CDataObject* object)
    : m_dataObject(object), m_container(container), m_height(container->GetDefaultRowHeight())
{
}

CGridItem::~CGridItem()
{
    SetDataObject(nullptr);
    if (IsSelected())
        SetSelected(false);
    if (m_parent)
        m_parent->RemoveChild(this);
    for (CGridItem* child : m_children.TakeAll()) {
        child->m_parent = nullptr;
        delete child;
    }
    LeaveContainer();
}

// ---- Binding ------------------------------------------------------------------------------

void CGridItem::SetDataObject(Common::CDataObject* object)
{
    if (object == m_dataObject)
        return;
    Common::CDataObject* previous = m_dataObject;
    m_dataObject = object;
    if (previous)
        CDispatcher::GetInstance().Unregister(previous, this);
    if (object)
        CDispatcher::GetInstance().Register(object, this);
}

// ---- Tree ---------------------------------------------------------------------------------

void CGridItem::SetContainer(CItemContainer* container)
{
    if (!container || container == m_container)
        return;
    LeaveContainer();
    JoinContainer(container);
    for (CGridItem* child : m_children)
        child->SetContainer(container);
}

void CGridItem::JoinContainer(CItemContainer* container)
{
    m_container = container;
    container->Register(this);
    if (IsSelected())
        container->SetSelectedMember(this, true);
    m_height = container->GetDefaultRowHeight();
}

void CGridItem::LeaveContainer()
{
    if (m_container)
        m_container->Unregister(this);
}

bool CGridItem::IsRoot() const
{
    return (m_state & kRoot) != 0;
}

int CGridItem::GetLevel() const
{
    int level = -1;
    for (const CGridItem* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        ++level;
    return level;
}

bool CGridItem::InsertChild(CGridItem* child, int slot, bool show)
{
    if (!child || child == this || child->m_parent || child->IsRoot())
        return false;
    assert(child->m_container == m_container && "a child joins its parent's container first");
    if (m_container->IsSorted()) {
        child->UpdateSortKeys();
        // After every sibling that the child does not sort before.
        const CRowComparator comparator(m_container->GetSortLevels());
        const auto staysAfter = [&](const CGridItem* sibling) {
            return !comparator.Before(*child, *sibling);
        };
        const auto prefetch = [](const CGridItem* sibling) { PrefetchFirstSortKeys(sibling); };
        slot = m_children.PartitionPoint(0, m_children.Size(), staysAfter, prefetch);
    } else {
        slot = std::clamp(slot, 0, m_children.Size());
    }
    m_children.Insert(slot, child);
    child->m_parent = this;

    if (show && ShouldShowChildren()) {
        child->ShowRowAt(slot);
    } else if (!IsRoot() && IsVisible() && m_children.Size() == 1) {
        if (CGridRows* rows = m_container->GetGridRows())
            rows->GetOwner().RepaintRow(this); // the expand button appears
    }
    return true;
}

bool CGridItem::InsertChildren(std::span<CGridItem* const> children, int slot, bool show,
                               ChildKeys keys)
{
    if (!AdoptAll(children))
        return false;
    if (children.empty())
        return true;

    const bool hadChildren = !m_children.IsEmpty();
    const bool sorted = m_container->IsSorted();
    // A burst sorted into a parent without children is the one case that does not ask the
    // container's set before the sort: its registration may run on beside the sort.
    if (!sorted || hadChildren)
        m_container->FinishRegistration();
    // Read before the insertion: whether the visible sequence is the children, in order.
    const bool flat = hadChildren && ShowsOnlyFlatChildren(children.size());
    // A burst of a bulk load is sorted in this copy: on huge pages, as the other arrays of a
    // million rows are.
    std::pmr::vector<CGridItem*> added(children.begin(), children.end(), &CHugePageMemory::Get());
    std::vector<int> slots;
    if (sorted && !hadChildren)
        InsertSortedIntoEmpty(added, keys);
    else if (sorted)
        slots = InsertSortedChildren(added, keys);
    else
        m_children.Insert(std::clamp(slot, 0, m_children.Size()), added);

    if (show && ShouldShowChildren()) {
        // Rows in consecutive slots enter as one block. Rows merged among sorted siblings enter
        // at their slots when the sequence is the children, else one by one, in sibling order,
        // each right after the one before it.
        if (!sorted || !hadChildren) {
            ShowNewChildren(added);
        } else if (!flat || !ShowMergedChildren(added, slots)) {
            for (CGridItem* child : added)
                child->ShowRow();
        }
    } else if (!IsRoot() && IsVisible() && !hadChildren) {
        if (CGridRows* rows = m_container->GetGridRows())
            rows->GetOwner().RepaintRow(this); // the expand button appears
    }
    return true;
}

bool CGridItem::AdoptAll(std::span<CGridItem* const> children)
{
    // Each child takes this row as its parent as it is checked, so a row named twice is met
    // with its parent already set: the check needs no copy and no sort of the burst.
    std::size_t adopted = 0;
    for (CGridItem* child : children) {
        if (!child || child == this || child->m_parent || child->IsRoot() ||
            child->m_container != m_container)
            break;
        child->m_parent = this;
        ++adopted;
    }
    if (adopted == children.size())
        return true;
    for (std::size_t index = 0; index < adopted; ++index)
        children[index]->m_parent = nullptr;
    return false;
}

std::vector<int> CGridItem::InsertSortedChildren(std::span<CGridItem*> added, ChildKeys keys)
{
    if (keys == ChildKeys::ToRead) {
        for (CGridItem* child : added)
            child->UpdateSortKeys();
    }
    const CRowComparator comparator(m_container->GetSortLevels());
    comparator.Sort(added);
    std::vector<int> slots = SortedSlotsAmongChildren(added, comparator);
    m_children.InsertEach(added, slots);
    return slots;
}

void CGridItem::InsertSortedIntoEmpty(std::span<CGridItem*> added, ChildKeys keys)
{
    assert(m_children.IsEmpty() && "the burst is the only children");
    if (keys == ChildKeys::ToRead) {
        for (CGridItem* child : added)
            child->UpdateSortKeys();
    }
    CRowComparator(m_container->GetSortLevels()).Sort(added);
    m_container->FinishRegistration(); // before the rows become children anyone can reach
    m_children.Insert(0, added);
}

std::vector<int> CGridItem::SortedSlotsAmongChildren(std::span<CGridItem* const> sorted,
                                                     const CRowComparator& comparator) const
{
    // Each new row goes after every sibling it does not sort before (after its equals). The
    // rows are sorted, so each slot lies at or after the one before it, usually a few siblings
    // on: a search that widens from there (1, 2, 4, ... siblings), then bisects the last step,
    // reads a few siblings per row instead of every sibling of the burst's range.
    const int count = m_children.Size();
    std::vector<int> slots;
    slots.reserve(sorted.size());
    int low = 0;
    for (CGridItem* child : sorted) {
        const auto after = [&](const CGridItem* sibling) { return !comparator.Before(*child, *sibling); };
        int probe = low;
        for (int step = 1; probe < count && after(m_children.At(probe)); step *= 2) {
            low = probe + 1;
            probe = low + step;
        }
        low = m_children.PartitionPoint(low, std::min(probe, count), after);
        slots.push_back(low);
    }
    return slots;
}

bool CGridItem::ShowsOnlyFlatChildren(std::size_t arriving) const
{
    // Every row of the container is a child of this root (or one of the `arriving` rows, made
    // there and not yet children) and every child is shown: then the visible sequence holds
    // the children in their order, and a child's position is its slot. Counting shown rows
    // alone is not enough: hidden children and shown grandchildren can even out.
    const std::size_t present = static_cast<std::size_t>(m_children.Size());
    return IsRoot() && m_container->GetRegisteredRows().Size() == present + arriving &&
           m_visibleDescendants == m_children.Size();
}

bool CGridItem::ShowMergedChildren(std::span<CGridItem* const> children, std::span<const int> slots)
{
    CGridRows* rows = m_container->GetGridRows();
    if (!rows)
        return true;  // nothing is shown without the grid's rows
    for (CGridItem* child : children) {
        // The sequence would no longer be the children: each row finds its own place then.
        if (rows->IsHiddenByFilter(child))
            return false;
    }
    CFocusKeeper focusKeeper(rows);
    // The slots were taken before the insertion, as the positions are.
    m_container->GetVisibleSequence().InsertEach(children, slots);
    for (CGridItem* child : children)
        child->m_visibleDescendants = 0;
    const int count = static_cast<int>(children.size());
    AddVisibleDescendants(count);

    // The first slot is the lowest position that changed.
    AnnounceEntered(*rows, slots.front(), children);
    return true;
}

void CGridItem::AnnounceEntered(CGridRows& rows, int position,
                                std::span<CGridItem* const> entered) const
{
    IGridRowsOwner& owner = rows.GetOwner();
    const RowType kind = m_container->GetKind();
    owner.OnRowsEntered(kind, position, static_cast<int>(entered.size()));
    // The first normal row to appear in an empty view becomes the top row.
    if (kind == ROW_NORMAL && owner.GetTopRow() < 0 && !entered.empty())
        owner.SetTopRow(0);
    if (!owner.AnnouncesRows())
        return;
    for (CGridItem* row : entered)
        rows.NotifyRow(GN_VISIBILITYCHANGED, row);
}

void CGridItem::RemoveChild(CGridItem* child)
{
    if (!child || child->m_parent != this)
        return;
    child->HideRow();
    const int slot = FindChild(child);
    assert(slot >= 0 && "a child is among its parent's children");
    m_children.Erase(slot);
    child->m_parent = nullptr;

    CGridRows* rows = m_container->GetGridRows();
    if (!rows)
        return;
    if (!IsRoot() && IsVisible() && m_children.IsEmpty())
        rows->GetOwner().RepaintRow(this); // the expand button goes away
    if (m_container->GetKind() == ROW_NORMAL) {
        IGridRowsOwner& owner = rows->GetOwner();
        const int count = m_container->GetRowCount();
        if (owner.GetTopRow() >= count)
            owner.SetTopRow(count - 1);
    }
}

int CGridItem::FindChild(CGridItem* child)
{
    if (!child || child->m_parent != this)
        return -1;
    return m_children.IndexOf(child);
}

bool CGridItem::HasChild(const CGridItem* child) const
{
    return child && child->m_parent == this && m_children.Contains(child);
}

// ---- Display ------------------------------------------------------------------------------

bool CGridItem::ShouldShowChildren() const
{
    return IsRoot() || (IsVisible() && IsExpanded());
}

void CGridItem::AddVisibleDescendants(int delta)
{
    for (CGridItem* row = this; row; row = row->m_parent)
        row->m_visibleDescendants += delta;
}

void CGridItem::CollectShownSubtree(std::vector<CGridItem*>& out)
{
    out.push_back(this);
    const std::size_t before = out.size();
    if (IsExpanded()) {
        CGridRows* rows = m_container->GetGridRows();
        for (CGridItem* child : m_children) {
            if (!rows->IsHiddenByFilter(child))
                child->CollectShownSubtree(out);
        }
    }
    m_visibleDescendants = static_cast<int>(out.size() - before);
}

void CGridItem::ShowRow()
{
    ShowRowAt(-1);
}

void CGridItem::ShowRowAt(int slot)
{
    CGridRows* rows = m_container->GetGridRows();
    if (!rows || IsVisible() || !m_parent || !m_parent->ShouldShowChildren())
        return;
    if (rows->IsHiddenByFilter(this))
        return;
    CFocusKeeper focusKeeper(rows);
    CVisibleSequence& sequence = m_container->GetVisibleSequence();
    const int position = m_container->VisibleInsertPosition(this, slot);

    // A collapsed row or a leaf enters alone, which needs no block to be built.
    std::vector<CGridItem*> block;
    CGridItem* self = this;
    std::span<CGridItem* const> entering(&self, 1);
    if (IsExpanded() && !m_children.IsEmpty()) {
        CollectShownSubtree(block);
        entering = block;
    } else {
        m_visibleDescendants = 0;
    }
    sequence.Insert(position, entering);
    const int count = static_cast<int>(entering.size());
    m_parent->AddVisibleDescendants(count);

    AnnounceEntered(*rows, position, entering);
}

void CGridItem::ShowNewChildren(std::span<CGridItem* const> children)
{
    CGridRows* rows = m_container->GetGridRows();
    if (!rows || children.empty())
        return;
    assert(ShouldShowChildren() && "children are shown only where their parent shows them");
    CFocusKeeper focusKeeper(rows);
    const int position = m_container->VisibleInsertPosition(children.front());
    std::vector<CGridItem*> collected;
    const std::span<CGridItem* const> entering = CollectEntering(*rows, children, collected);
    if (entering.empty())
        return;
    CVisibleSequence& sequence = m_container->GetVisibleSequence();
    sequence.Insert(position, entering);
    const int count = static_cast<int>(entering.size());
    AddVisibleDescendants(count);

    AnnounceEntered(*rows, position, entering);
}

std::span<CGridItem* const> CGridItem::CollectEntering(const CGridRows& rows,
                                                       std::span<CGridItem* const> children,
                                                       std::vector<CGridItem*>& collected)
{
    // A new row of a bulk load is a leaf that the filter lets through: the children enter as
    // they are, without a copy. The filter is asked once per child either way.
    std::size_t alone = 0;
    bool firstOtherHidden = false;
    constexpr std::size_t kAhead = 8; // sorted rows lie anywhere: their misses overlap
    for (; alone < children.size(); ++alone) {
        if (alone + kAhead < children.size())
            __builtin_prefetch(&children[alone + kAhead]->m_visibleDescendants, 1);
        CGridItem* child = children[alone];
        assert(child->m_parent == this && !child->IsVisible() && "new children are hidden");
        if (child->IsExpanded() && !child->m_children.IsEmpty()) {
            firstOtherHidden = rows.IsHiddenByFilter(child);
            break;
        }
        if (rows.IsHiddenByFilter(child)) {
            firstOtherHidden = true;
            break;
        }
        child->m_visibleDescendants = 0;
    }
    if (alone == children.size())
        return children;

    collected.reserve(children.size());
    collected.assign(children.begin(), children.begin() + static_cast<std::ptrdiff_t>(alone));
    for (std::size_t index = alone; index < children.size(); ++index) {
        CGridItem* child = children[index];
        const bool hidden = index == alone ? firstOtherHidden : rows.IsHiddenByFilter(child);
        if (!hidden)
            child->CollectShownSubtree(collected);
    }
    return collected;
}

void CGridItem::HideRow()
{
    CGridRows* rows = m_container->GetGridRows();
    if (!rows || !IsVisible())
        return;
    CFocusKeeper focusKeeper(rows);
    CVisibleSequence& sequence = m_container->GetVisibleSequence();
    const int position = m_container->GetVisibleIndex(this);
    const int count = 1 + m_visibleDescendants;
    std::vector<CGridItem*> leaving;
    if (count > 1)
        sequence.CopyOut(position, count, leaving);
    sequence.Erase(position, count);
    CGridItem* self = this;
    std::span<CGridItem* const> left = count > 1 ? std::span<CGridItem* const>(leaving)
                                                 : std::span<CGridItem* const>(&self, 1);
    for (CGridItem* row : left)
        row->m_visibleDescendants = 0;
    if (m_parent)
        m_parent->AddVisibleDescendants(-count);

    rows->GetOwner().OnRowsLeft(m_container->GetKind(), position, count);
    for (CGridItem* row : left)
        rows->NotifyRow(GN_VISIBILITYCHANGED, row);
}

void CGridItem::Expand(bool recursive)
{
    if (!IsExpanded()) {
        SetStateBit(kExpanded, true);
        if (CGridRows* rows = m_container->GetGridRows())
            rows->NotifyRow(GN_EXPANDCHANGED, this);
    }
    // Children may be removed by notification handlers; walk by slot and re-check the size.
    for (int slot = 0; slot < m_children.Size(); ++slot) {
        CGridItem* child = m_children.At(slot);
        if (recursive)
            child->Expand(true);
        if (!child->IsVisible())
            child->ShowRow();
    }
}

void CGridItem::Collapse(bool recursive)
{
    const bool root = IsRoot();
    if (!root && IsExpanded()) {
        SetStateBit(kExpanded, false);
        if (CGridRows* rows = m_container->GetGridRows())
            rows->NotifyRow(GN_EXPANDCHANGED, this);
    }
    for (int slot = 0; slot < m_children.Size(); ++slot) {
        CGridItem* child = m_children.At(slot);
        if (!root && child->IsVisible())
            child->HideRow();
        if (recursive)
            child->Collapse(true);
    }
}

bool CGridItem::SetSelected(bool select)
{
    CGridRows* rows = m_container->GetGridRows();
    bool selected = false;
    if (select && rows && IsVisible() && !IsRoot()) {
        switch (rows->GetOwner().GetSelectionMode()) {
        case IGridRowsOwner::SelectionMode::Disabled:
            break;
        case IGridRowsOwner::SelectionMode::Multiple:
            selected = true;
            break;
        case IGridRowsOwner::SelectionMode::Single:
            selected = IsSelected() || (rows->GetContainer(ROW_FIXED).GetSelectedRows().IsEmpty() &&
                                        rows->GetContainer(ROW_NORMAL).GetSelectedRows().IsEmpty());
            break;
        }
    }
    if (selected != IsSelected()) {
        SetStateBit(kSelected, selected);
        m_container->SetSelectedMember(this, selected);
        if (rows)
            rows->NotifyRow(GN_SELCHANGED, this);
    }
    return selected == select;
}

void CGridItem::SetStateBit(std::uint8_t bit, bool on)
{
    m_state = on ? static_cast<std::uint8_t>(m_state | bit)
                 : static_cast<std::uint8_t>(m_state & ~bit);
}

// ---- Sorting ------------------------------------------------------------------------------

bool CGridItem::UpdateSortKeys()
{
    const std::span<const CSortInfo> levels = m_container->GetSortLevels();
    if (!m_dataObject || levels.empty())
        return true;
    const int used = static_cast<int>(std::min<std::size_t>(levels.size(), kMaxSortLevels));
    if (used > kInlineSortKeys && !m_moreSortKeys)
        m_moreSortKeys = std::make_unique<CSortKey[]>(kMaxSortLevels - kInlineSortKeys);
    else if (used <= kInlineSortKeys)
        m_moreSortKeys.reset();
    bool complete = true;
    for (int level = 0; level < kMaxSortLevels; ++level) {
        CSortKey* key = level < kInlineSortKeys ? &m_sortKeys[level]
                              : m_moreSortKeys        ? &m_moreSortKeys[level - kInlineSortKeys]
                                                      : nullptr;
        if (!key)
            break;
        if (level >= used) {
            key->Clear();
            continue;
        }
        try {
            key->Assign(m_dataObject->GetValue(levels[static_cast<std::size_t>(level)].GetFieldId()));
        } catch (...) {
            // A throwing getter must not leave the grid; its level compares equal instead.
            key->Clear();
            complete = false;
        }
    }
    // The parent's children list keeps the first keys of its blocks beside them.
    if (m_childBlock)
        m_childBlock->list->OnKeyChanged(this);
    return complete;
}

const CSortKey& CGridItem::EmptyKey()
{
    static const CSortKey empty;
    return empty;
}

void CGridItem::SortChildren()
{
    if (m_children.IsEmpty())
        return;
    const CRowComparator comparator(m_container->GetSortLevels());
    std::vector<CGridItem*> order = m_children.CopyAll();
    if (!comparator.IsOrdered(order)) {
        comparator.Sort(order);
        m_children.Reorder(order);
    }
    for (CGridItem* child : order)
        child->SortChildren();
}

// ---- Change times -------------------------------------------------------------------------

CGridItem::History& CGridItem::GetHistory()
{
    static_assert(sizeof(History) <= 128, "a history is one arena slot of two cache lines");
    if (!m_history)
        m_history = std::make_unique<History>();
    return *m_history;
}

std::int64_t CGridItem::GetRowChangeTime() const
{
    return m_history ? m_history->rowChangeTime : -1;
}

std::span<const CGridItem::ChangeRecord> CGridItem::GetChangeRecords() const
{
    return m_history ? m_history->changes.All() : std::span<const ChangeRecord>();
}

CGridItem::ChangeRecord* CGridItem::FindChangeRecord(int fieldId)
{
    return const_cast<ChangeRecord*>(std::as_const(*this).FindChangeRecord(fieldId));
}

const CGridItem::ChangeRecord* CGridItem::FindChangeRecord(int fieldId) const
{
    if (!m_history)
        return nullptr;
    const std::span<const ChangeRecord> changes = m_history->changes.All();
    const auto it = std::ranges::lower_bound(changes, fieldId, {}, &ChangeRecord::fieldId);
    return it != changes.end() && it->fieldId == fieldId ? &*it : nullptr;
}

void CGridItem::MarkFieldChanged(int fieldId)
{
    const std::int64_t now = GetGridTime();
    CChangeRecordList& changes = GetHistory().changes;
    ChangeRecord* place = changes.LowerBound(fieldId);
    const std::span<ChangeRecord> all = changes.All();
    if (place != all.data() + all.size() && place->fieldId == fieldId) {
        place->changeTime = now;
        return;
    }
    changes.InsertAt(place, ChangeRecord{fieldId, now, -1});
}

void CGridItem::MarkRowChanged()
{
    GetHistory().rowChangeTime = GetGridTime();
}

std::int64_t CGridItem::GetElapsedSinceChange(int fieldId) const
{
    if (!m_history)
        return -1; // never changed: every cell of every paint asks, the clock need not be read
    const std::int64_t now = GetGridTime();
    if (const ChangeRecord* record = FindChangeRecord(fieldId))
        return now - record->changeTime;
    const std::int64_t rowChangeTime = GetRowChangeTime();
    return rowChangeTime < 0 ? -1 : now - rowChangeTime;
}

void CGridItem::ScheduleRepaint(std::int64_t delay)
{
    if (delay < 0 && !m_history)
        return; // nothing was scheduled
    GetHistory().rowRepaintTime = delay < 0 ? -1 : GetGridTime() + delay;
}

void CGridItem::ScheduleCellRepaint(int fieldId, std::int64_t delay)
{
    // Only a field that changed has a record to carry the time.
    if (ChangeRecord* record = FindChangeRecord(fieldId))
        record->repaintTime = delay < 0 ? -1 : GetGridTime() + delay;
}

void CGridItem::RefreshDueRepaints()
{
    if (!m_history)
        return;
    CGridRows* rows = m_container->GetGridRows();
    const std::int64_t now = GetGridTime();
    if (m_history->rowRepaintTime >= 0 && m_history->rowRepaintTime <= now) {
        m_history->rowRepaintTime = -1;
        if (rows)
            rows->GetOwner().RepaintRow(this);
    }
    for (ChangeRecord& record : m_history->changes.All()) {
        if (record.repaintTime < 0 || record.repaintTime > now)
            continue;
        record.repaintTime = -1;
        if (rows && IsVisible())
            rows->GetOwner().RepaintCell(this, record.fieldId);
    }
}

std::int64_t CGridItem::GetNextRepaintTime() const
{
    if (!m_history)
        return -1;
    std::int64_t next = m_history->rowRepaintTime;
    for (const ChangeRecord& record : std::as_const(m_history->changes).All()) {
        if (record.repaintTime >= 0 && (next < 0 || record.repaintTime < next))
            next = record.repaintTime;
    }
    return next;
}

// ---- Embedded controls --------------------------------------------------------------------

CEmbeddedControlAdapter* CGridItem::GetEmbeddedControl(int fieldId) const
{
    if (!HasEmbeddedControls())
        return nullptr;
    const auto it = m_history->embedded->find(fieldId);
    return it == m_history->embedded->end() ? nullptr : it->second;
}

void CGridItem::SetEmbeddedControl(int fieldId, CEmbeddedControlAdapter* control)
{
    if (control) {
        History& history = GetHistory();
        if (!history.embedded)
            history.embedded = std::make_unique<std::map<int, CEmbeddedControlAdapter*>>();
        (*history.embedded)[fieldId] = control;
        return;
    }
    if (HasEmbeddedControls())
        m_history->embedded->erase(fieldId);
}

bool CGridItem::HasEmbeddedControls() const
{
    return m_history && m_history->embedded && !m_history->embedded->empty();
}

// ---- Notifications ------------------------------------------------------------------------

void CGridItem::OnUpdate(int fieldId)
{
    if (fieldId == Common::AllFields)
        MarkRowChanged();
    else if (fieldId != Common::NoField)
        MarkFieldChanged(fieldId);
    if (CGridRows* rows = m_container->GetGridRows())
        rows->OnRowUpdated(this, fieldId);
}

} // namespace Ombrel::GUI
