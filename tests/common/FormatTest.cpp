#include "ombrel/Common.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace Ombrel;
using namespace Ombrel::Common;

namespace {

const char* const kBuiltInClassNames[] = {
    "Common::CEmptyFormat",  "Common::CDoubleFormat", "Common::CFloatFormat",  "Common::CBoolFormat",
    "Common::CInt64Format",  "Common::CULongFormat",  "Common::CLongFormat",   "Common::CUShortFormat",
    "Common::CShortFormat",  "Common::CUCharFormat",  "Common::CCharFormat",   "Common::CDefaultStlStringFormat",
    "Common::CDefaultMfcStringFormat", "Common::CLongDateFormat", "Common::CInt64DateFormat",
    "Common::CLongMsecTimeFormat",     "Common::CLongEnumFormat",
};

std::vector<char> StoredBytes(CFormat& format)
{
    CSerializer writer(false);
    format.Serialize(writer);
    std::vector<char> bytes(static_cast<std::size_t>(writer.GetSize()));
    writer.GetData(bytes.data());
    return bytes;
}

void Restore(CFormat& format, const std::vector<char>& bytes)
{
    CSerializer reader(true);
    reader.SetData(bytes.data(), static_cast<int>(bytes.size()));
    format.Serialize(reader);
}

std::vector<char> VersionOnly(std::int32_t version)
{
    CSerializer writer(false);
    writer.Store(version);
    std::vector<char> bytes(4);
    writer.GetData(bytes.data());
    return bytes;
}

} // namespace

TEST(FormatTest, ValueOfAnotherKindFormatsAsEmptyText)
{
    const CLongFormat format;
    EXPECT_EQ(format.FormatStl(CValue(2.5)), "");
    EXPECT_EQ(format.Format(CValue(2.5)), "");
    EXPECT_EQ(format.FormatStl(CValue(std::int32_t{1234})), "1 234");
    EXPECT_EQ(format.FormatStl(CValue()), "");
}

TEST(FormatTest, StringKindsAreInterchangeableForTaggedValues)
{
    const CDefaultStlStringFormat stl;
    const CDefaultMfcStringFormat mfc;
    EXPECT_EQ(stl.FormatStl(CValue(CString("framework"))), "framework");
    EXPECT_EQ(stl.Format(CValue(CString("framework"))), "framework");
    EXPECT_EQ(mfc.FormatStl(CValue(std::string("standard"))), "standard");
    EXPECT_EQ(mfc.Format(CValue(std::string("standard"))), "standard");
}

TEST(FormatTest, ParsingIntoAValueFollowsItsKind)
{
    const CLongFormat format;
    CValue empty;
    EXPECT_TRUE(format.Parse(CString("12"), empty));
    EXPECT_EQ(empty.GetType(), vtLong);
    EXPECT_EQ(empty.GetLong(), 12);

    CValue sameKind(std::int32_t{1});
    EXPECT_TRUE(format.ParseStl("34", sameKind));
    EXPECT_EQ(sameKind.GetLong(), 34);

    CValue otherKind(2.5);
    EXPECT_TRUE(format.ParseStl("12", otherKind));
    EXPECT_EQ(otherKind.GetType(), vtDouble);
    EXPECT_EQ(otherKind.GetDouble(), 2.5);
}

TEST(FormatTest, FailedParseLeavesTheValueUnchanged)
{
    CValue value(std::int32_t{7});
    EXPECT_FALSE(CLongFormat().ParseStl("0x1G", value));
    EXPECT_EQ(value.GetLong(), 7);
    CValue empty;
    EXPECT_FALSE(CEmptyFormat(vtLong).ParseStl("5", empty));
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(FormatTest, DefaultFormatsAreSharedAndMatchTheirKinds)
{
    for (std::int32_t kind = vtMfcString; kind <= vtOpaque; ++kind)
    {
        CFormat* format = CFormat::GetDefaultFormat(kind);
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->GetValueType(), kind);
        EXPECT_EQ(format, CFormat::GetDefaultFormat(kind));
    }
    CFormat* unknown = CFormat::GetDefaultFormat(99);
    EXPECT_EQ(unknown->GetClassName(), "Common::CEmptyFormat");
    EXPECT_EQ(unknown->GetValueType(), vtEmpty);
    EXPECT_EQ(CFormat::GetDefaultFormat(-1), unknown);
    EXPECT_EQ(CFormat::GetDefaultFormat(vtOpaque)->GetClassName(), "Common::CEmptyFormat");
}

TEST(FormatTest, DefaultFormatsUseTheirDocumentedOptions)
{
    EXPECT_EQ(CFormat::GetDefaultFormat(vtChar)->FormatStl('A'), "A");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtShort)->FormatStl(short{-1234}), "-1 234");
    auto* shortFormat = static_cast<CShortFormat*>(CFormat::GetDefaultFormat(vtShort));
    EXPECT_TRUE(shortFormat->GetHexZeroPad());
    auto* longFormat = static_cast<CLongFormat*>(CFormat::GetDefaultFormat(vtLong));
    EXPECT_FALSE(longFormat->GetHexZeroPad());
    EXPECT_EQ(CFormat::GetDefaultFormat(vtInt64)->FormatStl(std::int64_t{1234567}), "1 234 567");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtFloat)->FormatStl(2.25f), "2,25");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtFloat)->FormatStl(0.001f), "0");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtDouble)->FormatStl(0.125), "0,125");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtDouble)->FormatStl(0.0625), "0,063");
    EXPECT_EQ(CFormat::GetDefaultFormat(vtBool)->FormatStl(true), "true");
}

TEST(FormatTest, RegistryCreatesEveryBuiltInFormatByName)
{
    for (const char* name : kBuiltInClassNames)
    {
        std::unique_ptr<CFormat> format(CFormat::CreateFormat(name));
        ASSERT_NE(format, nullptr) << name;
        EXPECT_EQ(format->GetClassName(), name);
        EXPECT_TRUE(format->IsSerializable());
        // Each factory gives the options of the default format of its kind.
        CFormat* defaultOfKind = CFormat::GetDefaultFormat(format->GetValueType());
        if (format->GetValueType() != vtEmpty && defaultOfKind->GetClassName() == name)
        {
            EXPECT_EQ(StoredBytes(*format), StoredBytes(*defaultOfKind)) << name;
        }
    }
    EXPECT_EQ(CFormat::CreateFormat("Common::CNoSuchFormat"), nullptr);
}

TEST(FormatTest, RegisteringANameTwiceKeepsTheFirstFactory)
{
    const FormatFactory makeBool = [] () -> CFormat* { return new CBoolFormat(); };
    const FormatFactory makeLong = [] () -> CFormat* { return new CLongFormat(); };
    EXPECT_TRUE(CFormat::RegisterFormat("Test::TwiceRegistered", makeBool));
    EXPECT_FALSE(CFormat::RegisterFormat("Test::TwiceRegistered", makeLong));
    std::unique_ptr<CFormat> created(CFormat::CreateFormat("Test::TwiceRegistered"));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetValueType(), vtBool);

    EXPECT_TRUE(CFormat::RegisterFormat("Test::NullFactory", nullptr));
    EXPECT_EQ(CFormat::CreateFormat("Test::NullFactory"), nullptr);
    EXPECT_FALSE(CFormat::RegisterFormat("Common::CLongFormat", makeBool));
}

TEST(FormatTest, NewerStoredVersionThrowsWithTheClassNameAndKeepsOptions)
{
    for (const char* name : kBuiltInClassNames)
    {
        std::unique_ptr<CFormat> format(CFormat::CreateFormat(name));
        const std::vector<char> before = StoredBytes(*format);
        const std::string bareName = std::string(name).substr(std::string("Common::").size());
        try
        {
            Restore(*format, VersionOnly(2));
            ADD_FAILURE() << name << " accepted version 2";
        }
        catch (const CSerializer::BadVersionException& error)
        {
            EXPECT_EQ(std::string(error.what()),
                      bareName + " doesn't support current version and can't be deserialized.");
        }
        EXPECT_EQ(StoredBytes(*format), before) << name;
    }
}

TEST(FormatTest, VersionZeroRestoresNothing)
{
    CLongFormat format(fmHex, false, '.', false, true);
    const std::vector<char> before = StoredBytes(format);
    Restore(format, VersionOnly(0));
    Restore(format, VersionOnly(-3));
    EXPECT_EQ(StoredBytes(format), before);
}

TEST(FormatTest, BaseSerializeHandlesOnlyTheVersion)
{
    class CPlainFormat : public CFormat
    {
    public:
        CPlainFormat() : CFormat(vtLong) {}
        CFormat* Clone() const override { return new CPlainFormat(*this); }
    };
    CPlainFormat plain;
    EXPECT_EQ(StoredBytes(plain), VersionOnly(1));
    EXPECT_NO_THROW(Restore(plain, VersionOnly(5)));
    EXPECT_EQ(plain.FormatStl(std::int32_t{5}), "");
    std::int32_t parsed = 3;
    EXPECT_FALSE(plain.ParseStl("5", parsed));
    EXPECT_EQ(parsed, 3);
}

TEST(FormatTest, ClonesAreIndependentCopiesOfTheirClass)
{
    for (const char* name : kBuiltInClassNames)
    {
        std::unique_ptr<CFormat> format(CFormat::CreateFormat(name));
        std::unique_ptr<CFormat> clone(format->Clone());
        EXPECT_NE(clone.get(), format.get());
        EXPECT_EQ(clone->GetClassName(), name);
        EXPECT_EQ(StoredBytes(*clone), StoredBytes(*format));
    }
    CEmptyFormat opaque(vtOpaque);
    std::unique_ptr<CFormat> opaqueClone(opaque.Clone());
    EXPECT_EQ(opaqueClone->GetValueType(), vtOpaque);
}

TEST(FormatRegistryThreadTest, ConcurrentRegistrationAndLookupStayConsistent)
{
    constexpr int kThreads = 4;
    constexpr int kNamesPerThread = 50;
    // Names are unique per run, so that the test also holds under --gtest_repeat.
    static std::atomic<int> runs{0};
    const std::string prefix = "Test::Concurrent" + std::to_string(runs++) + "_";
    std::atomic<int> registered{0};
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&] {
            for (int i = 0; i < kNamesPerThread; ++i)
            {
                // Every thread tries the same names: exactly one registration of each wins.
                const std::string name = prefix + std::to_string(i);
                if (CFormat::RegisterFormat(name, [] () -> CFormat* { return new CLongFormat(); }))
                    ++registered;
                std::unique_ptr<CFormat> format(CFormat::CreateFormat(name));
                if (format)
                    ++created;
                std::unique_ptr<CFormat> builtIn(CFormat::CreateFormat("Common::CDoubleFormat"));
                EXPECT_NE(builtIn, nullptr);
                EXPECT_NE(CFormat::GetDefaultFormat(vtLong), nullptr);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(registered.load(), kNamesPerThread);
    EXPECT_EQ(created.load(), kThreads * kNamesPerThread);
}
