#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/platform/GdiTypes.h"

#include <memory>

namespace Ombrel {

class CBitmap;
class CDC;
class CWnd;

// Creation flags.
constexpr UINT ILC_MASK = 0x0001; // images may have transparent pixels (mask or key colour)
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

// Drawing styles.
constexpr UINT ILD_NORMAL = 0x0000;      // transparent pixels show the list's background colour
constexpr UINT ILD_TRANSPARENT = 0x0001; // transparent pixels stay transparent
constexpr UINT ILD_BLEND25 = 0x0002;     // blended 25% with the highlight colour
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND50 = 0x0004; // blended 50% with the highlight colour
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_MASK = 0x0010; // the mask: black where opaque, white where transparent

struct IMAGEINFO
{
    CRect rcImage; // the image's place in the list's strip: x from index * cx, y from 0
};

// A list of images of one size, drawn by index. An image list also drives the drag image: a
// translucent picture that follows the pointer in a frameless top-level window, never
// activated and transparent for input, while something is dragged; EndDrag removes it
// whatever state the drag is in. There is one drag at a time in the process; image lists and the drag image are
// used on the window thread only.
class CImageList
{
public:
    CImageList();
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // Images of cx x cy pixels; `initial` and `grow` only size the storage ahead.
    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    bool DeleteImageList();
    const void* GetSafeHandle() const;

    // Adds bitmap.width / cx images cut from the bitmap's top-left corner. With ILC_MASK,
    // pixels whose mask pixel is not black are transparent (a null mask: none). Returns the
    // index of the first image added, or -1.
    int Add(CBitmap* bitmap, CBitmap* mask);
    // As above; with ILC_MASK, pixels of `maskColor` are transparent.
    int Add(CBitmap* bitmap, COLORREF maskColor);
    bool Replace(int index, CBitmap* bitmap, CBitmap* mask);
    // Removes one image, or all for -1.
    bool Remove(int index);

    int GetImageCount() const;
    bool GetImageInfo(int index, IMAGEINFO* info) const;
    CSize GetImageSize() const;
    COLORREF SetBkColor(COLORREF color); // CLR_NONE: no background; returns the previous one
    COLORREF GetBkColor() const;

    // Draws image `index` with its top-left corner at `point` (logical coordinates of `dc`).
    bool Draw(CDC* dc, int index, CPoint point, UINT style);

    // Starts a drag showing image `index`; `hotSpot` is the point of the image that follows
    // the pointer. Ends a drag already under way.
    bool BeginDrag(int index, CPoint hotSpot);
    // Shows the drag image with its hot spot at `point`, relative to the upper-left corner of
    // `lockWindow`'s window rectangle (screen coordinates when null).
    static bool DragEnter(CWnd* lockWindow, CPoint point);
    // Moves the drag image; `point` as for DragEnter, relative to the same window.
    static bool DragMove(CPoint point);
    static bool DragShowNolock(bool show);
    static bool DragLeave(CWnd* lockWindow);
    static void EndDrag();

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
