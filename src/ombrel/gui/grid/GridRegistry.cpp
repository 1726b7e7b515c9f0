#include "ombrel/gui/grid/detail/GridRegistry.h"

#include "ombrel/base/CriticalSection.h"

#include <map>

namespace Ombrel::GUI {

namespace {

struct Registry
{
    CCriticalSection lock;
    std::map<const CGrid*, CGridImpl*> grids; // guarded by lock
};

// Never destroyed: grids may be destroyed by static objects after this file's statics.
Registry& GetRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

void CGridRegistry::Add(const CGrid* grid, CGridImpl* impl)
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    registry.grids[grid] = impl;
}

void CGridRegistry::Remove(const CGrid* grid)
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    registry.grids.erase(grid);
}

CGridImpl* CGridRegistry::Find(const CGrid* grid)
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    auto found = registry.grids.find(grid);
    return found != registry.grids.end() ? found->second : nullptr;
}

int CGridRegistry::GetCount()
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    return static_cast<int>(registry.grids.size());
}

} // namespace Ombrel::GUI
