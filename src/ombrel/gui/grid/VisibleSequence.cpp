#include "ombrel/gui/grid/VisibleSequence.h"

#include <algorithm>
#include <cassert>

#include "ombrel/gui/grid/GridItem.h"

namespace Ombrel::GUI {

namespace {
// Longer moves leave positions to lazy lookups (bisection in tree order) instead.
constexpr int kEagerRenumberLimit = 64;
}

void CVisibleSequence::Insert(int position, std::span<CGridItem* const> rows)
{
    assert(position >= 0 && position <= Size() && "position outside the sequence");
    if (rows.empty())
        return;
    m_rows.insert(m_rows.begin() + position, rows.begin(), rows.end());
    const int last = position + static_cast<int>(rows.size()) - 1;
    Renumber(position, last);
    // Entries before `position` are untouched; those after the block moved.
    if (position - m_positionedThrough <= 1)
        m_positionedThrough = last;
}

void CVisibleSequence::Erase(int position, int count)
{
    assert(position >= 0 && count >= 0 && position + count <= Size() && "block outside sequence");
    if (count == 0)
        return;
    const auto first = m_rows.begin() + position;
    for (auto it = first; it != first + count; ++it)
        (*it)->m_visiblePosition = -1;
    m_rows.erase(first, first + count);
    if (m_positionedThrough >= position)
        m_positionedThrough = position - 1;
}

void CVisibleSequence::MoveBlock(int from, int count, int to)
{
    assert(from >= 0 && count > 0 && from + count <= Size() && "block outside the sequence");
    assert(to >= 0 && to + count <= Size() && "target outside the sequence");
    if (from == to)
        return;
    const auto begin = m_rows.begin();
    if (to < from)
        std::rotate(begin + to, begin + from, begin + from + count);
    else
        std::rotate(begin + from, begin + from + count, begin + to + count);
    const int low = std::min(from, to);
    const int high = std::max(from, to) + count - 1;
    if (m_positionedThrough >= high && high - low <= kEagerRenumberLimit)
        Renumber(low, high);
    else
        m_positionedThrough = std::min(m_positionedThrough, low - 1);
}

int CVisibleSequence::CachedPositionOf(const CGridItem* row) const
{
    const int cached = row->m_visiblePosition;
    return cached >= 0 && cached < Size() && At(cached) == row ? cached : -1;
}

int CVisibleSequence::PositionOf(CGridItem* row)
{
    if (row->m_visiblePosition < 0)
        return -1;
    if (const int cached = CachedPositionOf(row); cached >= 0)
        return cached;
    for (int position = m_positionedThrough + 1; position < Size(); ++position) {
        CGridItem* entry = At(position);
        entry->m_visiblePosition = position;
        m_positionedThrough = position;
        if (entry == row)
            return position;
    }
    assert(false && "visible row missing from its sequence");
    return -1;
}

void CVisibleSequence::Reorder(std::vector<CGridItem*> rows)
{
    assert(rows.size() == m_rows.size() && "reorder must keep the same rows");
    m_rows = std::move(rows);
    Renumber(0, Size() - 1);
    m_positionedThrough = Size() - 1;
}

void CVisibleSequence::Clear()
{
    for (CGridItem* row : m_rows)
        row->m_visiblePosition = -1;
    m_rows.clear();
    m_positionedThrough = -1;
}

void CVisibleSequence::Renumber(int first, int last)
{
    for (int position = first; position <= last; ++position)
        At(position)->m_visiblePosition = position;
}

} // namespace Ombrel::GUI
