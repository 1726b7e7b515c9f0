#include "ombrel/gui/print/detail/PrintedGrid.h"

#include "ombrel/gui/grid/Grid.h"

namespace Ombrel::GUI {

CHeader* CPrintedGrid::GetHeader()
{
    return m_grid.GetHeader();
}

GridAppearance* CPrintedGrid::GetAppearance()
{
    return m_grid.GetAppearance();
}

CSortInfo CPrintedGrid::GetSortInfo(int level)
{
    return m_grid.GetSortInfo(level);
}

CFont* CPrintedGrid::GetFont()
{
    return m_grid.GetFont();
}

std::int32_t CPrintedGrid::GetHierarchyColumn()
{
    return m_grid.GetHierarchyColumn();
}

bool CPrintedGrid::HasButtonsOnAllRows()
{
    return m_grid.HasButtonsOnAllRows();
}

CGridItem* CPrintedGrid::GetRowAt(int index, int rowType)
{
    return m_grid.GetRowAt(index, rowType);
}

} // namespace Ombrel::GUI
