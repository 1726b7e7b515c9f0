#pragma once

#include <cstdint>

namespace Ombrel {

class CObject;

// Describes a class derived from CObject at run time: its name, its schema number, how to
// create an instance and which class it derives from. Instances are static objects created
// by the DECLARE_/IMPLEMENT_ macros of Object.h and live until process exit.
//
// Serialisable classes are entered in a process-wide registry by name during static
// initialisation; an archive reader finds them there by the name it reads. The registry is
// guarded by its own lock, so lookups from any thread are safe.
struct CRuntimeClass
{
    const char* m_lpszClassName = nullptr;
    std::uint32_t m_wSchema = 0xFFFF;          // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)() = nullptr; // null: not creatable by name
    const CRuntimeClass* m_pBaseClass = nullptr;

    // A new instance from the default constructor, or null when the class is not creatable.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    bool IsSerializable() const { return m_pfnCreateObject != nullptr && m_wSchema != 0xFFFF; }

    // Enters a class in the registry. A second class under a name already registered is
    // refused (false); the first one stays.
    static bool Register(const CRuntimeClass* runtimeClass);
    // The registered class of that exact name, or null.
    static const CRuntimeClass* FromName(const char* className);
    // Creates an object of the registered class of that name, or null when there is none or
    // it is not creatable.
    static CObject* CreateObject(const char* className);
};

} // namespace Ombrel
