#include "ombrel/common/Int64DateFormat.h"
#include "ombrel/common/Serializer.h"

#include "common/DateFormatTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

using namespace Ombrel::Common;

namespace {

constexpr std::int64_t kMarch7th2010At140509_250 = 129124443092500000; // UTC file time
constexpr std::int64_t kJanuary1st2000At0100 = 125911620000000000;
constexpr std::int64_t kTicksPerMs = 10000;

} // namespace

using Int64DateFormatTest = DateFormatTest;

TEST_F(Int64DateFormatTest, ShowsUtcWithMillisecondTemplates)
{
    UseSettings(CDateSettings::kYearMonthDay, "-");
    UseZone("CET-1"); // must not matter
    const std::int64_t t = kMarch7th2010At140509_250;
    EXPECT_EQ(CInt64DateFormat(13 | 0xF0).FormatStl(t), "2010-03-07 14:05:09.250");
    EXPECT_EQ(CInt64DateFormat(13 | 0x70).FormatStl(t), "2010-03-07 14:05:09");
    EXPECT_EQ(CInt64DateFormat(0xE0).FormatStl(t), "05:09.250");
    EXPECT_EQ(CInt64DateFormat(0xC0).FormatStl(t), "09.250");
    EXPECT_EQ(CInt64DateFormat(0x80).FormatStl(t), "250");
    EXPECT_EQ(CInt64DateFormat(13 | 0x90).FormatStl(t), "2010-03-07");
    const CInt64DateFormat format(13);
    EXPECT_EQ(format.FormatStl(std::int64_t{0}), "1601-01-01");
    EXPECT_EQ(format.FormatStl(std::int64_t{-1}), "");
    EXPECT_EQ(format.FormatStl(std::numeric_limits<std::int64_t>::max()), "30828-09-14");
}

TEST_F(Int64DateFormatTest, ReadsFractionsAfterDotOrComma)
{
    UseSettings(CDateSettings::kYearMonthDay, "-");
    const CInt64DateFormat format(13 | 0xF0);
    std::int64_t value = 0;
    ASSERT_TRUE(format.ParseStl("2010-03-07 14:05:09,25", value));
    EXPECT_EQ(value, kMarch7th2010At140509_250);
    ASSERT_TRUE(format.ParseStl("2010-03-07 14:05:09.2509", value));
    EXPECT_EQ(value, kMarch7th2010At140509_250);
}

TEST_F(Int64DateFormatTest, UnselectedPartsDefaultToOneOClockOnNewYear2000)
{
    std::int64_t value = 0;
    ASSERT_TRUE(CInt64DateFormat(0x80).ParseStl("250", value));
    EXPECT_EQ(value, kJanuary1st2000At0100 + 250 * kTicksPerMs);
    ASSERT_TRUE(CInt64DateFormat(0x10).ParseStl("2010/03/07", value)); // no time token
    EXPECT_EQ(value, kJanuary1st2000At0100);
    ASSERT_TRUE(CInt64DateFormat(0x30).ParseStl("14:05", value));
    EXPECT_EQ(value, kJanuary1st2000At0100 + (13 * 3600 + 5 * 60) * 1000 * kTicksPerMs);
    ASSERT_TRUE(CInt64DateFormat(14).ParseStl("", value));
    EXPECT_EQ(value, kJanuary1st2000At0100);
    ASSERT_TRUE(CInt64DateFormat(14).ParseStl("01/02/50", value)); // two-digit years below 70
    EXPECT_EQ(value, 141717636000000000);                          // are 20xx: 2050-02-01 01:00
}

TEST_F(Int64DateFormatTest, RejectsFieldsOutsideTheCalendar)
{
    const CInt64DateFormat format(13 | 0xF0);
    std::int64_t value = 42;
    EXPECT_FALSE(format.ParseStl("07/13/2010", value));
    EXPECT_FALSE(format.ParseStl("30/02/2010", value));
    EXPECT_FALSE(format.ParseStl("07/03/2010 24:00:00", value));
    EXPECT_FALSE(format.ParseStl("01/01/1600", value));
    EXPECT_FALSE(CInt64DateFormat(0x80).ParseStl("1000", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(format.ParseStl("29/02/2000 23:59:59.999", value));
}

TEST_F(Int64DateFormatTest, FormattedTextReadsBackToTheSameMillisecond)
{
    UseSettings(CDateSettings::kMonthDayYear, ".");
    const CInt64DateFormat format(13 | 0xF0);
    for (std::int64_t value : {std::int64_t{0}, kMarch7th2010At140509_250,
                               std::int64_t{2650467743999990000}}) { // 9999-12-31 23:59:59.999
        std::int64_t parsed = -1;
        ASSERT_TRUE(format.ParseStl(format.FormatStl(value), parsed)) << format.FormatStl(value);
        EXPECT_EQ(parsed, value);
    }
}

TEST_F(Int64DateFormatTest, SerializesFlagsAndReportsNewerVersions)
{
    CInt64DateFormat source(13 | 0xF0);
    CSerializer out(false);
    source.Serialize(out);
    std::string bytes(static_cast<std::size_t>(out.GetSize()), '\0');
    out.GetData(bytes.data());

    std::unique_ptr<CFormat> created(CFormat::CreateFormat("Common::CInt64DateFormat"));
    auto* restored = dynamic_cast<CInt64DateFormat*>(created.get());
    ASSERT_NE(restored, nullptr);
    CSerializer in(true);
    in.SetData(bytes.data(), static_cast<int>(bytes.size()));
    restored->Serialize(in);
    EXPECT_EQ(restored->GetFlags(), 13 | 0xF0);
    ExpectNewerVersionRefused(
        *restored, "CInt64DateFormat doesn't support current version and can't be deserialized.");
    EXPECT_EQ(restored->GetFlags(), 13 | 0xF0);
}
