// Feeds stored font descriptions (60 bytes of LOGFONT), followed by text and drawing
// parameters, through a font and a memory device context. A description is data read from
// storage: any bytes must give a font that can be selected, measured and drawn with, and the
// description must come back unchanged.
#include "ombrel/base/String.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Ombrel;
    if (size < sizeof(LOGFONT) + 6) {
        return 0;
    }
    LOGFONT description;
    std::memcpy(static_cast<void*>(&description), data, sizeof description);
    data += sizeof description;
    size -= sizeof description;

    CFont font;
    font.CreateFontIndirect(description);
    LOGFONT back;
    if (!font.GetLogFont(back) || std::memcmp(&back, &description, sizeof back) != 0) {
        std::abort(); // the description must survive unchanged
    }

    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, 32, 16);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&font);

    UINT format = 0;
    std::memcpy(&format, data, sizeof format);
    CRect rect(0, 0, static_cast<std::int8_t>(data[4]), static_cast<std::int8_t>(data[5]));
    data += 6;
    size -= 6;
    CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    dc.DrawText(text, rect, format);
    dc.GetTextExtent(text);
    TEXTMETRIC metrics;
    dc.GetTextMetrics(&metrics);
    dc.ExtTextOut(1, 1, ETO_CLIPPED | ETO_OPAQUE, &rect, text);
    return 0;
}
