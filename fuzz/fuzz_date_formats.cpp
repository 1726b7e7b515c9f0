// Parses arbitrary text with the date, time and enumeration formats under arbitrary flags and
// date settings, then formats what was parsed and the raw value. Byte 0 picks the format,
// bytes 1-4 are its flags, byte 5 the date order, bytes 6-7 the date separator (a zero byte
// ends it early); the rest is the text. Nothing may crash, read or write out of bounds, loop
// or allocate beyond the input, whatever the flags or settings.
#include "ombrel/Common.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;

constexpr std::size_t kHeaderSize = 8;

std::unique_ptr<CFormat> MakeFormat(std::uint8_t selector, std::int32_t flags,
                                    const std::string& text)
{
    switch (selector % 5) {
    case 0:
        return std::make_unique<CLongDateFormat>(flags);
    case 1:
        return std::make_unique<CInt64DateFormat>(flags);
    case 2:
        return std::make_unique<CLongMsecTimeFormat>(flags, (flags & 0x100) != 0, " h", "d");
    case 3:
        return std::make_unique<CLongMsecTimeFormat>(flags, (flags & 0x100) != 0);
    default: {
        // A table whose names come from the text, so that parsing can match them.
        auto format = std::make_unique<CLongEnumFormat>();
        // Values from `flags` upwards, wrapping past the largest 32-bit value as stored
        // values may (an int addition would overflow for flags near it).
        for (std::size_t i = 0; i < text.size() && i < 8; ++i)
            format->AddItem(static_cast<std::int32_t>(static_cast<std::uint32_t>(flags) + i),
                            text.substr(0, i));
        (*format)[flags ^ 1] = text;
        return format;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeaderSize || size > 4096)
        return 0;
    std::int32_t flags = 0;
    std::memcpy(&flags, data + 1, sizeof flags);
    const std::string separator(reinterpret_cast<const char*>(data + 6),
                                strnlen(reinterpret_cast<const char*>(data + 6), 2));
    const std::string text(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize);

    CDateSettings& settings = CDateSettings::GetInstance();
    settings.SetDateOrder(data[5] % 4); // 3 is refused and keeps the previous order
    settings.SetDateSeparator(separator);

    const std::unique_ptr<CFormat> format = MakeFormat(data[0], flags, text);
    CValue parsed;
    if (format->ParseStl(text, parsed))
        (void)format->Format(parsed);
    CValue fromFramework;
    if (format->Parse(CString(text), fromFramework))
        (void)format->FormatStl(fromFramework);

    std::int64_t raw = 0;
    std::memcpy(&raw, data + kHeaderSize, std::min<std::size_t>(sizeof raw, size - kHeaderSize));
    (void)format->FormatStl(CValue(raw));
    (void)format->FormatStl(CValue(static_cast<std::int32_t>(raw)));
    return 0;
}
