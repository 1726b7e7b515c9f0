#pragma once

#include <string>

namespace Ombrel::Common {

class CDataObject;

// Process-wide table of data classes by persistent class name (CDataObject::GetClassName),
// so that code reading objects from data (a clipboard import) can make an object of the class
// the data names. A class registers itself once, usually from a static registrar in its .cpp.
// Safe on any thread (one lock).
class CDataObjectRegistry
{
public:
    // Makes a new object of the class; the caller owns it.
    using Factory = CDataObject* (*)();

    // Adds `factory` under `className`; false (the first entry stays) for an empty name, a
    // null factory or a name already registered.
    static bool Register(const std::string& className, Factory factory);
    // A new object of the registered class, or null when the name is not registered.
    static CDataObject* Create(const std::string& className);
    static bool IsRegistered(const std::string& className);
};

} // namespace Ombrel::Common
