#pragma once

#include "ombrel/base/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Ombrel {
class CDC;
}

namespace Ombrel::GUI {

class CGrid;
class CGridLayout;
class CGridRows;
struct GridOptions;
struct GridTracking;

// The grid window's paint pass: turns a paint request into calls of the grid's custom draw
// for the header strip, the fixed rows, the separator, the normal rows from the top row and
// the empty lines below the last row.
//
// Paint() runs one WM_PAINT whole: it collects the update rectangles from the window's
// update region, tells the layout that a paint is under way (once), paints each update
// rectangle, through the back buffer when there is one, and forgets the rectangles.
// RebuildResources() (re)creates the back buffer at the client size; the grid calls it at
// initialization, when the window is resized and when a drawing setting changes.
//
// Everything runs on the grid's window thread. The painter reads the grid's records
// (appearance, highlight settings, background image, image list, font, custom draw) through
// CGrid's public getters each time it paints, so it never holds a stale copy.
class CGridPainter
{
public:
    // The update region is passed as a list of rectangles as long as its rectangle data fits
    // this many bytes: a fixed header plus one record per rectangle. A bigger region is
    // painted as its single bounding rectangle.
    static constexpr std::size_t kRegionDataLimit = 4096;
    static constexpr std::size_t kRegionHeaderBytes = 32;
    static constexpr std::size_t kRegionRectBytes = 16;

    // Text margins, in pixels, handed to every line's paint context.
    static constexpr int kTextMargin = 2;
    // Line width of the frame a drop mark draws around a row that would receive children.
    static constexpr int kDropFrameWidth = 2;

    // `tracking` is what the mouse is doing (pressed header cell, drop marker, rubber band).
    CGridPainter(CGrid& grid, CGridRows& rows, CGridLayout& layout, const GridOptions& options,
                 const GridTracking& tracking);
    ~CGridPainter();
    CGridPainter(const CGridPainter&) = delete;
    CGridPainter& operator=(const CGridPainter&) = delete;

    // Handles WM_PAINT completely (the grid window calls only this).
    void Paint();
    // Recreates the back buffer (32 bits per pixel, client size) while double buffering is on
    // or a background image is set, and drops it otherwise.
    void RebuildResources();

    // Paints the client rectangle `updateRect` onto `dc` with the paint option mask `flags`:
    // header, fixed rows, separator, normal rows and empty lines, each only where its band
    // meets `updateRect`. `dc` must have the grid's font selected. Used by Paint for every
    // update rectangle and by anything that renders the grid elsewhere (a bitmap, a page).
    void PaintRectangle(CDC& dc, const CRect& updateRect, std::uint32_t flags);

    // The rectangles collected by BeforePaint for the current pass; empty outside of it.
    const std::vector<CRect>& GetUpdateRects() const;
    // Whether a back buffer exists now (see RebuildResources).
    bool HasBackBuffer() const;

    // The rectangles to paint for an update region made of `regionRects` with bounding box
    // `bounds`: all of them, in order, while their data fits kRegionDataLimit bytes, else
    // `bounds` alone. Empty for an empty region.
    static std::vector<CRect> UpdateRectsFromRegion(const std::vector<CRect>& regionRects,
                                                    const CRect& bounds);

private:
    // Reads the window's update region into the update rectangles.
    void BeforePaint();
    // Paints the update rectangles collected by BeforePaint.
    void PaintUpdateRects();
    // Empties the update rectangle list.
    void AfterPaint();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
