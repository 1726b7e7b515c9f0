#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

// Two fields declared by hand, with only the const form of GetFieldMap.
class CPair : public CDataObject
{
public:
    CFieldMap* GetFieldMap() const override
    {
        static CFieldMap map;
        static const bool filled = map.AddField(1, new CField(1, "A", &CPair::GetA, &CPair::SetA, nullptr, "", "")) &&
                                   map.AddField(2, new CField(2, "B", &CPair::GetB, &CPair::SetB, nullptr, "", ""));
        return filled ? &map : nullptr;
    }
    using CDataObject::GetFieldMap;

    std::int32_t GetA() const { return a; }
    void SetA(std::int32_t value) { a = value; }
    bool GetB() const { return b; }
    void SetB(bool value) { b = value; }
    std::int32_t a = 0;
    bool b = false;
};

TEST(DataObjectTest, TypedAccessReachesEveryKind)
{
    CSampleObject o;
    EXPECT_TRUE(o.SetString(kName, "Anna") && o.GetString(kName) == "Anna");
    EXPECT_TRUE(o.SetStdString(kLabel, "label") && o.GetStdString(kLabel) == "label");
    EXPECT_TRUE(o.SetChar(kLetter, 'x') && o.GetChar(kLetter) == 'x');
    EXPECT_TRUE(o.SetUChar(kByte, 200) && o.GetUChar(kByte) == 200);
    EXPECT_TRUE(o.SetShort(kSmall, -300) && o.GetShort(kSmall) == -300);
    EXPECT_TRUE(o.SetUShort(kSmallU, 60000) && o.GetUShort(kSmallU) == 60000);
    EXPECT_TRUE(o.SetLong(kCount, -70000) && o.GetLong(kCount) == -70000);
    EXPECT_TRUE(o.SetULong(kMask, 4000000000u) && o.GetULong(kMask) == 4000000000u);
    EXPECT_TRUE(o.SetInt64(kBig, -5000000000) && o.GetInt64(kBig) == -5000000000);
    EXPECT_TRUE(o.SetBool(kFlag, true) && o.GetBool(kFlag));
    EXPECT_TRUE(o.SetFloat(kRatio, 0.25f) && o.GetFloat(kRatio) == 0.25f);
    EXPECT_TRUE(o.SetDouble(kPrice, 2.5) && o.GetDouble(kPrice) == 2.5);
    EXPECT_TRUE(o.SetOpaque(kHandle, OpaqueValue{7}) && o.GetOpaque(kHandle) == OpaqueValue{7});
}

TEST(DataObjectTest, MismatchedMissingOrReadOnlyFieldsGiveNeutralResults)
{
    CSampleObject object;
    object.SetPrice(3.5);
    EXPECT_EQ(object.GetLong(kPrice), 0);
    EXPECT_FALSE(object.SetLong(kPrice, 5));
    EXPECT_EQ(object.GetPrice(), 3.5);
    EXPECT_FALSE(object.SetDouble(999, 1.0));
    EXPECT_FALSE(object.SetLong(kReadOnly, 1));
    EXPECT_TRUE(object.IsReadable(kReadOnly) && !object.IsWritable(kReadOnly));
    EXPECT_FALSE(object.IsReadable(999));
    EXPECT_EQ(object.GetFieldType(999), vtEmpty);
    EXPECT_EQ(object.GetField(999), CDataObject::FieldRef(nullptr, &object));

    class CWithoutMap : public CDataObject
    {
    } bare;
    EXPECT_EQ(bare.GetField(1), CDataObject::FieldRef(nullptr, nullptr));
    EXPECT_TRUE(bare.GetValue(1).IsEmpty());
}

TEST(DataObjectTest, ValuesNeverConvertBetweenKinds)
{
    CSampleObject object;
    object.SetCount(5);
    object.SetName("kept?");
    EXPECT_EQ(object.GetValue(kCount), CValue(std::int32_t{5}));
    EXPECT_TRUE(object.GetValue(999).IsEmpty());

    // Another kind still calls the setter, with the neutral value of the field's kind.
    EXPECT_TRUE(object.SetValue(kCount, CValue(2.0)));
    EXPECT_EQ(object.GetCount(), 0);
    EXPECT_TRUE(object.SetValue(kName, CValue(std::int32_t{3})));
    EXPECT_EQ(object.GetName(), "");
    EXPECT_FALSE(object.SetValue(kReadOnly, CValue(std::int32_t{8})));
    EXPECT_FALSE(object.SetValue(999, CValue(std::int32_t{8})));
}

TEST(DataObjectTest, TextGoesThroughTheArgumentFieldOrDefaultFormat)
{
    CSampleObject object;
    object.SetCount(42);
    object.SetFormatted(255);
    CLongFormat hex(fmHex);
    EXPECT_EQ(object.GetFormattedValue(kCount), "42");
    EXPECT_EQ(object.GetFormattedValue(kFormatted), hex.FormatStl(std::int32_t{255}));
    EXPECT_EQ(object.GetFormattedValue(kCount, &hex), hex.FormatStl(std::int32_t{42}));
    EXPECT_EQ(object.GetFormattedValue(999), "");

    EXPECT_TRUE(object.SetFormattedValue(kCount, "123"));
    EXPECT_EQ(object.GetCount(), 123);
    EXPECT_FALSE(object.SetFormattedValue(kSmall, CString("70000")));  // out of range
    EXPECT_TRUE(object.SetFormattedValue(kPrice, std::string("2.5")));
    EXPECT_EQ(object.GetPrice(), 2.5);
    EXPECT_FALSE(object.SetFormattedValue(kReadOnly, "5"));
    EXPECT_FALSE(object.SetFormattedValue(kHandle, "5"));

    // Strings cross between the two string types, and a format that cannot parse the text
    // leaves a string field with the text itself.
    EXPECT_TRUE(object.SetFormattedValue(kName, std::string("Zoë")));
    const CString name = object.GetFormattedValue(kName);
    const std::string sameName = object.GetFormattedValue(kName);
    EXPECT_TRUE(name == "Zoë" && sameName == "Zoë");
    EXPECT_TRUE(object.SetFormattedValue(kLabel, "plain", &hex));
    EXPECT_EQ(object.GetLabel(), "plain");
}

TEST(DataObjectTest, SinksAreUniqueAndToldInSubscriptionOrder)
{
    std::vector<std::string> events;
    CRecordingSink first(events, "first");
    CRecordingSink second(events, "second");
    CSampleObject object;
    object.Subscribe(&first);
    object.Subscribe(&second);
    object.Subscribe(&first);
    object.Subscribe(nullptr);
    object.SetCount(3);
    object.Unsubscribe(&first);
    object.Unsubscribe(&first);
    object.NotifyUpdate(NoField);
    EXPECT_EQ(events, (std::vector<std::string>{"first update 7", "second update 7", "second update -2"}));

    CRecordingSink sink;
    static_cast<CDataObject::ISink&>(sink).OnUpdate(std::set<int>{9, 2, 5}, &object);
    EXPECT_EQ(sink.Events(), (std::vector<std::string>{"update 2", "update 5", "update 9"}));
}

TEST(DataObjectTest, SubscriptionOrderSurvivesLeavingFromTheFrontMiddleAndBack)
{
    // The first sink is kept apart from the others: whoever leaves, the rest keep their order
    // and a returning sink goes to the end.
    std::vector<std::string> events;
    CRecordingSink a(events, "a");
    CRecordingSink b(events, "b");
    CRecordingSink c(events, "c");
    CRecordingSink d(events, "d");
    CSampleObject object;
    for (CRecordingSink* sink : {&a, &b, &c, &d})
        object.Subscribe(sink);
    object.Unsubscribe(&a);
    object.Unsubscribe(&c);
    object.Subscribe(&a);
    object.Subscribe(&b);
    object.NotifyUpdate(1);
    object.Unsubscribe(&b);
    object.Unsubscribe(&d);
    object.Unsubscribe(&a);
    object.NotifyUpdate(2);
    object.Subscribe(&c);
    object.NotifyUpdate(3);
    EXPECT_EQ(events, (std::vector<std::string>{"b update 1", "d update 1", "a update 1", "c update 3"}));
}

// Unsubscribes a sink (itself by default) from inside its own notification.
class CUnsubscribingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override
    {
        ++updates;
        object->Unsubscribe(target);
    }
    CDataObject::ISink* target = this;
    int updates = 0;
};

TEST(DataObjectTest, SinkUnsubscribedDuringANotificationGetsNoLaterCalls)
{
    CUnsubscribingSink self;
    CUnsubscribingSink remover;
    CRecordingSink removed;
    CSampleObject object;
    object.Subscribe(&self);
    object.NotifyUpdate(1);
    object.NotifyUpdate(2);
    EXPECT_EQ(self.updates, 1);

    // A sink removed by an earlier sink of the same notification is not called any more.
    remover.target = &removed;
    object.Subscribe(&remover);
    object.Subscribe(&removed);
    object.NotifyUpdate(3);
    EXPECT_TRUE(removed.Events().empty());
}

// Reads the object's count when told of its destruction.
class CValueReadingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject*) override {}
    void OnDestroy(CDataObject* object) override { countSeen = object->GetLong(kCount); }
    std::int32_t countSeen = -1;
};

TEST(DataObjectTest, DestructionTellsEverySinkInOrderWhileTheObjectIsWhole)
{
    std::vector<std::string> events;
    CRecordingSink first(events, "first");
    CRecordingSink second(events, "second");
    CValueReadingSink reader;
    {
        CSampleObject object;
        object.SetCount(4);
        object.Subscribe(&first);
        object.Subscribe(&second);
        object.Subscribe(&reader);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"first destroy", "second destroy"}));
    EXPECT_EQ(reader.countSeen, 4);
}

class CDeletingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override { delete object; }
};

TEST(DataObjectTest, SinkMayDestroyTheObjectItIsToldAbout)
{
    CDeletingSink deleter;
    CRecordingSink later;
    auto* object = new CSampleObject;
    object->Subscribe(&deleter);
    object->Subscribe(&later);
    object->NotifyUpdate(kCount);
    // The later sink hears of the destruction, and no update for the freed object.
    EXPECT_EQ(later.Events(), (std::vector<std::string>{"destroy"}));
}

TEST(DataObjectTest, StoredLayoutIsVersionCountAndValuesByAscendingIdentifier)
{
    CPair pair;
    pair.SetA(0x01020304);
    pair.SetB(true);
    const std::vector<char> expected{1, 0, 0, 0, 2, 0, 0, 0,              // version, count
                                     1, 0, 0, 0, 1, vtLong, 4, 3, 2, 1,   // identifier, value
                                     2, 0, 0, 0, 1, vtBool, 1};
    EXPECT_EQ(StoredBytes(pair), expected);

    CPair restored;
    CSerializer restore = RestoringFrom(expected);
    restored.Serialize(restore);
    EXPECT_TRUE(restored.a == 0x01020304 && restored.b);
}

TEST(DataObjectTest, RestoringReproducesEveryKindExceptTheUnwrittenOpaque)
{
    CSampleObject source;
    source.SetName("name");
    source.SetLabel("label");
    source.SetSmall(-2);
    source.SetBig(1LL << 40);
    source.SetRatio(1.5f);
    source.SetPrice(-0.125);
    source.SetHandle(OpaqueValue{5});

    CSampleObject target;
    target.SetHandle(OpaqueValue{11});
    CSerializer restore = RestoringFrom(StoredBytes(source));
    target.Serialize(restore);
    for (int id : {kName, kLabel, kSmall, kBig, kRatio, kPrice})
        EXPECT_EQ(target.GetValue(id), source.GetValue(id)) << "field " << id;
    // The opaque value travels without payload; the target keeps its own rather than zero.
    EXPECT_EQ(target.GetHandle(), OpaqueValue{11});
}

TEST(DataObjectTest, VersionZeroRestoresNothingAndNewerVersionsAreRefused)
{
    CPair pair;
    pair.SetA(3);
    CSerializer versionZero = RestoringFrom({0, 0, 0, 0, 0x2A, 0, 0, 0});
    pair.Serialize(versionZero);
    std::int32_t next = 0;
    versionZero.Restore(next);
    EXPECT_TRUE(pair.a == 3 && next == 0x2A);  // only the version was read

    CSerializer newer = RestoringFrom({2, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_THROW(pair.Serialize(newer), CSerializer::BadVersionException);
    CSerializer truncated = RestoringFrom({1, 0, 0, 0, 1, 0, 0, 0, 1, 0});
    EXPECT_THROW(pair.Serialize(truncated), CSerializer::SerializationException);
}

} // namespace
} // namespace Ombrel::Common
