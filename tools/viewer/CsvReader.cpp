#include "CsvReader.h"

#include <csv.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "TableInputBuffer.h"

namespace Ombrel::Viewer {

namespace {

constexpr std::size_t kLineBlockBytes = 64 * 1024;
constexpr std::size_t kFieldGrowthBytes = 64 * 1024;

// libcsv grows its field buffer with this: refusing beyond the limit turns an absurd field into
// a parse error instead of exhausting memory.
void* BoundedRealloc(void* block, std::size_t bytes)
{
    return bytes > CCsvReader::kMaxFieldBytes ? nullptr : std::realloc(block, bytes);
}

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
void CutAtCharacter(std::string& text, std::size_t limit)
{
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
}

} // namespace

struct CCsvReader::Impl
{
    explicit Impl(ITableSink& tableSink) : sink(tableSink)
    {
        csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
        csv_set_realloc_func(&parser, BoundedRealloc);
        // libcsv grows a field by this much at a time: small steps make a huge field cost
        // quadratic copying.
        csv_set_blk_size(&parser, kFieldGrowthBytes);
    }
    ~Impl() { csv_free(&parser); }

    ITableSink& sink;
    csv_parser parser{};
    std::vector<std::string> cells;
    std::size_t columns = 0;
    bool headerDone = false;
    bool cancelled = false;
    std::uint64_t rows = 0;
    std::uint64_t recordLine = 1;     // where the record being read began
    std::uint64_t lineNow = 1;        // of the text being parsed
    std::uint64_t columnNow = 1;      // byte column where that text starts
    std::uint64_t longRows = 0;

    static void OnField(void* data, std::size_t length, void* self)
    {
        static_cast<Impl*>(self)->AddField(static_cast<const char*>(data), length);
    }

    static void OnRecordEnd(int, void* self) { static_cast<Impl*>(self)->EndRecord(); }

    void AddField(const char* data, std::size_t length)
    {
        std::string& cell = cells.emplace_back(data != nullptr ? data : "", data != nullptr ? length : 0);
        if (cell.size() > kMaxCellBytes) {
            CutAtCharacter(cell, kMaxCellBytes);
            sink.OnWarning({recordLine, 0, "a field of " + std::to_string(length) +
                                               " bytes was cut to its first MiB"});
        }
    }

    void EndRecord()
    {
        if (!headerDone)
            DeliverHeader();
        else if (!cancelled)
            DeliverRow();
        cells.clear();
        // A record ends at a line break: the next one begins on the following line.
        recordLine = lineNow + 1;
    }

    void DeliverHeader()
    {
        headerDone = true;
        columns = cells.size();
        for (std::size_t index = 0; index < cells.size(); ++index)
            sink.OnColumn(cells[index].empty() ? "Column " + std::to_string(index + 1) : cells[index]);
    }

    void DeliverRow()
    {
        if (cells.size() > columns) {
            if (++longRows <= 10)
                sink.OnWarning({recordLine, 0, "the row has " + std::to_string(cells.size()) +
                                                   " fields but the header " + std::to_string(columns) +
                                                   "; the extra fields are left out"});
        }
        cells.resize(columns);  // cuts a long row, pads a short one
        ++rows;
        cancelled = !sink.OnRow(cells);
    }

    TableReadResult Fail(std::uint64_t line, std::uint64_t column, std::string message)
    {
        TableReadResult result;
        result.outcome = TableReadResult::Outcome::Failed;
        result.error = {line, column, std::move(message)};
        return result;
    }

    std::string DescribeParserError() const
    {
        if (csv_error(const_cast<csv_parser*>(&parser)) == CSV_ENOMEM)
            return "a field longer than 256 MiB";
        return "a quote inside an unquoted field, or text after a closing quote";
    }

    TableReadResult Read(std::istream& source)
    {
        CTableInputBuffer buffer(source, [this](std::uint64_t bytes) { return sink.OnBytesRead(bytes); });
        std::vector<char> block(kLineBlockBytes);
        for (;;) {
            const auto got = static_cast<std::size_t>(buffer.sgetn(block.data(), static_cast<std::streamsize>(block.size())));
            if (buffer.WasStopped())
                return Finish(TableReadResult::Outcome::Cancelled, buffer);
            if (got == 0)
                break;
            if (buffer.SawZeroByte())
                return Fail(0, 0, "the file holds binary data (a zero byte), not text");
            if (auto failed = ParseBlock(block.data(), got))
                return *failed;
            if (cancelled)
                return Finish(TableReadResult::Outcome::Cancelled, buffer);
        }
        if (buffer.GetSourceBytesRead() == 0)
            return Fail(0, 0, "the file is empty");
        if (csv_fini(&parser, OnField, OnRecordEnd, this) != 0)
            return csv_error(&parser) == CSV_EPARSE
                       ? Fail(recordLine, 0, "a quoted field that starts in this row is never closed")
                       : Fail(recordLine, 0, DescribeParserError());
        return Finish(cancelled ? TableReadResult::Outcome::Cancelled : TableReadResult::Outcome::Complete, buffer);
    }

    // Parses one block line by line, so that the line of an error and of every record is known.
    std::optional<TableReadResult> ParseBlock(const char* data, std::size_t size)
    {
        std::size_t at = 0;
        while (at < size && !cancelled) {
            const char* newline = static_cast<const char*>(std::memchr(data + at, '\n', size - at));
            const std::size_t end = newline != nullptr ? static_cast<std::size_t>(newline - data) + 1 : size;
            const std::size_t parsed = csv_parse(&parser, data + at, end - at, OnField, OnRecordEnd, this);
            if (parsed != end - at)
                return Fail(lineNow, columnNow + parsed, DescribeParserError());
            at = end;
            if (newline != nullptr) {
                ++lineNow;
                columnNow = 1;
            } else
                columnNow += parsed;
        }
        return std::nullopt;
    }

    TableReadResult Finish(TableReadResult::Outcome outcome, const CTableInputBuffer& buffer)
    {
        if (longRows > 10)
            sink.OnWarning({0, 0, std::to_string(longRows) + " rows had more fields than the header"});
        if (buffer.GetRepairCount() > 0)
            sink.OnWarning({0, 0, std::to_string(buffer.GetRepairCount()) +
                                      " bytes were not valid UTF-8 and show as \xEF\xBF\xBD"});
        TableReadResult result;
        result.outcome = outcome;
        result.rows = rows;
        result.bytes = buffer.GetSourceBytesRead();
        return result;
    }
};

CCsvReader::CCsvReader(ITableSink& sink) : m_impl(std::make_unique<Impl>(sink)) {}

CCsvReader::~CCsvReader() = default;

TableReadResult CCsvReader::Read(std::istream& input) { return m_impl->Read(input); }

} // namespace Ombrel::Viewer
