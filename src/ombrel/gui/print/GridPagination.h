#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/print/PrintSettings.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Ombrel::GUI {

// How a grid is cut into pages. Pure arithmetic over row heights and column edges; it reads
// no window, so a preview and the print routine that share one agree page for page.
//
// Bands go down the rows: the printed rows are numbered in print order ("lines": the fixed
// rows, when printed, then the normal rows, when printed, each in visible order). A band is
// as high as the content area at the printer zoom; it holds the header at its top when the
// switches say so, then whole rows: the first row that would overflow ends the band and
// starts the next. A band always takes at least one row, so a row (or header) taller than a
// band fills a band alone, clipped, instead of stopping the cut.
//
// Columns are cut into groups the same way across: a column that would make the group wider
// than the band starts a new group, and a column wider than the band is a group alone. Every
// band has the same groups, so page n is band n / H, group n % H (H groups).
//
// The cut runs in steps (Continue) so that a long grid can be paginated while the window
// stays responsive; pages become known band by band.
class CGridPagination
{
public:
    // What is cut. `rowHeight(rowType, position)` is the height of a visible row.
    struct Input
    {
        CSize bandSize;                       // screen pixels at the printer zoom; see BandSize
        int headerHeight = 0;                 // 0: no header
        std::vector<CRect> columns;           // visible columns in order: left and right edges
        int fixedRows = 0;                    // visible rows of each type
        int normalRows = 0;
        std::function<int(int rowType, int position)> rowHeight;
        PrintSettings settings;
    };

    // One band: lines [firstLine, endLine), with the header above them when `withHeader`.
    struct Band
    {
        int firstLine = 0;
        int endLine = 0;
        bool withHeader = false;
    };

    // One group of columns: pixel range [left, right) across the grid, columns [first, end).
    struct ColumnGroup
    {
        int left = 0;
        int right = 0;
        int firstColumn = 0;
        int endColumn = 0;
    };

    // The content area at `zoom`, truncated; empty when the zoom is not positive or the area
    // is empty. Sizes beyond the bitmap limits are clamped there (a band is painted whole).
    static CSize BandSize(CSize contentScreenSize, double zoom);

    // Starts a new cut (the previous one is dropped). Nothing is cut for an empty band size.
    void Start(Input input);
    // Places up to `maxLines` more lines; true once the cut is complete.
    bool Continue(int maxLines);
    // Cuts everything that is left.
    void Finish();
    bool IsDone() const { return m_done; }
    // Lines placed so far, of GetLineCount().
    int GetLinesPlaced() const { return m_nextLine; }
    int GetLineCount() const { return m_lineCount; }

    int GetBandCount() const { return static_cast<int>(m_bands.size()); }
    int GetColumnGroupCount() const { return static_cast<int>(m_groups.size()); }
    // Bands times column groups, counting the bands known so far.
    int GetPageCount() const;
    const Band& GetBand(int index) const { return m_bands[static_cast<std::size_t>(index)]; }
    const ColumnGroup& GetColumnGroup(int index) const
    {
        return m_groups[static_cast<std::size_t>(index)];
    }
    CSize GetBandSize() const { return m_input.bandSize; }
    int GetHeaderHeight() const { return m_input.headerHeight; }
    // The row of a line: its type and visible position.
    void LineToRow(int line, int& rowType, int& position) const;
    // Page `page` as its band and column group; false outside 0 .. GetPageCount() - 1.
    bool PageToBand(int page, int& band, int& group) const;

private:
    void CutColumns();
    bool HeaderOnBand(std::size_t bandIndex) const;
    void OpenBand();

    Input m_input;
    std::vector<Band> m_bands;
    std::vector<ColumnGroup> m_groups;
    int m_lineCount = 0;
    int m_nextLine = 0;
    int m_bandUsed = 0; // pixels of the open (last) band taken so far
    bool m_done = true;
};

} // namespace Ombrel::GUI
