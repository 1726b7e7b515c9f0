#pragma once

#include "ombrel/gui/paint/PaintedGrid.h"

namespace Ombrel::GUI {

class CGrid;

// The grid as the paint formats see it while a band is painted for paper: every question goes
// to the grid, except that there is no window (so column edges ignore the horizontal scroll
// position and start at the header's left edge), no change is ever recent, and no repaint is
// scheduled.
class CPrintedGrid final : public IPaintedGrid
{
public:
    explicit CPrintedGrid(CGrid& grid) : m_grid(grid) {}

    CWnd* GetPaintedWindow() override { return nullptr; }
    CHeader* GetHeader() override;
    GridAppearance* GetAppearance() override;
    CSortInfo GetSortInfo(int level) override;
    std::int64_t GetElapsedSinceChange(CGridItem*, std::int32_t) override { return -1; }
    void ScheduleCellRepaint(CGridItem*, std::int32_t, std::int64_t) override {}
    CFont* GetFont() override;
    std::int32_t GetHierarchyColumn() override;
    bool HasButtonsOnAllRows() override;
    CGridItem* GetRowAt(int index, int rowType) override;

private:
    CGrid& m_grid;
};

} // namespace Ombrel::GUI
