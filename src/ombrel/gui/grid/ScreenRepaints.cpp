#include "ombrel/gui/grid/detail/ScreenRepaints.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/rows/GridRows.h"

namespace Ombrel::GUI {

namespace {

constexpr std::array<int, 2> kRowTypes = {ROW_FIXED, ROW_NORMAL};

} // namespace

CScreenRepaints::CScreenRepaints(const CGridLayout& layout, const CGridRows& rows)
    : m_layout(layout), m_rows(rows)
{}

void CScreenRepaints::Resolve(std::span<const CRepaintPacer::RowRepaint> rows,
                              std::span<const CRepaintPacer::PositionsRepaint> positions,
                              std::vector<CRect>& rects)
{
    ResolvePositions(positions, rects);
    ResolveRows(rows, rects);
}

CScreenRepaints::Span CScreenRepaints::OnScreen(int rowType) const
{
    Span span;
    span.first = rowType == ROW_FIXED ? 0 : m_layout.GetTopRow();
    span.last = span.first < 0 ? -1 : m_layout.GetLastVisibleIndex(rowType);
    if (span.first < 0)
        span.first = 0;
    return span;
}

void CScreenRepaints::ResolvePositions(std::span<const CRepaintPacer::PositionsRepaint> positions,
                                       std::vector<CRect>& rects)
{
    if (positions.empty())
        return;
    // Each range is cut to the positions on screen; what is left of all of them is merged into
    // as few runs as overlap, so the layout places a handful of bands however many moves the
    // frame brought.
    m_clipped.clear();
    for (const int rowType : kRowTypes) {
        const Span screen = OnScreen(rowType);
        if (screen.first > screen.last)
            continue;
        for (const CRepaintPacer::PositionsRepaint& range : positions) {
            if (range.rowType != rowType)
                continue;
            const int first = std::max(range.first, screen.first);
            const int last = std::min(range.last, screen.last);
            if (first <= last)
                m_clipped.push_back({rowType, first, last});
        }
    }
    std::ranges::sort(m_clipped, {}, [](const CRepaintPacer::PositionsRepaint& range) {
        return std::tie(range.rowType, range.first);
    });
    for (std::size_t index = 0; index < m_clipped.size();) {
        CRepaintPacer::PositionsRepaint run = m_clipped[index++];
        while (index < m_clipped.size() && m_clipped[index].rowType == run.rowType &&
               m_clipped[index].first <= run.last + 1)
            run.last = std::max(run.last, m_clipped[index++].last);
        rects.push_back(m_layout.GetPositionsRect(run.rowType, run.first, run.last));
    }
}

void CScreenRepaints::ResolveRows(std::span<const CRepaintPacer::RowRepaint> rows,
                                  std::vector<CRect>& rects)
{
    if (rows.empty())
        return;
    m_onScreen.clear();
    for (const int rowType : kRowTypes) {
        const Span screen = OnScreen(rowType);
        for (int position = screen.first; position <= screen.last; ++position) {
            if (const CGridItem* row = m_rows.GetRowAt(position, rowType))
                m_onScreen.push_back(row);
        }
    }
    std::ranges::sort(m_onScreen);
    m_rowsOnScreen.clear();
    for (const CRepaintPacer::RowRepaint& repaint : rows) {
        if (std::ranges::binary_search(m_onScreen, repaint.row))
            m_rowsOnScreen.push_back(repaint);
    }
    // A row that changed many times in the frame is placed once per cell.
    const auto key = [](const CRepaintPacer::RowRepaint& repaint) {
        return std::tie(repaint.row, repaint.fieldId);
    };
    std::ranges::sort(m_rowsOnScreen, {}, key);
    const auto repeats = std::ranges::unique(m_rowsOnScreen, {}, key);
    m_rowsOnScreen.erase(repeats.begin(), repeats.end());
    for (const CRepaintPacer::RowRepaint& repaint : m_rowsOnScreen) {
        // On screen, so alive: the layout may read it.
        rects.push_back(repaint.fieldId == CRepaintPacer::kWholeRow
                            ? m_layout.GetVisibleRowRect(repaint.row)
                            : m_layout.GetVisibleCellRect(repaint.row, repaint.fieldId));
    }
}

} // namespace Ombrel::GUI
