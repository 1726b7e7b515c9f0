#pragma once

#include "ombrel/gui/paint/PaintContext.h"

#include <cstdint>
#include <string>

namespace Ombrel {
class CArchive;
class CDC;
} // namespace Ombrel

namespace Ombrel::GUI {

class ICustomDraw;

// Paints one line: builds a cell context per visible column in the update area and hands
// each to the custom draw's DrawCell. Stateless and shared. The order of the operations is
// the order of the slots.
class ILinePaintFormat
{
public:
    virtual ~ILinePaintFormat() = default;

    virtual void Paint(LinePaintContext& context, CDC& dc, std::uint32_t flags,
                       ICustomDraw* customDraw) = 0;
    virtual bool IsSerializable() const = 0;
    // The registered name ("GUI::CLinePaintFormat" for the standard one).
    virtual std::string GetClassName() const = 0;
    virtual void Serialize(CArchive& archive) = 0;
};

// The standard line paint format. From the visible column at the left edge of the update area
// rightwards while the update area lasts, each cell that shows in the update area is handed
// to the custom draw's DrawCell with the clip region narrowed to its visible part (within
// the line, the update area, and for a scrolling column right of the fixed area), and then
// excluded from the clip region. The rest of the line right of the last column is painted
// as a cell without column, image or format. The device context's state is restored before
// Paint returns. Holds no data; its stored form is empty.
class CLinePaintFormat : public ILinePaintFormat
{
public:
    void Paint(LinePaintContext& context, CDC& dc, std::uint32_t flags,
               ICustomDraw* customDraw) override;
    bool IsSerializable() const override;
    std::string GetClassName() const override;
    void Serialize(CArchive& archive) override;

    // The cell context of `column` (null: the rest of the line) over `cellRect` in `line`:
    // the line's colours, font, margins, highlight and row state; the column's image and
    // value format (the column's own, else the field's format in the row's field map).
    static CellPaintContext MakeCellContext(const LinePaintContext& line, CColumn* column,
                                            const CRect& cellRect);
};

} // namespace Ombrel::GUI
