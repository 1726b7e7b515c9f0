#pragma once

#include "ombrel/base/Geometry.h"

#include <cstdint>

namespace Ombrel {
class CBitmap;
}

namespace Ombrel::GUI {

// A picture painted under the rows. The grid does not own the bitmap. While a bitmap is set
// and the rectangle is not empty, the part of the picture inside `rect` (client coordinates)
// is drawn first and cells blend their background layers over it at `alpha` (0: the picture
// shows through unchanged).
struct BackgroundImage
{
    CBitmap* bitmap = nullptr;
    CRect rect;
    std::uint8_t alpha = 0;
    std::int32_t mode = 0;

    bool IsSet() const { return bitmap != nullptr && !rect.IsRectEmpty(); }
};

} // namespace Ombrel::GUI
