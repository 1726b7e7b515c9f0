#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/GdiObject.h"
#include "ombrel/platform/GdiTypes.h"

#include <cstdint>
#include <memory>

namespace Ombrel {

class CDC;

// Description of a bitmap's pixels (CBitmap::GetBitmap). Rows run top to bottom; each pixel
// is 32 bits, 0xAARRGGBB in a little-endian word (bytes B, G, R, A), alpha premultiplied.
struct BITMAP
{
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 1;
    std::uint16_t bmBitsPixel = 32;
};

// A 32-bit bitmap. A memory device context draws into the bitmap selected into it; a bitmap
// is selected into at most one device context at a time.
class CBitmap : public CGdiObject
{
public:
    // The largest width or height, and pixel count, accepted; bigger requests fail before
    // allocating.
    static constexpr int kMaxDimension = 32767;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

    CBitmap();
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // A bitmap of the given size, opaque black. `dc` may be null. Fails for a non-positive
    // size, one above the limits, and while the bitmap is selected into a device context.
    bool CreateCompatibleBitmap(CDC* dc, int width, int height);
    // A bitmap from pixel data: 32 bits per pixel as described at BITMAP (rows of width * 4
    // bytes), or 24 bits per pixel (bytes B, G, R; rows padded to 4 bytes). Null bits give an
    // opaque black bitmap. 32-bit data whose alpha bytes are all zero is taken as opaque.
    bool CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // Reads an image file (PNG, BMP, …); false when it cannot be read.
    bool LoadImageFile(const char* path);

    // Fills the description; returns sizeof(BITMAP), or 0 when the bitmap is not created.
    int GetBitmap(BITMAP* info) const;
    CSize GetSize() const;
    // Copies up to `count` bytes of pixel data (layout of BITMAP); returns the bytes copied.
    DWORD GetBitmapBits(DWORD count, void* bits) const;

    const void* GetSafeHandle() const override;
    // Fails while the bitmap is selected into a device context.
    bool DeleteObject() override;

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
