#include "ombrel/gui/print/GridPagination.h"

#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/platform/Bitmap.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <utility>

namespace Ombrel::GUI {

CSize CGridPagination::BandSize(CSize contentScreenSize, double zoom)
{
    if (!(zoom > 0.0) || !std::isfinite(zoom) || contentScreenSize.cx <= 0 ||
        contentScreenSize.cy <= 0)
        return CSize(0, 0);
    auto scaled = [zoom](int extent) {
        const double value = std::floor(extent / zoom);
        return static_cast<int>(std::clamp(value, 1.0, double(CBitmap::kMaxDimension)));
    };
    return CSize(scaled(contentScreenSize.cx), scaled(contentScreenSize.cy));
}

void CGridPagination::Start(Input input)
{
    m_input = std::move(input);
    m_bands.clear();
    m_groups.clear();
    m_nextLine = 0;
    m_bandUsed = 0;
    const PrintSettings& settings = m_input.settings;
    m_lineCount = (settings.printFixedRows ? std::max(m_input.fixedRows, 0) : 0) +
                  (settings.printNormalRows ? std::max(m_input.normalRows, 0) : 0);
    m_done = true;
    if (m_input.bandSize.cx <= 0 || m_input.bandSize.cy <= 0)
        return;
    CutColumns();
    m_done = false;
    // A grid without rows still prints its header, when the first band shows it.
    if (m_lineCount == 0) {
        if (m_input.headerHeight > 0 && settings.headerOnFirstBand)
            OpenBand();
        m_done = true;
    }
}

void CGridPagination::CutColumns()
{
    const int bandWidth = m_input.bandSize.cx;
    const std::vector<CRect>& columns = m_input.columns;
    if (columns.empty()) {
        // Rows without columns still have a line background: one group, a band wide.
        m_groups.push_back({0, bandWidth, 0, 0});
        return;
    }
    ColumnGroup group{columns.front().left, columns.front().left, 0, 0};
    for (int index = 0; index < static_cast<int>(columns.size()); ++index) {
        const CRect& column = columns[static_cast<std::size_t>(index)];
        const bool groupHasColumns = group.endColumn > group.firstColumn;
        if (groupHasColumns && column.right - group.left > bandWidth) {
            m_groups.push_back(group);
            group = ColumnGroup{column.left, column.left, index, index};
        }
        group.right = std::max(group.right, column.right);
        group.endColumn = index + 1;
    }
    m_groups.push_back(group);
}

bool CGridPagination::HeaderOnBand(std::size_t bandIndex) const
{
    if (m_input.headerHeight <= 0)
        return false;
    return bandIndex == 0 ? m_input.settings.headerOnFirstBand
                          : m_input.settings.headerOnEveryBand;
}

void CGridPagination::OpenBand()
{
    Band band;
    band.firstLine = m_nextLine;
    band.endLine = m_nextLine;
    band.withHeader = HeaderOnBand(m_bands.size());
    m_bandUsed = band.withHeader ? m_input.headerHeight : 0;
    m_bands.push_back(band);
}

bool CGridPagination::Continue(int maxLines)
{
    if (m_done)
        return true;
    const int bandHeight = m_input.bandSize.cy;
    const int stop = maxLines <= 0 ? m_lineCount
                                   : static_cast<int>(std::min<std::int64_t>(
                                         std::int64_t{m_nextLine} + maxLines, m_lineCount));
    while (m_nextLine < stop) {
        int rowType = ROW_NORMAL;
        int position = 0;
        LineToRow(m_nextLine, rowType, position);
        const int height = std::max(m_input.rowHeight ? m_input.rowHeight(rowType, position) : 0, 0);
        const bool bandHasRows = !m_bands.empty() && m_bands.back().endLine > m_bands.back().firstLine;
        if (m_bands.empty() || (bandHasRows && std::int64_t{m_bandUsed} + height > bandHeight))
            OpenBand();
        m_bandUsed = static_cast<int>(
            std::min<std::int64_t>(std::int64_t{m_bandUsed} + height, INT32_MAX));
        m_bands.back().endLine = ++m_nextLine;
    }
    m_done = m_nextLine >= m_lineCount;
    return m_done;
}

void CGridPagination::Finish()
{
    Continue(0);
}

int CGridPagination::GetPageCount() const
{
    const std::int64_t pages = std::int64_t{GetBandCount()} * GetColumnGroupCount();
    return static_cast<int>(std::min<std::int64_t>(pages, INT32_MAX));
}

void CGridPagination::LineToRow(int line, int& rowType, int& position) const
{
    const int fixedLines = m_input.settings.printFixedRows ? std::max(m_input.fixedRows, 0) : 0;
    if (line < fixedLines) {
        rowType = ROW_FIXED;
        position = line;
    } else {
        rowType = ROW_NORMAL;
        position = line - fixedLines;
    }
}

bool CGridPagination::PageToBand(int page, int& band, int& group) const
{
    const int groups = GetColumnGroupCount();
    if (page < 0 || groups == 0 || page >= GetPageCount())
        return false;
    band = page / groups;
    group = page % groups;
    return true;
}

} // namespace Ombrel::GUI
