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

} // namespace Ombrel::GUI
