#include "ombrel/gui/edit/ReflectorList.h"

#include "ombrel/gui/edit/CheckBoxReflector.h"
#include "ombrel/gui/edit/DateReflectors.h"
#include "ombrel/gui/edit/DefaultReflector.h"
#include "ombrel/gui/edit/LongEnumReflector.h"
#include "ombrel/gui/edit/NumericReflectors.h"

#include <memory>

namespace Ombrel::GUI {

namespace {

struct ReflectorStore
{
    ReflectorStore()
    {
        Add<CCheckBoxReflector>();
        Add<CLongEnumReflector>();
        Add<CInt64DateReflector>();
        Add<CLongMsecTimeReflector>();
        Add<CLongDateTimeReflector>();
        Add<CCharReflector>();
        Add<CUCharReflector>();
        Add<CShortReflector>();
        Add<CUShortReflector>();
        Add<CLongReflector>();
        Add<CULongReflector>();
        Add<CInt64Reflector>();
        Add<CFloatReflector>();
        Add<CDoubleReflector>();
        Add<CDefaultReflector>();
    }

    template <class Reflector>
    void Add()
    {
        owned.push_back(std::make_unique<Reflector>());
        order.push_back(owned.back().get());
    }

    std::vector<std::unique_ptr<IControlReflector>> owned;
    std::vector<IControlReflector*> order;
};

ReflectorStore& Store()
{
    static ReflectorStore store;
    return store;
}

} // namespace

const std::vector<IControlReflector*>& CReflectorList::GetAll()
{
    return Store().order;
}

IControlReflector* CReflectorList::Find(const Common::CFormat* format)
{
    if (format == nullptr)
        return nullptr;
    for (IControlReflector* reflector : GetAll()) {
        if (reflector->Supports(format))
            return reflector;
    }
    return nullptr;
}

} // namespace Ombrel::GUI
