#include "ombrel/gui/services/detail/CreatedObjects.h"

#include "ombrel/common/DataObjectRegistry.h"
#include "ombrel/common/DynamicObject.h"

namespace Ombrel::GUI {

Common::CDataObject* CCreatedObjects::Create(const std::string& className)
{
    Common::CDataObject* object = Common::CDataObjectRegistry::Create(className);
    if (object == nullptr)
        object = new Common::CDynamicObject(true);
    std::lock_guard guard(m_lock);
    m_objects.push_back(object);
    return object;
}

void CCreatedObjects::Get(std::vector<Common::CDataObject*>& out)
{
    std::lock_guard guard(m_lock);
    out.insert(out.end(), m_objects.begin(), m_objects.end());
}

void CCreatedObjects::Release(bool destroy)
{
    std::vector<Common::CDataObject*> released;
    {
        std::lock_guard guard(m_lock);
        released.swap(m_objects);
    }
    // Deleted outside the lock: a destruction waits for the window thread to drop the rows.
    if (destroy) {
        for (Common::CDataObject* object : released)
            delete object;
    }
}

} // namespace Ombrel::GUI
