#pragma once

#include <span>
#include <vector>

#include "ombrel/gui/rows/detail/RowBlockList.h"

namespace Ombrel::GUI {

class CGridItem;

// The rows of one container that are shown, in pre-order.
//
// A shown row knows its block of the sequence (a row that is not shown has none), so its
// position, showing and hiding it cost O(block size + log(rows)). Nothing is allocated per row.
class CVisibleSequence
{
public:
    CVisibleSequence();

    int Size() const { return m_list.Size(); }
    bool IsEmpty() const { return m_list.IsEmpty(); }
    CGridItem* At(int position) const { return m_list.At(position); }
    CRowBlockList::Iterator begin() const { return m_list.begin(); }
    CRowBlockList::Iterator end() const { return m_list.end(); }

    // Inserts `rows` contiguously at `position`; they become shown.
    void Insert(int position, std::span<CGridItem* const> rows);
    // Inserts each of `rows` before the entry now at `positions[i]` (Size() for the end);
    // `positions` does not decrease. The rows become shown.
    void InsertEach(std::span<CGridItem* const> rows, std::span<const int> positions);
    // Removes `count` entries from `position`; their rows become not shown.
    void Erase(int position, int count);
    // Moves the block [from, from + count) so that it starts at `to` (an index of the sequence
    // after the move). Entries outside the block keep their order.
    void MoveBlock(int from, int count, int to);
    // Position of a row, -1 for a row that is not in this sequence.
    int PositionOf(const CGridItem* row) const { return m_list.IndexOf(row); }
    int CachedPositionOf(const CGridItem* row) const { return PositionOf(row); }
    // Appends the rows at [first, first + count) to `out`.
    void CopyOut(int first, int count, std::vector<CGridItem*>& out) const;
    // Replaces the whole sequence by `rows` (the same rows) in that order.
    void Reorder(std::vector<CGridItem*> rows);
    // Removes every entry.
    void Clear() { m_list.Clear(); }
    // Removes every entry without touching the rows: only when they are all being deleted.
    void Discard() { m_list.Discard(); }

private:
    CRowBlockList m_list;
};

} // namespace Ombrel::GUI
