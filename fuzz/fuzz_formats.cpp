// Drives every registered format with arbitrary bytes. The first byte picks the format (by
// class name through the registry), the second how many of the following bytes are its
// stored options; the format restores those options, then parses the remaining bytes as text
// of both string types and formats the parsed value and raw values of every kind. Nothing may
// crash, read or write out of bounds, loop or allocate beyond the input, whatever the options.
#include "ombrel/Common.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;

const char* const kClassNames[] = {
    "Common::CEmptyFormat",       "Common::CDoubleFormat",   "Common::CFloatFormat",
    "Common::CBoolFormat",        "Common::CInt64Format",    "Common::CULongFormat",
    "Common::CLongFormat",        "Common::CUShortFormat",   "Common::CShortFormat",
    "Common::CUCharFormat",       "Common::CCharFormat",     "Common::CDefaultStlStringFormat",
    "Common::CDefaultMfcStringFormat", "Common::CLongDateFormat", "Common::CInt64DateFormat",
    "Common::CLongMsecTimeFormat", "Common::CLongEnumFormat",
};
constexpr std::size_t kClassCount = sizeof(kClassNames) / sizeof(kClassNames[0]);

template <class T>
T ReadRaw(const std::uint8_t* data, std::size_t size)
{
    T value{};
    std::memcpy(&value, data, std::min(size, sizeof(T)));
    return value;
}

// Formats one value of every kind taken from the raw bytes, through both string groups.
void FormatRawValues(const CFormat& format, const std::uint8_t* data, std::size_t size)
{
    const CValue values[] = {
        CValue(ReadRaw<char>(data, size)),          CValue(ReadRaw<unsigned char>(data, size)),
        CValue(ReadRaw<short>(data, size)),         CValue(ReadRaw<unsigned short>(data, size)),
        CValue(ReadRaw<std::int32_t>(data, size)),  CValue(ReadRaw<std::uint32_t>(data, size)),
        CValue(ReadRaw<std::int64_t>(data, size)),  CValue(ReadRaw<unsigned char>(data, size) != 0),
        CValue(ReadRaw<float>(data, size)),         CValue(ReadRaw<double>(data, size)),
        CValue(OpaqueValue{ReadRaw<std::uint32_t>(data, size)}),
        CValue(std::string(reinterpret_cast<const char*>(data), size)),
        CValue(CString(reinterpret_cast<const char*>(data), static_cast<int>(size))),
    };
    for (const CValue& value : values)
    {
        (void)format.FormatStl(value);
        (void)format.Format(value);
    }
}

void ParseText(const CFormat& format, const std::string& text)
{
    CValue parsed;
    if (format.ParseStl(text, parsed))
        (void)format.FormatStl(parsed);
    CValue parsedFromFramework;
    if (format.Parse(CString(text), parsedFromFramework))
        (void)format.Format(parsedFromFramework);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    std::unique_ptr<CFormat> format(CFormat::CreateFormat(kClassNames[data[0] % kClassCount]));
    if (!format)
        return 0;
    const std::size_t optionBytes = std::min<std::size_t>(data[1], size - 2);
    const std::uint8_t* options = data + 2;
    const std::uint8_t* rest = options + optionBytes;
    const std::size_t restSize = size - 2 - optionBytes;

    if (optionBytes > 0)
    {
        CSerializer reader(true);
        reader.SetData(reinterpret_cast<const char*>(options), static_cast<int>(optionBytes));
        try
        {
            format->Serialize(reader);
        }
        catch (const CSerializer::SerializationException&)
        {
            // Short or newer records are refused; the format keeps working with what it has.
        }
    }
    // Whatever was restored must store again and survive a clone.
    CSerializer writer(false);
    format->Serialize(writer);
    std::unique_ptr<CFormat> clone(format->Clone());

    ParseText(*clone, std::string(reinterpret_cast<const char*>(rest), restSize));
    FormatRawValues(*clone, rest, restSize);
    return 0;
}
