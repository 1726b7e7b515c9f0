#pragma once

#include <cstdint>
#include <string>

#include "ombrel/base/String.h"
#include "ombrel/common/Value.h"

namespace Ombrel::Common {

class CFormat;
class CSerializer;

// Creates a new heap format owned by the caller.
using FormatFactory = CFormat* (*)();

// Turns values of one kind into display text and display text back into values.
//
// Every conversion exists for both string types and for all thirteen kinds; the base answers
// each with an inert result (empty text, parse failure), and a concrete format overrides the
// four slots of its own kind. The `context` of every conversion is an untyped pointer from the
// caller (the grid passes the data object being shown; it may be null); no built-in format
// reads it. Conversions never change the format, so a format may be used from any thread.
//
// Writing a concrete format:
//  - derive, pass the kind to the constructor, override the four slots of that kind (usually
//    the two std::string slots do the work and the CString slots delegate to them);
//  - add `using CFormat::Format; using CFormat::Parse; using CFormat::FormatStl;
//    using CFormat::ParseStl;` so that overriding a few overloads does not hide the rest;
//  - override Clone, GetClassName ("Common::CMyFormat"), IsSerializable and Serialize, whose
//    record is a 32-bit version (1) followed by the options; a newer stored version throws
//    CSerializer::BadVersionException("CMyFormat doesn't support current version and can't
//    be deserialized.") and keeps the current options; 0 or less restores nothing.
//    SerializeVersion does the version part; restore options into locals and assign them
//    only after the last read, so that a short stream leaves the format unchanged.
//
// Registration: CreateFormat finds a format by its class name in a process-wide registry. The
// formats of this library are registered by the registry itself on first use, from the single
// list in RegisterBuiltInFormats() in Format.cpp (a self-registering object file inside a
// static library would be dropped by the linker when nothing else refers to it); a new
// built-in format is added to that list. Code outside the library registers its own formats
// with RegisterFormat, e.g. through a CFormatRegistrar<T> at namespace scope in its .cpp.
class CFormat
{
public:
    using FormatFactory = Common::FormatFactory;

    virtual ~CFormat();

    // Text of a tagged value: the typed overload for the value's kind when that kind is the
    // format's own (the two string kinds count as one); empty text otherwise.
    virtual CString Format(const CValue& value, void* context = nullptr) const;
    virtual CString Format(OpaqueValue value, void* context = nullptr) const;
    virtual CString Format(double value, void* context = nullptr) const;
    virtual CString Format(float value, void* context = nullptr) const;
    virtual CString Format(bool value, void* context = nullptr) const;
    virtual CString Format(std::int64_t value, void* context = nullptr) const;
    virtual CString Format(std::uint32_t value, void* context = nullptr) const;
    virtual CString Format(std::int32_t value, void* context = nullptr) const;
    virtual CString Format(unsigned short value, void* context = nullptr) const;
    virtual CString Format(short value, void* context = nullptr) const;
    virtual CString Format(unsigned char value, void* context = nullptr) const;
    virtual CString Format(char value, void* context = nullptr) const;
    virtual CString Format(const std::string& value, void* context = nullptr) const;
    virtual CString Format(const CString& value, void* context = nullptr) const;

    // Text into a tagged value, through the typed overload of the format's own kind. On
    // success an empty value takes that kind, a value of that kind takes the new payload, and
    // a value of any other kind is left unchanged (still a success). On failure `out` is
    // unchanged.
    virtual bool Parse(const CString& text, CValue& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, double& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, OpaqueValue& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, float& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, bool& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, std::int64_t& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, std::uint32_t& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, std::int32_t& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, unsigned short& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, short& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, unsigned char& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, char& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, std::string& out, void* context = nullptr) const;
    virtual bool Parse(const CString& text, CString& out, void* context = nullptr) const;

    virtual std::string FormatStl(const CValue& value, void* context = nullptr) const;
    virtual std::string FormatStl(OpaqueValue value, void* context = nullptr) const;
    virtual std::string FormatStl(double value, void* context = nullptr) const;
    virtual std::string FormatStl(float value, void* context = nullptr) const;
    virtual std::string FormatStl(bool value, void* context = nullptr) const;
    virtual std::string FormatStl(std::int64_t value, void* context = nullptr) const;
    virtual std::string FormatStl(std::uint32_t value, void* context = nullptr) const;
    virtual std::string FormatStl(std::int32_t value, void* context = nullptr) const;
    virtual std::string FormatStl(unsigned short value, void* context = nullptr) const;
    virtual std::string FormatStl(short value, void* context = nullptr) const;
    virtual std::string FormatStl(unsigned char value, void* context = nullptr) const;
    virtual std::string FormatStl(char value, void* context = nullptr) const;
    virtual std::string FormatStl(const std::string& value, void* context = nullptr) const;
    virtual std::string FormatStl(const CString& value, void* context = nullptr) const;

    virtual bool ParseStl(const std::string& text, CValue& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, double& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, OpaqueValue& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, float& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, bool& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, std::int64_t& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, std::uint32_t& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, std::int32_t& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, unsigned short& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, short& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, unsigned char& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, char& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, std::string& out, void* context = nullptr) const;
    virtual bool ParseStl(const std::string& text, CString& out, void* context = nullptr) const;

    // The date and time editors accept only formats answering IsDateTime; the enumeration
    // editor only formats answering IsEnumeration.
    virtual bool IsDateTime() const;
    virtual bool IsEnumeration() const;

    // A new heap copy with the same kind and options; the caller owns it.
    virtual CFormat* Clone() const = 0;
    // The persistent name ("Common::CLongFormat"); empty for the base.
    virtual std::string GetClassName() const;
    virtual bool IsSerializable() const;
    // The base stores or restores only the 32-bit version (1) and never throws.
    virtual void Serialize(CSerializer& serializer);

    ValueType GetValueType() const { return m_valueType; }

    // A bare string literal would otherwise be formatted as a bool; name the string kind.
    CString Format(const char*, void* = nullptr) const = delete;
    std::string FormatStl(const char*, void* = nullptr) const = delete;

    // The shared format of a kind, built on first use and owned by the library until process
    // exit; callers never delete or restore into it. Unknown codes give a CEmptyFormat of
    // kind vtEmpty.
    static CFormat* GetDefaultFormat(std::int32_t type);

    // Adds `factory` under `className`; false (and no change) when the name is taken.
    // Safe from any thread.
    static bool RegisterFormat(const std::string& className, FormatFactory factory);
    // A new format of the registered class (owned by the caller), or null when the name is
    // unknown or its factory is null. Safe from any thread.
    static CFormat* CreateFormat(const std::string& className);

protected:
    explicit CFormat(ValueType valueType) : m_valueType(valueType) {}
    CFormat(const CFormat&) = default;
    CFormat& operator=(const CFormat&) = default;

    // The leading record version of Serialize. Storing writes `currentVersion` and returns
    // it. Restoring reads the stored version and returns it: above `currentVersion` it throws
    // BadVersionException("<bare class name> doesn't support current version and can't be
    // deserialized.") with the name taken from GetClassName(); 0 or less means that no
    // options follow and the current ones stay.
    std::int32_t SerializeVersion(CSerializer& serializer, std::int32_t currentVersion = 1) const;

private:
    ValueType m_valueType;  // the one kind this format serves; fixed at construction
};

// Registers TFormat under its class name when constructed; for formats outside this library,
// as a namespace-scope object in the .cpp that defines the format:
//     static const Ombrel::Common::CFormatRegistrar<CMyFormat> registerMyFormat;
// TFormat must be default-constructible with the options its factory should give.
template <class TFormat>
class CFormatRegistrar
{
public:
    CFormatRegistrar()
    {
        m_registered = CFormat::RegisterFormat(TFormat().GetClassName(), &Create);
    }

    // False when another factory already held the name.
    bool IsRegistered() const { return m_registered; }

private:
    static CFormat* Create() { return new TFormat(); }

    bool m_registered = false;
};

} // namespace Ombrel::Common
