#include <gtest/gtest.h>

#include <memory>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

CField* NamedField(int id, const char* name) { return new CField(id, name, vtLong); }

TEST(FieldMapTest, RefusedFieldsStayWithTheCaller)
{
    CFieldMap map;
    ASSERT_TRUE(map.AddField(1, NamedField(1, "first")));
    std::unique_ptr<CField> refused(NamedField(1, "second"));
    EXPECT_FALSE(map.AddField(1, refused.get()));
    EXPECT_FALSE(map.AddField(AllFields, refused.get()));
    EXPECT_FALSE(map.AddField(NoField, refused.get()));
    EXPECT_FALSE(map.AddField(2, nullptr));
    EXPECT_EQ(map.GetField(1)->GetName(), "first");
    EXPECT_EQ(map.GetFieldCount(), 1);
}

TEST(FieldMapTest, LookupFallsBackToAcyclicBaseMapsAndDerivedFieldsHideBaseFields)
{
    CFieldMap base;
    CFieldMap derived;
    base.AddField(1, NamedField(1, "base one"));
    base.AddField(2, NamedField(2, "base two"));
    derived.AddField(2, NamedField(2, "derived two"));
    ASSERT_TRUE(derived.SetBaseMap(&base));
    EXPECT_FALSE(base.SetBaseMap(&derived));
    EXPECT_FALSE(base.SetBaseMap(&base));

    EXPECT_EQ(derived.GetField(1)->GetName(), "base one");
    EXPECT_EQ(derived.GetField(2)->GetName(), "derived two");
    EXPECT_EQ(derived.GetField(3), nullptr);
    std::set<CField*> own;
    derived.CollectFields(own);
    EXPECT_EQ(own, std::set<CField*>{derived.GetField(2)});
}

} // namespace
} // namespace Ombrel::Common
