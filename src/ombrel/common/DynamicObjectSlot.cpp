#include "ombrel/common/DynamicObjectSlot.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace Ombrel::Common {

namespace {

bool IsStringKind(ValueType kind) { return kind == vtMfcString || kind == vtStlString; }

// A number's bytes in the low bytes of a 64-bit word, and back.
template <class T>
std::uint64_t ToBits(T value)
{
    static_assert(sizeof(T) <= sizeof(std::uint64_t));
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

template <class T>
T FromBits(std::uint64_t bits)
{
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

bool CDynamicObjectSlot::IsTextOnHeap() const
{
    return IsStringKind(GetType()) && m_head.textSize == kTextOnHeap;
}

void CDynamicObjectSlot::ReleaseText()
{
    if (IsTextOnHeap())
        delete[] m_payload.heapText;
    m_head = Head{vtEmpty, 0};
}

std::string_view CDynamicObjectSlot::GetText() const
{
    if (!IsStringKind(GetType()))
        return {};
    if (m_head.textSize == kTextOnHeap)
        return {m_payload.heapText, m_payload.heapTextSize};
    return {m_inPlace.bytes, m_head.textSize};
}

CValue CDynamicObjectSlot::Get() const
{
    const auto bits = [this] { return m_payload.number; };  // read only for a number kind
    switch (GetType()) {
    case vtEmpty: return CValue();
    case vtMfcString: return CValue(CString(GetText()));
    case vtStlString: return CValue(std::string(GetText()));
    case vtChar: return CValue(FromBits<char>(bits()));
    case vtUChar: return CValue(FromBits<unsigned char>(bits()));
    case vtShort: return CValue(FromBits<short>(bits()));
    case vtUShort: return CValue(FromBits<unsigned short>(bits()));
    case vtLong: return CValue(FromBits<std::int32_t>(bits()));
    case vtULong: return CValue(FromBits<std::uint32_t>(bits()));
    case vtInt64: return CValue(FromBits<std::int64_t>(bits()));
    case vtBool: return CValue(FromBits<bool>(bits()));
    case vtFloat: return CValue(FromBits<float>(bits()));
    case vtDouble: return CValue(FromBits<double>(bits()));
    case vtOpaque: return CValue(FromBits<OpaqueValue>(bits()));
    }
    return CValue();
}

bool CDynamicObjectSlot::Set(const CValue& value)
{
    switch (value.GetType()) {
    case vtMfcString: return SetText(vtMfcString, value.GetString().ToStdString());
    case vtStlString: return SetText(vtStlString, value.GetStdString());
    default: break;
    }
    // Compared as tagged values, so that a number is "equal" exactly as CValue says (a NaN
    // never is).
    const bool changed = IsEmpty() || !(Get() == value);
    ReleaseText();
    StoreNumber(value);
    return changed;
}

void CDynamicObjectSlot::StoreNumber(const CValue& value)
{
    std::uint64_t bits = 0;
    switch (value.GetType()) {
    case vtEmpty:
    case vtMfcString:
    case vtStlString: break;
    case vtChar: bits = ToBits(value.GetChar()); break;
    case vtUChar: bits = ToBits(value.GetUChar()); break;
    case vtShort: bits = ToBits(value.GetShort()); break;
    case vtUShort: bits = ToBits(value.GetUShort()); break;
    case vtLong: bits = ToBits(value.GetLong()); break;
    case vtULong: bits = ToBits(value.GetULong()); break;
    case vtInt64: bits = ToBits(value.GetInt64()); break;
    case vtBool: bits = ToBits(value.GetBool()); break;
    case vtFloat: bits = ToBits(value.GetFloat()); break;
    case vtDouble: bits = ToBits(value.GetDouble()); break;
    case vtOpaque: bits = ToBits(value.GetOpaque()); break;
    }
    m_head = Head{static_cast<std::uint8_t>(value.GetType()), 0};
    m_payload.number = bits;
}

bool CDynamicObjectSlot::SetText(ValueType kind, std::string_view text)
{
    const bool changed = GetType() != kind || GetText() != text;
    if (!changed)
        return false;
    // Copied out before the old text is released: `text` may be a view of it.
    if (text.size() <= kTextInPlace) {
        char bytes[kTextInPlace];
        if (!text.empty())
            std::memcpy(bytes, text.data(), text.size());
        ReleaseText();
        if (!text.empty())
            std::memcpy(m_inPlace.bytes, bytes, text.size());
        m_head = Head{static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(text.size())};
        return true;
    }
    if (text.size() > UINT32_MAX)
        throw std::length_error("a dynamic object's text is limited to 4 GiB");
    auto* block = new char[text.size()];
    std::memcpy(block, text.data(), text.size());
    ReleaseText();
    m_head = Head{static_cast<std::uint8_t>(kind), kTextOnHeap};
    m_payload.heapTextSize = static_cast<std::uint32_t>(text.size());
    m_payload.heapText = block;
    return true;
}

} // namespace Ombrel::Common
