#include "ombrel/gui/paint/PaintFormatRegistry.h"

#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/HeaderPaintFormat.h"
#include "ombrel/gui/paint/LinePaintFormat.h"

#include <map>
#include <mutex>

namespace Ombrel::GUI {

namespace {

template <class TFormat>
struct RegistryStorage
{
    std::mutex lock; // guards factories
    std::map<std::string, typename CPaintFormatRegistry<TFormat>::Factory> factories;
};

template <class TFormat, class TClass>
TFormat* CreateStandard()
{
    return new TClass();
}

// The standard class of each kind, registered when its registry is first used.
template <class TFormat>
void RegisterStandardClass(RegistryStorage<TFormat>& storage);

template <>
void RegisterStandardClass(RegistryStorage<ICellPaintFormat>& storage)
{
    storage.factories.emplace(CCellPaintFormat().GetClassName(),
                              &CreateStandard<ICellPaintFormat, CCellPaintFormat>);
}

template <>
void RegisterStandardClass(RegistryStorage<IColumnPaintFormat>& storage)
{
    storage.factories.emplace(CColumnPaintFormat().GetClassName(),
                              &CreateStandard<IColumnPaintFormat, CColumnPaintFormat>);
}

template <>
void RegisterStandardClass(RegistryStorage<IHeaderPaintFormat>& storage)
{
    storage.factories.emplace(CHeaderPaintFormat().GetClassName(),
                              &CreateStandard<IHeaderPaintFormat, CHeaderPaintFormat>);
}

template <>
void RegisterStandardClass(RegistryStorage<ILinePaintFormat>& storage)
{
    storage.factories.emplace(CLinePaintFormat().GetClassName(),
                              &CreateStandard<ILinePaintFormat, CLinePaintFormat>);
}

// Built on first use, from any thread (function-local statics are initialised once), and
// alive until process exit.
template <class TFormat>
RegistryStorage<TFormat>& Storage()
{
    static RegistryStorage<TFormat>* storage = [] {
        auto* created = new RegistryStorage<TFormat>();
        RegisterStandardClass(*created);
        return created;
    }();
    return *storage;
}

} // namespace

template <class TFormat>
bool CPaintFormatRegistry<TFormat>::Register(const std::string& className, Factory factory)
{
    if (className.empty() || factory == nullptr) {
        return false;
    }
    RegistryStorage<TFormat>& storage = Storage<TFormat>();
    std::lock_guard<std::mutex> guard(storage.lock);
    return storage.factories.emplace(className, factory).second;
}

template <class TFormat>
std::unique_ptr<TFormat> CPaintFormatRegistry<TFormat>::Create(const std::string& className)
{
    Factory factory = nullptr;
    {
        RegistryStorage<TFormat>& storage = Storage<TFormat>();
        std::lock_guard<std::mutex> guard(storage.lock);
        const auto found = storage.factories.find(className);
        if (found == storage.factories.end()) {
            return nullptr;
        }
        factory = found->second;
    }
    // The factory runs outside the lock: it may itself use the registry.
    return std::unique_ptr<TFormat>(factory());
}

template <class TFormat>
bool CPaintFormatRegistry<TFormat>::IsRegistered(const std::string& className)
{
    RegistryStorage<TFormat>& storage = Storage<TFormat>();
    std::lock_guard<std::mutex> guard(storage.lock);
    return storage.factories.count(className) != 0;
}

template class CPaintFormatRegistry<ICellPaintFormat>;
template class CPaintFormatRegistry<IColumnPaintFormat>;
template class CPaintFormatRegistry<IHeaderPaintFormat>;
template class CPaintFormatRegistry<ILinePaintFormat>;

} // namespace Ombrel::GUI
