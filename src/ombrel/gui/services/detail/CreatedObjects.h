#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

// The objects an import made for a service (paste or drop) and not yet released: made by class
// name (a dynamic object when the class is unknown), listed and released from any thread, so
// the list has a lock.
class CCreatedObjects
{
public:
    Common::CDataObject* Create(const std::string& className);
    void Get(std::vector<Common::CDataObject*>& out);
    // Forgets the objects, and deletes them when `destroy` is set.
    void Release(bool destroy);

private:
    std::mutex m_lock;
    std::vector<Common::CDataObject*> m_objects; // guarded by m_lock
};

} // namespace Ombrel::GUI
