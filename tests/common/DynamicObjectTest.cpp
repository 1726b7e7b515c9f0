#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

TEST(DynamicObjectTest, ValuesNeedNoDeclaredField)
{
    CDynamicObject object(false);
    EXPECT_FALSE(object.IsReadable(7));
    EXPECT_TRUE(object.SetLong(7, 5));
    EXPECT_EQ(object.GetFieldType(7), vtLong);
    EXPECT_TRUE(object.IsReadable(7) && object.IsWritable(7));
    EXPECT_EQ(object.GetFieldName(7), "");
    EXPECT_EQ(object.GetLong(7), 5);
    EXPECT_EQ(object.GetDouble(7), 0.0);
    EXPECT_TRUE(object.SetDouble(7, 2.5));  // the new kind replaces the old one
    EXPECT_EQ(object.GetFieldType(7), vtDouble);

    EXPECT_FALSE(object.SetValue(AllFields, CValue(std::int32_t{1})));
    EXPECT_FALSE(object.SetLong(NoField, 1));
    EXPECT_FALSE(object.IsReadable(AllFields));
}

TEST(DynamicObjectTest, OnlyChangesAreAnnouncedAndOnlyWhenAsked)
{
    CRecordingSink quietSink;
    CRecordingSink loudSink;
    CDynamicObject quiet(false);
    CDynamicObject loud(true);
    quiet.Subscribe(&quietSink);
    loud.Subscribe(&loudSink);
    for (CDynamicObject* object : {&quiet, &loud})
    {
        object->SetLong(3, 10);
        object->SetLong(3, 10);
        object->SetInt64(3, 10);  // same number, another kind: a change
        object->SetValue(4, CValue());
    }
    EXPECT_TRUE(quietSink.Events().empty());
    EXPECT_EQ(loudSink.Events(), (std::vector<std::string>{"update 3", "update 3", "update 4"}));
}

TEST(DynamicObjectTest, DeclaredFieldsDescribeValues)
{
    CDynamicObject object(false);
    EXPECT_TRUE(object.AddField(new CField(1, "Amount", vtLong, new CLongFormat(fmHex))));
    std::unique_ptr<CField> refused(new CField(1, "Again", vtLong));
    EXPECT_FALSE(object.AddField(refused.get()));
    refused.reset(new CField(AllFields, "All", vtLong));
    EXPECT_FALSE(object.AddField(refused.get()));
    EXPECT_FALSE(object.AddField(nullptr));

    object.SetDouble(9, 1.0);
    EXPECT_EQ(object.GetFieldName(1), "Amount");
    EXPECT_NE(object.GetFieldFormat(1), nullptr);
    EXPECT_FALSE(object.IsReadable(1));  // declared, but no value yet
    CDataObject::FieldIdSet ids;
    object.GetFieldIds(ids);
    EXPECT_EQ(ids, (CDataObject::FieldIdSet{1, 9}));
}

TEST(DynamicObjectTest, TextIsParsedWithTheDeclaredFormat)
{
    CRecordingSink sink;
    CDynamicObject object(true);
    object.Subscribe(&sink);
    object.AddField(new CField(1, "Amount", vtLong, new CLongFormat(fmHex)));
    object.AddField(new CField(2, "Title", vtStlString));
    object.AddField(new CField(3, "Price", vtDouble));

    EXPECT_FALSE(object.SetFormattedValue(8, "12"));  // not declared
    EXPECT_TRUE(object.SetFormattedValue(1, "1F"));
    EXPECT_TRUE(object.SetFormattedValue(1, "1F"));  // text always announces
    EXPECT_FALSE(object.SetFormattedValue(1, "1FFFFFFFF"));  // beyond 32 bits
    EXPECT_EQ(object.GetLong(1), 0x1F);
    CLongFormat decimal;
    EXPECT_EQ(object.GetFormattedValue(1, &decimal), "31");

    object.SetString(2, "framework");  // the stored string kind is kept
    EXPECT_TRUE(object.SetFormattedValue(2, std::string("again")));
    EXPECT_EQ(object.GetString(2), "again");

    // A stored value of another kind than the format gives cannot take the text.
    object.SetLong(3, 4);
    EXPECT_FALSE(object.SetFormattedValue(3, "2.5"));
    EXPECT_EQ(object.GetLong(3), 4);
    EXPECT_EQ(sink.Events(),
              (std::vector<std::string>{"update 1", "update 1", "update 2", "update 2", "update 3"}));
}

TEST(DynamicObjectTest, SerializationReproducesStoredValuesDeclaredOrNot)
{
    CDynamicObject source(false);
    source.AddField(new CField(1, "Amount", vtLong));
    source.AddField(new CField(7, "Unset", vtLong));
    source.SetLong(1, -4);
    source.SetStdString(2, "text");
    source.SetString(3, "framework");
    source.SetDouble(5, 0.5);
    source.SetOpaque(6, OpaqueValue{3});

    CDynamicObject target(false);
    CSerializer restore = RestoringFrom(StoredBytes(source));
    target.Serialize(restore);
    for (int id : {1, 2, 3, 5})
        EXPECT_EQ(target.GetValue(id), source.GetValue(id)) << "identifier " << id;
    EXPECT_FALSE(target.IsReadable(6));
    EXPECT_FALSE(target.IsReadable(7));
}

TEST(DynamicObjectThreadTest, ValuesAndFieldsChangeWhileAnotherThreadReads)
{
    constexpr int kRounds = 2000;
    CCountingSink sink;
    CDynamicObject object(true);
    object.Subscribe(&sink);
    std::atomic<bool> reading = false;
    std::atomic<bool> done = false;

    std::thread writer([&] {
        while (!reading.load())
            std::this_thread::yield();
        for (int round = 0; round < kRounds; ++round)
        {
            object.SetLong(round % 16, round);
            object.SetFormattedValue(100 + round % 4, std::to_string(round));
            if (round % 100 == 0)
                object.AddField(new CField(100 + round / 100, "added", vtLong));
        }
        done = true;
    });
    std::size_t reads = 0;
    do
    {
        reading = true;
        CDataObject::FieldIdSet ids;
        object.GetFieldIds(ids);
        for (int id : ids)
            reads += object.GetFormattedValue(id).size() + object.GetFieldName(id).size();
    } while (!done.load());
    writer.join();
    static_cast<void>(reads);
    for (int slot = 0; slot < 16; ++slot)
        EXPECT_EQ(object.GetLong(slot), kRounds - 16 + slot);
    // Every long written was new, and text always announces when it is stored.
    EXPECT_GE(sink.updates.load(), kRounds);
}

} // namespace
} // namespace Ombrel::Common
