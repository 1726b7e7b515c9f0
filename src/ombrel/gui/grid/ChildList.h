#pragma once

#include <vector>

namespace Ombrel::GUI {

class CGridItem;

// The ordered children of one row, with each child's cached slot ("index in parent").
//
// Cached slots are trusted up to and including the watermark; an insertion or removal in the
// middle only lowers the watermark, and IndexOf renumbers lazily from there. A cached slot
// beyond the watermark is still used when the child is found sitting at it.
class CChildList
{
public:
    int Size() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    CGridItem* At(int slot) const { return m_rows[static_cast<std::size_t>(slot)]; }
    CGridItem* First() const { return m_rows.front(); }
    CGridItem* Last() const { return m_rows.back(); }
    auto begin() const { return m_rows.begin(); }
    const std::vector<CGridItem*>& Items() const { return m_rows; }
    auto end() const { return m_rows.end(); }

    // Puts `row` at `slot` (0..Size()) and gives it that cached slot.
    void Insert(int slot, CGridItem* row);
    // Takes the child at `slot` out; its cached slot becomes -1.
    void Erase(int slot);
    // The slot of `row` when its cached slot is still right, else -1 (no renumbering).
    int CachedIndexOf(const CGridItem* row) const;
    // The slot of `row`, renumbering from the watermark when needed; -1 when it is not a child.
    int IndexOf(CGridItem* row);
    // Moves the child at `from` to `to`; the others keep their order.
    void Move(int from, int to);
    // Replaces the order after a sort; cached slots are renumbered at once.
    std::vector<CGridItem*>& BeginReorder() { return m_rows; }
    void EndReorder();
    // Empties the list and hands the former children over.
    std::vector<CGridItem*> TakeAll();

    int GetWatermark() const { return m_indexedThrough; }

private:
    void Renumber(int first, int last);

    std::vector<CGridItem*> m_rows;
    int m_indexedThrough = -1; // cached slots of children 0..m_indexedThrough are correct
};

} // namespace Ombrel::GUI
