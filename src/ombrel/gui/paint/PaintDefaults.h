#pragma once

#include <memory>

namespace Ombrel {
class CFont;
}

namespace Ombrel::GUI {

class ICellPaintFormat;
class IColumnPaintFormat;
class ICustomDraw;
class IHeaderPaintFormat;
class ILinePaintFormat;
struct GridAppearance;

// The process-wide painting defaults a grid falls back to when it has no object of its own:
// a copy of the platform's default GUI font, a CCustomDraw, one instance of each standard
// paint format and the default appearance record. Created on first use (from any thread:
// a function-local static), alive until process exit. The objects are never deleted by a
// grid (the custom draw answers IsAutoDelete false).
//
// The paint formats hold no state and may be used from any thread; the font and the custom
// draw are drawn with on the window thread only. Create the defaults on the window thread
// first when the platform's default font must be read there.
class CPaintDefaults
{
public:
    static CPaintDefaults& Get();

    CPaintDefaults(const CPaintDefaults&) = delete;
    CPaintDefaults& operator=(const CPaintDefaults&) = delete;

    CFont* GetFont() const;
    ICustomDraw* GetCustomDraw() const;
    IHeaderPaintFormat* GetHeaderPaintFormat() const;
    IColumnPaintFormat* GetColumnPaintFormat() const;
    ILinePaintFormat* GetLinePaintFormat() const;
    ICellPaintFormat* GetCellPaintFormat() const;
    // The record each new grid copies.
    const GridAppearance& GetAppearance() const;

private:
    CPaintDefaults();
    ~CPaintDefaults();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
