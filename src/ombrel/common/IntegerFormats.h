#pragma once

#include <cstdint>

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// The integer formats come in two families that share one template each:
//  - the wide family (CLongFormat, CULongFormat, CInt64Format, CShortFormat, CUShortFormat):
//    grouped decimal text or upper-case hexadecimal;
//  - the character family (CCharFormat, CUCharFormat): a decimal number, two hexadecimal
//    digits or the character itself.

// Values of the `Mode` option. The wide family formats every non-zero mode as hexadecimal
// and parses only fmHex as hexadecimal; fmCharacter exists only in the character family.
enum FormatMode : std::int32_t
{
    fmDecimal = 0,
    fmHex = 1,
    fmCharacter = 2,
};

// Options of the wide family, in constructor and serialization order.
struct WideIntegerOptions
{
    std::int32_t mode = fmDecimal;
    bool showZero = true;    // false: the value 0 gives empty text (in either mode)
    char separator = ' ';    // between groups of three decimal digits; only codes 32..127 group
    bool hexPrefix = true;   // hexadecimal text starts with "0x"
    bool hexZeroPad = false; // hexadecimal digits are padded to the full width of the type
};

// Formatting and parsing of one wide integer kind. T is the C type of kKind.
template <class T, ValueType kKind>
class CWideIntegerFormat : public CFormat
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
    // Version 1, then Mode (32-bit), ShowZero (byte), Separator (byte), HexPrefix (byte),
    // HexZeroPad (byte).
    void Serialize(CSerializer& serializer) override;

    std::int32_t GetMode() const { return m_options.mode; }
    bool GetShowZero() const { return m_options.showZero; }
    char GetSeparator() const { return m_options.separator; }
    bool GetHexPrefix() const { return m_options.hexPrefix; }
    bool GetHexZeroPad() const { return m_options.hexZeroPad; }

protected:
    CWideIntegerFormat(std::int32_t mode, bool showZero, char separator, bool hexPrefix, bool hexZeroPad)
        : CFormat(kKind), m_options{mode, showZero, separator, hexPrefix, hexZeroPad}
    {
    }

private:
    WideIntegerOptions m_options;
};

class CLongFormat : public CWideIntegerFormat<std::int32_t, vtLong>
{
public:
    explicit CLongFormat(std::int32_t mode = fmDecimal, bool showZero = true, char separator = ' ',
                         bool hexPrefix = true, bool hexZeroPad = false)
        : CWideIntegerFormat(mode, showZero, separator, hexPrefix, hexZeroPad)
    {
    }
    CLongFormat* Clone() const override { return new CLongFormat(*this); }
    std::string GetClassName() const override { return "Common::CLongFormat"; }
};

class CULongFormat : public CWideIntegerFormat<std::uint32_t, vtULong>
{
public:
    explicit CULongFormat(std::int32_t mode = fmDecimal, bool showZero = true, char separator = ' ',
                          bool hexPrefix = true, bool hexZeroPad = false)
        : CWideIntegerFormat(mode, showZero, separator, hexPrefix, hexZeroPad)
    {
    }
    CULongFormat* Clone() const override { return new CULongFormat(*this); }
    std::string GetClassName() const override { return "Common::CULongFormat"; }
};

class CInt64Format : public CWideIntegerFormat<std::int64_t, vtInt64>
{
public:
    explicit CInt64Format(std::int32_t mode = fmDecimal, bool showZero = true, char separator = ' ',
                          bool hexPrefix = true, bool hexZeroPad = false)
        : CWideIntegerFormat(mode, showZero, separator, hexPrefix, hexZeroPad)
    {
    }
    CInt64Format* Clone() const override { return new CInt64Format(*this); }
    std::string GetClassName() const override { return "Common::CInt64Format"; }
};

class CShortFormat : public CWideIntegerFormat<short, vtShort>
{
public:
    explicit CShortFormat(std::int32_t mode = fmDecimal, bool showZero = true, char separator = ' ',
                          bool hexPrefix = true, bool hexZeroPad = true)
        : CWideIntegerFormat(mode, showZero, separator, hexPrefix, hexZeroPad)
    {
    }
    CShortFormat* Clone() const override { return new CShortFormat(*this); }
    std::string GetClassName() const override { return "Common::CShortFormat"; }
};

class CUShortFormat : public CWideIntegerFormat<unsigned short, vtUShort>
{
public:
    explicit CUShortFormat(std::int32_t mode = fmDecimal, bool showZero = true, char separator = ' ',
                           bool hexPrefix = true, bool hexZeroPad = true)
        : CWideIntegerFormat(mode, showZero, separator, hexPrefix, hexZeroPad)
    {
    }
    CUShortFormat* Clone() const override { return new CUShortFormat(*this); }
    std::string GetClassName() const override { return "Common::CUShortFormat"; }
};

// Options of the character family, in constructor and serialization order.
struct CharacterOptions
{
    std::int32_t mode = fmCharacter;
    bool showZero = true;  // kept and stored; formatting does not consult it
    bool hexPrefix = true;
    bool hexZeroPad = true;
};

// Formatting and parsing of one 8-bit kind. T is the C type of kKind.
template <class T, ValueType kKind>
class CCharacterFormat : public CFormat
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
    // Version 1, then Mode (32-bit), ShowZero, HexPrefix, HexZeroPad (one byte each).
    void Serialize(CSerializer& serializer) override;

    std::int32_t GetMode() const { return m_options.mode; }
    bool GetShowZero() const { return m_options.showZero; }
    bool GetHexPrefix() const { return m_options.hexPrefix; }
    bool GetHexZeroPad() const { return m_options.hexZeroPad; }

protected:
    CCharacterFormat(std::int32_t mode, bool showZero, bool hexPrefix, bool hexZeroPad)
        : CFormat(kKind), m_options{mode, showZero, hexPrefix, hexZeroPad}
    {
    }

private:
    CharacterOptions m_options;
};

class CCharFormat : public CCharacterFormat<char, vtChar>
{
public:
    explicit CCharFormat(std::int32_t mode = fmCharacter, bool showZero = true, bool hexPrefix = true,
                         bool hexZeroPad = true)
        : CCharacterFormat(mode, showZero, hexPrefix, hexZeroPad)
    {
    }
    CCharFormat* Clone() const override { return new CCharFormat(*this); }
    std::string GetClassName() const override { return "Common::CCharFormat"; }
};

class CUCharFormat : public CCharacterFormat<unsigned char, vtUChar>
{
public:
    explicit CUCharFormat(std::int32_t mode = fmCharacter, bool showZero = true, bool hexPrefix = true,
                          bool hexZeroPad = true)
        : CCharacterFormat(mode, showZero, hexPrefix, hexZeroPad)
    {
    }
    CUCharFormat* Clone() const override { return new CUCharFormat(*this); }
    std::string GetClassName() const override { return "Common::CUCharFormat"; }
};

} // namespace Ombrel::Common
