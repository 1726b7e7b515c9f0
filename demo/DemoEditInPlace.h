#pragma once

#include "ombrel/gui/edit/EditInPlace.h"

#include <memory>

namespace Ombrel::Common {
class CLongEnumFormat;
}

namespace Ombrel::Demo {

// The demonstration's editing policy: the standard one, except that the city editor lists the
// cities under other names ("Modified Paris", ...) plus an entry 100 "100 as string". A city
// chosen as "Modified London" stores code 5 and shows as "London"; "100 as string" stores 100,
// a code the display format has no name for.
class CDemoEditInPlace final : public GUI::CEditInPlace
{
public:
    static constexpr std::int32_t kExtraCityCode = 100;

    CDemoEditInPlace();
    ~CDemoEditInPlace() override;

    bool StartEdit(const GUI::CEditContext& context, int trigger, Common::CFormat* format) override;

    // The format the city editor lists.
    const Common::CLongEnumFormat& GetCityEditFormat() const { return *m_cityEditFormat; }

private:
    std::unique_ptr<Common::CLongEnumFormat> m_cityEditFormat;
};

} // namespace Ombrel::Demo
