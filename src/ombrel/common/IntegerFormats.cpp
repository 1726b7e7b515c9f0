#include "ombrel/common/IntegerFormats.h"

#include <limits>
#include <string_view>
#include <type_traits>

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace {

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kSignificantHexDigits = "123456789abcdefABCDEF";
constexpr std::string_view kDecimalCharacters = "0123456789-";
constexpr std::size_t kMaxHexCharacters = 16;

bool IsGroupingCharacter(char separator)
{
    const auto code = static_cast<unsigned char>(separator);
    return code >= 32 && code <= 127;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

int HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// Upper-case hexadecimal digits of the low `width` nibbles of `bits`: as many as the value
// needs, or all `width` when padding; "0" when there are none.
std::string HexText(std::uint64_t bits, int width, bool zeroPad, bool prefix)
{
    static constexpr char kUpperDigits[] = "0123456789ABCDEF";
    constexpr int kMaxWidth = 16;
    char digits[kMaxWidth];
    int produced = 0;
    // Digits are written from the right end of the buffer towards its start.
    while (produced < width && produced < kMaxWidth && (bits != 0 || zeroPad))
    {
        digits[kMaxWidth - 1 - produced] = kUpperDigits[bits & 0xF];
        bits >>= 4;
        ++produced;
    }
    std::string text = prefix ? "0x" : "";
    if (produced == 0)
        text += '0';
    else
        text.append(digits + kMaxWidth - produced, static_cast<std::size_t>(produced));
    return text;
}

// Decimal digits of `magnitude`, a separator after every third digit from the right when the
// separator groups, and a leading "-" for negative values.
std::string GroupedDecimalText(std::uint64_t magnitude, bool negative, char separator)
{
    if (magnitude == 0)
        return "0";
    const bool grouping = IsGroupingCharacter(separator);
    std::string reversed;
    int written = 0;
    while (magnitude != 0)
    {
        if (grouping && written > 0 && written % 3 == 0)
            reversed += separator;
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++written;
    }
    if (negative)
        reversed += '-';
    return std::string(reversed.rbegin(), reversed.rend());
}

// Reads hexadecimal text: leading characters up to the first significant digit are skipped
// (the "0x" prefix, zeros, blanks) and trailing blanks are ignored; anything else that is not
// a hexadecimal digit, or more than 16 digits, fails. Returns false on failure.
bool ReadHex(std::string_view text, std::uint64_t& value)
{
    const std::size_t first = text.find_first_of(kSignificantHexDigits);
    if (first == std::string_view::npos)
    {
        value = 0;  // no significant digit: the text reads as "0"
        return true;
    }
    text.remove_prefix(first);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() > kMaxHexCharacters)
        return false;
    std::uint64_t accumulated = 0;
    for (char ch : text)
    {
        const int digit = HexDigitValue(ch);
        if (digit < 0)
            return false;
        accumulated = (accumulated << 4) | static_cast<std::uint64_t>(digit);
    }
    value = accumulated;
    return true;
}

// Keeps the part of the text from the first digit or "-" to the last digit, without the
// characters that cannot belong to a number ("1 234 567 EUR" gives "1234567"); empty when
// the text has no digit.
std::string CleanDecimalText(std::string_view text)
{
    const std::size_t lastDigit = text.find_last_of(kDigits);
    if (lastDigit == std::string_view::npos)
        return std::string();
    const std::size_t first = text.find_first_of(kDecimalCharacters);
    std::string cleaned;
    for (std::size_t i = first; i <= lastDigit; ++i)
    {
        if (kDecimalCharacters.find(text[i]) != std::string_view::npos)
            cleaned += text[i];
    }
    return cleaned;
}

// Like the C library's decimal conversion of the cleaned text: an optional sign, then digits
// up to the first non-digit, accumulated with wrap-around at the width of U.
template <class U>
U ConvertDecimal(std::string_view text)
{
    static_assert(std::is_unsigned_v<U>, "accumulate in unsigned arithmetic so that overflow wraps");
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
    {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    U accumulated = 0;
    for (char ch : text)
    {
        if (ch < '0' || ch > '9')
            break;
        accumulated = static_cast<U>(accumulated * 10u + static_cast<U>(ch - '0'));
    }
    return negative ? static_cast<U>(U(0) - accumulated) : accumulated;
}

template <class T>
constexpr int HexWidth()
{
    return static_cast<int>(sizeof(T) * 2);
}

template <class T>
std::uint64_t BitPattern(T value)
{
    return static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
}

template <class T>
bool IsNegative(T value)
{
    if constexpr (std::is_signed_v<T>)
        return value < 0;
    else
        return false;
}

// The absolute value without overflow, also for the most negative value of T.
template <class T>
std::uint64_t Magnitude(T value)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
    return IsNegative(value) ? std::uint64_t(0) - bits : bits;
}

// Parsing of the wide family: hexadecimal for fmHex or any text containing "0x", otherwise
// lenient decimal. Returns false, leaving `out` alone, when the text is not accepted.
template <class T>
bool ParseWideInteger(const std::string& text, std::int32_t mode, T& out)
{
    using Unsigned = std::make_unsigned_t<T>;
    if (mode == fmHex || text.find("0x") != std::string::npos)
    {
        std::uint64_t value = 0;
        if (!ReadHex(text, value) || value > std::numeric_limits<Unsigned>::max())
            return false;
        out = static_cast<T>(static_cast<Unsigned>(value));
        return true;
    }
    const std::string cleaned = CleanDecimalText(text);
    if constexpr (sizeof(T) == 8)
    {
        out = static_cast<T>(ConvertDecimal<std::uint64_t>(cleaned));
    }
    else
    {
        const auto converted = static_cast<std::int32_t>(ConvertDecimal<std::uint32_t>(cleaned));
        // The 16-bit kinds accept up to 65535 and keep the low 16 bits, as a bit pattern.
        if (sizeof(T) == 2 && converted > 65535)
            return false;
        out = static_cast<T>(static_cast<Unsigned>(converted));
    }
    return true;
}

// Decimal parsing of the character family: leading "-" and "0" characters are removed, then
// at most three digits with a magnitude of at most 255 must remain.
template <class T>
bool ParseCharacterDecimal(std::string_view text, T& out)
{
    bool negative = false;
    for (;;)
    {
        if (!text.empty() && text.front() == '-')
        {
            if (std::is_unsigned_v<T>)
                return false;
            negative = true;
            text.remove_prefix(1);
        }
        else if (!text.empty() && text.front() == '0')
        {
            text.remove_prefix(1);
        }
        else
        {
            break;
        }
    }
    if (text.size() > 3)
        return false;
    int sum = 0;
    for (char ch : text)
    {
        if (ch < '0' || ch > '9')
            return false;
        sum = sum * 10 + (ch - '0');
    }
    if (sum > 255)
        return false;
    out = static_cast<T>(static_cast<unsigned char>(negative ? -sum : sum));
    return true;
}

} // namespace

// ---- Wide family ----------------------------------------------------------------------------

template <class T, ValueType kKind>
std::string CWideIntegerFormat<T, kKind>::FormatStl(T value, void*) const
{
    if (value == 0 && !m_options.showZero)
        return std::string();
    if (m_options.mode != fmDecimal)
        return HexText(BitPattern(value), HexWidth<T>(), m_options.hexZeroPad, m_options.hexPrefix);
    return GroupedDecimalText(Magnitude(value), IsNegative(value), m_options.separator);
}

template <class T, ValueType kKind>
bool CWideIntegerFormat<T, kKind>::ParseStl(const std::string& text, T& out, void*) const
{
    return ParseWideInteger(text, m_options.mode, out);
}

template <class T, ValueType kKind>
CString CWideIntegerFormat<T, kKind>::Format(T value, void* context) const
{
    return CString(FormatStl(value, context));
}

template <class T, ValueType kKind>
bool CWideIntegerFormat<T, kKind>::Parse(const CString& text, T& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

template <class T, ValueType kKind>
bool CWideIntegerFormat<T, kKind>::IsSerializable() const
{
    return true;
}

template <class T, ValueType kKind>
void CWideIntegerFormat<T, kKind>::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring())
    {
        SerializeVersion(serializer);
        serializer.Store(m_options.mode);
        serializer.Store(m_options.showZero);
        serializer.Store(m_options.separator);
        serializer.Store(m_options.hexPrefix);
        serializer.Store(m_options.hexZeroPad);
        return;
    }
    if (SerializeVersion(serializer) <= 0)
        return;
    WideIntegerOptions restored;
    serializer.Restore(restored.mode);
    serializer.Restore(restored.showZero);
    serializer.Restore(restored.separator);
    serializer.Restore(restored.hexPrefix);
    serializer.Restore(restored.hexZeroPad);
    m_options = restored;
}

template class CWideIntegerFormat<std::int32_t, vtLong>;
template class CWideIntegerFormat<std::uint32_t, vtULong>;
template class CWideIntegerFormat<std::int64_t, vtInt64>;
template class CWideIntegerFormat<short, vtShort>;
template class CWideIntegerFormat<unsigned short, vtUShort>;

// ---- Character family -----------------------------------------------------------------------

template <class T, ValueType kKind>
std::string CCharacterFormat<T, kKind>::FormatStl(T value, void*) const
{
    switch (m_options.mode)
    {
    case fmDecimal: return std::to_string(static_cast<int>(value));
    case fmHex: return HexText(BitPattern(value), HexWidth<T>(), m_options.hexZeroPad, m_options.hexPrefix);
    case fmCharacter: return value == 0 ? std::string() : std::string(1, static_cast<char>(value));
    default: return std::string();
    }
}

template <class T, ValueType kKind>
bool CCharacterFormat<T, kKind>::ParseStl(const std::string& text, T& out, void*) const
{
    if (m_options.mode == fmCharacter)
    {
        out = text.empty() ? T(0) : static_cast<T>(text.front());
        return true;
    }
    if (m_options.mode == fmHex)
    {
        std::uint64_t value = 0;
        if (!ReadHex(text, value) || value > 0xFF)
            return false;
        out = static_cast<T>(static_cast<unsigned char>(value));
        return true;
    }
    return ParseCharacterDecimal(text, out);
}

template <class T, ValueType kKind>
CString CCharacterFormat<T, kKind>::Format(T value, void* context) const
{
    return CString(FormatStl(value, context));
}

template <class T, ValueType kKind>
bool CCharacterFormat<T, kKind>::Parse(const CString& text, T& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

template <class T, ValueType kKind>
bool CCharacterFormat<T, kKind>::IsSerializable() const
{
    return true;
}

template <class T, ValueType kKind>
void CCharacterFormat<T, kKind>::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring())
    {
        SerializeVersion(serializer);
        serializer.Store(m_options.mode);
        serializer.Store(m_options.showZero);
        serializer.Store(m_options.hexPrefix);
        serializer.Store(m_options.hexZeroPad);
        return;
    }
    if (SerializeVersion(serializer) <= 0)
        return;
    CharacterOptions restored;
    serializer.Restore(restored.mode);
    serializer.Restore(restored.showZero);
    serializer.Restore(restored.hexPrefix);
    serializer.Restore(restored.hexZeroPad);
    m_options = restored;
}

template class CCharacterFormat<char, vtChar>;
template class CCharacterFormat<unsigned char, vtUChar>;

} // namespace Ombrel::Common
