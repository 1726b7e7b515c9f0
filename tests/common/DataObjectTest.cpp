#include <gtest/gtest.h>

#include <vector>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

std::vector<unsigned char> StoredBytes(CDataObject& object)
{
    CSerializer store(false);
    object.Serialize(store);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(store.GetSize()));
    store.GetData(reinterpret_cast<char*>(bytes.data()));
    return bytes;
}

CSerializer RestoringFrom(const std::vector<unsigned char>& bytes)
{
    CSerializer restore(true);
    restore.SetData(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    return restore;
}

// Two fields, written by hand without the declaration macros, the const form of GetFieldMap.
class CPair : public CDataObject
{
public:
    static CFieldMap* Map()
    {
        static CFieldMap map;
        static const bool filled = [] {
            map.AddField(1, new CField(1, "A", &CPair::GetA, &CPair::SetA, nullptr, "&CPair::GetA", "&CPair::SetA"));
            map.AddField(2, new CField(2, "B", &CPair::GetB, &CPair::SetB, nullptr, "&CPair::GetB", "&CPair::SetB"));
            return true;
        }();
        static_cast<void>(filled);
        return &map;
    }
    CFieldMap* GetFieldMap() const override { return Map(); }
    using CDataObject::GetFieldMap;

    std::int32_t GetA() const { return m_a; }
    void SetA(std::int32_t value) { m_a = value; }
    bool GetB() const { return m_b; }
    void SetB(bool value) { m_b = value; }

    std::int32_t m_a = 0;
    bool m_b = false;
};

class CWithoutMap : public CDataObject
{
};

TEST(DataObjectTest, TypedAccessReachesEveryKind)
{
    CSampleObject object;
    EXPECT_TRUE(object.SetString(kName, "Anna"));
    EXPECT_TRUE(object.SetStdString(kLabel, "label"));
    EXPECT_TRUE(object.SetChar(kLetter, 'x'));
    EXPECT_TRUE(object.SetUChar(kByte, 200));
    EXPECT_TRUE(object.SetShort(kSmall, -300));
    EXPECT_TRUE(object.SetUShort(kSmallU, 60000));
    EXPECT_TRUE(object.SetLong(kCount, -70000));
    EXPECT_TRUE(object.SetULong(kMask, 4000000000u));
    EXPECT_TRUE(object.SetInt64(kBig, -5000000000));
    EXPECT_TRUE(object.SetBool(kFlag, true));
    EXPECT_TRUE(object.SetFloat(kRatio, 0.25f));
    EXPECT_TRUE(object.SetDouble(kPrice, 2.5));
    EXPECT_TRUE(object.SetOpaque(kHandle, OpaqueValue{7}));

    EXPECT_EQ(object.GetString(kName), "Anna");
    EXPECT_EQ(object.GetStdString(kLabel), "label");
    EXPECT_EQ(object.GetChar(kLetter), 'x');
    EXPECT_EQ(object.GetUChar(kByte), 200);
    EXPECT_EQ(object.GetShort(kSmall), -300);
    EXPECT_EQ(object.GetUShort(kSmallU), 60000);
    EXPECT_EQ(object.GetLong(kCount), -70000);
    EXPECT_EQ(object.GetULong(kMask), 4000000000u);
    EXPECT_EQ(object.GetInt64(kBig), -5000000000);
    EXPECT_TRUE(object.GetBool(kFlag));
    EXPECT_EQ(object.GetFloat(kRatio), 0.25f);
    EXPECT_EQ(object.GetDouble(kPrice), 2.5);
    EXPECT_EQ(object.GetOpaque(kHandle), OpaqueValue{7});
}

TEST(DataObjectTest, MismatchedMissingOrReadOnlyFieldsGiveNeutralResults)
{
    CSampleObject object;
    object.SetPrice(3.5);

    EXPECT_EQ(object.GetLong(kPrice), 0);
    EXPECT_FALSE(object.SetLong(kPrice, 5));
    EXPECT_EQ(object.GetPrice(), 3.5);
    EXPECT_EQ(object.GetString(999), "");
    EXPECT_FALSE(object.SetDouble(999, 1.0));
    EXPECT_FALSE(object.SetLong(kReadOnly, 1));
    EXPECT_EQ(object.GetLong(kReadOnly), 77);

    EXPECT_TRUE(object.IsReadable(kReadOnly));
    EXPECT_FALSE(object.IsWritable(kReadOnly));
    EXPECT_FALSE(object.IsReadable(999));
    EXPECT_EQ(object.GetFieldType(999), vtEmpty);
    EXPECT_EQ(object.GetFieldName(999), "");
    EXPECT_EQ(object.GetFieldFormat(999), nullptr);
    EXPECT_EQ(object.GetField(999), CDataObject::FieldRef(nullptr, &object));

    CWithoutMap bare;
    EXPECT_EQ(bare.GetField(1), CDataObject::FieldRef(nullptr, nullptr));
    EXPECT_TRUE(bare.GetValue(1).IsEmpty());
    EXPECT_EQ(bare.GetFormattedValue(1), "");
}

TEST(DataObjectTest, ValuesNeverConvertBetweenKinds)
{
    CSampleObject object;
    object.SetCount(5);
    object.SetName("kept?");

    const CValue count = object.GetValue(kCount);
    EXPECT_EQ(count.GetType(), vtLong);
    EXPECT_EQ(count.GetLong(), 5);
    EXPECT_TRUE(object.GetValue(999).IsEmpty());

    // Another kind still calls the setter, with the neutral value of the field's kind.
    EXPECT_TRUE(object.SetValue(kCount, CValue(2.0)));
    EXPECT_EQ(object.GetCount(), 0);
    EXPECT_TRUE(object.SetValue(kName, CValue(std::int32_t{3})));
    EXPECT_EQ(object.GetName(), "");
    EXPECT_TRUE(object.SetValue(kCount, CValue(std::int32_t{8})));
    EXPECT_EQ(object.GetCount(), 8);
    EXPECT_FALSE(object.SetValue(kReadOnly, CValue(std::int32_t{8})));
    EXPECT_FALSE(object.SetValue(999, CValue(std::int32_t{8})));
}

TEST(DataObjectTest, FormattedValuesUseArgumentThenFieldThenDefaultFormat)
{
    CSampleObject object;
    object.SetCount(42);
    object.SetFormatted(255);
    object.SetName("Zoë");

    EXPECT_EQ(object.GetFormattedValue(kCount), "42");
    EXPECT_EQ(object.GetFormattedValue(kFormatted), CLongFormat(fmHex).FormatStl(std::int32_t{255}));
    CLongFormat hex(fmHex);
    EXPECT_EQ(object.GetFormattedValue(kCount, &hex), hex.FormatStl(std::int32_t{42}));
    const CString name = object.GetFormattedValue(kName);
    const std::string label = object.GetFormattedValue(kName);
    EXPECT_EQ(name, "Zoë");
    EXPECT_EQ(label, "Zoë");
    EXPECT_EQ(object.GetFormattedValue(999), "");
}

TEST(DataObjectTest, SettingTextParsesNumbersAndStoresStrings)
{
    CSampleObject object;
    object.SetCount(1);

    EXPECT_TRUE(object.SetFormattedValue(kCount, "123"));
    EXPECT_EQ(object.GetCount(), 123);
    object.SetSmall(9);
    EXPECT_FALSE(object.SetFormattedValue(kSmall, CString("70000")));  // out of range
    EXPECT_EQ(object.GetSmall(), 9);
    EXPECT_TRUE(object.SetFormattedValue(kPrice, std::string("2.5")));
    EXPECT_EQ(object.GetPrice(), 2.5);

    EXPECT_TRUE(object.SetFormattedValue(kName, std::string("from std")));
    EXPECT_EQ(object.GetName(), "from std");
    EXPECT_TRUE(object.SetFormattedValue(kLabel, CString("from framework")));
    EXPECT_EQ(object.GetLabel(), "from framework");
    // A format that cannot parse the text leaves a string field with the text itself.
    CLongFormat numbers;
    EXPECT_TRUE(object.SetFormattedValue(kLabel, "plain", &numbers));
    EXPECT_EQ(object.GetLabel(), "plain");

    EXPECT_FALSE(object.SetFormattedValue(kReadOnly, "5"));
    EXPECT_FALSE(object.SetFormattedValue(999, "5"));
    EXPECT_FALSE(object.SetFormattedValue(kHandle, "5"));
}

TEST(DataObjectTest, SinksAreUniqueAndToldInSubscriptionOrder)
{
    CRecordingSink first;
    CRecordingSink second;
    CRecordingSink stranger;
    CSampleObject object;
    object.Subscribe(&first);
    object.Subscribe(&second);
    object.Subscribe(&first);
    object.Subscribe(nullptr);
    object.Unsubscribe(&stranger);

    object.SetCount(3);
    object.NotifyUpdate(AllFields);
    EXPECT_EQ(first.Events(), (std::vector<std::string>{"update 7", "update -1"}));
    EXPECT_EQ(second.Events(), first.Events());

    object.Unsubscribe(&first);
    object.NotifyUpdate(NoField);
    EXPECT_EQ(first.Events().size(), 2u);
    EXPECT_EQ(second.Events().back(), "update -2");
    EXPECT_TRUE(stranger.Events().empty());
}

TEST(DataObjectTest, SetOfFieldsIsDeliveredOnePerIdentifierAscending)
{
    CSampleObject object;
    CRecordingSink sink;
    static_cast<CDataObject::ISink&>(sink).OnUpdate(std::set<int>{9, 2, 5}, &object);
    EXPECT_EQ(sink.Events(), (std::vector<std::string>{"update 2", "update 5", "update 9"}));
}

// Unsubscribes itself, or another sink, from inside its own notification.
class CUnsubscribingSink final : public CDataObject::ISink
{
public:
    CDataObject::ISink* target = this;
    int updates = 0;

    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override
    {
        ++updates;
        object->Unsubscribe(target);
    }
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
    EXPECT_EQ(remover.updates, 1);
    EXPECT_TRUE(removed.Events().empty());
}

TEST(DataObjectTest, DestructionTellsEverySinkInOrderWhileTheObjectIsWhole)
{
    std::vector<std::string> events;
    class CNamedSink final : public CDataObject::ISink
    {
    public:
        CNamedSink(std::vector<std::string>& sharedLog, std::string name)
            : m_log(sharedLog), m_name(std::move(name))
        {
        }
        using CDataObject::ISink::OnUpdate;
        void OnUpdate(int, CDataObject*) override {}
        void OnDestroy(CDataObject* object) override
        {
            m_log.push_back(m_name + " " + std::to_string(object->GetLong(kCount)));
        }

    private:
        std::vector<std::string>& m_log;
        std::string m_name;
    };
    CNamedSink first(events, "first");
    CNamedSink second(events, "second");
    {
        CSampleObject object;
        object.SetCount(4);
        object.Subscribe(&first);
        object.Subscribe(&second);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"first 4", "second 4"}));
}

// Deletes the object it is told about, as an owner reacting to a change might.
class CDeletingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override { delete object; }
};

TEST(DataObjectTest, SinkMayDestroyTheObjectItIsToldAbout)
{
    auto* object = new CSampleObject;
    CDeletingSink deleter;
    CRecordingSink later;
    object->Subscribe(&deleter);
    object->Subscribe(&later);
    object->NotifyUpdate(kCount);
    // The later sink hears of the destruction, and no update for the freed object.
    EXPECT_EQ(later.Events(), (std::vector<std::string>{"destroy"}));
}

TEST(DataObjectTest, CopiesKeepValuesButNotSinks)
{
    CRecordingSink sink;
    CSampleObject original;
    original.SetCount(6);
    original.Subscribe(&sink);
    CSampleObject copy(original);
    copy.SetCount(7);
    EXPECT_EQ(copy.GetLong(kCount), 7);
    EXPECT_TRUE(sink.Events().empty());
}

TEST(DataObjectTest, StoredLayoutIsVersionCountAndValuesByAscendingIdentifier)
{
    CPair pair;
    pair.SetA(0x01020304);
    pair.SetB(true);
    EXPECT_EQ(StoredBytes(pair), (std::vector<unsigned char>{
                                     1, 0, 0, 0,              // version
                                     2, 0, 0, 0,              // count
                                     1, 0, 0, 0, 1, vtLong,   // identifier 1, value header
                                     4, 3, 2, 1,              // payload
                                     2, 0, 0, 0, 1, vtBool, 1 // identifier 2
                                 }));

    CPair restored;
    CSerializer restore = RestoringFrom(StoredBytes(pair));
    restored.Serialize(restore);
    EXPECT_EQ(restored.m_a, 0x01020304);
    EXPECT_TRUE(restored.m_b);
}

TEST(DataObjectTest, RestoringReproducesEveryKindExceptTheUnwrittenOpaque)
{
    CSampleObject source;
    source.SetName("name");
    source.SetLabel("label");
    source.SetLetter('q');
    source.SetSmall(-2);
    source.SetMask(9);
    source.SetBig(1LL << 40);
    source.SetFlag(true);
    source.SetRatio(1.5f);
    source.SetPrice(-0.125);
    source.SetHandle(OpaqueValue{5});

    CSampleObject target;
    target.SetHandle(OpaqueValue{11});
    CSerializer restore = RestoringFrom(StoredBytes(source));
    target.Serialize(restore);

    for (int id : {kName, kLabel, kLetter, kSmall, kMask, kBig, kFlag, kRatio, kPrice, kReadOnly})
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
    EXPECT_EQ(pair.m_a, 3);
    std::int32_t next = 0;
    versionZero.Restore(next);
    EXPECT_EQ(next, 0x2A);  // only the version was read

    CSerializer newer = RestoringFrom({2, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_THROW(pair.Serialize(newer), CSerializer::BadVersionException);

    CSerializer truncated = RestoringFrom({1, 0, 0, 0, 1, 0, 0, 0, 1, 0});
    EXPECT_THROW(pair.Serialize(truncated), CSerializer::SerializationException);
}

} // namespace
} // namespace Ombrel::Common
