#pragma once

#include "ombrel/base/RuntimeClass.h"

namespace Ombrel {

class CArchive;

// The root of the framework's run-time typed classes. A derived class names its run-time
// class with the macros below; a serialisable one (DECLARE_SERIAL / IMPLEMENT_SERIAL) is
// registered by name and can be stored by CArchive::WriteObject and recreated by
// CArchive::ReadObject.
//
// A class registered from a static library is only present when its object file is linked,
// that is when the program uses the class somewhere.
class CObject
{
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    // Stores this object's data into, or restores it from, the archive. The base stores
    // nothing.
    virtual void Serialize(CArchive& archive);

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    bool IsSerializable() const;

    static const CRuntimeClass classCObject;
    static constexpr const CRuntimeClass* GetThisClass() { return &classCObject; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

} // namespace Ombrel

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// In the class body: a run-time class without a factory.
#define DECLARE_DYNAMIC(class_name)                                                       \
public:                                                                                   \
    static const ::Ombrel::CRuntimeClass class##class_name;                               \
    static constexpr const ::Ombrel::CRuntimeClass* GetThisClass()                        \
    {                                                                                     \
        return &class##class_name;                                                        \
    }                                                                                     \
    const ::Ombrel::CRuntimeClass* GetRuntimeClass() const override;

// In the class body: a registered run-time class created by name with the default
// constructor.
#define DECLARE_SERIAL(class_name)                                                        \
    DECLARE_DYNAMIC(class_name)                                                           \
    static ::Ombrel::CObject* CreateObject();

// In one .cpp file, in the class's namespace; the base class may be named with its namespace.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                    \
    const ::Ombrel::CRuntimeClass class_name::class##class_name = {                      \
        #class_name, 0xFFFF, nullptr, base_class_name::GetThisClass()};                    \
    const ::Ombrel::CRuntimeClass* class_name::GetRuntimeClass() const                   \
    {                                                                                     \
        return RUNTIME_CLASS(class_name);                                                 \
    }

// In one .cpp file, in the class's namespace. The name registered is the class name as
// written here, without namespaces.
#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                             \
    ::Ombrel::CObject* class_name::CreateObject() { return new class_name; }             \
    const ::Ombrel::CRuntimeClass class_name::class##class_name = {                      \
        #class_name, schema, class_name::CreateObject, base_class_name::GetThisClass()};   \
    const ::Ombrel::CRuntimeClass* class_name::GetRuntimeClass() const                   \
    {                                                                                     \
        return RUNTIME_CLASS(class_name);                                                 \
    }                                                                                     \
    [[maybe_unused]] static const bool kRegistered##class_name =                          \
        ::Ombrel::CRuntimeClass::Register(RUNTIME_CLASS(class_name));
