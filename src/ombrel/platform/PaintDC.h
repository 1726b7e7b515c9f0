#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/DC.h"

#include <vector>

namespace Ombrel {

class CWnd;

// The device context of a window's WM_PAINT: made inside OnPaint, it draws on the window,
// clipped to the update region. Made outside of painting it draws nothing.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    // The rectangles of the update region (client coordinates) and their bounding box.
    const std::vector<CRect>& GetUpdateRects() const { return m_updateRects; }
    const CRect& GetUpdateBounds() const { return m_updateBounds; }

private:
    std::vector<CRect> m_updateRects;
    CRect m_updateBounds;
};

} // namespace Ombrel
