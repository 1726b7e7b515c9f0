#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CsvReader.h"
#include "JsonReader.h"
#include "TableFile.h"

namespace Ombrel::Viewer {
namespace {

// Keeps what a reader delivers; can cancel after a number of rows.
class CCollectingSink : public ITableSink
{
public:
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> warnings;
    std::size_t stopAfter = 0;  // 0: never

    void OnColumn(const std::string& name) override { columns.push_back(name); }
    bool OnRow(std::vector<std::string>& cells) override
    {
        rows.push_back(cells);
        return stopAfter == 0 || rows.size() < stopAfter;
    }
    void OnWarning(const TableProblem& problem) override { warnings.push_back(problem.Describe()); }
    bool OnBytesRead(std::uint64_t bytes) override
    {
        bytesSeen.push_back(bytes);
        return stopAtBytes == 0 || bytes < stopAtBytes;
    }
    std::vector<std::uint64_t> bytesSeen;
    std::uint64_t stopAtBytes = 0;  // 0: never
};

TableReadResult ReadCsv(const std::string& text, CCollectingSink& sink)
{
    std::istringstream input(text);
    return CCsvReader(sink).Read(input);
}

TableReadResult ReadJson(const std::string& text, CCollectingSink& sink)
{
    std::istringstream input(text);
    return CJsonReader(sink).Read(input);
}

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvReaderTest, QuotedFieldsHoldCommasQuotesAndLineBreaks)
{
    CCollectingSink sink;
    const auto result = ReadCsv("\xEF\xBB\xBFname,note\r\n"
                                "\"Smith, J\",\"said \"\"hi\"\"\"\r\n"
                                "plain,\"two\nlines\"\n"
                                ",\n"
                                "last,no newline",
                                sink);
    ASSERT_TRUE(result.Succeeded()) << result.error.Describe();
    EXPECT_EQ(sink.columns, (std::vector<std::string>{"name", "note"}));
    EXPECT_EQ(sink.rows, (Rows{{"Smith, J", "said \"hi\""}, {"plain", "two\nlines"}, {"", ""}, {"last", "no newline"}}));
    EXPECT_EQ(result.rows, 4u);
}

TEST(CsvReaderTest, RaggedRowsArePaddedOrCutWithAWarning)
{
    CCollectingSink sink;
    const auto result = ReadCsv("a,b,c\n1\n1,2,3,4\n", sink);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(sink.rows, (Rows{{"1", "", ""}, {"1", "2", "3"}}));
    ASSERT_EQ(sink.warnings.size(), 1u);
    EXPECT_EQ(sink.warnings[0], "line 3: the row has 4 fields but the header 3; the extra fields are left out");
}

TEST(CsvReaderTest, BadQuotingIsReportedWhereItIs)
{
    CCollectingSink sink;
    auto result = ReadCsv("a,b\n1,2\nx,ab\"c\n", sink);
    EXPECT_EQ(result.outcome, TableReadResult::Outcome::Failed);
    EXPECT_EQ(result.error.line, 3u);
    EXPECT_EQ(result.error.column, 5u);
    EXPECT_EQ(sink.rows.size(), 1u);  // what came before stays delivered

    CCollectingSink unclosed;
    result = ReadCsv("a,b\n1,2\n3,\"never\nclosed\n", unclosed);
    EXPECT_EQ(result.outcome, TableReadResult::Outcome::Failed);
    EXPECT_EQ(result.error.Describe(), "line 3: a quoted field that starts in this row is never closed");
}

TEST(CsvReaderTest, EmptyBinaryAndInvalidTextFiles)
{
    CCollectingSink empty;
    EXPECT_EQ(ReadCsv("", empty).error.message, "the file is empty");

    CCollectingSink binary;
    EXPECT_EQ(ReadCsv(std::string("a,b\n\x01\x00\x02,3\n", 10), binary).error.message,
              "the file holds binary data (a zero byte), not text");

    CCollectingSink invalid;
    const auto result = ReadCsv("name\nab\xFF" "c\n\xE2\x82\n", invalid);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(invalid.rows, (Rows{{"ab\xEF\xBF\xBD" "c"}, {"\xEF\xBF\xBD\xEF\xBF\xBD"}}));
    EXPECT_EQ(invalid.warnings.back(), "3 bytes were not valid UTF-8 and show as \xEF\xBF\xBD");
}

TEST(CsvReaderTest, HugeFieldsAreCutAndTheRestStillLoads)
{
    std::string text = "a,b\n\"";
    text.append(CCsvReader::kMaxCellBytes + 10, 'x');
    text += "\",after\nnext,row\n";
    CCollectingSink sink;
    const auto result = ReadCsv(text, sink);
    ASSERT_TRUE(result.Succeeded());
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0][0].size(), CCsvReader::kMaxCellBytes);
    EXPECT_EQ(sink.rows[0][1], "after");
    ASSERT_EQ(sink.warnings.size(), 1u);
}

TEST(CsvReaderTest, ASinkCanStopTheReadingAtARowOrAtABlock)
{
    CCollectingSink sink;
    sink.stopAfter = 2;
    const auto result = ReadCsv("a\n1\n2\n3\n4\n", sink);
    EXPECT_EQ(result.outcome, TableReadResult::Outcome::Cancelled);
    EXPECT_EQ(sink.rows.size(), 2u);

    // A block of 64 KiB inside one long quoted field: the cancel needs no row to end.
    std::string text = "a\n\"";
    text.append(300 * 1024, 'y');
    for (const bool json : {false, true}) {
        CCollectingSink blocks;
        blocks.stopAtBytes = 100 * 1024;
        const auto stopped = json ? ReadJson("[{\"a\": \"" + std::string(300 * 1024, 'y') + "\"}]", blocks)
                                  : ReadCsv(text, blocks);
        EXPECT_EQ(stopped.outcome, TableReadResult::Outcome::Cancelled) << json;
        EXPECT_EQ(blocks.bytesSeen.size(), 2u) << json;
        EXPECT_TRUE(blocks.rows.empty());
    }
}

TEST(JsonReaderTest, FlatRecordsBecomeRowsWithTheUnionOfTheirKeys)
{
    CCollectingSink sink;
    const auto result = ReadJson(R"([{"id": 1, "name": "a", "ok": true, "x": 1.50},
                                     {"name": "b", "extra": null, "id": -2},
                                     {"x": 1e3}])",
                                 sink);
    ASSERT_TRUE(result.Succeeded()) << result.error.Describe();
    EXPECT_EQ(sink.columns, (std::vector<std::string>{"id", "name", "ok", "x", "extra"}));
    ASSERT_EQ(sink.rows.size(), 3u);
    EXPECT_EQ(sink.rows[0], (std::vector<std::string>{"1", "a", "true", "1.50"}));
    EXPECT_EQ(sink.rows[1], (std::vector<std::string>{"-2", "b", "", "", ""}));
    EXPECT_EQ(sink.rows[2], (std::vector<std::string>{"", "", "", "1e3", ""}));
}

TEST(JsonReaderTest, WhatIsNotAnArrayOfFlatRecordsIsRefusedWithItsPlace)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"a": 1})", "line 1, column 1: the file holds an object; a table is an array of records"},
        {"[1, 2]", "line 1, column 3: element 1 of the array is not a record"},
        {"[{\"a\": 1},\n {\"b\": {\"c\": 2}}]", "line 2, column 8: the value of \"b\" is an object; only flat records can be shown"},
        {"[{\"a\": [1]}]", "line 1, column 8: the value of \"a\" is an array; only flat records can be shown"},
    };
    for (const auto& [text, message] : cases) {
        CCollectingSink sink;
        const auto result = ReadJson(text, sink);
        EXPECT_EQ(result.outcome, TableReadResult::Outcome::Failed) << text;
        EXPECT_EQ(result.error.Describe(), message) << text;
    }
    CCollectingSink broken;
    const auto result = ReadJson("[{\"a\": 1},\n {\"a\": tru}]", broken);
    EXPECT_EQ(result.outcome, TableReadResult::Outcome::Failed);
    EXPECT_EQ(result.error.line, 2u);
    EXPECT_EQ(broken.rows.size(), 1u);
    CCollectingSink empty;
    EXPECT_EQ(ReadJson("", empty).error.message, "the file is empty");
}

TEST(TableFileTest, TheFormatFollowsTheNameElseTheFirstCharacter)
{
    EXPECT_EQ(GuessTableFileFormat("data.JSON", "a,b"), TableFileFormat::Json);
    EXPECT_EQ(GuessTableFileFormat("data.csv", "[1]"), TableFileFormat::Csv);
    EXPECT_EQ(GuessTableFileFormat("data", "\xEF\xBB\xBF \n [{}]"), TableFileFormat::Json);
    EXPECT_EQ(GuessTableFileFormat("data.txt", "a,b"), TableFileFormat::Csv);
    CCollectingSink sink;
    const auto missing = ReadTableFile("/nonexistent/table.csv", sink);
    EXPECT_EQ(missing.error.message, "cannot open /nonexistent/table.csv: No such file or directory");
}

} // namespace
} // namespace Ombrel::Viewer
