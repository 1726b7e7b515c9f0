#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ColumnKindGuess.h"
#include "IsoDateTime.h"
#include "TableRowBuilder.h"
#include "TableShape.h"
#include "Utf8Repair.h"

#include "ombrel/common/DateSettings.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/common/DynamicSchema.h"

namespace Ombrel::Viewer {
namespace {

ColumnKind KindOf(const std::vector<std::string>& cells)
{
    CColumnKindGuess guess;
    for (const std::string& cell : cells)
        guess.Observe(cell);
    return guess.GetKind();
}

TEST(ColumnKindGuessTest, EachKindAndTheFallbackToText)
{
    EXPECT_EQ(KindOf({"1", " -42 ", "", "+7"}), ColumnKind::Integer);
    EXPECT_EQ(KindOf({"1", "2.5", "-1e3"}), ColumnKind::Double);
    EXPECT_EQ(KindOf({"true", "FALSE", ""}), ColumnKind::Bool);
    EXPECT_EQ(KindOf({"2024-02-29", "1999-12-31"}), ColumnKind::Date);
    EXPECT_EQ(KindOf({"2024-02-29", "2024-03-01T10:15:00Z"}), ColumnKind::DateTime);
    EXPECT_EQ(KindOf({"1", "two"}), ColumnKind::Text);
    EXPECT_EQ(KindOf({"1.5", "nan"}), ColumnKind::Text);
    EXPECT_EQ(KindOf({"2023-02-29"}), ColumnKind::Text);  // no such day
    EXPECT_EQ(KindOf({"99999999999999999999"}), ColumnKind::Double);  // beyond 64 bits
    EXPECT_EQ(KindOf({"", "  "}), ColumnKind::Text);
    EXPECT_EQ(KindOf({}), ColumnKind::Text);
}

TEST(IsoDateTimeTest, ReadsDatesTimesAndOffsetsIntoFileTime)
{
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kUnixEpoch = 11'644'473'600 * kTicksPerSecond;
    EXPECT_EQ(ParseIsoDateTime("1970-01-01")->fileTime, kUnixEpoch);
    EXPECT_EQ(ParseIsoDateTime("1601-01-01")->fileTime, 0);
    const auto noon = ParseIsoDateTime("1970-01-01T12:00:00.25+02:00");
    ASSERT_TRUE(noon);
    EXPECT_EQ(noon->fileTime, kUnixEpoch + (10 * 3600) * kTicksPerSecond + kTicksPerSecond / 4);
    EXPECT_TRUE(noon->hasTime && noon->hasFraction);
    EXPECT_EQ(ParseIsoDateTime("1970-01-01 00:01")->fileTime, kUnixEpoch + 60 * kTicksPerSecond);
    for (const char* bad : {"1970-1-01", "1970-01-01T25:00", "1970-01-01T10:00x", "1600-12-31", "1970-01-01T",
                            "1601-01-01T00:00+01:00", "2024-13-01", "1970-01-01T10:00:00."})
        EXPECT_FALSE(ParseIsoDateTime(bad)) << bad;
}

TEST(Utf8RepairTest, ReplacesEachInvalidByteAndKeepsValidText)
{
    std::string valid = "Zoë €𝄞";
    EXPECT_EQ(RepairUtf8(valid), 0u);
    EXPECT_EQ(valid, "Zoë €𝄞");
    // Overlong "/", a surrogate, a stray continuation byte, a truncated sequence at the end.
    std::string invalid = "\xC0\xAF|\xED\xA0\x80|\x80|\xF0\x9F\x98";
    EXPECT_EQ(RepairUtf8(invalid), 9u);
    EXPECT_EQ(invalid, "\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD|\uFFFD\uFFFD\uFFFD");
}

// A shape that saw one row of every kind.
CTableShape ShapeOf(const std::vector<std::string>& names, std::vector<std::string> row)
{
    CTableShape shape;
    for (const std::string& name : names)
        shape.OnColumn(name);
    shape.OnRow(row);
    return shape;
}

TEST(TableRowBuilderTest, RowsBecomeObjectsOfOneSchemaWithTypedValues)
{
    Common::CDateSettings& dates = Common::CDateSettings::GetInstance();
    const auto order = dates.GetDateOrder();
    const std::string separator = dates.GetDateSeparator();
    dates.SetDateOrder(Common::CDateSettings::kYearMonthDay);
    dates.SetDateSeparator("-");

    const CTableShape shape = ShapeOf({"id", "price", "ok", "day", "name"},
                                      {"7", "2.5", "true", "2024-01-31", "x"});
    std::vector<std::unique_ptr<Common::CDynamicObject>> kept;
    int batches = 0;
    CTableRowBuilder builder(shape, [&](CTableRowBuilder::Objects& batch) {
        ++batches;
        for (auto& object : batch)
            kept.push_back(std::move(object));
        return true;
    });
    std::vector<std::vector<std::string>> rows = {{"12", "-0.5", "FALSE", "2024-02-01", "hello"},
                                                  {"", " 3 ", "", "", ""},
                                                  {"oops", "1", "true", "2024-02-30", "y"}};
    for (auto& row : rows)
        ASSERT_TRUE(builder.OnRow(row));
    ASSERT_TRUE(builder.Flush());
    EXPECT_EQ(batches, 1);
    ASSERT_EQ(kept.size(), 3u);

    Common::CDynamicObject& first = *kept[0];
    EXPECT_EQ(first.GetInt64(1), 12);
    EXPECT_EQ(first.GetDouble(2), -0.5);
    EXPECT_FALSE(first.GetBool(3));
    EXPECT_TRUE(first.IsReadable(3));
    EXPECT_EQ(std::string(first.GetFormattedValue(4)), "2024-02-01");
    EXPECT_EQ(first.GetStdString(5), "hello");
    EXPECT_EQ(first.GetFieldName(2), "price");
    EXPECT_EQ(std::string(first.GetFormattedValue(1)), "12");

    EXPECT_FALSE(kept[1]->IsReadable(1));  // empty cells store nothing
    EXPECT_EQ(kept[1]->GetDouble(2), 3.0);
    EXPECT_FALSE(kept[1]->IsReadable(5));

    // Cells that stopped fitting their column (the file changed between the passes).
    EXPECT_EQ(builder.GetUnreadCells(), 2u);
    EXPECT_EQ(kept[0]->GetFieldMap(), kept[2]->GetFieldMap());
    dates.SetDateOrder(order);
    dates.SetDateSeparator(separator);
}

} // namespace
} // namespace Ombrel::Viewer
