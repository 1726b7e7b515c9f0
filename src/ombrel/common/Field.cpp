#include "ombrel/common/Field.h"

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

namespace {

// A declaration text, or empty when it is null, empty or begins with '0' (the text of a null
// member function).
std::string DeclarationText(const char* text)
{
    if (text == nullptr || text[0] == '\0' || text[0] == '0')
        return {};
    return text;
}

// Calls `visit(std::type_identity<T>{})` with T the C type of `kind`; false for a code that is
// not a kind.
template <class Visit>
bool VisitKind(ValueType kind, Visit&& visit)
{
    switch (kind)
    {
    case vtMfcString: visit(std::type_identity<CString>{}); return true;
    case vtStlString: visit(std::type_identity<std::string>{}); return true;
    case vtChar: visit(std::type_identity<char>{}); return true;
    case vtUChar: visit(std::type_identity<unsigned char>{}); return true;
    case vtShort: visit(std::type_identity<short>{}); return true;
    case vtUShort: visit(std::type_identity<unsigned short>{}); return true;
    case vtLong: visit(std::type_identity<std::int32_t>{}); return true;
    case vtULong: visit(std::type_identity<std::uint32_t>{}); return true;
    case vtInt64: visit(std::type_identity<std::int64_t>{}); return true;
    case vtBool: visit(std::type_identity<bool>{}); return true;
    case vtFloat: visit(std::type_identity<float>{}); return true;
    case vtDouble: visit(std::type_identity<double>{}); return true;
    case vtOpaque: visit(std::type_identity<OpaqueValue>{}); return true;
    case vtEmpty: break;
    }
    return false;
}

// The payload of `value` at T; the caller has checked that T is the value's kind.
template <class T>
T PayloadOf(const CValue& value)
{
    if constexpr (std::is_same_v<T, CString>) return value.GetString();
    else if constexpr (std::is_same_v<T, std::string>) return value.GetStdString();
    else if constexpr (std::is_same_v<T, char>) return value.GetChar();
    else if constexpr (std::is_same_v<T, unsigned char>) return value.GetUChar();
    else if constexpr (std::is_same_v<T, short>) return value.GetShort();
    else if constexpr (std::is_same_v<T, unsigned short>) return value.GetUShort();
    else if constexpr (std::is_same_v<T, std::int32_t>) return value.GetLong();
    else if constexpr (std::is_same_v<T, std::uint32_t>) return value.GetULong();
    else if constexpr (std::is_same_v<T, std::int64_t>) return value.GetInt64();
    else if constexpr (std::is_same_v<T, bool>) return value.GetBool();
    else if constexpr (std::is_same_v<T, float>) return value.GetFloat();
    else if constexpr (std::is_same_v<T, double>) return value.GetDouble();
    else return value.GetOpaque();
}

template <class T>
constexpr bool kIsStringKind = std::is_same_v<T, CString> || std::is_same_v<T, std::string>;

// The text converted to the string kind T (both hold the same bytes).
template <class T, class Text>
T ConvertText(const Text& text)
{
    if constexpr (std::is_same_v<T, Text>) return text;
    else if constexpr (std::is_same_v<T, CString>) return CString(text);
    else return text.ToStdString();
}

// The format's parse for the string type of the text: Parse for CString, ParseStl for
// std::string.
template <class T>
bool ParseWith(const CFormat& format, const CString& text, T& out, void* context)
{
    return format.Parse(text, out, context);
}

template <class T>
bool ParseWith(const CFormat& format, const std::string& text, T& out, void* context)
{
    return format.ParseStl(text, out, context);
}

} // namespace

struct CField::Impl
{
    int id = 0;
    std::string name;
    ValueType type = vtEmpty;
    std::unique_ptr<CFormat> format;  // owned; may be null
    std::string getterText;
    std::string setterText;
    Accessor getter;  // both parts null together
    Accessor setter;
};

CField::CField(int id, const char* name, ValueType type, CFormat* format)
    : CField(id, name, type, Accessor{}, Accessor{}, format, nullptr, nullptr)
{
}

CField::CField(int id, const char* name, ValueType type, Accessor getter, Accessor setter,
               CFormat* format, const char* getterText, const char* setterText)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->id = id;
    m_impl->name = DeclarationText(name);
    m_impl->type = type;
    m_impl->format.reset(format);
    m_impl->getterText = DeclarationText(getterText);
    m_impl->setterText = DeclarationText(setterText);
    m_impl->getter = getter;
    m_impl->setter = setter;
}

CField::CField(const CField& other) : m_impl(std::make_unique<Impl>())
{
    *this = other;
}

CField& CField::operator=(const CField& other)
{
    if (this == &other)
        return *this;
    m_impl->id = other.m_impl->id;
    m_impl->name = other.m_impl->name;
    m_impl->type = other.m_impl->type;
    m_impl->format.reset(other.m_impl->format ? other.m_impl->format->Clone() : nullptr);
    m_impl->getterText = other.m_impl->getterText;
    m_impl->setterText = other.m_impl->setterText;
    m_impl->getter = other.m_impl->getter;
    m_impl->setter = other.m_impl->setter;
    return *this;
}

CField::~CField() = default;

CField* CField::Clone() const { return new CField(*this); }

int CField::GetId() const { return m_impl->id; }
const std::string& CField::GetName() const { return m_impl->name; }
ValueType CField::GetType() const { return m_impl->type; }
CFormat* CField::GetFormat() const { return m_impl->format.get(); }
const std::string& CField::GetGetterText() const { return m_impl->getterText; }
const std::string& CField::GetSetterText() const { return m_impl->setterText; }
CField::Method CField::GetGetter() const { return m_impl->getter.method; }
CField::Method CField::GetSetter() const { return m_impl->setter.method; }

template <ValueKindType T>
bool CField::CallGetter(CDataObject& object, T& out) const
{
    const Accessor& getter = m_impl->getter;
    if (m_impl->type != ValueKindOf<T>::value || getter.invoker == nullptr)
        return false;
    // The invoker was made for exactly this kind when the field was declared.
    const auto invoke = reinterpret_cast<T (*)(Method, CDataObject&)>(getter.invoker);
    out = invoke(getter.method, object);
    return true;
}

template <ValueKindType T>
bool CField::CallSetter(CDataObject& object, const T& value) const
{
    const Accessor& setter = m_impl->setter;
    if (m_impl->type != ValueKindOf<T>::value || setter.invoker == nullptr)
        return false;
    const auto invoke = reinterpret_cast<void (*)(Method, CDataObject&, const T&)>(setter.invoker);
    invoke(setter.method, object, value);
    return true;
}

#define OMBREL_INSTANTIATE_FIELD_CALLS(T)                                     \
    template bool CField::CallGetter<T>(CDataObject&, T&) const;             \
    template bool CField::CallSetter<T>(CDataObject&, const T&) const;
OMBREL_INSTANTIATE_FIELD_CALLS(CString)
OMBREL_INSTANTIATE_FIELD_CALLS(std::string)
OMBREL_INSTANTIATE_FIELD_CALLS(char)
OMBREL_INSTANTIATE_FIELD_CALLS(unsigned char)
OMBREL_INSTANTIATE_FIELD_CALLS(short)
OMBREL_INSTANTIATE_FIELD_CALLS(unsigned short)
OMBREL_INSTANTIATE_FIELD_CALLS(std::int32_t)
OMBREL_INSTANTIATE_FIELD_CALLS(std::uint32_t)
OMBREL_INSTANTIATE_FIELD_CALLS(std::int64_t)
OMBREL_INSTANTIATE_FIELD_CALLS(bool)
OMBREL_INSTANTIATE_FIELD_CALLS(float)
OMBREL_INSTANTIATE_FIELD_CALLS(double)
OMBREL_INSTANTIATE_FIELD_CALLS(OpaqueValue)
#undef OMBREL_INSTANTIATE_FIELD_CALLS

CValue CField::GetValue(CDataObject& object) const
{
    CValue result;
    VisitKind(m_impl->type, [&]<class T>(std::type_identity<T>) {
        T value{};
        CallGetter(object, value);
        result = CValue(value);
    });
    return result;
}

bool CField::SetValue(CDataObject& object, const CValue& value) const
{
    bool called = false;
    VisitKind(m_impl->type, [&]<class T>(std::type_identity<T>) {
        const T payload = value.GetType() == m_impl->type ? PayloadOf<T>(value) : T{};
        called = CallSetter(object, payload);
    });
    return called;
}

std::string CField::FormatValue(CDataObject& object, const CFormat* format) const
{
    std::string text;
    VisitKind(m_impl->type, [&]<class T>(std::type_identity<T>) {
        T value{};
        CallGetter(object, value);
        if (format != nullptr)
            text = format->FormatStl(value, &object);
        else if constexpr (kIsStringKind<T>)
            text = ConvertText<std::string>(value);
    });
    return text;
}

template <class Text>
bool CField::ParseText(CDataObject& object, const Text& text, const CFormat* format) const
{
    bool called = false;
    VisitKind(m_impl->type, [&]<class T>(std::type_identity<T>) {
        if (m_impl->setter.invoker == nullptr)
            return;
        T value{};
        const bool parsed = format != nullptr && ParseWith(*format, text, value, &object);
        if constexpr (kIsStringKind<T>)
        {
            // A string field takes the text as it is when no format makes sense of it.
            called = CallSetter(object, parsed ? value : ConvertText<T>(text));
        }
        else if (parsed)
        {
            called = CallSetter(object, value);
        }
    });
    return called;
}

bool CField::ParseValue(CDataObject& object, const CString& text, const CFormat* format) const
{
    return ParseText(object, text, format);
}

bool CField::ParseValue(CDataObject& object, const std::string& text, const CFormat* format) const
{
    return ParseText(object, text, format);
}

} // namespace Ombrel::Common
