#include <gtest/gtest.h>

#include <memory>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using Testing::CSampleObject;

CField* CountField(int id, const char* name)
{
    return new CField(id, name, &CSampleObject::GetCount, &CSampleObject::SetCount, nullptr, nullptr, nullptr);
}

TEST(FieldMapTest, RefusedFieldsStayWithTheCaller)
{
    CFieldMap map;
    ASSERT_TRUE(map.AddField(1, CountField(1, "first")));

    std::unique_ptr<CField> duplicate(CountField(1, "second"));
    EXPECT_FALSE(map.AddField(1, duplicate.get()));
    EXPECT_EQ(map.GetField(1)->GetName(), "first");

    std::unique_ptr<CField> reserved(CountField(AllFields, "all"));
    EXPECT_FALSE(map.AddField(AllFields, reserved.get()));
    EXPECT_FALSE(map.AddField(NoField, reserved.get()));
    EXPECT_FALSE(map.AddField(2, nullptr));
    EXPECT_EQ(map.GetFieldCount(), 1);
    EXPECT_EQ(map.GetField(2), nullptr);
}

TEST(FieldMapTest, LookupFallsBackToTheBaseMapAndDerivedFieldsHideBaseFields)
{
    CFieldMap base;
    CFieldMap derived;
    base.AddField(1, CountField(1, "base one"));
    base.AddField(2, CountField(2, "base two"));
    derived.AddField(2, CountField(2, "derived two"));
    ASSERT_TRUE(derived.SetBaseMap(&base));

    EXPECT_EQ(derived.GetBaseMap(), &base);
    EXPECT_EQ(derived.GetField(1)->GetName(), "base one");
    EXPECT_EQ(derived.GetField(2)->GetName(), "derived two");
    EXPECT_EQ(derived.GetField(3), nullptr);

    std::set<CField*> own;
    derived.CollectFields(own);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ((*own.begin())->GetName(), "derived two");
}

TEST(FieldMapTest, BaseLinksNeverFormACycle)
{
    CFieldMap first;
    CFieldMap second;
    ASSERT_TRUE(second.SetBaseMap(&first));
    EXPECT_FALSE(first.SetBaseMap(&second));
    EXPECT_FALSE(first.SetBaseMap(&first));
    EXPECT_EQ(first.GetBaseMap(), nullptr);
    EXPECT_EQ(second.GetField(42), nullptr);  // terminates
}

} // namespace
} // namespace Ombrel::Common
