#include "ombrel/base/RuntimeClass.h"

#include "ombrel/base/Object.h"

#include <map>
#include <mutex>
#include <string>

namespace Ombrel {
namespace {

struct Registry
{
    std::mutex lock; // guards byName
    std::map<std::string, const CRuntimeClass*, std::less<>> byName;
};

// Created on first use, so that registration from any translation unit's static
// initialisation finds it ready; never destroyed, so that lookups during static destruction
// stay valid.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base) {
            return true;
        }
    }
    return false;
}

bool CRuntimeClass::Register(const CRuntimeClass* runtimeClass)
{
    if (!runtimeClass || !runtimeClass->m_lpszClassName) {
        return false;
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.byName.emplace(runtimeClass->m_lpszClassName, runtimeClass).second;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className)
{
    if (!className) {
        return nullptr;
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.byName.find(std::string_view(className));
    return found == registry.byName.end() ? nullptr : found->second;
}

CObject* CRuntimeClass::CreateObject(const char* className)
{
    const CRuntimeClass* runtimeClass = FromName(className);
    return runtimeClass ? runtimeClass->CreateObject() : nullptr;
}

} // namespace Ombrel
