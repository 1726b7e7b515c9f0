#include "ombrel/common/Format.h"

#include <map>

#include "ombrel/base/CriticalSection.h"
#include "ombrel/common/BoolFormat.h"
#include "ombrel/common/DefaultMfcStringFormat.h"
#include "ombrel/common/DefaultStlStringFormat.h"
#include "ombrel/common/DoubleFormat.h"
#include "ombrel/common/EmptyFormat.h"
#include "ombrel/common/FloatFormat.h"
#include "ombrel/common/Int64DateFormat.h"
#include "ombrel/common/IntegerFormats.h"
#include "ombrel/common/LongDateFormat.h"
#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/common/LongMsecTimeFormat.h"
#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace {

constexpr std::int32_t kBaseVersion = 1;

bool AreCompatibleKinds(ValueType formatKind, ValueType valueKind)
{
    if (formatKind == valueKind)
        return true;
    const bool formatIsString = formatKind == vtMfcString || formatKind == vtStlString;
    const bool valueIsString = valueKind == vtMfcString || valueKind == vtStlString;
    return formatIsString && valueIsString;
}

// Calls `convert(payload)` with the value's payload at its own C type; an empty result for
// an empty value.
template <class Result, class Convert>
Result DispatchOnValue(const CValue& value, Convert&& convert)
{
    switch (value.GetType())
    {
    case vtMfcString: return convert(value.GetString());
    case vtStlString: return convert(value.GetStdString());
    case vtChar: return convert(value.GetChar());
    case vtUChar: return convert(value.GetUChar());
    case vtShort: return convert(value.GetShort());
    case vtUShort: return convert(value.GetUShort());
    case vtLong: return convert(value.GetLong());
    case vtULong: return convert(value.GetULong());
    case vtInt64: return convert(value.GetInt64());
    case vtBool: return convert(value.GetBool());
    case vtFloat: return convert(value.GetFloat());
    case vtDouble: return convert(value.GetDouble());
    case vtOpaque: return convert(value.GetOpaque());
    case vtEmpty: break;
    }
    return Result();
}

// Parses into a zero-initialised temporary of the format's kind and, on success, stores it
// into `out` when `out` is empty or already of that kind; a value of another kind is kept.
template <class T, class ParseTyped>
bool ParseIntoValue(ParseTyped&& parse, CValue& out, ValueType kind)
{
    T parsed{};
    if (!parse(parsed))
        return false;
    if (out.IsEmpty() || out.GetType() == kind)
        out = CValue(parsed);
    return true;
}

template <class ParseTyped>
bool ParseByKind(ValueType kind, ParseTyped&& parse, CValue& out)
{
    switch (kind)
    {
    case vtMfcString: return ParseIntoValue<CString>(parse, out, kind);
    case vtStlString: return ParseIntoValue<std::string>(parse, out, kind);
    case vtChar: return ParseIntoValue<char>(parse, out, kind);
    case vtUChar: return ParseIntoValue<unsigned char>(parse, out, kind);
    case vtShort: return ParseIntoValue<short>(parse, out, kind);
    case vtUShort: return ParseIntoValue<unsigned short>(parse, out, kind);
    case vtLong: return ParseIntoValue<std::int32_t>(parse, out, kind);
    case vtULong: return ParseIntoValue<std::uint32_t>(parse, out, kind);
    case vtInt64: return ParseIntoValue<std::int64_t>(parse, out, kind);
    case vtBool: return ParseIntoValue<bool>(parse, out, kind);
    case vtFloat: return ParseIntoValue<float>(parse, out, kind);
    case vtDouble: return ParseIntoValue<double>(parse, out, kind);
    case vtOpaque: return ParseIntoValue<OpaqueValue>(parse, out, kind);
    case vtEmpty: break;
    }
    return false;
}

} // namespace

CFormat::~CFormat() = default;

// ---- CString results and CString parsing -------------------------------------------------

CString CFormat::Format(const CValue& value, void* context) const
{
    if (!AreCompatibleKinds(m_valueType, value.GetType()))
        return CString();
    // A string of the other string kind reaches this format's own string slot.
    if (m_valueType == vtMfcString && value.GetType() == vtStlString)
        return Format(CString(value.GetStdString()), context);
    if (m_valueType == vtStlString && value.GetType() == vtMfcString)
        return Format(value.GetString().ToStdString(), context);
    return DispatchOnValue<CString>(value, [&](const auto& payload) { return Format(payload, context); });
}

CString CFormat::Format(OpaqueValue, void*) const { return CString(); }
CString CFormat::Format(double, void*) const { return CString(); }
CString CFormat::Format(float, void*) const { return CString(); }
CString CFormat::Format(bool, void*) const { return CString(); }
CString CFormat::Format(std::int64_t, void*) const { return CString(); }
CString CFormat::Format(std::uint32_t, void*) const { return CString(); }
CString CFormat::Format(std::int32_t, void*) const { return CString(); }
CString CFormat::Format(unsigned short, void*) const { return CString(); }
CString CFormat::Format(short, void*) const { return CString(); }
CString CFormat::Format(unsigned char, void*) const { return CString(); }
CString CFormat::Format(char, void*) const { return CString(); }
CString CFormat::Format(const std::string&, void*) const { return CString(); }
CString CFormat::Format(const CString&, void*) const { return CString(); }

bool CFormat::Parse(const CString& text, CValue& out, void* context) const
{
    return ParseByKind(m_valueType, [&](auto& parsed) { return Parse(text, parsed, context); }, out);
}

bool CFormat::Parse(const CString&, double&, void*) const { return false; }
bool CFormat::Parse(const CString&, OpaqueValue&, void*) const { return false; }
bool CFormat::Parse(const CString&, float&, void*) const { return false; }
bool CFormat::Parse(const CString&, bool&, void*) const { return false; }
bool CFormat::Parse(const CString&, std::int64_t&, void*) const { return false; }
bool CFormat::Parse(const CString&, std::uint32_t&, void*) const { return false; }
bool CFormat::Parse(const CString&, std::int32_t&, void*) const { return false; }
bool CFormat::Parse(const CString&, unsigned short&, void*) const { return false; }
bool CFormat::Parse(const CString&, short&, void*) const { return false; }
bool CFormat::Parse(const CString&, unsigned char&, void*) const { return false; }
bool CFormat::Parse(const CString&, char&, void*) const { return false; }
bool CFormat::Parse(const CString&, std::string&, void*) const { return false; }
bool CFormat::Parse(const CString&, CString&, void*) const { return false; }

// ---- std::string results and std::string parsing ----------------------------------------

std::string CFormat::FormatStl(const CValue& value, void* context) const
{
    if (!AreCompatibleKinds(m_valueType, value.GetType()))
        return std::string();
    if (m_valueType == vtMfcString && value.GetType() == vtStlString)
        return FormatStl(CString(value.GetStdString()), context);
    if (m_valueType == vtStlString && value.GetType() == vtMfcString)
        return FormatStl(value.GetString().ToStdString(), context);
    return DispatchOnValue<std::string>(value, [&](const auto& payload) { return FormatStl(payload, context); });
}

std::string CFormat::FormatStl(OpaqueValue, void*) const { return std::string(); }
std::string CFormat::FormatStl(double, void*) const { return std::string(); }
std::string CFormat::FormatStl(float, void*) const { return std::string(); }
std::string CFormat::FormatStl(bool, void*) const { return std::string(); }
std::string CFormat::FormatStl(std::int64_t, void*) const { return std::string(); }
std::string CFormat::FormatStl(std::uint32_t, void*) const { return std::string(); }
std::string CFormat::FormatStl(std::int32_t, void*) const { return std::string(); }
std::string CFormat::FormatStl(unsigned short, void*) const { return std::string(); }
std::string CFormat::FormatStl(short, void*) const { return std::string(); }
std::string CFormat::FormatStl(unsigned char, void*) const { return std::string(); }
std::string CFormat::FormatStl(char, void*) const { return std::string(); }
std::string CFormat::FormatStl(const std::string&, void*) const { return std::string(); }
std::string CFormat::FormatStl(const CString&, void*) const { return std::string(); }

bool CFormat::ParseStl(const std::string& text, CValue& out, void* context) const
{
    return ParseByKind(m_valueType, [&](auto& parsed) { return ParseStl(text, parsed, context); }, out);
}

bool CFormat::ParseStl(const std::string&, double&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, OpaqueValue&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, float&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, bool&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, std::int64_t&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, std::uint32_t&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, std::int32_t&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, unsigned short&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, short&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, unsigned char&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, char&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, std::string&, void*) const { return false; }
bool CFormat::ParseStl(const std::string&, CString&, void*) const { return false; }

// ---- Properties and persistence ----------------------------------------------------------

bool CFormat::IsDateTime() const { return false; }
bool CFormat::IsEnumeration() const { return false; }
std::string CFormat::GetClassName() const { return std::string(); }
bool CFormat::IsSerializable() const { return false; }

void CFormat::Serialize(CSerializer& serializer)
{
    std::int32_t version = kBaseVersion;
    if (serializer.IsRestoring())
        serializer.Restore(version);
    else
        serializer.Store(version);
}

std::int32_t CFormat::SerializeVersion(CSerializer& serializer, std::int32_t currentVersion) const
{
    if (!serializer.IsRestoring())
    {
        serializer.Store(currentVersion);
        return currentVersion;
    }
    std::int32_t stored = 0;
    serializer.Restore(stored);
    if (stored > currentVersion)
    {
        const std::string className = GetClassName();
        const std::size_t scope = className.rfind("::");
        const std::string bareName = scope == std::string::npos ? className : className.substr(scope + 2);
        throw CSerializer::BadVersionException(bareName +
                                               " doesn't support current version and can't be deserialized.");
    }
    return stored;
}

// ---- Registry ----------------------------------------------------------------------------

namespace {

template <class TFormat>
CFormat* CreateBuiltIn()
{
    return new TFormat();
}

class CFormatRegistry
{
public:
    static CFormatRegistry& Instance()
    {
        // Built on first use (thread-safe), so registration during static initialisation of
        // any translation unit finds it ready.
        static CFormatRegistry registry;
        return registry;
    }

    bool Register(const std::string& className, FormatFactory factory)
    {
        CScopedLock lock(m_lock);
        return m_factories.emplace(className, factory).second;
    }

    CFormat* Create(const std::string& className)
    {
        FormatFactory factory = nullptr;
        {
            CScopedLock lock(m_lock);
            const auto found = m_factories.find(className);
            if (found == m_factories.end())
                return nullptr;
            factory = found->second;
        }
        // The factory runs outside the lock: it may itself use the registry.
        return factory ? factory() : nullptr;
    }

private:
    CFormatRegistry() { RegisterBuiltInFormats(); }

    template <class TFormat>
    void Add()
    {
        Register(TFormat().GetClassName(), &CreateBuiltIn<TFormat>);
    }

    // Every format of this library, registered under its class name. Add new built-in
    // formats here: a list referenced from this file cannot be dropped by the linker.
    void RegisterBuiltInFormats()
    {
        Add<CEmptyFormat>();
        Add<CDoubleFormat>();
        Add<CFloatFormat>();
        Add<CBoolFormat>();
        Add<CInt64Format>();
        Add<CULongFormat>();
        Add<CLongFormat>();
        Add<CUShortFormat>();
        Add<CShortFormat>();
        Add<CUCharFormat>();
        Add<CCharFormat>();
        Add<CDefaultStlStringFormat>();
        Add<CDefaultMfcStringFormat>();
        Add<CLongDateFormat>();
        Add<CInt64DateFormat>();
        Add<CLongMsecTimeFormat>();
        Add<CLongEnumFormat>();
    }

    CCriticalSection m_lock;  // guards m_factories for every registration and lookup
    std::map<std::string, FormatFactory> m_factories;
};

// One shared instance per kind, indexed by ValueType; index 0 serves vtEmpty and every
// unknown code.
class CDefaultFormats
{
public:
    static const CDefaultFormats& Instance()
    {
        // Function-local static: first use from two threads at once is safe.
        static const CDefaultFormats defaults;
        return defaults;
    }

    CFormat* Get(std::int32_t type) const
    {
        const std::int32_t index = IsValueKind(type) ? type : vtEmpty;
        return m_formats[static_cast<std::size_t>(index)].get();
    }

private:
    CDefaultFormats()
    {
        Set(vtEmpty, new CEmptyFormat(vtEmpty));
        Set(vtMfcString, new CDefaultMfcStringFormat());
        Set(vtStlString, new CDefaultStlStringFormat());
        Set(vtChar, new CCharFormat());
        Set(vtUChar, new CUCharFormat());
        Set(vtShort, new CShortFormat());
        Set(vtUShort, new CUShortFormat());
        Set(vtLong, new CLongFormat());
        Set(vtULong, new CULongFormat());
        Set(vtInt64, new CInt64Format());
        Set(vtBool, new CBoolFormat());
        Set(vtFloat, new CFloatFormat());
        Set(vtDouble, new CDoubleFormat());
        Set(vtOpaque, new CEmptyFormat(vtOpaque));
    }

    void Set(ValueType type, CFormat* format) { m_formats[static_cast<std::size_t>(type)].reset(format); }

    std::unique_ptr<CFormat> m_formats[kLastValueType + 1];
};

} // namespace

CFormat* CFormat::GetDefaultFormat(std::int32_t type) { return CDefaultFormats::Instance().Get(type); }

bool CFormat::RegisterFormat(const std::string& className, FormatFactory factory)
{
    return CFormatRegistry::Instance().Register(className, factory);
}

CFormat* CFormat::CreateFormat(const std::string& className)
{
    return CFormatRegistry::Instance().Create(className);
}

} // namespace Ombrel::Common
