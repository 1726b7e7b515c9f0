#pragma once

#include <span>
#include <vector>

namespace Ombrel::GUI {

class CGridItem;

// The rows of one container that are shown, in pre-order, each with its cached position.
//
// A row's entry lives in the row itself (its position, -1 while not shown), so showing a row
// allocates nothing per row. Cached positions are trusted up to and including the watermark;
// changes in the middle only lower it and PositionOf renumbers lazily.
class CVisibleSequence
{
public:
    int Size() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    CGridItem* At(int position) const { return m_rows[static_cast<std::size_t>(position)]; }
    auto begin() const { return m_rows.begin(); }
    auto end() const { return m_rows.end(); }

    // Inserts `rows` contiguously at `position` and gives them their positions.
    void Insert(int position, std::span<CGridItem* const> rows);
    // Removes `count` entries from `position`; their rows become not shown.
    void Erase(int position, int count);
    // Moves the block [from, from + count) so that it starts at `to` (an index of the sequence
    // after the move). Entries outside the block keep their order.
    void MoveBlock(int from, int count, int to);
    // Position of a shown row when its cached position is still right, else -1.
    int CachedPositionOf(const CGridItem* row) const;
    // Position of a shown row, renumbering from the watermark when needed; -1 for a row that is
    // not shown.
    int PositionOf(CGridItem* row);
    // Replaces the whole sequence by `rows` (which must all be shown rows) in that order.
    void Reorder(std::vector<CGridItem*> rows);
    // Removes every entry.
    void Clear();

    int GetWatermark() const { return m_positionedThrough; }

private:
    void Renumber(int first, int last);

    std::vector<CGridItem*> m_rows;
    int m_positionedThrough = -1; // cached positions of entries 0..m_positionedThrough are right
};

} // namespace Ombrel::GUI
