#pragma once

#include <cstdint>

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Options of the floating-point formats, in constructor order. (Serialization stores ShowZero
// before TrailingZeros.)
struct RealNumberOptions
{
    std::int8_t precision = 3;  // decimals, 0..cap of the kind (9 for double, 6 for float)
    bool trailingZeros = false; // true: always write all decimals; false: drop trailing zeros
    bool showZero = true;       // false: a value treated as zero gives empty text
    char prefix = 0;            // written before the number when its code is 32..127
    char suffix = 0;            // written after the number when its code is 32..127
    char separator = ' ';       // between groups of three integer digits when its code is 32..127
};

// Fixed notation with a decimal comma, grouped thousands and at most `precision` decimals;
// exponent notation for values too large or too small for it. Parsing is lenient and always
// succeeds. T is float or double, the C type of kKind.
template <class T, ValueType kKind>
class CRealNumberFormat : public CFormat
{
public:
    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CString Format(T value, void* context = nullptr) const override;
    bool Parse(const CString& text, T& out, void* context = nullptr) const override;
    std::string FormatStl(T value, void* context = nullptr) const override;
    bool ParseStl(const std::string& text, T& out, void* context = nullptr) const override;

    bool IsSerializable() const override;
    // Version 1, then Precision, ShowZero, TrailingZeros, Prefix, Suffix, Separator (one byte
    // each). A restored precision is held to the same range as the constructor's.
    void Serialize(CSerializer& serializer) override;

    int GetPrecision() const { return m_options.precision; }
    bool GetTrailingZeros() const { return m_options.trailingZeros; }
    bool GetShowZero() const { return m_options.showZero; }
    char GetPrefix() const { return m_options.prefix; }
    char GetSuffix() const { return m_options.suffix; }
    char GetSeparator() const { return m_options.separator; }

protected:
    // A negative precision becomes 0, one above the kind's cap becomes the cap.
    CRealNumberFormat(int precision, bool trailingZeros, bool showZero, char prefix, char suffix, char separator);

private:
    RealNumberOptions m_options;
};

class CDoubleFormat : public CRealNumberFormat<double, vtDouble>
{
public:
    explicit CDoubleFormat(int precision = 3, bool trailingZeros = false, bool showZero = true, char prefix = 0,
                           char suffix = 0, char separator = ' ')
        : CRealNumberFormat(precision, trailingZeros, showZero, prefix, suffix, separator)
    {
    }
    CDoubleFormat* Clone() const override { return new CDoubleFormat(*this); }
    std::string GetClassName() const override { return "Common::CDoubleFormat"; }
};

} // namespace Ombrel::Common
