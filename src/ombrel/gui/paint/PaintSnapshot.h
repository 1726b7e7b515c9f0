#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/paint/GridAppearance.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

class CColumn;
class CHeader;
class IPaintedGrid;

// What every cell of a paint asks the grid and its header alike, read once: the visible
// columns with their extents, the appearance, the sort fields, the tree column and the
// in-place editing settings. Reading
// them per cell took a column or header lock, or a call through the grid's operation list,
// several times a cell.
//
// A snapshot stands for one paint of one state of the grid: it is taken on the window thread
// when a paint (or a line painted on its own) begins and dropped when it ends. A change made
// by another thread while the paint runs shows in the next paint, as it would had it come a
// moment later; the columns themselves stay alive for the paint, as before (the header is
// changed on the window thread only).
class PaintSnapshot
{
public:
    // One visible column, in visible order. Extents are horizontal: top and bottom are 0.
    struct Column
    {
        CColumn* column = nullptr;
        std::int32_t fieldId = -2;
        CRect shown;        // kept right of the fixed area when scrolling (the clipped rect)
        CRect full;         // the whole column
        int imageIndex = -1;
        std::int32_t alignment = 0;
        Common::CFormat* ownFormat = nullptr; // the column's value format; null: the field's
    };

    // Reads `grid` and its header (null: no columns).
    static PaintSnapshot Take(IPaintedGrid& grid);

    const std::vector<Column>& GetColumns() const { return m_columns; }
    // The entry of `column`, or null when it is not a visible column of the snapshot.
    const Column* Find(const CColumn* column) const;
    // Where the rest of a line, right of the last visible column, begins.
    int GetRestLeft(int lineLeft) const { return m_lastColumn ? m_restLeft : lineLeft; }
    // The header's first and last visible columns (they carry the frames' outer edges).
    const CColumn* GetFirstColumn() const { return m_firstColumn; }
    const CColumn* GetLastColumn() const { return m_lastColumn; }

    const GridAppearance& GetAppearance() const { return m_appearance; }
    bool IsSortField(std::int32_t fieldId) const;
    std::int32_t GetHierarchyField() const { return m_hierarchyField; }
    // The grid's in-place editing settings; null when the grid has no in-place editing.
    const EditInPlaceSettings* GetEditSettings() const
    {
        return m_hasEditSettings ? &m_editSettings : nullptr;
    }

private:
    std::vector<Column> m_columns;
    const CColumn* m_firstColumn = nullptr;
    const CColumn* m_lastColumn = nullptr;
    int m_restLeft = 0;
    GridAppearance m_appearance;
    std::array<std::int32_t, kMaxSortLevels> m_sortFields{};
    int m_sortLevels = 0;
    std::int32_t m_hierarchyField = 0;
    EditInPlaceSettings m_editSettings;
    bool m_hasEditSettings = false;
};

} // namespace Ombrel::GUI
