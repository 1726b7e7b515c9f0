#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "SampleDataObject.h"
#include "ombrel/common/DynamicSchema.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

std::shared_ptr<const CDynamicSchema> AmountAndNameSchema()
{
    std::vector<std::unique_ptr<CField>> fields;
    fields.emplace_back(new CField(1, "Amount", vtLong, new CLongFormat(fmHex)));
    fields.emplace_back(new CField(4, "Name", vtStlString));
    fields.emplace_back(new CField(1, "Repeated", vtDouble));
    fields.emplace_back(new CField(AllFields, "Reserved", vtLong));
    fields.emplace_back(nullptr);
    return CDynamicSchema::Create(std::move(fields));
}

TEST(DynamicSchemaTest, NumbersItsFieldsAndDropsWhatAnObjectWouldRefuse)
{
    const auto schema = AmountAndNameSchema();
    ASSERT_EQ(schema->GetSlotCount(), 2);
    EXPECT_EQ(schema->GetIdAt(schema->GetSlot(1)), 1);
    EXPECT_EQ(schema->GetIdAt(schema->GetSlot(4)), 4);
    EXPECT_EQ(schema->GetSlot(2), -1);
    EXPECT_EQ(schema->GetFieldMap()->GetField(1)->GetName(), "Amount");
}

TEST(DynamicSchemaTest, ObjectsShareTheFieldsButNotTheValues)
{
    const auto schema = AmountAndNameSchema();
    CDynamicObject first(schema, false);
    CDynamicObject second(schema, false);
    EXPECT_EQ(first.GetFieldMap(), second.GetFieldMap());
    EXPECT_FALSE(first.IsReadable(1));

    EXPECT_TRUE(first.SetFormattedValue(1, std::string("1f")));  // the schema's hex format
    EXPECT_TRUE(second.SetStdString(4, "beta"));
    EXPECT_TRUE(first.SetDouble(9, 0.5));  // undeclared values still work
    EXPECT_EQ(first.GetLong(1), 31);
    EXPECT_FALSE(second.IsReadable(1));
    EXPECT_EQ(second.GetStdString(4), "beta");
    EXPECT_FALSE(first.IsReadable(4));
    EXPECT_EQ(std::string(first.GetFormattedValue(1)), "0x1F");
    EXPECT_EQ(first.GetFieldName(9), "");

    // A stored empty value is a stored value, in a slot as in the identifier map.
    EXPECT_TRUE(second.SetValue(1, CValue()));
    EXPECT_TRUE(second.IsReadable(1));

    CDataObject::FieldIdSet ids;
    first.GetFieldIds(ids);
    EXPECT_EQ(ids, (CDataObject::FieldIdSet{1, 4, 9}));
}

TEST(DynamicSchemaTest, AddingAFieldCopiesNothingAndLeavesTheOtherObjectsAlone)
{
    const auto schema = AmountAndNameSchema();
    CDynamicObject widened(schema, false);
    CDynamicObject plain(schema, false);
    std::unique_ptr<CField> refused(new CField(4, "Again", vtLong));
    EXPECT_FALSE(widened.AddField(refused.get()));  // the schema declares 4 already
    ASSERT_TRUE(widened.AddField(new CField(7, "Extra", vtLong)));

    EXPECT_NE(widened.GetFieldMap(), plain.GetFieldMap());
    EXPECT_EQ(widened.GetFieldName(7), "Extra");
    EXPECT_EQ(widened.GetFieldName(1), "Amount");
    EXPECT_EQ(plain.GetFieldName(7), "");
    EXPECT_EQ(schema->GetFieldMap()->GetField(7), nullptr);

    CDataObject::FieldRefSet refs;
    widened.GetFieldRefs(refs);
    EXPECT_EQ(refs.size(), 3u);
}

TEST(DynamicSchemaTest, SerializationRestoresIntoAnObjectOfTheSameSchema)
{
    const auto schema = AmountAndNameSchema();
    CDynamicObject source(schema, false);
    source.SetLong(1, -4);
    source.SetStdString(4, "name");
    source.SetString(3, "undeclared");

    CDynamicObject target(schema, false);
    CSerializer restore = RestoringFrom(StoredBytes(source));
    target.Serialize(restore);
    for (int id : {1, 3, 4})
        EXPECT_EQ(target.GetValue(id), source.GetValue(id)) << "identifier " << id;
}

// The schema outlives the thread that made it and the objects that used it, whichever goes
// last; objects on several threads read it without a lock.
TEST(DynamicSchemaThreadTest, ObjectsOfOneSchemaLiveAndDieOnSeveralThreads)
{
    auto schema = AmountAndNameSchema();
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 4; ++worker)
        workers.emplace_back([schema, worker] {
            std::vector<std::unique_ptr<CDynamicObject>> objects;
            for (int index = 0; index < 500; ++index) {
                objects.push_back(std::make_unique<CDynamicObject>(schema, true));
                objects.back()->SetLong(1, index);
                objects.back()->SetFormattedValue(4, std::to_string(worker));
                if (index % 50 == 0)
                    objects.back()->AddField(new CField(10 + index, "added", vtLong));
            }
            for (const auto& object : objects)
                EXPECT_EQ(object->GetFieldName(1), "Amount");
        });
    schema.reset();
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace
} // namespace Ombrel::Common
