#include "ombrel/common/LongDateFormat.h"
#include "ombrel/common/DateFormatText.h"
#include "ombrel/common/Serializer.h"
#include "ombrel/common/Value.h"

#include "common/DateFormatTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Ombrel::Common;

namespace {

constexpr std::int32_t kMarch7th2010At140509 = 1267970709; // UTC
constexpr std::int32_t kMarch7th2010 = 1267920000;

struct LayoutCase
{
    std::int32_t order;
    const char* separator;
    std::int32_t flags;
    const char* expected;
};

} // namespace

using LongDateFormatTest = DateFormatTest;

TEST_F(LongDateFormatTest, LaysOutDateAndTimePartsBySettingsAndFlags)
{
    const LayoutCase cases[] = {
        {2, "-", 13, "2010-03-07"},          {2, "-", 13 | 0x70, "2010-03-07 14:05:09"},
        {0, "/", 14, "07/03/10"},            {1, "/", 13, "03/07/2010"},
        {1, ".", 14 | 0x30, "03.07.10 14:05"}, {2, "-", 5, "2010-03"},
        {2, "/", 6, "10/03"},
        {0, "/", 12, "07/03"},               {2, "/", 12, "03/07"},
        {0, "/", 8 | 0x60, "07 05:09"},      {0, "/", 7, ""},
        // A time selection that shows nothing adds no blank after the date.
        {2, "-", 13 | 0x50, "2010-03-07"},
    };
    for (const LayoutCase& c : cases) {
        UseSettings(c.order, c.separator);
        EXPECT_EQ(CLongDateFormat(c.flags).FormatStl(kMarch7th2010At140509), c.expected)
            << "order " << c.order << ", flags " << c.flags;
    }
    UseSettings(CDateSettings::kDayMonthYear, "/");
    EXPECT_EQ(CLongDateFormat().Format(0), "01/01/70");
    EXPECT_EQ(CLongDateFormat().FormatStl(-1), "");
}

// Every figure is padded to its width (a year of fewer than four digits, a time of single
// digits) and the separators are used whole, however long.
TEST(DateFormatTextTest, FiguresArePaddedToTheirWidthAndJoinedByWholeSeparators)
{
    namespace Text = DateFormatText;
    Text::CalendarFields fields;
    fields.year = 987;
    fields.month = 3;
    fields.day = 7;
    fields.hour = 4;
    fields.minute = 0;
    fields.second = 59;
    CDateSettings::Snapshot settings;
    settings.dateOrder = CDateSettings::kYearMonthDay;
    settings.dateSeparator = " - ";
    EXPECT_EQ(Text::FormatDatePart(13, fields, settings), "0987 - 03 - 07");
    EXPECT_EQ(Text::FormatDatePart(14, fields, settings), "87 - 03 - 07");
    EXPECT_EQ(Text::FormatDatePart(1, fields, settings), "0987");
    settings.dateOrder = CDateSettings::kMonthDayYear;
    settings.dateSeparator = "";
    EXPECT_EQ(Text::FormatDatePart(13, fields, settings), "03070987");
    EXPECT_EQ(Text::FormatClockPart(0x70, fields, "::"), "04::00::59");
    EXPECT_EQ(Text::FormatClockPart(0x20, fields, ":"), "00");
    fields.year = 12345;
    EXPECT_EQ(Text::FormatDatePart(1, fields, settings), "12345");
}

TEST_F(LongDateFormatTest, ShowsAndReadsLocalTime)
{
    UseZone("CET-1");
    const CLongDateFormat format(14 | 0x30);
    EXPECT_EQ(format.FormatStl(0), "01/01/70 01:00");
    std::int32_t value = -1;
    ASSERT_TRUE(format.ParseStl("01/01/70 01:00", value));
    EXPECT_EQ(value, 0);
}

TEST_F(LongDateFormatTest, ReadsDateTokenTimeTokenOrBoth)
{
    UseSettings(CDateSettings::kYearMonthDay, "-");
    std::int32_t value = 0;
    ASSERT_TRUE(CLongDateFormat(13).ParseStl("2010-03-07", value));
    EXPECT_EQ(value, kMarch7th2010);
    ASSERT_TRUE(CLongDateFormat(13 | 0x30).ParseStl("2010-03-07 14:05", value));
    EXPECT_EQ(value, kMarch7th2010 + 14 * 3600 + 5 * 60);
    ASSERT_TRUE(CLongDateFormat(13 | 0x70).ParseStl("14:05:09.750 2010-03-07", value));
    EXPECT_EQ(value, kMarch7th2010At140509);
    // Only a time: the date stays 2000-01-01.
    ASSERT_TRUE(CLongDateFormat(13 | 0x70).ParseStl("14:05:09", value));
    EXPECT_EQ(value, 946735509);
}

TEST_F(LongDateFormatTest, AcceptsOnlyTimesFrom1970To2038)
{
    const CLongDateFormat format(14);
    std::int32_t value = 0;
    ASSERT_TRUE(format.ParseStl("01/02/05", value));
    EXPECT_EQ(value, 1107216000); // 2005-02-01
    ASSERT_TRUE(format.ParseStl("01/02/75", value));
    EXPECT_EQ(format.FormatStl(value), "01/02/75");
    value = 42;
    EXPECT_FALSE(format.ParseStl("01/02/50", value));
    EXPECT_FALSE(format.ParseStl("31/12/1969", value));
    EXPECT_FALSE(format.ParseStl("01/01/2040", value)); // would not fit a long
    EXPECT_FALSE(format.ParseStl("no digits", value));
    EXPECT_EQ(value, 42);
    ASSERT_TRUE(format.ParseStl("01/13/2010", value)); // month 13 is January 2011
    EXPECT_EQ(value, 1293840000);
}

TEST_F(LongDateFormatTest, FormattedTextReadsBackToTheSameSecond)
{
    for (std::int32_t order : {0, 1, 2}) {
        UseSettings(order, order == 0 ? "/" : order == 1 ? "." : "-");
        const CLongDateFormat format(13 | 0x70);
        for (std::int32_t value : {0, 86399, kMarch7th2010At140509, 2147483647}) {
            std::int32_t parsed = -1;
            ASSERT_TRUE(format.ParseStl(format.FormatStl(value), parsed)) << value;
            EXPECT_EQ(parsed, value);
        }
    }
}

TEST_F(LongDateFormatTest, StoresFlagsAndRefusesNewerRecords)
{
    CLongDateFormat format(13 | 0x70);
    CSerializer out(false);
    format.Serialize(out);
    char bytes[8] = {};
    ASSERT_EQ(out.GetData(bytes), 8);
    EXPECT_EQ(std::string(bytes, 8), std::string("\x01\0\0\0\x7D\0\0\0", 8));

    std::unique_ptr<CFormat> restored(CFormat::CreateFormat("Common::CLongDateFormat"));
    ASSERT_NE(restored, nullptr);
    CSerializer in(true);
    in.SetData(bytes, 8);
    restored->Serialize(in);
    EXPECT_EQ(restored->FormatStl(CValue(std::int32_t{0})), "01/01/1970 00:00:00");
    ExpectNewerVersionRefused(
        *restored, "CLongDateFormat doesn't support current version and can't be deserialized.");
    CSerializer none(true);
    none.SetData("\0\0\0\0\x0E\0\0\0", 8); // version 0: nothing restored
    restored->Serialize(none);
    EXPECT_EQ(restored->FormatStl(CValue(std::int32_t{0})), "01/01/1970 00:00:00");
}
