#pragma once

// Private implementations of the drawing objects, shared by the Qt-side files of the drawing
// layer (the device context reads them when an object is selected).

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Pen.h"

#include <QFont>
#include <QImage>

#include <optional>

namespace Ombrel {

class CDC;

struct CPen::Impl
{
    LOGPEN pen; // style holds only the PS_STYLE_MASK bits
    bool created = false;
};

struct CBrush::Impl
{
    LOGBRUSH brush;
    bool created = false;
};

struct CFont::Impl
{
    LOGFONT logFont;
    bool created = false;
    // The Qt font for logFont, made on first use while an application object exists.
    mutable std::optional<QFont> qtFont;
};

struct CBitmap::Impl
{
    QImage image;                // Format_ARGB32_Premultiplied; null while not created
    CDC* selectedInto = nullptr; // the device context drawing into `image`, if any
};

// Grants the Qt-side code access to the private implementations.
class QtDrawingAccess
{
public:
    using PenImpl = CPen::Impl;
    using BrushImpl = CBrush::Impl;
    using FontImpl = CFont::Impl;
    using BitmapImpl = CBitmap::Impl;
    using DCImpl = CDC::Impl;

    template <class T> static auto* ImplOf(const T& object) { return object.m_impl.get(); }
    // Called when a bitmap selected into `dc` is destroyed: the device context stops drawing
    // into it and falls back to its stock bitmap.
    static void ForgetBitmap(CDC& dc);
};

// The 32-bit format of every bitmap.
constexpr QImage::Format kBitmapFormat = QImage::Format_ARGB32_Premultiplied;

// True when text can be measured and drawn (an application object exists).
bool CanUseFonts();
// The vertical resolution of the screen in dots per inch (96 without a screen).
int ScreenDpiY();
int ScreenDpiX();

} // namespace Ombrel
