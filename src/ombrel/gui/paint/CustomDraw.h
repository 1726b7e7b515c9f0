#pragma once

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/paint/PaintContext.h"

#include <cstdint>
#include <memory>

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

// The standard custom draw: the header strip and header cells through the default header and
// column paint formats, lines through GetLinePaintFormat, cells through the format
// GetCellPaintFormat picks for their column. Meant to be derived from. A grid that drops or
// replaces its custom draw deletes it only when IsAutoDelete answers true.
class CCustomDraw : public ICustomDraw, public IAutoDelete
{
public:
    explicit CCustomDraw(bool autoDelete = true);
    ~CCustomDraw() override;
    CCustomDraw(const CCustomDraw&) = delete;
    CCustomDraw& operator=(const CCustomDraw&) = delete;

    bool IsAutoDelete() const override;

    void DrawHeader(HeaderPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // Header cells always use the default column paint format; the one a column carries is
    // kept and stored with the column but not consulted here.
    void DrawColumn(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawLine(LinePaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawCell(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // The default line paint format.
    ILinePaintFormat* GetLinePaintFormat(const LinePaintContext& context) override;
    // The column's own cell paint format, else the default one.
    ICellPaintFormat* GetCellPaintFormat(CColumn* column, const CellPaintContext& context) override;
    // 20 without a font or a device context; otherwise, measured with the context's font,
    // text height + internal leading + 4.
    int GetHeaderHeight(const HeaderPaintContext& context, CDC* dc) override;
    // 0 without a font; otherwise text height + internal leading / 2 of that font, measured
    // on `dc` or, without one, on a memory device context of the screen.
    int GetRowHeight(CFont* font, CDC* dc) override;
    // The cell paint format's preferred width, measured on `dc` or, without one, on a memory
    // device context of the screen.
    int GetCellWidth(const CellPaintContext& context, CDC* dc, std::uint32_t flags) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
