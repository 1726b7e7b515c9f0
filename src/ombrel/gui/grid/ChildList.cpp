#include "ombrel/gui/grid/ChildList.h"

#include <algorithm>
#include <cassert>

#include "ombrel/gui/grid/GridItem.h"

namespace Ombrel::GUI {

namespace {
constexpr int kEagerRenumberLimit = 64;
}

void CChildList::Insert(int slot, CGridItem* row)
{
    assert(slot >= 0 && slot <= Size() && "slot outside the children");
    m_rows.insert(m_rows.begin() + slot, row);
    row->m_indexInParent = slot;
    // Children before the slot keep their slots; those after it moved by one.
    if (slot - m_indexedThrough <= 1)
        m_indexedThrough = slot;
}

void CChildList::Erase(int slot)
{
    assert(slot >= 0 && slot < Size() && "slot outside the children");
    m_rows[static_cast<std::size_t>(slot)]->m_indexInParent = -1;
    m_rows.erase(m_rows.begin() + slot);
    if (m_indexedThrough >= slot)
        m_indexedThrough = slot - 1;
}

int CChildList::CachedIndexOf(const CGridItem* row) const
{
    const int cached = row->m_indexInParent;
    return cached >= 0 && cached < Size() && At(cached) == row ? cached : -1;
}

int CChildList::IndexOf(CGridItem* row)
{
    if (const int cached = CachedIndexOf(row); cached >= 0)
        return cached;
    // Renumber past the watermark until the row turns up; the work is kept for later calls.
    for (int slot = m_indexedThrough + 1; slot < Size(); ++slot) {
        CGridItem* child = At(slot);
        child->m_indexInParent = slot;
        m_indexedThrough = slot;
        if (child == row)
            return slot;
    }
    return -1;
}

void CChildList::Move(int from, int to)
{
    assert(from >= 0 && from < Size() && to >= 0 && to < Size() && "slot outside the children");
    if (from == to)
        return;
    const auto first = m_rows.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    const int low = std::min(from, to);
    const int high = std::max(from, to);
    // A short rotated range is renumbered at once; a long one is left to lazy lookups, which
    // in a sorted list find a child by bisection without renumbering.
    if (m_indexedThrough >= high && high - low <= kEagerRenumberLimit)
        Renumber(low, high);
    else
        m_indexedThrough = std::min(m_indexedThrough, low - 1);
}

void CChildList::EndReorder()
{
    Renumber(0, Size() - 1);
    m_indexedThrough = Size() - 1;
}

std::vector<CGridItem*> CChildList::TakeAll()
{
    std::vector<CGridItem*> rows;
    rows.swap(m_rows);
    m_indexedThrough = -1;
    for (CGridItem* row : rows)
        row->m_indexInParent = -1;
    return rows;
}

void CChildList::Renumber(int first, int last)
{
    for (int slot = first; slot <= last; ++slot)
        At(slot)->m_indexInParent = slot;
}

} // namespace Ombrel::GUI
