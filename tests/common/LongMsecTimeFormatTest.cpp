#include "ombrel/common/LongMsecTimeFormat.h"
#include "ombrel/common/Serializer.h"

#include "common/DateFormatTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

using namespace Ombrel::Common;

namespace {

struct TextCase
{
    std::int32_t flags;
    bool leadingZeros;
    std::int32_t value;
    const char* text;
};

const TextCase kTextCases[] = {
    {30, false, 3723004, "1:02:03.004"},
    {30, false, 123004, "2:03.004"},
    {30, false, 4, "0.004"},
    {30, false, -4, "-0.004"},
    {30, true, 4, "00:00:00.004"},
    {6, false, 300000, ":05"},
    {6, false, -30000, ":00"}, // a zero total shows no sign
    {14, false, 59000, "0:59"},
    {14, false, 3600000, "1:00:00"},
    {24, false, 999, "999"},
    {24, false, 61001, "61.001"},
    {28, false, 4001, "4.001"},
    {16, true, 7, "007"},
    {2, false, 90000000, "25"},
    {1 | 14, true, 90061000, "1d 01:01:01"},
    {1 | 14, false, 90061000, "1d 1:01:01"},
    {1 | 14, false, 3661000, "1:01:01"},
    {1, false, 0, "0d"},
    {10, false, 5000, ""},
    {10, false, -5000, ""}, // no lone sign
    {30, false, std::numeric_limits<std::int32_t>::min(), "-596:31:23.648"},
};

CLongMsecTimeFormat Make(const TextCase& c)
{
    return CLongMsecTimeFormat(c.flags, c.leadingZeros, "", "d");
}

} // namespace

TEST(LongMsecTimeFormatTest, FormatsFiguresOfTheSelectedUnits)
{
    for (const TextCase& c : kTextCases)
        EXPECT_EQ(Make(c).FormatStl(c.value), c.text) << c.flags << " " << c.value;
}

TEST(LongMsecTimeFormatTest, ReadsBackWhatItShows)
{
    for (const TextCase& c : kTextCases) {
        if (c.text[0] == '\0' || c.flags == 2 || c.value == -30000)
            continue; // nothing shown, or figures that wrap by design
        std::int32_t parsed = 0;
        ASSERT_TRUE(Make(c).ParseStl(c.text, parsed)) << c.text;
        EXPECT_EQ(parsed, c.value) << c.text;
    }
}

TEST(LongMsecTimeFormatTest, AssignsRunsOfDigitsFromTheRight)
{
    std::int32_t value = 0;
    ASSERT_TRUE(CLongMsecTimeFormat(24).ParseStl("-0.5", value));
    EXPECT_EQ(value, -5);
    ASSERT_TRUE(CLongMsecTimeFormat(12).ParseStl("7:08:09", value));
    EXPECT_EQ(value, 8 * 60000 + 9000); // runs left of the largest unit are ignored
    ASSERT_TRUE(CLongMsecTimeFormat(15).ParseStl("2 days, 3:04:05 h", value));
    EXPECT_EQ(value, 2 * 86400000 + 3 * 3600000 + 4 * 60000 + 5000);
    ASSERT_TRUE(CLongMsecTimeFormat(12).ParseStl("1 30", value));
    EXPECT_EQ(value, 90000); // without days a blank separates time figures
}

TEST(LongMsecTimeFormatTest, RefusesGapsInTheUnitsAndTotalsBeyond32Bits)
{
    std::int32_t value = 42;
    EXPECT_FALSE(CLongMsecTimeFormat(10).ParseStl("1:02", value));
    EXPECT_FALSE(CLongMsecTimeFormat(4 | 16).ParseStl("1:02", value));
    EXPECT_FALSE(CLongMsecTimeFormat(1 | 8).ParseStl("1 2", value));
    EXPECT_FALSE(CLongMsecTimeFormat(30).ParseStl("597:00:00.000", value));
    EXPECT_FALSE(CLongMsecTimeFormat(16).ParseStl("99999999999999999999", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(CLongMsecTimeFormat(16).ParseStl("-2147483648", value));
    EXPECT_EQ(value, std::numeric_limits<std::int32_t>::min());
}

TEST(LongMsecTimeFormatTest, StoresOptionsWithDaySuffixBeforeTimeSuffix)
{
    CLongMsecTimeFormat source(15, true, "T", "D");
    CSerializer out(false);
    source.Serialize(out);
    std::string bytes(static_cast<std::size_t>(out.GetSize()), '\0');
    out.GetData(bytes.data());
    EXPECT_EQ(bytes, std::string("\x01\0\0\0\x0F\0\0\0\x01"
                                 "\x01\0\0\0D\0"
                                 "\x01\0\0\0T\0",
                                 21));

    std::unique_ptr<CFormat> restored(CFormat::CreateFormat("Common::CLongMsecTimeFormat"));
    ASSERT_NE(restored, nullptr);
    CSerializer in(true);
    in.SetData(bytes.data(), static_cast<int>(bytes.size()));
    restored->Serialize(in);
    EXPECT_EQ(restored->FormatStl(CValue(std::int32_t{90061000})), "1D 01:01:01T");
}

TEST(LongMsecTimeFormatTest, ShortOrNewerRecordsKeepTheOptions)
{
    CLongMsecTimeFormat format(14);
    CSerializer shortRecord(true);
    shortRecord.SetData("\x01\0\0\0\x10\0\0\0\x01\x05\0\0\0ab", 15);
    EXPECT_THROW(format.Serialize(shortRecord), CSerializer::SerializationException);
    EXPECT_EQ(format.GetFlags(), 14);
    ExpectNewerVersionRefused(format, "CLongMsecTimeFormat doesn't support current version and "
                                      "can't be deserialized.");
    EXPECT_EQ(format.FormatStl(3723004), "1:02:03");
}
