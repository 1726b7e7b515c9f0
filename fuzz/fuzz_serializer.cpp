// Restores arbitrary bytes through a CSerializer: the input itself chooses, byte by byte,
// which primitive to restore next. Every malformed input must end in a SerializationException;
// nothing may crash, read past the input or allocate beyond it. Restored values must store
// and restore back to themselves.
#include "ombrel/common/Serializer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Ombrel::CString;
using Ombrel::Common::CSerializer;
using Ombrel::Common::CValue;

// A restored value, stored again and restored from the new bytes, must compare equal (floats
// and doubles excepted when they hold NaN, which never equals itself).
void CheckValueRoundTrip(const CValue& value)
{
    CSerializer writer(false);
    writer.Store(value);
    std::vector<char> bytes(static_cast<std::size_t>(writer.GetSize()));
    writer.GetData(bytes.data());
    CSerializer reader(true);
    reader.SetData(bytes.data(), static_cast<int>(bytes.size()));
    CValue again;
    reader.Restore(again);
    const bool isNan = (value.GetType() == Ombrel::Common::vtDouble && value.GetDouble() != value.GetDouble()) ||
                       (value.GetType() == Ombrel::Common::vtFloat && value.GetFloat() != value.GetFloat());
    if (again.GetType() != value.GetType() || (!isNan && !(again == value)))
        std::abort();
}

void RestoreOne(CSerializer& reader, unsigned char selector)
{
    switch (selector % 15)
    {
    case 0: { char v; reader.Restore(v); break; }
    case 1: { unsigned char v; reader.Restore(v); break; }
    case 2: { short v; reader.Restore(v); break; }
    case 3: { unsigned short v; reader.Restore(v); break; }
    case 4: { std::int32_t v; reader.Restore(v); break; }
    case 5: { std::uint32_t v; reader.Restore(v); break; }
    case 6: { std::int64_t v; reader.Restore(v); break; }
    case 7: { float v; reader.Restore(v); break; }
    case 8: { double v; reader.Restore(v); break; }
    case 9: { bool v; reader.Restore(v); break; }
    case 10: { std::string v; reader.Restore(v); break; }
    case 11: { CString v; reader.Restore(v); break; }
    case 12:
    case 13: {
        CValue v;
        reader.Restore(v);
        CheckValueRoundTrip(v);
        break;
    }
    default: {
        char raw[16];
        reader.RestoreBytes(raw, selector % 17);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > static_cast<std::size_t>(1) << 20)
        return 0;
    CSerializer reader(true);
    reader.SetData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    try
    {
        for (;;)
        {
            unsigned char selector = 0;
            reader.Restore(selector);
            RestoreOne(reader, selector);
        }
    }
    catch (const CSerializer::SerializationException&)
    {
        // The expected end of every input: the stream ran out or was malformed.
    }
    return 0;
}
