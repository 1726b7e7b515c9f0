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

// Objects made in one block (the slots behind the object) keep every slot apart, also past
// the first byte of presence bits, and free their text when they go (ASan sees a leak).
TEST(DynamicSchemaTest, AnObjectInOneBlockKeepsEverySlotApart)
{
    std::vector<std::unique_ptr<CField>> fields;
    for (int id = 1; id <= 19; ++id)
        fields.emplace_back(new CField(id * 10, "column", id % 2 == 0 ? vtStlString : vtInt64));
    const auto schema = CDynamicSchema::Create(std::move(fields));
    const auto object = CDynamicObject::Create(schema, false);
    for (int id = 10; id <= 190; id += 30)
        EXPECT_TRUE(id % 20 == 0 ? object->SetStdString(id, std::string(40, 'x') + std::to_string(id))
                                 : object->SetInt64(id, id));
    CDataObject::FieldIdSet stored;
    for (int id = 10; id <= 190; id += 10)
        if (object->IsReadable(id))
            stored.insert(id);
    EXPECT_EQ(stored, (CDataObject::FieldIdSet{10, 40, 70, 100, 130, 160, 190}));
    EXPECT_EQ(object->GetStdString(40), std::string(40, 'x') + "40");
    EXPECT_EQ(object->GetInt64(190), 190);
    EXPECT_EQ(object->GetFieldName(190), "column");
    ASSERT_TRUE(object->AddField(new CField(5, "added", vtDouble)));
    EXPECT_TRUE(object->SetFormattedValue(5, std::string("2.5")));
    EXPECT_EQ(object->GetDouble(5), 2.5);
    EXPECT_EQ(schema->GetFieldMap()->GetField(5), nullptr);

    // An object of a schema without fields has no slots at all.
    const auto bare = CDynamicObject::Create(CDynamicSchema::Create({}), true);
    EXPECT_TRUE(bare->SetLong(3, 1));
    EXPECT_EQ(bare->GetLong(3), 1);
}

// One object in one block, written, widened and read on three threads at once: every read sees
// a whole value (under ThreadSanitizer, any access outside the object's lock is reported).
TEST(DynamicSchemaThreadTest, OneObjectIsWrittenWidenedAndReadAtOnce)
{
    const auto schema = AmountAndNameSchema();
    const auto object = CDynamicObject::Create(schema, true);
    constexpr int kRounds = 2000;
    std::thread writer([&] {
        for (int round = 0; round < kRounds; ++round) {
            object->SetLong(1, round);
            object->SetStdString(4, std::string(round % 40, 'n'));
            object->SetFormattedValue(1, std::string("ff"));
        }
    });
    std::thread widener([&] {
        for (int round = 0; round < 200; ++round) {
            object->AddField(new CField(100 + round, "added", vtLong));
            object->SetLong(100 + round, round);
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = object->GetStdString(4);
        EXPECT_EQ(name.find_first_not_of('n'), std::string::npos);
        EXPECT_GE(object->GetLong(1), 0);
        CDataObject::FieldIdSet ids;
        object->GetFieldIds(ids);
        EXPECT_EQ(object->GetFieldName(1), "Amount");
    }
    writer.join();
    widener.join();
    EXPECT_EQ(object->GetFieldName(299), "added");
    EXPECT_EQ(object->GetLong(299), 199);
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
                objects.push_back(index % 2 == 0 ? CDynamicObject::Create(schema, true)
                                                 : std::make_unique<CDynamicObject>(schema, true));
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

// Objects hold their schema by a count of their own, not by its shared pointer. Here each
// object is the schema's only object when it comes and when it goes, so the count crosses zero
// every time, on four threads at once, while the owners drop their pointers one by one: the
// schema must neither go while an object uses it (AddressSanitizer and ThreadSanitizer see
// that) nor stay after the last object and owner are gone (the weak pointer sees that).
TEST(DynamicSchemaThreadTest, ObjectsComingAndGoingOneAtATimeNeitherLoseNorLeakTheSchema)
{
    auto schema = AmountAndNameSchema();
    const std::weak_ptr<const CDynamicSchema> watch = schema;
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 4; ++worker)
        workers.emplace_back([owner = schema, worker]() mutable {
            std::unique_ptr<CDynamicObject> last;
            for (int index = 0; index < 2000; ++index) {
                auto object = index % 2 == 0 ? CDynamicObject::Create(owner, false)
                                             : std::make_unique<CDynamicObject>(owner, false);
                object->SetLong(1, index);
                EXPECT_EQ(object->GetFieldName(4), "Name");
                if (index == 1000 + worker)
                    owner.reset();  // from here on the objects alone keep the schema
                if (owner == nullptr) {
                    last = std::move(object);  // outlives this thread's owner
                    break;
                }
            }
            EXPECT_EQ(last->GetLong(1), 1000 + worker);
            EXPECT_EQ(last->GetFieldName(1), "Amount");
        });
    schema.reset();
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_TRUE(watch.expired()) << "the last object took the schema with it";
}

} // namespace
} // namespace Ombrel::Common
