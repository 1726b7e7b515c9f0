#pragma once

#include "ombrel/platform/GdiObject.h"
#include "ombrel/platform/GdiTypes.h"

#include <memory>

namespace Ombrel {

// A brush: a solid colour or the hollow brush, which fills nothing.
class CBrush : public CGdiObject
{
public:
    CBrush();
    explicit CBrush(COLORREF color);
    ~CBrush() override;
    CBrush(const CBrush& other);
    CBrush& operator=(const CBrush& other);

    bool CreateSolidBrush(COLORREF color);
    // BS_SOLID or BS_NULL; false for other styles.
    bool CreateBrushIndirect(const LOGBRUSH* logBrush);
    // WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH or NULL_BRUSH.
    bool CreateStockObject(int index);

    bool GetLogBrush(LOGBRUSH* logBrush) const;

    const void* GetSafeHandle() const override;
    bool DeleteObject() override;

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
