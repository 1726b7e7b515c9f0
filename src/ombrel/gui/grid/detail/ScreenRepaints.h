#pragma once

#include <vector>

#include "ombrel/gui/grid/detail/RepaintPacer.h"

namespace Ombrel::GUI {

class CGridLayout;
class CGridRows;

// Places a frame's kept row and position repaints on the grid's screen.
//
// The rows on screen are listed once per frame; a row repaint whose row is not among them and
// a position range that misses the positions on screen ask for nothing. What is on screen is
// placed by the layout as it stands at the frame, so a row that moved since its change is
// repainted where it is now (its former place is a position repaint of its own).
class CScreenRepaints final : public CRepaintPacer::IResolver
{
public:
    CScreenRepaints(const CGridLayout& layout, const CGridRows& rows);

    void Resolve(std::span<const CRepaintPacer::RowRepaint> rows,
                 std::span<const CRepaintPacer::PositionsRepaint> positions,
                 std::vector<CRect>& rects) override;

private:
    // The positions of `rowType` on screen, first > last when none is.
    struct Span
    {
        int first = 0;
        int last = -1;
    };
    Span OnScreen(int rowType) const;
    void ResolvePositions(std::span<const CRepaintPacer::PositionsRepaint> positions,
                          std::vector<CRect>& rects);
    void ResolveRows(std::span<const CRepaintPacer::RowRepaint> rows, std::vector<CRect>& rects);

    const CGridLayout& m_layout;
    const CGridRows& m_rows;
    // Buffers of one resolution, kept so that a frame allocates nothing.
    std::vector<const CGridItem*> m_onScreen; // sorted by address
    std::vector<CRepaintPacer::RowRepaint> m_rowsOnScreen;
    std::vector<CRepaintPacer::PositionsRepaint> m_clipped;
};

} // namespace Ombrel::GUI
