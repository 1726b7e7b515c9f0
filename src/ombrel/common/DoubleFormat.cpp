#include "ombrel/common/DoubleFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>

#include "ombrel/common/FloatFormat.h"
#include "ombrel/common/Serializer.h"

// Formatting flow of CRealNumberFormat (constants per kind in RealRules):
//   NaN or |v| below the zero threshold  -> zero: "" or prefix "0" suffix
//   v large, |v| tiny, or v too negative
//   for a 64-bit integer part             -> exponent notation ("1.23e+013"), no decoration
//   otherwise                             -> fixed: prefix, "-", grouped integer part,
//                                            "," and decimals, suffix

namespace Ombrel::Common {

namespace {

template <class T>
struct RealRules;

template <>
struct RealRules<double>
{
    static constexpr int kPrecisionCap = 9;
    static constexpr double kZeroBelow = 1e-10;      // |v| below this is shown as zero
    static constexpr double kExponentFrom = 1e13;    // v at or above this uses exponent notation
    static constexpr double kTinyBelow = 1e-9;       // so does kZeroBelow <= |v| < kTinyBelow
};

template <>
struct RealRules<float>
{
    static constexpr int kPrecisionCap = 6;
    static constexpr float kZeroBelow = 1e-7f;
    static constexpr float kExponentFrom = 1e10f;
    static constexpr float kTinyBelow = 1e-6f;
};

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
static_assert(std::size(kPowersOfTen) == RealRules<double>::kPrecisionCap + 1,
              "one power of ten per precision up to the largest cap");
static_assert(RealRules<float>::kPrecisionCap <= RealRules<double>::kPrecisionCap,
              "kPowersOfTen covers the largest cap");

// 2^63: the first magnitude whose integer part does not fit a 64-bit signed integer.
constexpr double kInt64Limit = 9223372036854775808.0;

bool IsPrintable(char ch)
{
    const auto code = static_cast<unsigned char>(ch);
    return code >= 32 && code <= 127;
}

template <class T>
int ClampPrecision(int precision)
{
    return std::clamp(precision, 0, RealRules<T>::kPrecisionCap);
}

// "%.<precision>e" with the zeros in front of the "e" dropped (and the point with them when
// no decimal remains) and the exponent written with at least three digits: '1.23e+013'.
std::string ExponentText(double value, int precision)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*e", precision, value);
    std::string text = buffer;
    const std::size_t point = text.find_first_of(".,");
    const std::size_t exponent = text.find_first_of("eE");
    if (exponent == std::string::npos)
        return text;  // inf
    std::size_t mantissaEnd = exponent;
    if (point != std::string::npos && point < exponent)
    {
        while (mantissaEnd > point + 1 && text[mantissaEnd - 1] == '0')
            --mantissaEnd;
        if (mantissaEnd == point + 1)
            mantissaEnd = point;
    }
    std::string exponentPart = text.substr(exponent);  // "e+13"
    const std::size_t firstDigit = exponentPart.find_first_of("0123456789");
    if (firstDigit != std::string::npos)
    {
        const std::size_t digits = exponentPart.size() - firstDigit;
        if (digits < 3)
            exponentPart.insert(firstDigit, 3 - digits, '0');
    }
    return text.substr(0, mantissaEnd) + exponentPart;
}

void AppendGrouped(std::string& out, std::uint64_t integerPart, char separator)
{
    const std::string digits = std::to_string(integerPart);
    const bool grouping = IsPrintable(separator);
    for (std::size_t i = 0; i < digits.size(); ++i)
    {
        if (grouping && i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
}

void AppendDecimals(std::string& out, std::uint64_t decimals, int precision, bool trailingZeros)
{
    std::string digits = std::to_string(decimals);
    digits.insert(0, static_cast<std::size_t>(precision) - std::min(digits.size(), std::size_t(precision)), '0');
    if (!trailingZeros)
    {
        const std::size_t lastNonZero = digits.find_last_not_of('0');
        digits.erase(lastNonZero == std::string::npos ? 0 : lastNonZero + 1);
    }
    out += ',';
    out += digits;
}

template <class T>
std::string FormatReal(T value, const RealNumberOptions& options)
{
    using Rules = RealRules<T>;
    const int precision = ClampPrecision<T>(options.precision);
    const T magnitude = std::fabs(value);
    if (std::isnan(value) || magnitude < Rules::kZeroBelow)
    {
        if (!options.showZero)
            return std::string();
        std::string zero;
        if (IsPrintable(options.prefix))
            zero += options.prefix;
        zero += '0';
        if (IsPrintable(options.suffix))
            zero += options.suffix;
        return zero;
    }
    const T rounding = static_cast<T>(0.5 / kPowersOfTen[precision]);
    const bool tooNegativeForFixed = value < 0 && magnitude + rounding >= static_cast<T>(kInt64Limit);
    if (value >= Rules::kExponentFrom || magnitude < Rules::kTinyBelow || tooNegativeForFixed)
        return ExponentText(static_cast<double>(value), precision);

    std::string text;
    if (IsPrintable(options.prefix))
        text += options.prefix;
    if (value < 0)
        text += '-';
    const T rounded = magnitude + rounding;
    const auto integerPart = static_cast<std::uint64_t>(rounded);
    const T scale = static_cast<T>(kPowersOfTen[precision]);
    const T fraction = (rounded - static_cast<T>(integerPart)) * scale;
    // The fraction is below `scale` in exact arithmetic; keep it there after rounding too.
    const auto largestDecimals = static_cast<std::uint64_t>(kPowersOfTen[precision]) - 1;
    const std::uint64_t decimals = std::min(static_cast<std::uint64_t>(fraction), largestDecimals);
    AppendGrouped(text, integerPart, options.separator);
    if (precision > 0 && (options.trailingZeros || decimals != 0))
        AppendDecimals(text, decimals, precision, options.trailingZeros);
    if (IsPrintable(options.suffix))
        text += options.suffix;
    return text;
}

// Keeps the characters that can belong to a number and normalises the first decimal comma
// and exponent letters, as the lenient parse expects.
std::string CleanRealText(std::string text, char separator)
{
    if (!text.empty() && (text.front() == '.' || text.front() == ','))
        text.insert(text.begin(), '0');
    const std::size_t lastDigit = text.find_last_of("0123456789");
    if (lastDigit == std::string::npos)
        return std::string();
    const std::size_t first = text.find_first_of("0123456789-");
    text = text.substr(first, lastDigit + 1 - first);
    std::erase_if(text, [](char ch) { return std::string_view("0123456789deDE.,-+").find(ch) == std::string_view::npos; });
    for (auto [from, to] : {std::pair{',', '.'}, std::pair{'E', 'e'}, std::pair{'D', 'd'}})
    {
        const std::size_t found = text.find(from);
        if (found != std::string::npos)
            text[found] = to;
    }
    if (IsPrintable(separator))
        std::erase(text, separator);
    return text;
}

std::size_t SkipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at;
}

// The C library's decimal-to-real conversion of the longest valid prefix, with "d" and "D"
// also accepted as exponent letters; independent of the process locale. 0 when nothing is
// valid; out-of-range magnitudes give infinity or zero as the C library does.
double ConvertReal(std::string_view text)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    const std::size_t mantissaStart = at;
    at = SkipDigits(text, at);
    bool hasDigits = at > mantissaStart;
    if (at < text.size() && text[at] == '.')
    {
        const std::size_t decimalsStart = at + 1;
        at = SkipDigits(text, decimalsStart);
        hasDigits = hasDigits || at > decimalsStart;
    }
    if (!hasDigits)
        return 0.0;
    std::string number(text.substr(mantissaStart, at - mantissaStart));
    if (at < text.size() && std::string_view("eEdD").find(text[at]) != std::string_view::npos)
    {
        std::size_t exponentAt = at + 1;
        std::string exponent = "e";
        if (exponentAt < text.size() && (text[exponentAt] == '-' || text[exponentAt] == '+'))
            exponent += text[exponentAt++];
        const std::size_t exponentEnd = SkipDigits(text, exponentAt);
        if (exponentEnd > exponentAt)
            number += exponent + std::string(text.substr(exponentAt, exponentEnd - exponentAt));
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
    {
        const std::size_t exponent = number.find('e');
        const bool tinyExponent = exponent != std::string::npos && exponent + 1 < number.size() && number[exponent + 1] == '-';
        value = tinyExponent ? 0.0 : std::numeric_limits<double>::infinity();
    }
    else if (error != std::errc())
    {
        value = 0.0;
    }
    return negative ? -value : value;
}

// Rounds to float; magnitudes beyond float's range become infinities.
float ToFloat(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (value > kLargest)
        return std::numeric_limits<float>::infinity();
    if (value < -kLargest)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

} // namespace

template <class T, ValueType kKind>
CRealNumberFormat<T, kKind>::CRealNumberFormat(int precision, bool trailingZeros, bool showZero, char prefix,
                                               char suffix, char separator)
    : CFormat(kKind),
      m_options{static_cast<std::int8_t>(ClampPrecision<T>(precision)), trailingZeros, showZero, prefix, suffix,
                separator}
{
}

template <class T, ValueType kKind>
std::string CRealNumberFormat<T, kKind>::FormatStl(T value, void*) const
{
    return FormatReal(value, m_options);
}

template <class T, ValueType kKind>
bool CRealNumberFormat<T, kKind>::ParseStl(const std::string& text, T& out, void*) const
{
    const double value = ConvertReal(CleanRealText(text, m_options.separator));
    if constexpr (std::is_same_v<T, float>)
        out = ToFloat(value);
    else
        out = value;
    return true;
}

template <class T, ValueType kKind>
CString CRealNumberFormat<T, kKind>::Format(T value, void* context) const
{
    return CString(FormatStl(value, context));
}

template <class T, ValueType kKind>
bool CRealNumberFormat<T, kKind>::Parse(const CString& text, T& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

template <class T, ValueType kKind>
bool CRealNumberFormat<T, kKind>::IsSerializable() const
{
    return true;
}

template <class T, ValueType kKind>
void CRealNumberFormat<T, kKind>::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring())
    {
        SerializeVersion(serializer);
        serializer.Store(static_cast<char>(m_options.precision));
        serializer.Store(m_options.showZero);
        serializer.Store(m_options.trailingZeros);
        serializer.Store(m_options.prefix);
        serializer.Store(m_options.suffix);
        serializer.Store(m_options.separator);
        return;
    }
    if (SerializeVersion(serializer) <= 0)
        return;
    char precision = 0;
    RealNumberOptions restored;
    serializer.Restore(precision);
    serializer.Restore(restored.showZero);
    serializer.Restore(restored.trailingZeros);
    serializer.Restore(restored.prefix);
    serializer.Restore(restored.suffix);
    serializer.Restore(restored.separator);
    // A stored precision outside the constructor's range would index past the power table.
    restored.precision = static_cast<std::int8_t>(ClampPrecision<T>(static_cast<signed char>(precision)));
    m_options = restored;
}

template class CRealNumberFormat<double, vtDouble>;
template class CRealNumberFormat<float, vtFloat>;

} // namespace Ombrel::Common
