#pragma once

#include <memory>
#include <span>
#include <vector>

#include "ombrel/gui/rows/detail/RowBlockList.h"

namespace Ombrel::GUI {

class CGridItem;

// The ordered children of one row. A child knows its block in the list, so finding its slot,
// inserting and erasing cost O(block size + log(children)) however many children there are.
// A row without children holds no list at all: leaves, the bulk of a grid, pay one pointer.
class CChildList
{
public:
    CChildList();
    ~CChildList();
    CChildList(const CChildList&) = delete;
    CChildList& operator=(const CChildList&) = delete;

    int Size() const { return m_list ? m_list->Size() : 0; }
    bool IsEmpty() const { return Size() == 0; }
    CGridItem* At(int slot) const { return m_list->At(slot); }
    CGridItem* First() const { return At(0); }
    CGridItem* Last() const { return At(Size() - 1); }
    // Without a list, begin and end are both the empty iterator.
    CRowBlockList::Iterator begin() const
    {
        return m_list ? m_list->begin() : CRowBlockList::Iterator();
    }
    CRowBlockList::Iterator end() const
    {
        return m_list ? m_list->end() : CRowBlockList::Iterator();
    }

    // Puts `row` at `slot` (0..Size()).
    void Insert(int slot, CGridItem* row);
    // Puts `rows` at `slot` (0..Size()), in that order.
    void Insert(int slot, std::span<CGridItem* const> rows);
    // Puts each of `rows` before the child now at `slots[i]` (Size() for the end); `slots` does
    // not decrease (see CRowBlockList::InsertEach).
    void InsertEach(std::span<CGridItem* const> rows, std::span<const int> slots);
    // Replaces the children by `rows`, which hold every present child and possibly new ones.
    void Assign(std::span<CGridItem* const> rows);
    // Takes the child at `slot` out.
    void Erase(int slot);
    // The slot of `row`, -1 when it is not a child.
    int IndexOf(const CGridItem* row) const { return m_list ? m_list->IndexOf(row) : -1; }
    int CachedIndexOf(const CGridItem* row) const { return IndexOf(row); }
    // The slot of `row` and the children on either side of it (see CRowBlockList).
    CRowBlockList::Neighbourhood NeighboursOf(const CGridItem* row) const
    {
        return m_list ? m_list->NeighboursOf(row) : CRowBlockList::Neighbourhood{};
    }
    // True when `row` is a child in this list; O(1), without searching for its slot.
    bool Contains(const CGridItem* row) const { return m_list && m_list->Contains(row); }
    // Moves the child at `from` to `to`; the others keep their order.
    void Move(int from, int to);
    // The children in order.
    std::vector<CGridItem*> CopyAll() const;
    // Replaces the order (after a sort) by `rows`, which must be the same children.
    void Reorder(std::span<CGridItem* const> rows);
    // Empties the list without touching the children: only when they are all being deleted.
    void Discard()
    {
        if (m_list)
            m_list->Discard();
        m_list.reset();
    }
    // Empties the list and hands the former children over.
    std::vector<CGridItem*> TakeAll();

    // First slot in [first, last) whose child does not satisfy `holds`, the children that
    // satisfy it coming first.
    template <class Predicate>
    int PartitionPoint(int first, int last, Predicate&& holds) const
    {
        return m_list ? m_list->PartitionPoint(first, last, holds) : first;
    }
    // The same, with the rows the next probes may read handed to `prefetch` ahead of time.
    template <class Predicate, class Prefetch>
    int PartitionPoint(int first, int last, Predicate&& holds, Prefetch&& prefetch) const
    {
        return m_list ? m_list->PartitionPoint(first, last, holds, prefetch) : first;
    }
    // The same, with `decide` telling from a child's first sort key prefix what `holds` would
    // say of it, where the prefix can (see CRowBlockList::PartitionPoint).
    template <class Predicate, class Decide, class Prefetch>
    int PartitionPoint(int first, int last, Predicate&& holds, Decide&& decide,
                       Prefetch&& prefetch) const
    {
        return m_list ? m_list->PartitionPoint(first, last, holds, decide, prefetch) : first;
    }

    // `row`, a child, has new sort keys (see CRowBlockList::OnKeyChanged).
    void OnKeyChanged(const CGridItem* row)
    {
        if (m_list)
            m_list->OnKeyChanged(row);
    }
    // True when what the list keeps of its children's first keys is current.
    bool AreFirstKeysCurrent() const { return !m_list || m_list->AreFirstKeysCurrent(); }

private:
    static std::unique_ptr<CRowBlockList> MakeList();

    std::unique_ptr<CRowBlockList> m_list; // made with the first child, dropped with the last
};

} // namespace Ombrel::GUI
