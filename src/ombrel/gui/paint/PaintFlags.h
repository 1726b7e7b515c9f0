#pragma once

#include <cstdint>

namespace Ombrel::GUI {

// The paint option mask: each bit enables one painting step. A new grid has all of them set.
enum PaintOption : std::uint32_t
{
    PaintCellText = 0x1,
    PaintCellImage = 0x2,
    PaintHeaderImage = 0x4,
    PaintCellBackground = 0x8,
    PaintSelectionColor = 0x10,  // selection colour blended into the background
    PaintSelectionFrame = 0x20,
    PaintSortColumnColor = 0x40, // sort-column colour blended into the background
    PaintTrackingRect = 0x80,    // the grid's tracking rectangle, filled and framed
    PaintFocusColor = 0x100,     // focus colour blended into the background
    PaintFocusFrame = 0x200,     // dotted
    PaintHighlight = 0x400,      // fading highlight of recently changed cells
    PaintDropInsertMark = 0x800, // drag and drop: bar where dropped rows would be inserted
    PaintDropOntoMark = 0x1000,  // drag and drop: marks on the row dropped rows would go into
    PaintTreeIndent = 0x2000,    // hierarchy indent and tree marks in the tree column
    PaintTreeButtons = 0x4000,   // with PaintTreeIndent
    PaintTreeLines = 0x8000,     // with PaintTreeIndent
    PaintHorizontalLines = 0x10000, // also needs GridAppearance::drawHorizontalLines
    PaintVerticalLines = 0x20000,   // also needs GridAppearance::drawVerticalLines
    PaintRowObjectDrawing = 0x40000,
};

// Every paint option: the 19 bits above, all set in a new grid.
constexpr std::uint32_t kAllPaintOptions = (PaintRowObjectDrawing << 1) - 1;
static_assert(kAllPaintOptions == 0x7FFFF, "a new paint option bit must extend the mask");

} // namespace Ombrel::GUI
