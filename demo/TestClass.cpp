#include "TestClass.h"

#include <cstdlib>
#include <ctime>
#include <iterator>

namespace Ombrel::Demo {
namespace {

// The city field's names; the format keeps the table's order.
const Common::EnumItem kCities[] = {
    {CTestClass::kParis, "Paris"},         {CTestClass::kToronto, "Toronto"},
    {CTestClass::kNewYork, "New York"},    {CTestClass::kTokio, "Tokio"},
    {CTestClass::kFrankfurt, "Frankfurt"}, {CTestClass::kLondon, "London"},
};

// Full date with a two-digit year, no time; the date order and separator come from the
// process-wide date settings.
constexpr std::int32_t kDateFlags = 14;

Common::CFormat* NewCityFormat()
{
    return new Common::CLongEnumFormat(kCities, static_cast<int>(std::size(kCities)));
}

Common::CFormat* NewDateFormat()
{
    return new Common::CLongDateFormat(kDateFlags);
}

} // namespace

OMBREL_BEGIN_FIELD_MAP(CTestClass)
    OMBREL_FIELD(kNameField, "Name", &CTestClass::GetName)
    OMBREL_FIELD(kLongField, "Long", &CTestClass::GetSomeLong, &CTestClass::SetSomeLong)
    OMBREL_FIELD(kInt64Field, "Int64", &CTestClass::GetSomeInt64, &CTestClass::SetSomeInt64)
    OMBREL_FIELD(kDoubleField, "Double", &CTestClass::GetSomeDouble, &CTestClass::SetSomeDouble)
    OMBREL_FIELD(kDateField, "Date", &CTestClass::GetSomeDate, &CTestClass::SetSomeDate, NewDateFormat())
    OMBREL_FIELD(kCityField, "City", &CTestClass::GetSomeEnum, &CTestClass::SetSomeEnum, NewCityFormat())
    OMBREL_FIELD(kCheckedField, "Checked", &CTestClass::IsChecked, &CTestClass::SetChecked)
OMBREL_END_FIELD_MAP()

CTestClass::CTestClass(const CString& name, std::int32_t someLong, std::int64_t someInt64,
                       double someDouble)
    : m_name(name),
      m_someLong(someLong),
      m_someInt64(someInt64),
      m_someDouble(someDouble),
      m_someDate(static_cast<std::int32_t>(std::time(nullptr))),
      m_someEnum(std::rand() % kRandomCityCount)
{
}

CString CTestClass::GetName() const
{
    std::lock_guard lock(m_lock);
    return m_name;
}

std::int32_t CTestClass::GetSomeLong() const
{
    std::lock_guard lock(m_lock);
    return m_someLong;
}

std::int64_t CTestClass::GetSomeInt64() const
{
    std::lock_guard lock(m_lock);
    return m_someInt64;
}

double CTestClass::GetSomeDouble() const
{
    std::lock_guard lock(m_lock);
    return m_someDouble;
}

std::int32_t CTestClass::GetSomeDate() const
{
    std::lock_guard lock(m_lock);
    return m_someDate;
}

std::int32_t CTestClass::GetSomeEnum() const
{
    std::lock_guard lock(m_lock);
    return m_someEnum;
}

bool CTestClass::IsChecked() const
{
    std::lock_guard lock(m_lock);
    return m_checked;
}

template <class Value>
void CTestClass::Store(Value& member, Value value, int fieldId)
{
    {
        std::lock_guard lock(m_lock);
        member = value;
    }
    NotifyUpdate(fieldId);
}

void CTestClass::SetSomeLong(std::int32_t value)
{
    Store(m_someLong, value, kLongField);
}

void CTestClass::SetSomeInt64(std::int64_t value)
{
    Store(m_someInt64, value, kInt64Field);
}

void CTestClass::SetSomeDouble(double value)
{
    Store(m_someDouble, value, kDoubleField);
}

void CTestClass::SetSomeDate(std::int32_t value)
{
    Store(m_someDate, value, kDateField);
}

void CTestClass::SetSomeEnum(std::int32_t value)
{
    Store(m_someEnum, value, kCityField);
}

void CTestClass::SetChecked(bool value)
{
    Store(m_checked, value, kCheckedField);
}

} // namespace Ombrel::Demo
