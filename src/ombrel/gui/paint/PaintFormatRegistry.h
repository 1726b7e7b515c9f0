#pragma once

#include <memory>
#include <string>

namespace Ombrel::GUI {

class ICellPaintFormat;
class IColumnPaintFormat;
class IHeaderPaintFormat;
class ILinePaintFormat;

// A process-wide registry of one paint-format kind: class name -> factory. Stored paint
// formats are restored by looking their class name up here. The standard class of each kind
// ("GUI::CCellPaintFormat", "GUI::CColumnPaintFormat", "GUI::CHeaderPaintFormat",
// "GUI::CLinePaintFormat") is registered by the registry itself on first use, from the one
// list in PaintFormatRegistry.cpp (a self-registering object inside a static library would be
// dropped by the linker when nothing refers to it). Applications register their own classes
// with Register, e.g. through a CPaintFormatRegistrar at namespace scope.
//
// Threads: every operation may be called from any thread; one lock per kind guards its map.
template <class TFormat>
class CPaintFormatRegistry
{
public:
    // Creates a new heap instance owned by the caller.
    using Factory = TFormat* (*)();

    // Adds `factory` under `className`; false (and no change) for an empty name, a null
    // factory or a name already taken.
    static bool Register(const std::string& className, Factory factory);
    // A new instance of the registered class, or null when the name is unknown.
    static std::unique_ptr<TFormat> Create(const std::string& className);
    static bool IsRegistered(const std::string& className);
};

extern template class CPaintFormatRegistry<ICellPaintFormat>;
extern template class CPaintFormatRegistry<IColumnPaintFormat>;
extern template class CPaintFormatRegistry<IHeaderPaintFormat>;
extern template class CPaintFormatRegistry<ILinePaintFormat>;

using CCellPaintFormatRegistry = CPaintFormatRegistry<ICellPaintFormat>;
using CColumnPaintFormatRegistry = CPaintFormatRegistry<IColumnPaintFormat>;
using CHeaderPaintFormatRegistry = CPaintFormatRegistry<IHeaderPaintFormat>;
using CLinePaintFormatRegistry = CPaintFormatRegistry<ILinePaintFormat>;

// Registers TClass (default-constructible, deriving from TFormat) under its class name when
// constructed:
//     static const CPaintFormatRegistrar<ICellPaintFormat, CMyCellFormat> registerMine;
template <class TFormat, class TClass>
class CPaintFormatRegistrar
{
public:
    CPaintFormatRegistrar()
    {
        m_registered = CPaintFormatRegistry<TFormat>::Register(TClass().GetClassName(), &Create);
    }

    // False when another factory already held the name.
    bool IsRegistered() const { return m_registered; }

private:
    static TFormat* Create() { return new TClass(); }

    bool m_registered = false;
};

} // namespace Ombrel::GUI
