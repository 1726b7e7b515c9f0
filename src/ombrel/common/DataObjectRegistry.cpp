#include "ombrel/common/DataObjectRegistry.h"

#include <map>
#include <mutex>

namespace Ombrel::Common {

namespace {

struct Table
{
    std::mutex lock;
    std::map<std::string, CDataObjectRegistry::Factory> factories; // guarded by lock
};

Table& TheTable()
{
    static Table table;
    return table;
}

} // namespace

bool CDataObjectRegistry::Register(const std::string& className, Factory factory)
{
    if (className.empty() || factory == nullptr)
        return false;
    Table& table = TheTable();
    std::lock_guard guard(table.lock);
    return table.factories.emplace(className, factory).second;
}

CDataObject* CDataObjectRegistry::Create(const std::string& className)
{
    Factory factory = nullptr;
    {
        Table& table = TheTable();
        std::lock_guard guard(table.lock);
        auto found = table.factories.find(className);
        if (found == table.factories.end())
            return nullptr;
        factory = found->second;
    }
    // The factory runs outside the lock: a constructor may register or create other classes.
    return factory();
}

bool CDataObjectRegistry::IsRegistered(const std::string& className)
{
    Table& table = TheTable();
    std::lock_guard guard(table.lock);
    return table.factories.contains(className);
}

} // namespace Ombrel::Common
