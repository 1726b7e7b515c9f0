#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/platform/GdiTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Ombrel {

class CBitmap;
class CBrush;
class CFont;
class CPen;

// A device context: the drawing state (pen, brush, font, colours, background mode, clip
// region, viewport origin, current position) and the drawing operations, on whatever it is
// attached to: a window during painting (CPaintDC), a bitmap (a memory device context made by
// CreateCompatibleDC), or a printer page.
//
// Pixel rules: rectangles exclude their right and bottom edges; MoveTo/LineTo draws from the
// current position up to but excluding the end point; one-pixel lines and frames hit exactly
// the pixels the platform hits. Coordinates are logical: device = logical + viewport origin.
// The clip region is kept in device coordinates, as on the platform.
//
// A device context that is attached to nothing (or a memory one with no bitmap selected)
// accepts every call and draws nothing; drawing calls then return false or 0.
//
// Selecting an object copies what the device context needs from it; the pointer is kept only
// to be returned by the next selection of that kind, so the caller restores it as usual.
// Device contexts belong to one thread (the window thread); they are not locked.
class CDC
{
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Makes this a memory device context with the resolution of `reference` (the screen's
    // when null); it draws once a bitmap is selected. Fails when already attached.
    bool CreateCompatibleDC(CDC* reference);
    // Detaches from what it draws on (a selected bitmap is released) and resets the state.
    bool DeleteDC();
    // Non-null while the device context can draw.
    const void* GetSafeHdc() const;
    bool IsPrinting() const;

    // --- Drawing objects --------------------------------------------------------------
    // Each returns the previously selected object (a process-wide stock object at first),
    // or null and no change for a null or not created object. A bitmap can be selected only
    // into a memory device context and into one device context at a time.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // --- Attributes -------------------------------------------------------------------
    COLORREF SetTextColor(COLORREF color); // returns the previous value
    COLORREF GetTextColor() const;
    // The background colour fills behind text and the gaps of styled pens in OPAQUE mode.
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode); // TRANSPARENT or OPAQUE; returns the previous mode, 0 if invalid
    int GetBkMode() const;
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(CPoint point) { return SetViewportOrg(point.x, point.y); }
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const;

    // Pushes the drawing state (objects, colours, modes, origin, position, clip region; not
    // the selected bitmap); returns its level (1, 2, …), 0 on failure.
    int SaveDC();
    // Restores the state saved at `savedLevel` and drops it and every later one; -1 means the
    // most recent. False when there is no such level.
    bool RestoreDC(int savedLevel);

    // --- Clipping (results: NULLREGION, SIMPLEREGION, COMPLEXREGION, ERROR) -------------
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const CRect& rect);
    int ExcludeClipRect(int left, int top, int right, int bottom);
    int ExcludeClipRect(const CRect& rect);
    // Null removes the clip region: everything on the surface may be drawn again.
    int SelectClipRgn(std::nullptr_t);
    // The bounding box of what may be drawn, in logical coordinates.
    int GetClipBox(CRect* rect) const;
    bool RectVisible(const CRect& rect) const;
    bool PtVisible(int x, int y) const;

    // --- Lines and shapes ---------------------------------------------------------------
    CPoint MoveTo(int x, int y); // returns the previous position
    CPoint MoveTo(CPoint point) { return MoveTo(point.x, point.y); }
    bool LineTo(int x, int y);
    bool LineTo(CPoint point) { return LineTo(point.x, point.y); }
    CPoint GetCurrentPosition() const;
    bool Polyline(const CPoint* points, int count);
    // Outlines with the pen (one pixel inside the right and bottom edges) and fills the
    // inside with the brush; with the null pen the fill reaches one pixel less far right
    // and down, as on the platform.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Rectangle(const CRect& rect)
    {
        return Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    }
    // A closed polygon filled with the brush (alternate fill) and outlined with the pen.
    bool Polygon(const CPoint* points, int count);
    COLORREF SetPixel(int x, int y, COLORREF color); // returns the colour set, CLR_INVALID
    COLORREF GetPixel(int x, int y) const;           // CLR_INVALID when unreadable

    // --- Fills --------------------------------------------------------------------------
    // Like the platform, FillSolidRect leaves `color` as the background colour.
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int width, int height, COLORREF color);
    void FillRect(const CRect& rect, CBrush* brush);
    // A one-pixel frame inside `rect` in the brush's colour.
    void FrameRect(const CRect& rect, CBrush* brush);
    // A one-pixel 3D frame inside `rect`: top and left edges in `topLeft`, right and bottom in
    // `bottomRight` (which owns both corners it touches). Leaves the background colour as
    // `bottomRight`, like the FillSolidRect calls it is made of.
    void Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight);
    // A dotted frame drawn by inverting every other pixel; drawing it twice removes it.
    void DrawFocusRect(const CRect& rect);
    // Check boxes, radio buttons, push buttons, combo-box buttons and scroll arrows, drawn
    // with the application's widget style. False for other kinds or without an application.
    bool DrawFrameControl(const CRect& rect, UINT type, UINT state);
    // GRADIENT_FILL_RECT_H or _V: each rectangle goes from its upper-left vertex colour to its
    // lower-right one. False for triangles and for indices outside `vertices`.
    bool GradientFill(const TRIVERTEX* vertices, std::uint32_t vertexCount, const void* mesh,
                      std::uint32_t meshCount, std::uint32_t mode);
    // Blends a solid colour over the rectangle: each channel becomes
    // (base * (255 - alpha) + color * alpha) / 255.
    bool AlphaBlendSolid(const CRect& rect, COLORREF color, BYTE alpha);

    // --- Text ----------------------------------------------------------------------------
    // Draws with the DT_* flags and returns the height of the text drawn (0 on failure).
    // DT_CALCRECT draws nothing and extends `rect` to the text's size instead. Without
    // DT_NOPREFIX an '&' underlines the next character and "&&" shows one '&'. DT_VCENTER and
    // DT_BOTTOM apply only with DT_SINGLELINE. DT_END_ELLIPSIS replaces the end of a line
    // that does not fit by "…".
    int DrawText(const CString& text, CRect& rect, UINT format);
    // As above; with DT_MODIFYSTRING, `text` receives the text as drawn (with its ellipsis).
    int DrawText(CString& text, CRect& rect, UINT format);
    // Text with its top-left corner at (x, y).
    bool TextOut(int x, int y, const CString& text);
    // ETO_OPAQUE fills `rect` with the background colour first; ETO_CLIPPED clips to `rect`.
    bool ExtTextOut(int x, int y, UINT options, const CRect* rect, const CString& text);
    // Width of one line of text and the font's height.
    CSize GetTextExtent(const CString& text) const;
    bool GetTextMetrics(TEXTMETRIC* metrics) const;

    // --- Block transfers ------------------------------------------------------------------
    // The source must be a device context that has pixels to read (a memory device context
    // with a bitmap). Overlapping copies within one bitmap are safe.
    bool BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                DWORD rop);
    bool StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                    int sourceWidth, int sourceHeight, DWORD rop);
    // Blends the stretched source at the constant alpha (and with AC_SRC_ALPHA its per-pixel
    // alpha).
    bool AlphaBlend(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                    int sourceWidth, int sourceHeight, BLENDFUNCTION blend);
    // Stretched copy (nearest pixel) in which source pixels of `transparentColor` are skipped.
    // StretchBlt, AlphaBlend and TransparentBlt fail when the source rectangle does not lie
    // within the source bitmap.
    bool TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                        int sourceWidth, int sourceHeight, UINT transparentColor);

    // --- Device ------------------------------------------------------------------------------
    // HORZRES, VERTRES (pixels of the surface: for a memory device context, its bitmap),
    // LOGPIXELSX/Y (dots per inch; a memory device context has its reference's), HORZSIZE/VERTSIZE
    // (mm), BITSPIXEL, PLANES, PHYSICALWIDTH/HEIGHT and PHYSICALOFFSETX/Y (printers: paper size and
    // printable area offset in device pixels; elsewhere the surface size and 0).
    int GetDeviceCaps(int index) const;

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
