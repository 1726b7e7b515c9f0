#pragma once

#include "ombrel/gui/paint/PaintContext.h"

#include <cstdint>
#include <string>

namespace Ombrel {
class CArchive;
class CDC;
} // namespace Ombrel

namespace Ombrel::GUI {

// Paints one header cell: background and frame, sort mark, title, then whatever finishes
// the cell (its image). Stateless and shared. The order of the operations is the order of
// the slots.
class IColumnPaintFormat
{
public:
    virtual ~IColumnPaintFormat() = default;

    virtual void Paint(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // A new default instance of the same class, owned by the caller.
    virtual IColumnPaintFormat* CreateNew() const = 0;
    virtual bool IsSerializable() const = 0;
    // The registered name ("GUI::CColumnPaintFormat" for the standard one).
    virtual std::string GetClassName() const = 0;
    virtual void Serialize(CArchive& archive) = 0;
    // Pixels between the cell's edges and its title.
    virtual int GetTextMargin(const ColumnPaintContext& context) const = 0;
    virtual void DrawBackground(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawSortMark(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawText(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void FinishCell(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
};

// The standard header cell: a raised button face (lit while the mouse tracks the cell), a
// sort mark when the column is a sort level (an arrow up for ascending, down for
// descending, with the level number when several levels are set), the title in the column's alignment
// (automatic alignment gives left), and the header image at the left with bit 0x4. Holds no
// data; its stored form is empty.
class CColumnPaintFormat : public IColumnPaintFormat
{
public:
    void Paint(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;
    IColumnPaintFormat* CreateNew() const override;
    bool IsSerializable() const override;
    std::string GetClassName() const override;
    void Serialize(CArchive& archive) override;
    int GetTextMargin(const ColumnPaintContext& context) const override;
    void DrawBackground(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawSortMark(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawText(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // Draws the header image (bit 0x4) in a square of the cell's height at its left edge.
    void FinishCell(ColumnPaintContext& context, CDC& dc, std::uint32_t flags) override;

protected:
    // Where the sort mark goes: a band at the right end of the cell, inside the text margin,
    // wide enough for the arrow and, with several levels, the level number; empty when the
    // column is not sorted.
    virtual CRect GetSortMarkRect(const ColumnPaintContext& context) const;
    // The sort level (0-based) of the column and its direction; false when it has none.
    static bool FindSortLevel(const ColumnPaintContext& context, int& level, bool& descending,
                              int& levelCount);
};

} // namespace Ombrel::GUI
