#include "ombrel/common/Value.h"

#include <utility>

namespace Ombrel::Common {

static_assert(sizeof(CValue) == 16, "CValue is an 8-byte payload and a 32-bit tag; rows cache five of them");

CValue::CValue(const CString& value) { SetString(value); }
CValue::CValue(const std::string& value) { SetStdString(value); }
CValue::CValue(char value) { SetChar(value); }
CValue::CValue(unsigned char value) { SetUChar(value); }
CValue::CValue(short value) { SetShort(value); }
CValue::CValue(unsigned short value) { SetUShort(value); }
CValue::CValue(std::int32_t value) { SetLong(value); }
CValue::CValue(std::uint32_t value) { SetULong(value); }
CValue::CValue(std::int64_t value) { SetInt64(value); }
CValue::CValue(bool value) { SetBool(value); }
CValue::CValue(float value) { SetFloat(value); }
CValue::CValue(double value) { SetDouble(value); }
CValue::CValue(OpaqueValue value) { SetOpaque(value); }

CValue::CValue(const CValue& other) { CopyFrom(other); }

CValue::CValue(CValue&& other) noexcept : m_payload(other.m_payload), m_type(other.m_type)
{
    // The string pointer, if any, now belongs to this value.
    other.m_payload.raw = 0;
    other.m_type = vtEmpty;
}

CValue& CValue::operator=(const CValue& other)
{
    if (this != &other)
    {
        CValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CValue& CValue::operator=(CValue&& other) noexcept
{
    if (this != &other)
    {
        ReleaseString();
        m_payload = other.m_payload;
        m_type = other.m_type;
        other.m_payload.raw = 0;
        other.m_type = vtEmpty;
    }
    return *this;
}

CValue::~CValue() { ReleaseString(); }

void CValue::Clear()
{
    ReleaseString();
    m_payload.raw = 0;
    m_type = vtEmpty;
}

void CValue::ReleaseString()
{
    if (m_type == vtMfcString)
    {
        delete m_payload.mfcString;
        m_payload.mfcString = nullptr;
    }
    else if (m_type == vtStlString)
    {
        delete m_payload.stlString;
        m_payload.stlString = nullptr;
    }
}

void CValue::CopyFrom(const CValue& other)
{
    m_type = other.m_type;
    m_payload.raw = 0;
    if (other.m_type == vtMfcString)
        m_payload.mfcString = other.m_payload.mfcString ? new CString(*other.m_payload.mfcString) : nullptr;
    else if (other.m_type == vtStlString)
        m_payload.stlString = other.m_payload.stlString ? new std::string(*other.m_payload.stlString) : nullptr;
    else
        m_payload = other.m_payload;
}

std::string_view CValue::StringView() const
{
    if (m_type == vtMfcString && m_payload.mfcString)
        return m_payload.mfcString->View();
    if (m_type == vtStlString && m_payload.stlString)
        return *m_payload.stlString;
    return {};
}

CString CValue::GetString() const
{
    if (m_type != vtMfcString || !m_payload.mfcString)
        return CString();
    return *m_payload.mfcString;
}

std::string CValue::GetStdString() const
{
    if (m_type != vtStlString || !m_payload.stlString)
        return std::string();
    return *m_payload.stlString;
}

char CValue::GetChar() const { return m_type == vtChar ? m_payload.charValue : char(0); }
unsigned char CValue::GetUChar() const { return m_type == vtUChar ? m_payload.ucharValue : 0; }
short CValue::GetShort() const { return m_type == vtShort ? m_payload.shortValue : short(0); }
unsigned short CValue::GetUShort() const { return m_type == vtUShort ? m_payload.ushortValue : 0; }
std::int32_t CValue::GetLong() const { return m_type == vtLong ? m_payload.longValue : 0; }
std::uint32_t CValue::GetULong() const { return m_type == vtULong ? m_payload.ulongValue : 0u; }
std::int64_t CValue::GetInt64() const { return m_type == vtInt64 ? m_payload.int64Value : 0; }
bool CValue::GetBool() const { return m_type == vtBool && m_payload.boolValue; }
float CValue::GetFloat() const { return m_type == vtFloat ? m_payload.floatValue : 0.0f; }
double CValue::GetDouble() const { return m_type == vtDouble ? m_payload.doubleValue : 0.0; }

OpaqueValue CValue::GetOpaque() const
{
    return m_type == vtOpaque ? OpaqueValue{m_payload.opaqueValue} : OpaqueValue{0};
}

void CValue::SetString(const CString& value)
{
    if (m_type == vtMfcString && m_payload.mfcString)
    {
        *m_payload.mfcString = value;
        return;
    }
    CString* copy = new CString(value);
    Clear();
    m_payload.mfcString = copy;
    m_type = vtMfcString;
}

void CValue::SetStdString(const std::string& value)
{
    if (m_type == vtStlString && m_payload.stlString)
    {
        *m_payload.stlString = value;
        return;
    }
    std::string* copy = new std::string(value);
    Clear();
    m_payload.stlString = copy;
    m_type = vtStlString;
}

void CValue::SetChar(char value)
{
    Clear();
    m_payload.charValue = value;
    m_type = vtChar;
}

void CValue::SetUChar(unsigned char value)
{
    Clear();
    m_payload.ucharValue = value;
    m_type = vtUChar;
}

void CValue::SetShort(short value)
{
    Clear();
    m_payload.shortValue = value;
    m_type = vtShort;
}

void CValue::SetUShort(unsigned short value)
{
    Clear();
    m_payload.ushortValue = value;
    m_type = vtUShort;
}

void CValue::SetLong(std::int32_t value)
{
    Clear();
    m_payload.longValue = value;
    m_type = vtLong;
}

void CValue::SetULong(std::uint32_t value)
{
    Clear();
    m_payload.ulongValue = value;
    m_type = vtULong;
}

void CValue::SetInt64(std::int64_t value)
{
    Clear();
    m_payload.int64Value = value;
    m_type = vtInt64;
}

void CValue::SetBool(bool value)
{
    Clear();
    m_payload.boolValue = value;
    m_type = vtBool;
}

void CValue::SetFloat(float value)
{
    Clear();
    m_payload.floatValue = value;
    m_type = vtFloat;
}

void CValue::SetDouble(double value)
{
    Clear();
    m_payload.doubleValue = value;
    m_type = vtDouble;
}

void CValue::SetOpaque(OpaqueValue value)
{
    Clear();
    m_payload.opaqueValue = static_cast<std::uint32_t>(value);
    m_type = vtOpaque;
}

bool CValue::operator==(const CValue& other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type)
    {
    case vtEmpty: return true;
    case vtMfcString:
    case vtStlString: return StringView() == other.StringView();
    case vtChar: return m_payload.charValue == other.m_payload.charValue;
    case vtUChar: return m_payload.ucharValue == other.m_payload.ucharValue;
    case vtShort: return m_payload.shortValue == other.m_payload.shortValue;
    case vtUShort: return m_payload.ushortValue == other.m_payload.ushortValue;
    case vtLong: return m_payload.longValue == other.m_payload.longValue;
    case vtULong: return m_payload.ulongValue == other.m_payload.ulongValue;
    case vtInt64: return m_payload.int64Value == other.m_payload.int64Value;
    case vtBool: return m_payload.boolValue == other.m_payload.boolValue;
    case vtFloat: return m_payload.floatValue == other.m_payload.floatValue;
    case vtDouble: return m_payload.doubleValue == other.m_payload.doubleValue;
    case vtOpaque: return m_payload.opaqueValue == other.m_payload.opaqueValue;
    }
    return false;
}

namespace {

template <class T>
int Order(T left, T right)
{
    return static_cast<int>(right < left) - static_cast<int>(left < right);
}

} // namespace

int CValue::Compare(const CValue& other) const
{
    if (m_type != other.m_type)
        return 0;
    switch (m_type)
    {
    case vtEmpty: return 0;
    case vtMfcString:
    case vtStlString: {
        const int order = StringView().compare(other.StringView());
        return Order(order, 0);
    }
    case vtChar: return Order(m_payload.charValue, other.m_payload.charValue);
    case vtUChar: return Order(m_payload.ucharValue, other.m_payload.ucharValue);
    case vtShort: return Order(m_payload.shortValue, other.m_payload.shortValue);
    case vtUShort: return Order(m_payload.ushortValue, other.m_payload.ushortValue);
    case vtLong: return Order(m_payload.longValue, other.m_payload.longValue);
    case vtULong: return Order(m_payload.ulongValue, other.m_payload.ulongValue);
    case vtInt64: return Order(m_payload.int64Value, other.m_payload.int64Value);
    case vtBool: return Order(m_payload.boolValue, other.m_payload.boolValue);
    case vtFloat: return Order(m_payload.floatValue, other.m_payload.floatValue);
    case vtDouble: return Order(m_payload.doubleValue, other.m_payload.doubleValue);
    case vtOpaque: return Order(m_payload.opaqueValue, other.m_payload.opaqueValue);
    }
    return 0;
}

bool CValue::operator>(const CValue& other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type)
    {
    case vtEmpty: return false;
    case vtMfcString:
    case vtStlString: return StringView() > other.StringView();
    case vtChar: return m_payload.charValue > other.m_payload.charValue;
    case vtUChar: return m_payload.ucharValue > other.m_payload.ucharValue;
    case vtShort: return m_payload.shortValue > other.m_payload.shortValue;
    case vtUShort: return m_payload.ushortValue > other.m_payload.ushortValue;
    case vtLong: return m_payload.longValue > other.m_payload.longValue;
    case vtULong: return m_payload.ulongValue > other.m_payload.ulongValue;
    case vtInt64: return m_payload.int64Value > other.m_payload.int64Value;
    case vtBool: return m_payload.boolValue > other.m_payload.boolValue;
    case vtFloat: return m_payload.floatValue > other.m_payload.floatValue;
    case vtDouble: return m_payload.doubleValue > other.m_payload.doubleValue;
    case vtOpaque: return m_payload.opaqueValue > other.m_payload.opaqueValue;
    }
    return false;
}

} // namespace Ombrel::Common
