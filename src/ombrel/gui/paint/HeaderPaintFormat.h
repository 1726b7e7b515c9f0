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

// Paints the header strip, one header cell at a time through the custom draw's DrawColumn.
// Paint formats are stateless and shared; persistence stores the class name followed by what
// Serialize writes. The order of the operations is the order of the slots.
class IHeaderPaintFormat
{
public:
    virtual ~IHeaderPaintFormat() = default;

    virtual void Paint(HeaderPaintContext& context, CDC& dc, std::uint32_t flags,
                       ICustomDraw* customDraw) = 0;
    virtual bool IsSerializable() const = 0;
    // The registered name ("GUI::CHeaderPaintFormat" for the standard one).
    virtual std::string GetClassName() const = 0;
    virtual void Serialize(CArchive& archive) = 0;
};

// The standard header paint format. From the visible column at the left edge of the update
// area rightwards while the update area lasts: each header cell (a scrolling column kept
// right of the fixed area) goes to the custom draw's DrawColumn and is then excluded from
// the clip region; the rest of the strip right of the last column is drawn once more with
// no column. While a column is dragged, a drop mark shows where it would land. Holds no
// data; its stored form is empty.
class CHeaderPaintFormat : public IHeaderPaintFormat
{
public:
    void Paint(HeaderPaintContext& context, CDC& dc, std::uint32_t flags,
               ICustomDraw* customDraw) override;
    bool IsSerializable() const override;
    std::string GetClassName() const override;
    void Serialize(CArchive& archive) override;

protected:
    // The bar that marks where a dragged column would be dropped.
    virtual void DrawDropMark(const HeaderPaintContext& context, CDC& dc);
};

} // namespace Ombrel::GUI
