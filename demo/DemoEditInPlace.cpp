#include "DemoEditInPlace.h"

#include "TestClass.h"

#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/gui/header/Column.h"

#include <iterator>

namespace Ombrel::Demo {
namespace {

const Common::EnumItem kModifiedCities[] = {
    {CTestClass::kParis, "Modified Paris"},         {CTestClass::kToronto, "Modified Toronto"},
    {CTestClass::kNewYork, "Modified New York"},    {CTestClass::kTokio, "Modified Tokio"},
    {CTestClass::kFrankfurt, "Modified Frankfurt"}, {CTestClass::kLondon, "Modified London"},
};

} // namespace

CDemoEditInPlace::CDemoEditInPlace()
    : GUI::CEditInPlace(true),
      m_cityEditFormat(std::make_unique<Common::CLongEnumFormat>(kModifiedCities,
                                                                  static_cast<int>(std::size(kModifiedCities))))
{
    m_cityEditFormat->AddItem(kExtraCityCode, "100 as string");
}

CDemoEditInPlace::~CDemoEditInPlace() = default;

bool CDemoEditInPlace::StartEdit(const GUI::CEditContext& context, int trigger, Common::CFormat* format)
{
    if (context.column != nullptr && context.column->GetFieldId() == CTestClass::kCityField)
        format = m_cityEditFormat.get();
    return GUI::CEditInPlace::StartEdit(context, trigger, format);
}

} // namespace Ombrel::Demo
