#pragma once

namespace Ombrel::GUI {

// The common base of objects a grid holds by pointer and may own (header, custom draw,
// editing policy, key manager, copy-paste and drag-and-drop services, tooltip control).
// The grid deletes such an object when it drops or replaces it only if IsAutoDelete() is
// true; each implementation answers from a flag given to its constructor, and the
// process-wide default objects answer false.
class IAutoDelete
{
public:
    virtual ~IAutoDelete() = default;
    virtual bool IsAutoDelete() const = 0;
};

} // namespace Ombrel::GUI
