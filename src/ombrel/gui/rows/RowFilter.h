#pragma once

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGrid;
class CGridItem;

// Decides which rows stay out of the visible sequence. Consulted when a row would become
// visible and whenever the row's data object announces a change; it must not change the grid.
class IRowFilter
{
public:
    // True keeps the row hidden. `grid` may be null for a grid that has no window yet.
    virtual bool IsHidden(CGrid* grid, CGridItem* row, Common::CDataObject* object) = 0;

protected:
    ~IRowFilter() = default;
};

} // namespace Ombrel::GUI
