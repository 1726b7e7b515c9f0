#include <gtest/gtest.h>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

// Redeclares the count field read-only and adds one of its own.
class CDerivedSample : public CSampleObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    std::int32_t GetDoubledCount() const { return GetCount() * 2; }
    std::int64_t GetExtra() const { return 99; }
};

OMBREL_BEGIN_DERIVED_FIELD_MAP(CDerivedSample, CSampleObject)
    OMBREL_FIELD(kCount, "Doubled", &CDerivedSample::GetDoubledCount)
    OMBREL_FIELD(100, "Extra", &CDerivedSample::GetExtra)
OMBREL_END_FIELD_MAP()

TEST(FieldDeclarationTest, DeclarationKeepsAccessorTextsAndFormat)
{
    const CFieldMap* map = CSampleObject::GetClassFieldMap();
    const CField* count = map->GetField(kCount);
    EXPECT_EQ(count->GetName(), "Count");
    EXPECT_EQ(count->GetGetterText(), "&CSampleObject::GetCount");
    EXPECT_EQ(count->GetSetterText(), "&CSampleObject::SetCount");
    EXPECT_EQ(count->GetFormat(), nullptr);
    EXPECT_EQ(map->GetField(kReadOnly)->GetSetterText(), "");
    EXPECT_EQ(map->GetField(kReadOnly)->GetSetter(), nullptr);
    EXPECT_EQ(map->GetField(kFormatted)->GetFormat()->GetClassName(), "Common::CLongFormat");

    CSampleObject object;
    EXPECT_EQ(object.GetFieldMap(), map);
    EXPECT_EQ(std::as_const(object).GetFieldMap(), map);
}

TEST(FieldDeclarationTest, DerivedMapHidesRedeclaredFieldsAndReachesTheOthers)
{
    CDerivedSample object;
    object.SetCount(21);
    object.SetPrice(1.5);
    EXPECT_EQ(object.GetLong(kCount), 42);
    EXPECT_FALSE(object.IsWritable(kCount));
    EXPECT_EQ(object.GetDouble(kPrice), 1.5);
    EXPECT_EQ(object.GetInt64(100), 99);

    CDataObject::FieldIdSet ids;
    object.GetFieldIds(ids);
    EXPECT_EQ(ids.size(), 16u);
    // The hidden base field cannot be reached by identifier, so it is not listed.
    CDataObject::FieldRefSet refs;
    object.GetFieldRefs(refs);
    EXPECT_EQ(refs.size(), 16u);
    for (const auto& [field, owner] : refs)
        EXPECT_EQ(object.GetField(field->GetId()), CDataObject::FieldRef(field, &object));
}

} // namespace
} // namespace Ombrel::Common
