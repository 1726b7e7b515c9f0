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

} // namespace Ombrel::GUI
