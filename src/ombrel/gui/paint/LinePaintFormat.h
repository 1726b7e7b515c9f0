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

} // namespace Ombrel::GUI
