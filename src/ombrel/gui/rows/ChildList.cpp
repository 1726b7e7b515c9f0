#include "ombrel/gui/rows/ChildList.h"

#include <cassert>

#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI {

namespace {

// Siblings are ordered by their first sort key before any other.
CKeyPrefix FirstKeyPrefix(const CGridItem& row)
{
    return CKeyPrefix::Of(row.GetSortKey(0));
}

} // namespace

CChildList::CChildList() = default;

std::unique_ptr<CRowBlockList> CChildList::MakeList()
{
    return std::make_unique<CRowBlockList>(&CGridItem::m_childBlock, &FirstKeyPrefix);
}

CChildList::~CChildList() = default;

void CChildList::Insert(int slot, CGridItem* row)
{
    assert(slot >= 0 && slot <= Size() && "slot outside the children");
    if (!m_list)
        m_list = MakeList();
    m_list->Insert(slot, std::span<CGridItem* const>(&row, 1));
}

void CChildList::Insert(int slot, std::span<CGridItem* const> rows)
{
    assert(slot >= 0 && slot <= Size() && "slot outside the children");
    if (rows.empty())
        return;
    if (!m_list)
        m_list = MakeList();
    m_list->Insert(slot, rows);
}

void CChildList::InsertEach(std::span<CGridItem* const> rows, std::span<const int> slots)
{
    if (rows.empty())
        return;
    if (!m_list)
        m_list = MakeList();
    m_list->InsertEach(rows, slots);
}

void CChildList::Assign(std::span<CGridItem* const> rows)
{
    assert(static_cast<int>(rows.size()) >= Size() && "the present children stay");
    if (rows.empty())
        return;
    if (!m_list)
        m_list = MakeList();
    m_list->Assign(rows);
}

void CChildList::Erase(int slot)
{
    assert(slot >= 0 && slot < Size() && "slot outside the children");
    m_list->Erase(slot, 1);
    if (m_list->IsEmpty())
        m_list.reset();
}

void CChildList::Move(int from, int to)
{
    assert(from >= 0 && from < Size() && to >= 0 && to < Size() && "slot outside the children");
    if (from == to)
        return;
    m_list->Move(from, to);
}

std::vector<CGridItem*> CChildList::CopyAll() const
{
    std::vector<CGridItem*> rows;
    if (m_list)
        m_list->CopyOut(0, m_list->Size(), rows);
    return rows;
}

void CChildList::Reorder(std::span<CGridItem* const> rows)
{
    assert(static_cast<int>(rows.size()) == Size() && "reorder must keep the same children");
    if (m_list)
        m_list->Assign(rows);
}

std::vector<CGridItem*> CChildList::TakeAll()
{
    std::vector<CGridItem*> rows = CopyAll();
    m_list.reset();
    return rows;
}

} // namespace Ombrel::GUI
