#include "ombrel/gui/rows/SortKey.h"

#include <bit>
#include <cstring>
#include <limits>

namespace Ombrel::GUI {

namespace {

template <class T>
int Order(T left, T right)
{
    return static_cast<int>(right < left) - static_cast<int>(left < right);
}

} // namespace

CSortKey::CSortKey(const CSortKey& other)
{
    CopyFrom(other);
}

CSortKey::CSortKey(CSortKey&& other) noexcept
{
    std::memcpy(m_bytes, other.m_bytes, sizeof(m_bytes));
    m_length = other.m_length;
    m_type = other.m_type;
    other.m_length = 0;
    other.m_type = Common::vtEmpty;
}

CSortKey& CSortKey::operator=(const CSortKey& other)
{
    if (this != &other) {
        Clear();
        CopyFrom(other);
    }
    return *this;
}

CSortKey& CSortKey::operator=(CSortKey&& other) noexcept
{
    if (this != &other) {
        Clear();
        std::memcpy(m_bytes, other.m_bytes, sizeof(m_bytes));
        m_length = other.m_length;
        m_type = other.m_type;
        other.m_length = 0;
        other.m_type = Common::vtEmpty;
    }
    return *this;
}

void CSortKey::Clear()
{
    if (IsText() && m_length == kOwnedText)
        delete[] Text().data();
    m_length = 0;
    m_type = Common::vtEmpty;
}

void CSortKey::CopyFrom(const CSortKey& other)
{
    m_type = other.m_type;
    if (other.IsText()) {
        SetText(other.Text());
        return;
    }
    std::memcpy(m_bytes, other.m_bytes, sizeof(m_bytes));
    m_length = 0;
}

CSortKey CSortKey::Borrow() const
{
    CSortKey view;
    std::memcpy(view.m_bytes, m_bytes, sizeof(m_bytes));
    view.m_type = m_type;
    view.m_length = m_length == kOwnedText ? kBorrowedText : m_length;
    return view;
}

bool CSortKey::IsText() const
{
    return m_type == Common::vtMfcString || m_type == Common::vtStlString;
}

bool CSortKey::IsFloating() const
{
    return m_type == Common::vtFloat || m_type == Common::vtDouble;
}

bool CSortKey::IsSigned() const
{
    switch (m_type) {
    case Common::vtChar:
    case Common::vtShort:
    case Common::vtLong:
    case Common::vtInt64:
        return true;
    default:
        return false;
    }
}

std::string_view CSortKey::TextView() const
{
    return IsText() ? Text() : std::string_view();
}

std::string_view CSortKey::Text() const
{
    if (m_length <= kInlineText)
        return {reinterpret_cast<const char*>(m_bytes), m_length};
    const char* data = nullptr;
    std::uint32_t size = 0;
    std::memcpy(&data, m_bytes, sizeof(data));
    std::memcpy(&size, m_bytes + sizeof(data), sizeof(size));
    return {data, size};
}

void CSortKey::SetText(std::string_view text)
{
    if (text.size() <= kInlineText) {
        std::memcpy(m_bytes, text.data(), text.size());
        m_length = static_cast<std::uint8_t>(text.size());
        return;
    }
    // Sort keys longer than 4 GiB are cut there; they still order by that prefix.
    const auto size = static_cast<std::uint32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::uint32_t>::max()));
    char* data = new char[size];
    std::memcpy(data, text.data(), size);
    std::memcpy(m_bytes, &data, sizeof(data));
    std::memcpy(m_bytes + sizeof(data), &size, sizeof(size));
    m_length = kOwnedText;
}

std::uint64_t CSortKey::Bits() const
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, m_bytes, sizeof(bits));
    return bits;
}

void CSortKey::SetBits(std::uint64_t bits)
{
    std::memcpy(m_bytes, &bits, sizeof(bits));
    m_length = 0;
}

double CSortKey::Floating() const
{
    double value = 0;
    std::memcpy(&value, m_bytes, sizeof(value));
    return value;
}

void CSortKey::Assign(const Common::CValue& value)
{
    using namespace Common;
    Clear();
    m_type = static_cast<std::uint8_t>(value.GetType());
    switch (value.GetType()) {
    case vtEmpty: break;
    case vtMfcString: SetText(value.GetString().View()); break;
    case vtStlString: SetText(value.GetStdString()); break;
    case vtChar: SetBits(static_cast<std::uint64_t>(static_cast<std::int64_t>(value.GetChar()))); break;
    case vtUChar: SetBits(value.GetUChar()); break;
    case vtShort: SetBits(static_cast<std::uint64_t>(static_cast<std::int64_t>(value.GetShort()))); break;
    case vtUShort: SetBits(value.GetUShort()); break;
    case vtLong: SetBits(static_cast<std::uint64_t>(static_cast<std::int64_t>(value.GetLong()))); break;
    case vtULong: SetBits(value.GetULong()); break;
    case vtInt64: SetBits(static_cast<std::uint64_t>(value.GetInt64())); break;
    case vtBool: SetBits(value.GetBool() ? 1u : 0u); break;
    case vtOpaque: SetBits(static_cast<std::uint32_t>(value.GetOpaque())); break;
    case vtFloat: SetBits(std::bit_cast<std::uint64_t>(static_cast<double>(value.GetFloat()))); break;
    case vtDouble: SetBits(std::bit_cast<std::uint64_t>(value.GetDouble())); break;
    default: m_type = vtEmpty; break;
    }
}

int CSortKey::Compare(const CSortKey& other) const
{
    if (m_type != other.m_type || IsEmpty())
        return 0;
    if (IsText())
        return Order(Text().compare(other.Text()), 0);
    if (IsFloating())
        return Order(Floating(), other.Floating());
    if (IsSigned())
        return Order(static_cast<std::int64_t>(Bits()), static_cast<std::int64_t>(other.Bits()));
    return Order(Bits(), other.Bits());
}

std::optional<std::uint64_t> CSortKey::OrderPrefix(std::size_t textOffset) const
{
    constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
    if (IsEmpty())
        return std::nullopt;
    if (IsText()) {
        const std::string_view text = Text();
        std::uint64_t prefix = 0;
        for (std::size_t index = 0; index < sizeof(prefix); ++index) {
            const std::size_t at = textOffset + index;
            const auto byte = at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
            prefix = prefix << 8 | byte;
        }
        return prefix;
    }
    if (IsFloating()) {
        const double value = Floating();
        if (value != value)
            return std::nullopt;
        // -0 and +0 are equal to Compare, so they share a prefix; negative numbers have their
        // bits reversed so that a larger magnitude comes first.
        const std::uint64_t bits = value == 0 ? 0 : Bits();
        return (bits & kSignBit) != 0 ? ~bits : bits | kSignBit;
    }
    return IsSigned() ? Bits() ^ kSignBit : Bits();
}

bool CSortKey::Equals(const Common::CValue& value) const
{
    if (value.GetType() != GetType())
        return false;
    CSortKey key;
    key.Assign(value);
    if (IsText())
        return Text() == key.Text();
    if (IsFloating())
        return Floating() == key.Floating(); // NaN is unequal, as in CValue
    return Bits() == key.Bits();
}

} // namespace Ombrel::GUI
