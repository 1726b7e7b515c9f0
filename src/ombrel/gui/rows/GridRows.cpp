#include "ombrel/gui/rows/GridRows.h"

#include <cassert>

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/RowFilter.h"
#include "ombrel/gui/rows/VisibleSequence.h"

// Flow of a row through a grid:
//   Add:     new row made in the target container, bound to its object -> Insert (slot, show)
//            -> layout timer -> GN_ROWADDED (AddMany: a burst made, sorted and shown at once)
//   Detach:  GN_ROWDETACHED -> out of its parent (hidden) -> pool, keeping subtree and bindings
//   Attach:  pool -> Insert without showing -> sorted subtree -> shown -> GN_ROWATTACHED
//   Remove:  GN_ROWREMOVED for the subtree (children first) -> unbound -> out of its parent
//            -> deleted -> one deferred layout request for a burst of removals
//   Update:  filter re-evaluated -> sorted place -> repaint -> GN_ROWUPDATED

namespace Ombrel::GUI {

namespace {

void NotifySubtreeRemoved(const CGridRows& rows, CGridItem* row)
{
    for (int slot = row->GetChildCount() - 1; slot >= 0; --slot)
        NotifySubtreeRemoved(rows, row->GetChild(slot));
    rows.NotifyRow(GN_ROWREMOVED, row);
}

void UnbindSubtree(CGridItem* row)
{
    row->SetDataObject(nullptr);
    for (CGridItem* child : row->GetChildren())
        UnbindSubtree(child);
}

void RefreshKeysBelow(CGridItem* row)
{
    for (CGridItem* child : row->GetChildren()) {
        child->UpdateSortKeys();
        RefreshKeysBelow(child);
    }
}

void CollectPreOrder(const CGridItem* row, std::vector<CGridItem*>& out)
{
    for (CGridItem* child : row->GetChildren()) {
        out.push_back(child);
        CollectPreOrder(child, out);
    }
}

bool IsInSubtree(const CGridItem* row, const CGridItem* top)
{
    for (const CGridItem* ancestor = row; ancestor; ancestor = ancestor->GetParent()) {
        if (ancestor == top)
            return true;
    }
    return false;
}

bool ShowsChildren(const CGridItem* row)
{
    return row->IsRoot() || (row->IsVisible() && row->IsExpanded());
}

} // namespace

struct CGridRows::Impl
{
    explicit Impl(IGridRowsOwner& gridOwner) : owner(gridOwner) {}

    IGridRowsOwner& owner;
    std::unique_ptr<CItemContainer> fixed;
    std::unique_ptr<CItemContainer> normal;
    int sortedTypes = ROW_ALL_TYPES;
    IRowFilter* filter = nullptr; // not owned
    bool layoutPending = false;   // a deferred layout request is posted and not yet handled
    bool silent = false;          // set while the rows are torn down with the grid
};

CGridRows::CGridRows(IGridRowsOwner& owner) : m_impl(std::make_unique<Impl>(owner))
{
    m_impl->fixed = std::make_unique<CItemContainer>(ROW_FIXED, this);
    m_impl->normal = std::make_unique<CItemContainer>(ROW_NORMAL, this);
}

CGridRows::~CGridRows()
{
    m_impl->silent = true;
    m_impl->normal->DeleteAllRows();
    m_impl->fixed->DeleteAllRows();
}

IGridRowsOwner& CGridRows::GetOwner() const
{
    return m_impl->owner;
}

CItemContainer& CGridRows::GetContainer(int rowType) const
{
    return rowType == ROW_FIXED ? *m_impl->fixed : *m_impl->normal;
}

void CGridRows::NotifyRow(int code, CGridItem* row) const
{
    if (m_impl->silent || !row || row->IsRoot() || row->GetContainer()->IsPool())
        return;
    m_impl->owner.NotifyRow(code, row);
}

// ---- Handle resolution --------------------------------------------------------------------

namespace {

struct Resolver
{
    const CGridRows& rows;

    CItemContainer* ContainerOf(const CGridItem* row) const
    {
        if (rows.GetContainer(ROW_NORMAL).IsRegistered(row))
            return &rows.GetContainer(ROW_NORMAL);
        if (rows.GetContainer(ROW_FIXED).IsRegistered(row))
            return &rows.GetContainer(ROW_FIXED);
        return nullptr;
    }

    // A root handle, a container root or a valid row; null otherwise.
    CGridItem* Parent(CGridItem* handle) const
    {
        CGridItem* normalRoot = rows.GetContainer(ROW_NORMAL).GetRoot();
        CGridItem* fixedRoot = rows.GetContainer(ROW_FIXED).GetRoot();
        if (handle == GRID_ROOT || handle == normalRoot)
            return normalRoot;
        if (handle == GRID_FIXED_ROOT || handle == fixedRoot)
            return fixedRoot;
        return ContainerOf(handle) ? handle : nullptr;
    }

    static int Slot(CGridItem* parent, CGridItem* insertAfter)
    {
        const int end = parent->GetChildCount();
        if (insertAfter == GRID_FIRST || insertAfter == parent)
            return 0;
        if (!insertAfter || IsReservedHandle(insertAfter))
            return end;
        if (!parent->GetContainer()->IsRegistered(insertAfter))
            return end;
        // A deeper row names the child of `parent` that contains it.
        for (CGridItem* row = insertAfter; row; row = row->GetParent()) {
            if (row->GetParent() == parent)
                return parent->FindChild(row) + 1;
        }
        return end;
    }

    CGridItem* PublicParent(const CGridItem* row) const
    {
        CGridItem* parent = row->GetParent();
        if (parent == rows.GetContainer(ROW_NORMAL).GetRoot())
            return GRID_ROOT;
        if (parent == rows.GetContainer(ROW_FIXED).GetRoot())
            return GRID_FIXED_ROOT;
        return parent;
    }
};

// Inserts a pooled row without a parent under `parent`, hidden; true when it is now a child
// there.
bool InsertPooledRow(const CGridRows& rows, CGridItem* row, CGridItem* parent,
                     CGridItem* insertAfter)
{
    CItemContainer& pool = CItemContainer::GetPool();
    if (!row || !pool.IsRegistered(row) || row->GetParent())
        return false;
    const Resolver resolve{rows};
    CGridItem* target = resolve.Parent(parent);
    if (!target)
        return false;
    row->SetContainer(target->GetContainer());
    const int slot = Resolver::Slot(target, insertAfter);
    target->InsertChild(row, slot, false);
    if (row->GetParent() != target) {
        row->SetContainer(&pool);
        return false;
    }
    return true;
}

} // namespace

// ---- Building -----------------------------------------------------------------------------

CGridItem* CGridRows::Add(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter)
{
    // Made straight in the target container, as AddMany makes its rows: a row that went
    // through the pool would be registered there and then moved, three set updates instead
    // of one.
    const Resolver resolve{*this};
    CGridItem* target = resolve.Parent(parent);
    if (!target)
        return nullptr;
    const int slot = Resolver::Slot(target, insertAfter);
    CGridItem* row = target->GetContainer()->CreateRow(object);
    const bool inserted = target->InsertChild(row, slot, true);
    assert(inserted && "a new row is always accepted as a child");
    (void)inserted;
    m_impl->owner.StartLayoutTimer();
    NotifyRow(GN_ROWADDED, row);
    return row;
}

std::vector<CGridItem*> CGridRows::AddMany(std::span<Common::CDataObject* const> objects,
                                           CGridItem* parent, CGridItem* insertAfter)
{
    std::vector<CGridItem*> rows;
    CGridItem* target = Resolver{*this}.Parent(parent);
    if (!target || objects.empty())
        return rows;
    CItemContainer& container = *target->GetContainer();
    // The burst's keys are read as its rows are made and its registration runs beside its
    // sort; the registration is over when the rows are inserted, and also when that throws.
    rows = container.CreateRows(objects, CItemContainer::Registration::Aside);
    struct RegistrationFinisher
    {
        const CItemContainer& container;
        ~RegistrationFinisher()
        {
            try {
                container.FinishRegistration();
            } catch (...) {
                // Only while the insertion's own failure unwinds: that one is passed on.
            }
        }
    } finisher{container};
    const bool inserted = target->InsertChildren(rows, Resolver::Slot(target, insertAfter), true,
                                                 CGridItem::ChildKeys::Current);
    assert(inserted && "new rows are always accepted as children");
    (void)inserted;
    container.FinishRegistration();
    m_impl->owner.StartLayoutTimer();
    if (!m_impl->owner.AnnouncesRows())
        return rows;
    for (CGridItem* row : rows) {
        // A handler may have removed rows announced before.
        if (IsValid(row))
            NotifyRow(GN_ROWADDED, row);
    }
    return rows;
}

void CGridRows::ReserveRows(std::size_t count, int rowType)
{
    if (rowType == ROW_NORMAL || rowType == ROW_FIXED)
        GetContainer(rowType).ReserveRows(count);
}

bool CGridRows::Remove(CGridItem* row)
{
    CItemContainer* container = Resolver{*this}.ContainerOf(row);
    if (!container)
        return false;
    IGridRowsOwner& owner = m_impl->owner;
    if (owner.GetFocus().type == container->GetKind())
        owner.ClearFocus();
    const int visibleBefore = container->GetRowCount();
    NotifySubtreeRemoved(*this, row);
    // A notification handler may have removed the row already.
    if (!container->IsRegistered(row))
        return true;
    UnbindSubtree(row);
    row->GetParent()->RemoveChild(row);
    delete row; // leaving its parent has clamped the top row already
    if (container->GetRowCount() != visibleBefore && !m_impl->layoutPending) {
        m_impl->layoutPending = true;
        owner.PostDeferredLayout();
    }
    return true;
}

bool CGridRows::RemoveAt(int position, int typeMask)
{
    bool removed = false;
    if ((typeMask & ROW_FIXED) != 0)
        removed = Remove(m_impl->fixed->GetRowAt(position)) || removed;
    if ((typeMask & ROW_NORMAL) != 0)
        removed = Remove(m_impl->normal->GetRowAt(position)) || removed;
    return removed;
}

bool CGridRows::RemoveAll(int typeMask)
{
    IGridRowsOwner& owner = m_impl->owner;
    owner.ClearFocus();
    m_impl->normal->SetSortLevels({});
    m_impl->fixed->SetSortLevels({});
    for (CItemContainer* container : {m_impl->normal.get(), m_impl->fixed.get()}) {
        if ((typeMask & container->GetKind()) == 0)
            continue;
        CGridItem* root = container->GetRoot();
        for (int slot = root->GetChildCount() - 1; slot >= 0; --slot) {
            if (slot < root->GetChildCount())
                NotifySubtreeRemoved(*this, root->GetChild(slot));
        }
        UnbindSubtree(root);
        const int visible = container->DeleteAllRows();
        if (visible > 0)
            owner.OnRowsLeft(container->GetKind(), 0, visible);
        if (container->GetKind() == ROW_NORMAL)
            owner.SetTopRow(-1);
    }
    Resort();
    return (typeMask & ROW_ALL_TYPES) != 0;
}

bool CGridRows::Detach(CGridItem* row)
{
    if (!IsValid(row) || !row->GetParent())
        return false;
    NotifyRow(GN_ROWDETACHED, row);
    if (!IsValid(row))
        return false;
    m_impl->owner.ClearFocus();
    row->GetParent()->RemoveChild(row);
    row->SetContainer(&CItemContainer::GetPool());
    return true;
}

bool CGridRows::Attach(CGridItem* row, CGridItem* parent, CGridItem* insertAfter)
{
    // The pool's registered set validates the handle before anything is read through it.
    if (!row || !CItemContainer::GetPool().IsRegistered(row) || row->GetParent() || IsValid(row))
        return false;
    if (!CDispatcher::GetInstance().IsRegistered(row->GetDataObject(), row))
        return false;
    if (!InsertPooledRow(*this, row, parent, insertAfter))
        return false;
    if (row->GetContainer()->IsSorted())
    {
        RefreshKeysBelow(row);
        row->SortChildren();
    }
    row->ShowRow();
    NotifyRow(GN_ROWATTACHED, row);
    return true;
}

void CGridRows::Move(CGridItem* row, CGridItem* reference, CGridItem* parent, bool before)
{
    if (!IsValid(row) || !reference)
        return;
    CGridItem* newParent = nullptr;
    CGridItem* parentHandle = parent;
    if (parent == GRID_ROOT) {
        newParent = m_impl->normal->GetRoot();
    } else if (parent == GRID_FIXED_ROOT) {
        newParent = m_impl->fixed->GetRoot();
    } else if (!parent) {
        newParent = row->GetParent();
        parentHandle = Resolver{*this}.PublicParent(row);
    } else {
        return; // moving below another row is not offered
    }
    if (IsInSubtree(newParent, row))
        return;

    CGridItem* insertAfter = reference;
    if (reference != GRID_FIRST && reference != GRID_LAST) {
        if (!IsValid(reference) || reference->GetParent() != newParent)
            return;
        const int slot = newParent->FindChild(reference);
        if (before)
            insertAfter = slot == 0 ? GRID_FIRST : newParent->GetChild(slot - 1);
    }
    if (insertAfter == row || reference == row)
        return; // already in that place
    // A row that could not come back must not be taken out.
    if (!CDispatcher::GetInstance().IsRegistered(row->GetDataObject(), row))
        return;
    if (Detach(row))
        Attach(row, parentHandle, insertAfter);
}

void CGridRows::Expand(CGridItem* handle, bool expand, bool recursive)
{
    CGridItem* target = nullptr;
    if (handle == GRID_ROOT)
        target = m_impl->normal->GetRoot();
    else if (handle == GRID_FIXED_ROOT)
        target = m_impl->fixed->GetRoot();
    else if (IsValid(handle))
        target = handle;
    if (!target)
        return;
    if (expand)
        target->Expand(recursive);
    else
        target->Collapse(recursive);
}

// ---- Queries ------------------------------------------------------------------------------

bool CGridRows::IsValid(const CGridItem* row) const
{
    return Resolver{*this}.ContainerOf(row) != nullptr;
}

int CGridRows::GetRowType(const CGridItem* row) const
{
    const CItemContainer* container = Resolver{*this}.ContainerOf(row);
    return container ? container->GetKind() : ROW_DETACHED;
}

CGridItem* CGridRows::GetParent(const CGridItem* row) const
{
    if (!IsValid(row))
        return nullptr;
    return Resolver{*this}.PublicParent(row);
}

int CGridRows::GetLevel(const CGridItem* row) const
{
    return IsValid(row) ? row->GetLevel() : -1;
}

void CGridRows::GetChildren(CGridItem* parent, std::vector<CGridItem*>& out) const
{
    out.clear();
    if (CGridItem* resolved = Resolver{*this}.Parent(parent))
        out.assign(resolved->GetChildren().begin(), resolved->GetChildren().end());
}

bool CGridRows::HasChildren(CGridItem* parent) const
{
    CGridItem* resolved = Resolver{*this}.Parent(parent);
    return resolved && resolved->GetChildCount() > 0;
}

bool CGridRows::IsExpanded(const CGridItem* row) const
{
    return IsValid(row) && row->IsExpanded();
}

bool CGridRows::IsVisible(const CGridItem* row) const
{
    return IsValid(row) && row->IsVisible();
}

int CGridRows::GetVisibleIndex(CGridItem* row) const
{
    CItemContainer* container = Resolver{*this}.ContainerOf(row);
    return container ? container->GetVisibleIndex(row) : -1;
}

CGridItem* CGridRows::GetRowAt(int position, int rowType) const
{
    if (rowType != ROW_FIXED && rowType != ROW_NORMAL)
        return nullptr;
    return GetContainer(rowType).GetRowAt(position);
}

int CGridRows::GetRowCount(int rowType) const
{
    if (rowType != ROW_FIXED && rowType != ROW_NORMAL)
        return 0;
    return GetContainer(rowType).GetRowCount();
}

Common::CDataObject* CGridRows::GetDataObject(const CGridItem* row) const
{
    return IsValid(row) ? row->GetDataObject() : nullptr;
}

Common::CDataObject* CGridRows::GetDataObject(int position, int rowType) const
{
    const CGridItem* row = GetRowAt(position, rowType);
    return row ? row->GetDataObject() : nullptr;
}

void CGridRows::FindRows(Common::CDataObject* object, std::vector<CGridItem*>& out, int typeMask,
                         bool visibleOnly) const
{
    std::vector<CGridItem*> rows;
    CDispatcher::GetInstance().GetRows(object, rows, this);
    for (CGridItem* row : rows) {
        if ((GetRowType(row) & typeMask) != 0 && (!visibleOnly || row->IsVisible()))
            out.push_back(row);
    }
}

CGridItem* CGridRows::FindRow(Common::CDataObject* object) const
{
    std::vector<CGridItem*> rows;
    CDispatcher::GetInstance().GetRows(object, rows, this);
    if (rows.empty())
        return nullptr;
    CGridItem* candidate = rows.front();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        CGridItem* row = rows[i];
        const int candidateType = GetRowType(candidate);
        const int rowType = GetRowType(row);
        if (candidateType == ROW_DETACHED || (rowType == ROW_FIXED && candidateType != ROW_FIXED)) {
            candidate = row;
        } else if (rowType == candidateType &&
                   GetVisibleIndex(row) < GetVisibleIndex(candidate)) {
            candidate = row;
        }
    }
    return candidate;
}

void CGridRows::GetAllRows(int typeMask, std::vector<CGridItem*>& out) const
{
    if ((typeMask & ROW_FIXED) != 0)
        CollectPreOrder(m_impl->fixed->GetRoot(), out);
    if ((typeMask & ROW_NORMAL) != 0)
        CollectPreOrder(m_impl->normal->GetRoot(), out);
}

// ---- Sorting and filtering ----------------------------------------------------------------

void CGridRows::SetSortedTypes(int mask)
{
    m_impl->sortedTypes = mask & ROW_ALL_TYPES;
}

int CGridRows::GetSortedTypes() const
{
    return m_impl->sortedTypes;
}

void CGridRows::Resort()
{
    IGridRowsOwner& owner = m_impl->owner;
    const RowPosition focus = owner.GetFocus();
    CGridItem* focused = focus.IsNone() ? nullptr : GetRowAt(focus.index, focus.type);

    const std::vector<CSortInfo> levels = owner.GetHeaderSortLevels();
    for (CItemContainer* container : {m_impl->normal.get(), m_impl->fixed.get()}) {
        if ((m_impl->sortedTypes & container->GetKind()) != 0) {
            container->SetSortLevels(levels);
            container->BulkSort();
        } else {
            container->SetSortLevels({});
        }
    }
    owner.RepaintAll();
    if (focused) {
        const int position = GetVisibleIndex(focused);
        owner.SetFocus(position < 0 ? RowPosition{} : RowPosition{position, focus.type});
    }
}

void CGridRows::ClearSortLevels()
{
    m_impl->normal->SetSortLevels({});
    m_impl->fixed->SetSortLevels({});
}

IRowFilter* CGridRows::SetFilter(IRowFilter* filter)
{
    IRowFilter* previous = m_impl->filter;
    m_impl->filter = filter;
    RefreshFilter();
    return previous;
}

IRowFilter* CGridRows::GetFilter() const
{
    return m_impl->filter;
}

bool CGridRows::IsHiddenByFilter(CGridItem* row) const
{
    if (!m_impl->filter || !row || row->IsRoot())
        return false;
    try {
        return m_impl->filter->IsHidden(m_impl->owner.GetGrid(), row, row->GetDataObject());
    } catch (...) {
        // A failing filter must not leave the grid half-updated; the row stays shown.
        return false;
    }
}

namespace {

// Shows or hides a row after its filter verdict may have changed; true when it did.
bool ApplyFilter(const CGridRows& rows, CGridItem* row)
{
    const bool hidden = rows.IsHiddenByFilter(row);
    if (hidden && row->IsVisible()) {
        row->HideRow();
        return true;
    }
    if (!hidden && !row->IsVisible() && ShowsChildren(row->GetParent())) {
        row->ShowRow();
        return row->IsVisible();
    }
    return false;
}

void RefreshFilterBelow(const CGridRows& rows, CGridItem* parent)
{
    for (int slot = 0; slot < parent->GetChildCount(); ++slot) {
        CGridItem* child = parent->GetChild(slot);
        const bool wasVisible = child->IsVisible();
        if (ApplyFilter(rows, child))
            rows.NotifyRow(GN_FILTERCHANGED, child);
        if (wasVisible && child->IsVisible())
            RefreshFilterBelow(rows, child);
    }
}

} // namespace

void CGridRows::RefreshFilter()
{
    RefreshFilterBelow(*this, m_impl->normal->GetRoot());
    RefreshFilterBelow(*this, m_impl->fixed->GetRoot());
    m_impl->owner.UpdateLayout();
    m_impl->owner.ClearFocus();
}

// ---- Reactions ----------------------------------------------------------------------------

void CGridRows::OnRowUpdated(CGridItem* row, int fieldId)
{
    // The row is a live row that heard a change (CGridItem::OnUpdate): its own container says
    // whether it is one of this grid's, without a lookup of the registered set, which in a
    // large grid costs a cache miss a change. A root has no parent and takes no change.
    CItemContainer* container = row->GetContainer();
    if (container->GetGridRows() != this || !row->GetParent() ||
        !row->GetParent()->HasChild(row))
        return;
    IGridRowsOwner& owner = m_impl->owner;
    if (ApplyFilter(*this, row)) {
        owner.ClearFocus();
        NotifyRow(GN_FILTERCHANGED, row);
        if (!container->IsRegistered(row))
            return;
    }
    if (container->IsSorted()) {
        CItemContainer::SequenceMove move;
        try {
            move = container->Reposition(row);
        } catch (...) {
            // Whatever a data object throws while its row is placed stays out of the grid.
        }
        if (move.count > 0) {
            const int first = std::min(move.from, move.to);
            const int last = std::max(move.from, move.to) + move.count - 1;
            owner.RepaintPositions(container->GetKind(), first, last);
            owner.ClearFocus();
            NotifyRow(GN_ROWMOVED, row);
            if (!container->IsRegistered(row))
                return;
        }
    }
    if (row->IsVisible()) {
        if (fieldId == Common::AllFields || fieldId == Common::NoField)
            owner.RepaintRow(row);
        else
            owner.RepaintCell(row, fieldId);
    }
    owner.OnRowChanged(row, fieldId);
    if (!container->IsRegistered(row))
        return;
    NotifyRow(GN_ROWUPDATED, row);
}

void CGridRows::OnDeferredLayout()
{
    m_impl->layoutPending = false;
    m_impl->owner.UpdateLayout();
}

} // namespace Ombrel::GUI
