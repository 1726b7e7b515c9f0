#include "ombrel/gui/rows/ItemContainer.h"

#include <algorithm>
#include <cassert>
#include <future>
#include <memory_resource>
#include <system_error>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/RowComparator.h"
#include "ombrel/gui/rows/VisibleSequence.h"
#include "ombrel/gui/rows/detail/RowArena.h"

namespace Ombrel::GUI {

namespace {

constexpr int kInitialRowHeight = 14;

int CountAncestors(const CGridItem* row)
{
    int depth = 0;
    for (const CGridItem* parent = row->GetParent(); parent; parent = parent->GetParent())
        ++depth;
    return depth;
}

void RefreshKeysBelow(CGridItem* row)
{
    for (CGridItem* child : row->GetChildren()) {
        child->UpdateSortKeys();
        RefreshKeysBelow(child);
    }
}

// Asks the memory system for a row's inline sort keys, which a comparison is about to read;
// only a hint: nothing is read. Always inlined, for the optimizer drops a call to a function
// that only prefetches.
[[gnu::always_inline]] inline void PrefetchSortKeys(const CGridItem* row)
{
    const auto* keys = reinterpret_cast<const char*>(&row->GetSortKey(0));
    __builtin_prefetch(keys);
    __builtin_prefetch(keys + 2 * sizeof(CSortKey) - 1);
}

// The slot among its siblings that a row whose keys changed belongs in, given where it is and
// its neighbours there: after the last predecessor that does not come after it, or else just
// before the first successor that it does not come after. Equal siblings keep their order. A
// row that still lies between its neighbours (a small change, the usual case for live prices)
// stays without a search; otherwise one side is searched, the side its neighbour says.
int SortedSlot(const CChildList& siblings, const CRowComparator& comparator, const CGridItem& row,
               const CRowBlockList::Neighbourhood& around)
{
    const auto prefetch = [](const CGridItem* sibling) { PrefetchSortKeys(sibling); };
    // Both neighbours are asked for before either is compared.
    if (around.next)
        prefetch(around.next);
    // The blocks of siblings are searched by their first key prefixes as far as those tell.
    // A sibling whose prefix sorts before the row's both stays before it and comes before it;
    // one whose prefix sorts after does neither (the comparator is antisymmetric).
    const CKeyPrefix prefix = CKeyPrefix::Of(row.GetSortKey(0));
    const auto decide = [&](const CKeyPrefix& sibling) {
        return comparator.ComparePrefixes(sibling, prefix);
    };
    if (around.previous && comparator.Before(row, *around.previous)) {
        const auto staysAfter = [&](const CGridItem* sibling) {
            return !comparator.Before(row, *sibling);
        };
        return siblings.PartitionPoint(0, around.index - 1, staysAfter, decide, prefetch);
    }
    if (around.next && comparator.Before(*around.next, row)) {
        const auto comesBefore = [&](const CGridItem* sibling) {
            return comparator.Before(*sibling, row);
        };
        return siblings.PartitionPoint(around.index + 2, siblings.Size(), comesBefore, decide,
                                       prefetch) -
               1;
    }
    return around.index;
}

void CollectVisibleBelow(const CGridItem* row, std::vector<CGridItem*>& out)
{
    for (CGridItem* child : row->GetChildren()) {
        if (!child->IsVisible())
            continue;
        out.push_back(child);
        CollectVisibleBelow(child, out);
    }
}

} // namespace

struct CItemContainer::Impl
{
    RowType kind;
    CGridRows* rows;               // the owning grid's rows; null for the pool
    std::unique_ptr<CGridItem> root;
    CVisibleSequence sequence;
    int defaultRowHeight = kInitialRowHeight;
    std::vector<CSortInfo> levels; // at most kMaxSortLevels; empty: unsorted
    CRowAddressSet registered;   // read through Registered(), which waits for a helper
    CRowAddressSet selected;
    // A burst's registration on a helper thread (CreateRows with Registration::Aside): while it
    // runs, `registered` and the burst's bindings in the dispatcher are the helper's.
    mutable std::future<void> registering;
    bool deletingAll = false; // DeleteAllRows is running: rows leave the sets all at once
    // A re-positioned block on its way through the sequence; kept so that moving a row after
    // each change allocates nothing. Empty between calls.
    std::vector<CGridItem*> movingBlock;

    CRowAddressSet& Registered()
    {
        FinishRegistering();
        return registered;
    }
    void FinishRegistering() const
    {
        if (registering.valid())
            registering.get(); // a failure of the helper is rethrown here
    }
};

CItemContainer::CItemContainer(RowType kind, CGridRows* rows) : m_impl(std::make_unique<Impl>())
{
    m_impl->kind = kind;
    m_impl->rows = rows;
    m_impl->root.reset(new CGridItem(this));
}

CItemContainer::~CItemContainer()
{
    if (m_impl->registering.valid())
        m_impl->registering.wait(); // the rows are deleted below whatever it met
    // Entries go first so that no deleted row is left in the sequence.
    m_impl->sequence.Clear();
    m_impl->root.reset();
}

CItemContainer& CItemContainer::GetPool()
{
    // Never destroyed: rows of static grids may leave it during exit.
    static CItemContainer* const pool = new CItemContainer(ROW_DETACHED, nullptr);
    return *pool;
}

RowType CItemContainer::GetKind() const
{
    return m_impl->kind;
}

CGridRows* CItemContainer::GetGridRows() const
{
    return m_impl->rows;
}

CGridItem* CItemContainer::GetRoot() const
{
    return m_impl->root.get();
}

CVisibleSequence& CItemContainer::GetVisibleSequence()
{
    return m_impl->sequence;
}

int CItemContainer::GetRowCount() const
{
    return m_impl->sequence.Size();
}

CGridItem* CItemContainer::GetRowAt(int position) const
{
    if (position < 0 || position >= m_impl->sequence.Size())
        return nullptr;
    return m_impl->sequence.At(position);
}

int CItemContainer::GetVisibleIndex(CGridItem* row)
{
    if (!row || row->GetContainer() != this || !row->IsVisible())
        return -1;
    return m_impl->sequence.PositionOf(row);
}

int CItemContainer::VisibleInsertPosition(CGridItem* row, int slot)
{
    CGridItem* parent = row->GetParent();
    if (slot < 0)
        slot = parent->FindChild(row);
    // When every row of the container is a child of the root and the sequence holds all of
    // them but this one, the sequence is the children without it, in slot order.
    const auto siblings = static_cast<std::size_t>(parent->GetChildCount());
    if (parent->IsRoot() && !row->IsVisible() && m_impl->Registered().Size() == siblings &&
        static_cast<std::size_t>(m_impl->sequence.Size()) + 1 == siblings)
        return slot;

    // In pre-order the row comes right after its nearest shown elder sibling's visible subtree,
    // or right after its parent when no elder sibling is shown. Only a short run of hidden
    // siblings is walked; past it the tree order is bisected instead.
    constexpr int kSiblingScan = 32;
    const int stop = std::max(0, slot - kSiblingScan);
    for (int sibling = slot - 1; sibling >= stop; --sibling) {
        CGridItem* elder = parent->GetChild(sibling);
        if (elder->IsVisible())
            return GetVisibleIndex(elder) + 1 + elder->GetVisibleDescendantCount();
    }
    if (stop == 0)
        return parent->IsRoot() ? 0 : GetVisibleIndex(parent) + 1;
    return FindVisibleInsertPosition(row, 0, GetRowCount());
}

int CItemContainer::GetDefaultRowHeight() const
{
    return m_impl->defaultRowHeight;
}

void CItemContainer::SetDefaultRowHeight(int height)
{
    m_impl->defaultRowHeight = height;
    m_impl->Registered().ForEach([height](CGridItem* row) { row->SetHeight(height); });
}

bool CItemContainer::IsRegistered(const CGridItem* row) const
{
    m_impl->FinishRegistering();
    return m_impl->registered.Contains(row);
}

const CRowAddressSet& CItemContainer::GetRegisteredRows() const
{
    m_impl->FinishRegistering();
    return m_impl->registered;
}

const CRowAddressSet& CItemContainer::GetSelectedRows() const
{
    return m_impl->selected;
}

void CItemContainer::ReserveRows(std::size_t count)
{
    m_impl->Registered().ReserveTight(m_impl->Registered().Size() + count);
    CDispatcher::GetInstance().ReserveObjects(count);
}

std::vector<CGridItem*> CItemContainer::CreateRows(std::span<Common::CDataObject* const> objects,
                                                   Registration registration)
{
    // The slots of a burst are taken under one lock of the arena; a row made here is deleted
    // like any other (its class's operator delete gives the slot back).
    std::vector<CGridItem*> rows;
    rows.reserve(objects.size());
    std::pmr::vector<void*> slots(objects.size(), nullptr, &CHugePageMemory::Get());
    CDispatcher& dispatcher = CDispatcher::GetInstance();
    const bool aside = registration == Registration::Aside;
    const bool readKeys = aside && IsSorted();
    // Rows are made run by run as the slots are taken: the arena prepares its later chunks
    // meanwhile. Set aside, an object is subscribed to before its keys are read, so that no
    // change made from then on goes unannounced, however far the registration has come.
    CGridItem::GetArena().AllocateMany(slots, [&](std::span<void* const> run) {
        const std::size_t first = rows.size();
        for (void* slot : run)
            rows.push_back(::new (slot) CGridItem(this, objects[rows.size()]));
        if (!aside)
            return;
        const std::span<CGridItem* const> made(rows.data() + first, run.size());
        dispatcher.SubscribeObjectsOf(made);
        if (readKeys) {
            for (CGridItem* row : made)
                row->UpdateSortKeys();
        }
    });

    // Registering a large burst is mostly waiting on memory: the fresh pages of both tables
    // and a cache miss per row in each. On a helper thread it runs beside the sort of the same
    // rows, which reads their keys and never the tables. The helper reads the vector's buffer,
    // which returning the vector by value leaves in place.
    CRowAddressSet& registered = m_impl->Registered();
    if (!aside) {
        registered.InsertMany(rows);
        dispatcher.RegisterRows(rows);
        return rows;
    }
    const std::span<CGridItem* const> burst(rows);
    const auto registerBurst = [&registered, &dispatcher, burst] {
        registered.InsertMany(burst);
        dispatcher.RegisterRows(burst, CDispatcher::Subscription::SubscribedAlready);
    };
    if (rows.size() >= kRegisteredAsideRows) {
        try {
            m_impl->registering = std::async(std::launch::async, registerBurst);
            return rows;
        } catch (const std::system_error&) {
            // No thread to be had: registered here instead, as a small burst is.
        }
    }
    registerBurst();
    return rows;
}

void CItemContainer::FinishRegistration() const
{
    m_impl->FinishRegistering();
}

CGridItem* CItemContainer::CreateRow(Common::CDataObject* object)
{
    auto* row = new CGridItem(this, object);
    m_impl->Registered().Insert(row);
    CDispatcher::GetInstance().Register(object, row);
    return row;
}

void CItemContainer::Register(CGridItem* row)
{
    if (row && !IsReservedHandle(row))
        m_impl->Registered().Insert(row);
}

void CItemContainer::Unregister(CGridItem* row)
{
    if (m_impl->deletingAll)
        return; // the sets are emptied once when the rows are gone
    m_impl->Registered().Erase(row);
    if (!m_impl->selected.IsEmpty())
        m_impl->selected.Erase(row);
}

void CItemContainer::SetSelectedMember(CGridItem* row, bool selected)
{
    if (m_impl->deletingAll)
        return;
    if (selected)
        m_impl->selected.Insert(row);
    else
        m_impl->selected.Erase(row);
}

// ---- Sorting ------------------------------------------------------------------------------

bool CItemContainer::IsSorted() const
{
    return !m_impl->levels.empty();
}

std::span<const CSortInfo> CItemContainer::GetSortLevels() const
{
    return m_impl->levels;
}

void CItemContainer::SetSortLevels(std::span<const CSortInfo> levels)
{
    const std::size_t count = std::min<std::size_t>(levels.size(), kMaxSortLevels);
    m_impl->levels.assign(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(count));
}

int CItemContainer::Compare(const CGridItem& a, const CGridItem& b) const
{
    return CRowComparator(m_impl->levels).Compare(a, b);
}

bool CItemContainer::PrecedesInTree(CGridItem* a, CGridItem* b) const
{
    if (a == b)
        return false;
    const int depthA = CountAncestors(a);
    const int depthB = CountAncestors(b);
    CGridItem* x = a;
    CGridItem* y = b;
    for (int depth = depthA; depth > depthB; --depth)
        x = x->GetParent();
    for (int depth = depthB; depth > depthA; --depth)
        y = y->GetParent();
    if (x == y)
        return depthA < depthB; // an ancestor comes before its descendants
    while (x->GetParent() != y->GetParent()) {
        x = x->GetParent();
        y = y->GetParent();
    }
    CGridItem* parent = x->GetParent();
    assert(parent && "rows of one container share the root");
    // Siblings keep comparator order in their children array, so the array decides ties too.
    return parent->FindChild(x) < parent->FindChild(y);
}

int CItemContainer::FindVisibleInsertPosition(CGridItem* row, int first, int last)
{
    const CVisibleSequence& sequence = m_impl->sequence;
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (PrecedesInTree(row, sequence.At(middle)))
            last = middle;
        else
            first = middle + 1;
    }
    return first;
}

void CItemContainer::BulkSort()
{
    if (!IsSorted())
        return;
    CGridItem* root = m_impl->root.get();
    RefreshKeysBelow(root);
    root->SortChildren();
    std::vector<CGridItem*> order;
    order.reserve(static_cast<std::size_t>(m_impl->sequence.Size()));
    CollectVisibleBelow(root, order);
    // An order that did not change leaves every row's entry where it is.
    CVisibleSequence& sequence = m_impl->sequence;
    if (!std::equal(order.begin(), order.end(), sequence.begin(), sequence.end()))
        sequence.Reorder(std::move(order));
}

CItemContainer::SequenceMove CItemContainer::Reposition(CGridItem* row)
{
    SequenceMove result;
    CGridItem* parent = row->GetParent();
    if (!parent || !IsSorted())
        return result;
    CChildList& siblings = parent->m_children;
    const CRowBlockList::Neighbourhood around = siblings.NeighboursOf(row);
    const int oldSlot = around.index;
    if (oldSlot < 0 || !row->UpdateSortKeys())
        return result;
    const int newSlot = SortedSlot(siblings, CRowComparator(m_impl->levels), *row, around);
    if (newSlot == oldSlot)
        return result;
    // When every row of the container is a child of the root and every child is shown, the
    // visible sequence holds the same rows as the children in the same order: the row's
    // position is its slot, before the move and after it, and no search of the sequence is
    // needed. Counting the shown rows alone is not enough: hidden children and shown
    // grandchildren can even out.
    const bool flat = parent->IsRoot() &&
                      m_impl->Registered().Size() == static_cast<std::size_t>(siblings.Size()) &&
                      parent->m_visibleDescendants == siblings.Size();
    const int oldPosition = flat ? oldSlot : GetVisibleIndex(row);
    siblings.Move(oldSlot, newSlot);
    result.moved = true;
    if (oldPosition < 0)
        return result;
    CVisibleSequence& sequence = m_impl->sequence;
    if (flat) {
        assert(sequence.Size() == siblings.Size() && "a flat sequence mirrors the children");
        sequence.MoveBlock(oldSlot, 1, newSlot);
        result.from = oldSlot;
        result.to = newSlot;
        result.count = 1;
        return result;
    }

    // The block (row and visible descendants) leaves the sequence and comes back where the
    // tree now puts it.
    const int count = 1 + row->GetVisibleDescendantCount();
    std::vector<CGridItem*>& block = m_impl->movingBlock;
    sequence.CopyOut(oldPosition, count, block);
    sequence.Erase(oldPosition, count);
    const int target = VisibleInsertPosition(row);
    sequence.Insert(target, block);
    block.clear();
    result.from = oldPosition;
    result.to = target;
    result.count = count;
    return result;
}

int CItemContainer::DeleteAllRows()
{
    // Selected rows are deselected while the tree is whole, so that whoever hears of it finds
    // the other rows intact.
    std::vector<CGridItem*> selected = m_impl->selected.ToVector();
    std::ranges::sort(selected); // address order, as the set's own order means nothing
    for (CGridItem* row : selected) {
        if (IsRegistered(row))
            row->SetSelected(false);
    }
    const int visible = m_impl->sequence.Size();
    // From here on every row of the container is deleted, so the lists drop their entries
    // without writing to the rows, and the rows go in address order,
    // each cut from its parent and children first so that deleting it deletes only itself.
    m_impl->sequence.Discard();
    CGridItem* root = m_impl->root.get();
    root->m_children.Discard();
    root->m_visibleDescendants = 0;
    std::vector<CGridItem*> rows = m_impl->Registered().ToVector();
    std::ranges::sort(rows);

    // Bindings leave the dispatcher in the objects' address order, which mostly is the order
    // in which they were made: its entries and the objects are then visited in memory order
    // instead of at random. Runs keep the registry lock short for other threads.
    std::vector<std::pair<Common::CDataObject*, CGridItem*>> bindings;
    bindings.reserve(rows.size());
    for (CGridItem* row : rows) {
        if (row->m_dataObject)
            bindings.emplace_back(row->m_dataObject, row);
    }
    std::ranges::sort(bindings);
    std::vector<CGridItem*> run;
    constexpr std::size_t kRun = 4096;
    for (std::size_t first = 0; first < bindings.size(); first += kRun) {
        run.clear();
        const std::size_t last = std::min(bindings.size(), first + kRun);
        for (std::size_t i = first; i < last; ++i)
            run.push_back(bindings[i].second);
        CDispatcher::GetInstance().UnregisterRows(run);
    }

    m_impl->deletingAll = true;
    for (CGridItem* row : rows) {
        row->m_dataObject = nullptr;
        row->m_parent = nullptr;
        row->m_children.Discard();
        delete row;
    }
    m_impl->deletingAll = false;
    m_impl->Registered().Clear();
    m_impl->selected.Clear();
    return visible;
}

} // namespace Ombrel::GUI
