// The demonstration's data class and document: declared fields, notifications, texts, and the
// objects a new document holds.

#include "DemoDocument.h"
#include "TestClass.h"

#include <gtest/gtest.h>

#include <ctime>
#include <mutex>
#include <set>
#include <vector>

namespace Ombrel::Demo {
namespace {

using Common::CDataObject;

// Records the field identifiers it is told about; callable from any thread.
class CFieldRecorder final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int fieldId, CDataObject*) override
    {
        std::lock_guard lock(m_lock);
        m_fields.push_back(fieldId);
    }
    std::vector<int> Fields() const
    {
        std::lock_guard lock(m_lock);
        return m_fields;
    }

private:
    mutable std::mutex m_lock;
    std::vector<int> m_fields;
};

// Date settings are process-wide: each test that reads date text sets what it needs and puts
// the defaults back.
class YearMonthDayDates
{
public:
    YearMonthDayDates()
    {
        auto& settings = Common::CDateSettings::GetInstance();
        settings.SetDateOrder(Common::CDateSettings::kYearMonthDay);
        settings.SetDateSeparator("-");
    }
    ~YearMonthDayDates()
    {
        auto& settings = Common::CDateSettings::GetInstance();
        settings.SetDateOrder(Common::CDateSettings::kDayMonthYear);
        settings.SetDateSeparator("/");
    }
};

TEST(TestClassTest, FieldMapDeclaresSevenFieldsWithTheirKindsAndFormats)
{
    struct Expected
    {
        int id;
        const char* name;
        Common::ValueType type;
        const char* getter;
        const char* setter;
        const char* formatClass; // null: no format of its own
    };
    const Expected expected[] = {
        {1234, "Name", Common::vtMfcString, "&CTestClass::GetName", "", nullptr},
        {5000, "Long", Common::vtLong, "&CTestClass::GetSomeLong", "&CTestClass::SetSomeLong", nullptr},
        {5001, "Int64", Common::vtInt64, "&CTestClass::GetSomeInt64", "&CTestClass::SetSomeInt64", nullptr},
        {5002, "Double", Common::vtDouble, "&CTestClass::GetSomeDouble", "&CTestClass::SetSomeDouble", nullptr},
        {5003, "Date", Common::vtLong, "&CTestClass::GetSomeDate", "&CTestClass::SetSomeDate",
         "Common::CLongDateFormat"},
        {5004, "City", Common::vtLong, "&CTestClass::GetSomeEnum", "&CTestClass::SetSomeEnum",
         "Common::CLongEnumFormat"},
        {5005, "Checked", Common::vtBool, "&CTestClass::IsChecked", "&CTestClass::SetChecked", nullptr},
    };
    Common::CFieldMap* map = CTestClass::GetClassFieldMap();
    std::set<Common::CField*> fields;
    map->CollectFields(fields);
    EXPECT_EQ(fields.size(), std::size(expected));
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.name);
        Common::CField* field = map->GetField(want.id);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->GetName(), want.name);
        EXPECT_EQ(field->GetType(), want.type);
        EXPECT_EQ(field->GetGetterText(), want.getter);
        EXPECT_EQ(field->GetSetterText(), want.setter);
        EXPECT_EQ(field->GetSetter() != nullptr, *want.setter != '\0');
        Common::CFormat* format = field->GetFormat();
        EXPECT_EQ(format != nullptr ? format->GetClassName() : std::string(),
                  want.formatClass != nullptr ? want.formatClass : "");
    }
}

TEST(TestClassTest, ConstructorKeepsValuesAndDrawsADateNowAndACityBeforeLondon)
{
    std::time_t before = std::time(nullptr);
    CTestClass object("first", 121, 1234567890, 1.32);
    std::time_t after = std::time(nullptr);
    EXPECT_EQ(object.GetName(), CString("first"));
    EXPECT_EQ(object.GetSomeLong(), 121);
    EXPECT_EQ(object.GetSomeInt64(), 1234567890);
    EXPECT_DOUBLE_EQ(object.GetSomeDouble(), 1.32);
    EXPECT_GE(object.GetSomeDate(), before);
    EXPECT_LE(object.GetSomeDate(), after);

    std::set<std::int32_t> cities;
    for (int i = 0; i < 200; ++i)
        cities.insert(CTestClass("city", 0, 0, 0.0).GetSomeEnum());
    EXPECT_GE(*cities.begin(), CTestClass::kParis);
    EXPECT_LE(*cities.rbegin(), CTestClass::kFrankfurt) << "London is never drawn";
    EXPECT_GT(cities.size(), 1u) << "the city is drawn at random";
}

TEST(TestClassTest, EachSetterStoresItsValueAndNotifiesItsOwnField)
{
    CTestClass object("object", 1, 2, 3.0);
    CFieldRecorder recorder;
    object.Subscribe(&recorder);

    object.SetSomeLong(500);
    object.SetSomeInt64(-7);
    object.SetSomeDouble(2.5);
    object.SetSomeDate(86400);
    object.SetSomeEnum(CTestClass::kLondon);

    EXPECT_EQ(recorder.Fields(), (std::vector<int>{5000, 5001, 5002, 5003, 5004}));
    EXPECT_EQ(object.GetLong(5000), 500);
    EXPECT_EQ(object.GetInt64(5001), -7);
    EXPECT_DOUBLE_EQ(object.GetDouble(5002), 2.5);
    EXPECT_EQ(object.GetLong(5003), 86400);
    EXPECT_EQ(object.GetLong(5004), CTestClass::kLondon);
    object.Unsubscribe(&recorder);
}

TEST(TestClassTest, NameIsReadOnlyThroughTheFieldMap)
{
    CTestClass object("fixed", 1, 2, 3.0);
    CFieldRecorder recorder;
    object.Subscribe(&recorder);
    EXPECT_FALSE(object.IsWritable(1234));
    EXPECT_FALSE(object.SetString(1234, "changed"));
    EXPECT_FALSE(object.SetFormattedValue(1234, "changed"));
    EXPECT_EQ(object.GetString(1234), CString("fixed"));
    EXPECT_TRUE(recorder.Fields().empty());
    object.Unsubscribe(&recorder);
}

TEST(TestClassTest, TextsShowYearMonthDayDatesAndCityNames)
{
    YearMonthDayDates dates;
    CTestClass object("object", 1, 2, 3.0);
    object.SetSomeDate(1268000000); // 2010-03-07 22:13:20 UTC; the text is the local day
    std::time_t seconds = 1268000000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char expected[16];
    std::strftime(expected, sizeof expected, "%y-%m-%d", &local);
    EXPECT_EQ(object.GetFormattedValue(5003), std::string(expected));

    object.SetSomeEnum(CTestClass::kNewYork);
    EXPECT_EQ(object.GetFormattedValue(5004), "New York");
    object.SetSomeEnum(CTestClass::kLondon);
    EXPECT_EQ(object.GetFormattedValue(5004), "London");
    object.SetSomeEnum(100);
    EXPECT_EQ(object.GetFormattedValue(5004), "") << "a code without a name shows nothing";

    EXPECT_TRUE(object.SetFormattedValue(5004, "Tokio"));
    EXPECT_EQ(object.GetSomeEnum(), CTestClass::kTokio);
    EXPECT_FALSE(object.SetFormattedValue(5004, "Berlin"));
    EXPECT_EQ(object.GetSomeEnum(), CTestClass::kTokio);
}

TEST(DemoDocumentTest, NewDocumentHoldsTenNumberedObjects)
{
    CDemoDocument document;
    EXPECT_EQ(document.GetTitle(), CString("Ombrel"));
    ASSERT_EQ(document.GetObjectCount(), 10);
    for (int i = 1; i <= 10; ++i) {
        CTestClass* object = document.GetObject(i - 1);
        ASSERT_NE(object, nullptr);
        CString name;
        name.Format("object %d", i);
        EXPECT_EQ(object->GetName(), name);
        EXPECT_EQ(object->GetSomeLong(), 120 + i);
        EXPECT_EQ(object->GetSomeInt64(), 1234567889 + i);
        EXPECT_NEAR(object->GetSomeDouble(), 1.31 + 0.01 * i, 1e-12);
    }
    EXPECT_EQ(document.GetObject(-1), nullptr);
    EXPECT_EQ(document.GetObject(10), nullptr);
    EXPECT_EQ(document.FindObject("object 7"), document.GetObject(6));
    EXPECT_EQ(document.FindObject("object 70"), nullptr);
}

TEST(DemoDocumentTest, ObjectCountFollowsTheRequest)
{
    CDemoDocument many(1000);
    ASSERT_EQ(many.GetObjectCount(), 1000);
    EXPECT_EQ(many.GetObject(999)->GetName(), CString("object 1000"));
    EXPECT_EQ(many.GetObject(999)->GetSomeLong(), 1120);
    EXPECT_EQ(CDemoDocument(0).GetObjectCount(), 0);
    EXPECT_EQ(CDemoDocument(-5).GetObjectCount(), 0);
}

} // namespace
} // namespace Ombrel::Demo
