#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/common/Serializer.h"

#include "common/DateFormatTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

using namespace Ombrel::Common;

namespace {

const EnumItem kCities[] = {{0, "Paris"}, {1, "Toronto"}, {2, "New York"},
                            {0, "Repeated"}, {5, "London"}, {7, nullptr}};

CLongEnumFormat::ItemList ItemsOf(const CLongEnumFormat& format)
{
    CLongEnumFormat::ItemList items;
    format.GetItems(items);
    return items;
}

std::string Store(CLongEnumFormat& format)
{
    CSerializer out(false);
    format.Serialize(out);
    std::string bytes(static_cast<std::size_t>(out.GetSize()), '\0');
    out.GetData(bytes.data());
    return bytes;
}

void Restore(CLongEnumFormat& format, const std::string& bytes)
{
    CSerializer in(true);
    in.SetData(bytes.data(), static_cast<int>(bytes.size()));
    format.Serialize(in);
}

} // namespace

TEST(LongEnumFormatTest, TableKeepsFirstNameOfARepeatedValue)
{
    const CLongEnumFormat format(kCities, 6);
    const CLongEnumFormat::ItemList expected = {
        {0, "Paris"}, {1, "Toronto"}, {2, "New York"}, {5, "London"}, {7, ""}};
    EXPECT_EQ(ItemsOf(format), expected);
    EXPECT_EQ(format.FormatStl(0), "Paris");
    EXPECT_EQ(format.Format(2), "New York");
    EXPECT_EQ(format.FormatStl(3), "");
    CLongEnumFormat::ItemList none;
    EXPECT_FALSE(CLongEnumFormat(nullptr, 3).GetItems(none));
    EXPECT_TRUE(none.empty());
}

TEST(LongEnumFormatTest, ParsesWholeNamesInTableOrder)
{
    CLongEnumFormat format(kCities, 5);
    format.AddItem(-3, "Paris");
    std::int32_t value = 99;
    EXPECT_FALSE(format.ParseStl(" Paris", value));
    EXPECT_FALSE(format.ParseStl("paris", value));
    EXPECT_EQ(value, 99);
    ASSERT_TRUE(format.ParseStl("Paris", value));
    EXPECT_EQ(value, 0);
    format.RemoveItem(0);
    ASSERT_TRUE(format.ParseStl("Paris", value));
    EXPECT_EQ(value, -3);
}

TEST(LongEnumFormatTest, EditingKeepsValuesUniqueAndOrdered)
{
    CLongEnumFormat format(kCities, 3);
    EXPECT_FALSE(format.AddItem(1, "Other"));
    EXPECT_FALSE(format.RemoveItem(42));
    EXPECT_TRUE(format.RemoveItem(1));
    EXPECT_EQ(format[100], "");
    format[100] = "100 as string";
    format[2] = "NYC";
    const CLongEnumFormat::ItemList expected = {{0, "Paris"}, {2, "NYC"}, {100, "100 as string"}};
    EXPECT_EQ(ItemsOf(format), expected);

    std::unique_ptr<CFormat> copy(format.Clone());
    format[0] = "changed";
    EXPECT_EQ(copy->FormatStl(CValue(std::int32_t{0})), "Paris");
    EXPECT_TRUE(copy->IsEnumeration());
}

TEST(LongEnumFormatTest, StoresListOrderThenNamesInValueOrder)
{
    const EnumItem items[] = {{5, "E"}, {-1, "A"}};
    CLongEnumFormat format(items, 2);
    const std::string bytes = Store(format);
    EXPECT_EQ(bytes, std::string("\x01\0\0\0"                          // version
                                 "\x02\0\0\0\x05\0\0\0\xFF\xFF\xFF\xFF" // order list
                                 "\x02\0\0\0"                          // names
                                 "\xFF\xFF\xFF\xFF\x01\0\0\0A\0"
                                 "\x05\0\0\0\x01\0\0\0E\0",
                                 40));

    std::unique_ptr<CFormat> created(CFormat::CreateFormat("Common::CLongEnumFormat"));
    auto* restored = dynamic_cast<CLongEnumFormat*>(created.get());
    ASSERT_NE(restored, nullptr);
    Restore(*restored, bytes);
    EXPECT_EQ(ItemsOf(*restored), ItemsOf(format));
}

TEST(LongEnumFormatTest, HostileRecordsThrowOrAreMadeConsistent)
{
    CLongEnumFormat format(kCities, 2);
    // A count of 2^31 with two values behind it: runs out of bytes, table unchanged.
    EXPECT_THROW(Restore(format, std::string("\x01\0\0\0\0\0\0\x80\x01\0\0\0\x02\0\0\0", 16)),
                 CSerializer::SerializationException);
    EXPECT_EQ(ItemsOf(format).size(), 2u);

    // Order list 3, 3, 4; names for 4 and 9: the repeat goes, 3 gets an empty name, 9 joins.
    Restore(format, std::string("\x01\0\0\0\x03\0\0\0\x03\0\0\0\x03\0\0\0\x04\0\0\0"
                                "\x02\0\0\0\x04\0\0\0\x01\0\0\0x\0\x09\0\0\0\x01\0\0\0y\0",
                                44));
    const CLongEnumFormat::ItemList expected = {{3, ""}, {4, "x"}, {9, "y"}};
    EXPECT_EQ(ItemsOf(format), expected);
    EXPECT_TRUE(format.RemoveItem(9));
    EXPECT_EQ(ItemsOf(format).size(), 2u);
}

TEST(LongEnumFormatTest, NewerVersionThrowsWithTheClassMessage)
{
    CLongEnumFormat format(kCities, 2);
    ExpectNewerVersionRefused(
        format, "CLongEnumFormat doesn't support current version and can't be deserialized.");
    Restore(format, std::string("\0\0\0\0", 4));
    EXPECT_EQ(ItemsOf(format).size(), 2u);
}
