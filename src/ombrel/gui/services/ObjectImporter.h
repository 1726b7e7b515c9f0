#pragma once

#include <string>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

// Makes the data objects an import needs and keeps them until somebody takes them over.
class IObjectImporter
{
public:
    virtual ~IObjectImporter() = default;
    // An object of the class registered under `className` (CDataObjectRegistry), else a new
    // CDynamicObject that announces its changes. The importer keeps it in its list.
    virtual Common::CDataObject* CreateObject(const std::string& className) = 0;
    // Appends the objects created and not yet released, in creation order.
    virtual void GetCreatedObjects(std::vector<Common::CDataObject*>& out) = 0;
    // Empties the list; with `destroy` the objects are deleted first.
    virtual void ReleaseCreatedObjects(bool destroy) = 0;
};

} // namespace Ombrel::GUI
