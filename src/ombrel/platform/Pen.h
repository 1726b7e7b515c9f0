#pragma once

#include "ombrel/platform/GdiObject.h"
#include "ombrel/platform/GdiTypes.h"

#include <memory>

namespace Ombrel {

// A pen: line style (PS_*), width in pixels and colour. A one-pixel pen draws exactly the
// pixels the platform would; a dotted pen (PS_DOT or PS_ALTERNATE) sets every other pixel,
// starting with a line's first pixel. Wider pens are drawn by the toolkit along the pixel
// centres with round ends (Rectangle keeps a wide frame inside the rectangle).
class CPen : public CGdiObject
{
public:
    CPen();
    CPen(UINT style, int width, COLORREF color);
    // A pen whose colour comes from a brush description (the "extended" pen form).
    CPen(UINT style, int width, const LOGBRUSH& brush);
    ~CPen() override;
    CPen(const CPen& other);
    CPen& operator=(const CPen& other);

    bool CreatePen(UINT style, int width, COLORREF color);
    bool CreatePen(UINT style, int width, const LOGBRUSH& brush);
    // WHITE_PEN, BLACK_PEN or NULL_PEN; false for any other index.
    bool CreateStockObject(int index);

    // Fills the description; false when the pen is not created.
    bool GetLogPen(LOGPEN* logPen) const;

    const void* GetSafeHandle() const override;
    bool DeleteObject() override;

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
