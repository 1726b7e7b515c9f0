#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/print/GridPagination.h"

#include <cstdint>

namespace Ombrel {
class CBitmap;
class CDC;
} // namespace Ombrel

namespace Ombrel::GUI {

class CGrid;

// Paint steps that never reach paper: selection, focus, sort-column colour, the tracking
// rectangle, the change highlight, drop marks and the rows' own drawing.
constexpr std::uint32_t kScreenOnlyPaintOptions =
    PaintSelectionColor | PaintSelectionFrame | PaintSortColumnColor | PaintTrackingRect |
    PaintFocusColor | PaintFocusFrame | PaintHighlight | PaintDropInsertMark | PaintDropOntoMark |
    PaintRowObjectDrawing;
static_assert(kScreenOnlyPaintOptions == 0x41FF0, "paper leaves out exactly these steps");

// Turns a grid's pages into pixels: describes the grid for a pagination, paints one band's
// column group through the grid's custom draw (the same paint formats as on screen, without
// the screen-only steps), and stretches it onto a page's content rectangle. The preview and
// the print routine both draw through DrawPage, so paper shows what the preview showed.
//
// Runs on the grid's window thread.
class CGridPageRenderer
{
public:
    explicit CGridPageRenderer(CGrid& grid) : m_grid(grid) {}

    // The pagination input for the grid as it is now: header height (when it has a header),
    // its visible columns' edges, the row counts and a height reader over the grid's rows.
    static CGridPagination::Input Describe(CGrid& grid, const PrintSettings& settings,
                                          CSize bandSize);

    // Paints band `band`, column group `group`, into `bitmap` (created here: the group's width
    // by the band's height, white where no row reaches). False when the indices are outside
    // the pagination or the bitmap cannot be made.
    bool RenderBand(const CGridPagination& pagination, int band, int group, CBitmap& bitmap);

    // Draws page `page` into `content` on `dc`, scaled from band pixels to the rectangle (the
    // group keeps its width relative to the band, so a narrow last group is not widened).
    // `smooth` filters when shrinking (screen); paper gets the pixels as they are.
    bool DrawPage(CDC& dc, const CGridPagination& pagination, int page, const CRect& content,
                  bool smooth);

private:
    void PaintHeader(CDC& dc, const CRect& strip, const CRect& area, std::uint32_t flags);
    int PaintLines(CDC& dc, const CGridPagination& pagination,
                   const CGridPagination::Band& band, int width, const CRect& area, int y,
                   std::uint32_t flags);

    CGrid& m_grid;
};

} // namespace Ombrel::GUI
