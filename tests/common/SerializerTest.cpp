#include "ombrel/common/Serializer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Ombrel;
using namespace Ombrel::Common;

namespace {

std::vector<unsigned char> BytesOf(const CSerializer& serializer)
{
    std::vector<char> buffer(static_cast<std::size_t>(serializer.GetSize()));
    serializer.GetData(buffer.data());
    return std::vector<unsigned char>(buffer.begin(), buffer.end());
}

CSerializer ReaderOf(const std::vector<unsigned char>& bytes)
{
    CSerializer reader(true);
    reader.SetData(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    return reader;
}

template <class Call>
std::string MessageOf(Call&& call)
{
    try
    {
        call();
    }
    catch (const CSerializer::SerializationException& error)
    {
        return error.what();
    }
    return "no exception";
}

using Bytes = std::vector<unsigned char>;

} // namespace

TEST(SerializerTest, StringsAreALengthThenTerminatedCharacters)
{
    CSerializer writer(false);
    writer.Store(std::string());
    writer.Store(std::string("abc"));
    writer.Store(CString("d"));
    EXPECT_EQ(BytesOf(writer), (Bytes{0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 0, 1, 0, 0, 0, 'd', 0}));
}

TEST(SerializerTest, PrimitivesAreLittleEndianAtTheirWidth)
{
    CSerializer writer(false);
    writer.Store(true);
    writer.Store(static_cast<short>(0x0102));
    writer.Store(std::int32_t{-2});
    writer.Store(std::int64_t{0x0102030405060708});
    EXPECT_EQ(BytesOf(writer), (Bytes{1, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(SerializerTest, AnyNonZeroByteRestoresAsTrue)
{
    CSerializer reader = ReaderOf({0x7F, 0});
    bool first = false;
    bool second = true;
    reader.Restore(first);
    reader.Restore(second);
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
}

TEST(SerializerTest, ShortRestoreThrowsAndKeepsTheReadPosition)
{
    CSerializer reader = ReaderOf({1, 2, 3});
    std::int32_t wide = 0;
    EXPECT_EQ(MessageOf([&] { reader.Restore(wide); }), "Not enough space to restore the value");
    short narrow = 0;
    reader.Restore(narrow);
    EXPECT_EQ(narrow, 0x0201);
}

TEST(SerializerTest, RawRestoreRejectsNullAndNonPositiveCounts)
{
    CSerializer reader = ReaderOf({1, 2});
    char byte = 0;
    EXPECT_EQ(MessageOf([&] { reader.RestoreBytes(nullptr, 1); }), "Not enough space to restore the value");
    EXPECT_EQ(MessageOf([&] { reader.RestoreBytes(&byte, 0); }), "Not enough space to restore the value");
    reader.RestoreBytes(&byte, 1);
    EXPECT_EQ(byte, 1);
}

TEST(SerializerTest, WrongModeOperationsThrowTheirMessages)
{
    CSerializer writer(false);
    CSerializer reader(true);
    std::int32_t value = 0;
    EXPECT_EQ(MessageOf([&] { reader.Store(value); }), "Serializer was opened for restore operations");
    EXPECT_EQ(MessageOf([&] { writer.Restore(value); }), "Serializer was opened for store operations");
    EXPECT_EQ(MessageOf([&] { reader.GetData(nullptr); }), "Serializer was opened for the restore operation");
    EXPECT_EQ(MessageOf([&] { writer.SetData("x", 1); }), "Serializer was opened for the store operation");
    EXPECT_EQ(MessageOf([&] { reader.StoreBytes("x", 1); }), "Serializer was opened for restore operations");
}

TEST(SerializerTest, HostileStringLengthsFailBeforeAllocating)
{
    // 0x7FFFFFFF characters announced by a 4-byte stream, and a negative length.
    for (const Bytes& stream : {Bytes{0xFF, 0xFF, 0xFF, 0x7F}, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 'a'}})
    {
        CSerializer standardReader = ReaderOf(stream);
        std::string standard = "kept";
        EXPECT_EQ(MessageOf([&] { standardReader.Restore(standard); }), "Not enough space to restore the value");
        EXPECT_EQ(standard, "kept");

        CSerializer frameworkReader = ReaderOf(stream);
        CString framework = "kept";
        EXPECT_EQ(MessageOf([&] { frameworkReader.Restore(framework); }), "Not enough space to restore the value");
        EXPECT_EQ(framework, "kept");
        // The failed string consumed nothing: the length is still there to read.
        std::int32_t length = 0;
        frameworkReader.Restore(length);
        EXPECT_EQ(length, static_cast<std::int32_t>(stream[0] | stream[1] << 8 | stream[2] << 16 | stream[3] << 24));
    }
}

TEST(SerializerTest, RestoredStringsEndAtTheFirstZeroByte)
{
    CSerializer reader = ReaderOf({3, 0, 0, 0, 'a', 0, 'c', 'x', 2, 0, 0, 0, 0, 'b', 'z'});
    std::string first;
    std::string second = "x";
    reader.Restore(first);
    reader.Restore(second);
    EXPECT_EQ(first, "a");
    EXPECT_EQ(second, "");
}

TEST(SerializerTest, ValuesAreVersionTagAndPayload)
{
    CSerializer writer(false);
    writer.Store(CValue(OpaqueValue{5}));
    writer.Store(CValue(std::int32_t{-1}));
    writer.Store(CValue(std::string("hi")));
    writer.Store(CValue());
    EXPECT_EQ(BytesOf(writer),
              (Bytes{1, 13, 1, 7, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 2, 0, 0, 0, 'h', 'i', 0, 1, 0}));
}

TEST(SerializerTest, EveryValueKindRoundTrips)
{
    const std::vector<CValue> values = {CValue(CString("mfc")),    CValue(std::string("stl")),
                                        CValue('c'),               CValue(static_cast<unsigned char>(200)),
                                        CValue(short{-300}),       CValue(static_cast<unsigned short>(60000)),
                                        CValue(std::int32_t{-7}),  CValue(std::uint32_t{4000000000u}),
                                        CValue(std::int64_t{-1}),  CValue(true),
                                        CValue(0.25f),             CValue(1e300)};
    CSerializer writer(false);
    for (const CValue& value : values)
        writer.Store(value);
    CSerializer reader = ReaderOf(BytesOf(writer));
    for (const CValue& expected : values)
    {
        CValue restored;
        reader.Restore(restored);
        EXPECT_EQ(restored.GetType(), expected.GetType());
        EXPECT_TRUE(restored == expected);
    }
}

TEST(SerializerTest, OpaqueZeroVersionAndUnknownTagsRestoreAsEmpty)
{
    CSerializer reader = ReaderOf({1, 13, 0, 1, 99, 1, 7, 5, 0, 0, 0});
    CValue value(1.0);
    reader.Restore(value);
    EXPECT_TRUE(value.IsEmpty());
    value = CValue(1.0);
    reader.Restore(value);  // the single byte 00
    EXPECT_TRUE(value.IsEmpty());
    reader.Restore(value);  // tag 99 carries nothing
    EXPECT_TRUE(value.IsEmpty());
    reader.Restore(value);  // the next value starts right after
    EXPECT_EQ(value.GetLong(), 5);
}

TEST(SerializerTest, TruncatedValueLeavesTargetAndPositionAlone)
{
    CSerializer reader = ReaderOf({1, 12, 0, 0, 0});
    CValue value(std::int32_t{9});
    EXPECT_EQ(MessageOf([&] { reader.Restore(value); }), "Not enough space to restore the value");
    EXPECT_EQ(value.GetLong(), 9);
    unsigned char version = 0;
    reader.Restore(version);
    EXPECT_EQ(version, 1);
}

TEST(SerializerTest, SetDataRestartsReadingAndIgnoresEmptyInput)
{
    CSerializer reader = ReaderOf({1, 2});
    char byte = 0;
    reader.Restore(byte);
    reader.SetData("\x05\x06", 2);
    reader.SetData(nullptr, 4);
    reader.SetData("x", 0);
    reader.Restore(byte);
    EXPECT_EQ(byte, 5);
    EXPECT_EQ(reader.GetSize(), 2);
}
