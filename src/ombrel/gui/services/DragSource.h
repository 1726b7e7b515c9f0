#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ombrel/base/Geometry.h"

namespace Ombrel {
class CImageList;
}

namespace Ombrel::GUI {

class CGrid;
class CGridItem;
class CHeader;

// What one drag out of a grid carries: the source grid, the row types the rows were taken
// from, the rows (the grid's selected rows of the types its drop settings let be dragged, in
// visible order), the header that renders them, and, on request, a picture of the rows.
// Lives for one StartDrag on the window thread; the rows are rendered before the modal drag
// runs and not looked at afterwards, so rows that die during the drag do no harm.
class CDragSource
{
public:
    explicit CDragSource(CGrid* grid);
    ~CDragSource();
    CDragSource(const CDragSource&) = delete;
    CDragSource& operator=(const CDragSource&) = delete;

    CGrid* GetGrid() const { return m_grid; }
    // Bit 0 fixed rows, bit 1 normal rows.
    std::int32_t GetRowTypes() const { return m_rowTypes; }
    const std::vector<CGridItem*>& GetRows() const { return m_rows; }
    CHeader* GetHeader() const { return m_header; }
    bool IsEmpty() const { return m_header == nullptr || m_rows.empty(); }

    // Builds the picture of the dragged rows on screen, the pointer's place in it as its hot
    // spot; null when none of them is on screen.
    CImageList* MakeDragImage(CPoint& hotSpot);

private:
    CGrid* m_grid = nullptr;
    std::int32_t m_rowTypes = 0;
    std::vector<CGridItem*> m_rows;
    CHeader* m_header = nullptr;
    std::unique_ptr<CImageList> m_dragImage;
};

} // namespace Ombrel::GUI
