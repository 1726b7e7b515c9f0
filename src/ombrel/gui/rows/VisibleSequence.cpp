#include "ombrel/gui/rows/VisibleSequence.h"

#include <cassert>

#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI {

CVisibleSequence::CVisibleSequence() : m_list(&CGridItem::m_visibleBlock) {}

void CVisibleSequence::Insert(int position, std::span<CGridItem* const> rows)
{
    assert(position >= 0 && position <= Size() && "position outside the sequence");
    m_list.Insert(position, rows);
}

void CVisibleSequence::InsertEach(std::span<CGridItem* const> rows, std::span<const int> positions)
{
    m_list.InsertEach(rows, positions);
}

void CVisibleSequence::Erase(int position, int count)
{
    assert(position >= 0 && count >= 0 && position + count <= Size() && "block outside sequence");
    m_list.Erase(position, count);
}

void CVisibleSequence::MoveBlock(int from, int count, int to)
{
    assert(from >= 0 && count > 0 && from + count <= Size() && "block outside the sequence");
    assert(to >= 0 && to + count <= Size() && "target outside the sequence");
    if (from == to)
        return;
    if (count == 1) {
        m_list.Move(from, to);
        return;
    }
    std::vector<CGridItem*> moving;
    m_list.CopyOut(from, count, moving);
    m_list.Erase(from, count);
    m_list.Insert(to, moving);
}

void CVisibleSequence::CopyOut(int first, int count, std::vector<CGridItem*>& out) const
{
    m_list.CopyOut(first, count, out);
}

void CVisibleSequence::Reorder(std::vector<CGridItem*> rows)
{
    assert(static_cast<int>(rows.size()) == Size() && "reorder must keep the same rows");
    m_list.Assign(rows);
}

} // namespace Ombrel::GUI
