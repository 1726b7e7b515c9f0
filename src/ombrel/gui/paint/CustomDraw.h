#pragma once

#include "ombrel/gui/paint/PaintContext.h"

#include <cstdint>

namespace Ombrel {
class CDC;
class CFont;
} // namespace Ombrel

namespace Ombrel::GUI {

class CColumn;
class ICellPaintFormat;
class ILinePaintFormat;

// Decides which paint format paints what. The grid calls DrawHeader for the header strip,
// DrawLine for every line it paints, GetHeaderHeight when it sizes the header from its font,
// GetRowHeight for its default row height and GetCellWidth when it fits a column to its
// content. `flags` is the paint option mask (PaintFlags.h). Window thread only.
//
// The order of the operations is the order of the slots.
class ICustomDraw
{
public:
    virtual ~ICustomDraw() = default;

    virtual void DrawHeader(HeaderPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawColumn(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawLine(LinePaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawCell(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // Never null.
    virtual ILinePaintFormat* GetLinePaintFormat(const LinePaintContext& context) = 0;
    // Never null: the format that paints the cells of `column` (null: the rest of a line).
    virtual ICellPaintFormat* GetCellPaintFormat(CColumn* column,
                                                 const CellPaintContext& context) = 0;
    // Header height in pixels for the context's font measured on `dc` (either may be null).
    virtual int GetHeaderHeight(const HeaderPaintContext& context, CDC* dc) = 0;
    // Row height in pixels for `font` measured on `dc`; 0 without a font.
    virtual int GetRowHeight(CFont* font, CDC* dc) = 0;
    // Width in pixels the cell's content needs.
    virtual int GetCellWidth(const CellPaintContext& context, CDC* dc, std::uint32_t flags) = 0;
};

} // namespace Ombrel::GUI
