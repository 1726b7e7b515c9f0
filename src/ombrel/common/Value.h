#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ombrel/base/String.h"

namespace Ombrel::Common {

// The kind of a value. The numbers are stored in serialized values and field declarations, so
// they never change.
enum ValueType : std::int32_t
{
    vtEmpty = 0,      // no value
    vtMfcString = 1,  // CString
    vtStlString = 2,  // std::string
    vtChar = 3,       // char
    vtUChar = 4,      // unsigned char
    vtShort = 5,      // short (16-bit)
    vtUShort = 6,     // unsigned short
    vtLong = 7,       // std::int32_t
    vtULong = 8,      // std::uint32_t
    vtInt64 = 9,      // std::int64_t
    vtBool = 10,      // bool
    vtFloat = 11,     // float
    vtDouble = 12,    // double
    vtOpaque = 13,    // OpaqueValue: 32 bits without a text form
};

constexpr std::int32_t kLastValueType = vtOpaque;

// True for the codes 1..13, the kinds a field or a non-empty value can have.
constexpr bool IsValueKind(std::int32_t type) { return type >= vtMfcString && type <= kLastValueType; }

// The C type of vtOpaque: an unsigned 32-bit value that is ordered as unsigned but has no text
// form. It is a distinct type so that overloads for vtULong and vtOpaque can coexist:
// OpaqueValue{42} makes one, static_cast<std::uint32_t>(value) reads it.
enum class OpaqueValue : std::uint32_t
{
};

// A tagged value: an 8-byte payload and the ValueType that says how to read it.
//
// Numbers and bool live in the payload; the two string kinds keep an owned heap string there,
// created on first assignment (a value whose string was never assigned reads as empty).
// Copies are deep. A value never converts between kinds: a typed getter on a value of another
// kind returns that getter's neutral result (zero, false or an empty string).
class CValue
{
public:
    CValue() = default;
    CValue(const CString& value);
    CValue(const std::string& value);
    CValue(char value);
    CValue(unsigned char value);
    CValue(short value);
    CValue(unsigned short value);
    CValue(std::int32_t value);
    CValue(std::uint32_t value);
    CValue(std::int64_t value);
    CValue(bool value);
    CValue(float value);
    CValue(double value);
    CValue(OpaqueValue value);
    // A string literal would otherwise silently become a bool; say which string kind is meant.
    CValue(const char*) = delete;

    CValue(const CValue& other);
    CValue(CValue&& other) noexcept;
    CValue& operator=(const CValue& other);
    CValue& operator=(CValue&& other) noexcept;
    ~CValue();

    ValueType GetType() const { return m_type; }
    bool IsEmpty() const { return m_type == vtEmpty; }
    // Back to vtEmpty, releasing an owned string.
    void Clear();

    CString GetString() const;
    std::string GetStdString() const;
    char GetChar() const;
    unsigned char GetUChar() const;
    short GetShort() const;
    unsigned short GetUShort() const;
    std::int32_t GetLong() const;
    std::uint32_t GetULong() const;
    std::int64_t GetInt64() const;
    bool GetBool() const;
    float GetFloat() const;
    double GetDouble() const;
    OpaqueValue GetOpaque() const;

    // Each setter gives the value the setter's kind and payload.
    void SetString(const CString& value);
    void SetStdString(const std::string& value);
    void SetChar(char value);
    void SetUChar(unsigned char value);
    void SetShort(short value);
    void SetUShort(unsigned short value);
    void SetLong(std::int32_t value);
    void SetULong(std::uint32_t value);
    void SetInt64(std::int64_t value);
    void SetBool(bool value);
    void SetFloat(float value);
    void SetDouble(double value);
    void SetOpaque(OpaqueValue value);

    // Ordering used by sorting: values of different kinds are neither equal nor greater, so
    // this is not a total order across kinds. Two empty values are equal.
    bool operator==(const CValue& other) const;
    bool operator!=(const CValue& other) const { return !(*this == other); }
    bool operator>(const CValue& other) const;
    bool operator<(const CValue& other) const { return other > *this; }
    // Both tests at once, as sorting needs them: positive when this is greater, negative when
    // `other` is, 0 otherwise (equal, of different kinds, or an unordered NaN). Text is compared
    // once, in place, without a copy.
    int Compare(const CValue& other) const;

private:
    union Payload
    {
        char charValue;
        unsigned char ucharValue;
        short shortValue;
        unsigned short ushortValue;
        std::int32_t longValue;
        std::uint32_t ulongValue;
        std::int64_t int64Value;
        bool boolValue;
        float floatValue;
        double doubleValue;
        std::uint32_t opaqueValue;
        CString* mfcString;      // owned; may be null (reads as empty) while m_type is vtMfcString
        std::string* stlString;  // owned; may be null (reads as empty) while m_type is vtStlString
        std::uint64_t raw;
    };

    // The characters of either string kind, compared byte by byte (a proper prefix is
    // smaller); empty for other kinds.
    std::string_view StringView() const;
    void ReleaseString();
    void CopyFrom(const CValue& other);

    Payload m_payload{.raw = 0};
    ValueType m_type = vtEmpty;
};

} // namespace Ombrel::Common
