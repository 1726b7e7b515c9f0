#include "JsonReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "TableInputBuffer.h"

namespace Ombrel::Viewer {

namespace {

using Json = nlohmann::json;

// The SAX events of the parser turned into rows. Depth 0 is outside everything, 1 inside the
// top-level array, 2 inside a record; anything deeper is refused.
class CRecordHandler final : public nlohmann::json_sax<Json>
{
public:
    CRecordHandler(ITableSink& sink, const CTableInputBuffer& input) : m_sink(sink), m_input(input) {}

    bool null() override { return Value(std::string()); }
    bool boolean(bool value) override { return Value(value ? "true" : "false"); }
    bool number_integer(number_integer_t value) override { return Value(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Value(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& text) override { return Value(text); }
    bool string(string_t& value) override { return Value(std::move(value)); }
    bool binary(binary_t&) override { return Refuse("binary values are not JSON text"); }

    bool start_object(std::size_t) override
    {
        if (m_depth == 0)
            return Refuse("the file holds an object; a table is an array of records");
        if (m_depth == 2)
            return Refuse("the value of \"" + m_names[m_column] + "\" is an object; only flat records can be shown");
        ++m_depth;
        m_cells.assign(m_names.size(), std::string());
        m_nextColumn = 0;
        return true;
    }

    bool key(string_t& name) override
    {
        // The records of a table nearly always name their keys in one order: the column after
        // the last one is compared first, and only another key is looked up.
        if (m_nextColumn < m_names.size() && m_names[m_nextColumn] == name) {
            m_column = m_nextColumn;
        } else {
            auto [entry, added] = m_columnIndex.try_emplace(name, m_names.size());
            if (added) {
                m_names.push_back(name);
                m_sink.OnColumn(name);
                m_cells.resize(m_names.size());
            }
            m_column = entry->second;
        }
        m_nextColumn = m_column + 1;
        return true;
    }

    bool end_object() override
    {
        --m_depth;
        m_cells.resize(m_names.size());
        ++m_rows;
        m_cancelled = !m_sink.OnRow(m_cells);
        return !m_cancelled;
    }

    bool start_array(std::size_t) override
    {
        if (m_depth == 1)
            return Refuse("element " + std::to_string(m_rows + 1) + " of the array is an array, not a record");
        if (m_depth == 2)
            return Refuse("the value of \"" + m_names[m_column] + "\" is an array; only flat records can be shown");
        ++m_depth;
        return true;
    }

    bool end_array() override
    {
        --m_depth;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        // The parser's message names the place too; keep only what went wrong.
        std::string what = error.what();
        const std::size_t colon = what.find(": ");
        m_error = {m_input.GetLine(), Column(), colon != std::string::npos ? what.substr(colon + 2) : what};
        return false;
    }

    // Where the parser stands: the last character it read, which ends the token it reports
    // (the lexer reads one character past a number, and undoes that only for itself).
    std::uint64_t Column() const { return std::max<std::uint64_t>(1, m_input.GetColumn() - 1); }

    const std::optional<TableProblem>& Error() const { return m_error; }
    bool Cancelled() const { return m_cancelled; }
    std::uint64_t Rows() const { return m_rows; }

private:
    bool Value(std::string text)
    {
        if (m_depth == 0)
            return Refuse("the file holds a single value; a table is an array of records");
        if (m_depth == 1)
            return Refuse("element " + std::to_string(m_rows + 1) + " of the array is not a record");
        m_cells[m_column] = std::move(text);
        return true;
    }

    bool Refuse(std::string message)
    {
        m_error = TableProblem{m_input.GetLine(), Column(), std::move(message)};
        return false;
    }

    ITableSink& m_sink;
    const CTableInputBuffer& m_input;
    std::unordered_map<std::string, std::size_t> m_columnIndex;
    std::vector<std::string> m_names;  // by column index
    std::vector<std::string> m_cells;
    std::size_t m_column = 0;      // of the last key
    std::size_t m_nextColumn = 0;  // the column a record's next key most likely names
    int m_depth = 0;
    std::uint64_t m_rows = 0;
    bool m_cancelled = false;
    std::optional<TableProblem> m_error;
};

} // namespace

CJsonReader::CJsonReader(ITableSink& sink) : m_sink(sink) {}

TableReadResult CJsonReader::Read(std::istream& source)
{
    CTableInputBuffer buffer(source, [this](std::uint64_t bytes) { return m_sink.OnBytesRead(bytes); });
    std::istream input(&buffer);
    CRecordHandler handler(m_sink, buffer);
    TableReadResult result;
    Json::sax_parse(input, &handler, nlohmann::detail::input_format_t::json, true);
    result.rows = handler.Rows();
    result.bytes = buffer.GetSourceBytesRead();
    if (handler.Cancelled() || buffer.WasStopped())
        result.outcome = TableReadResult::Outcome::Cancelled;
    else if (buffer.SawZeroByte())
        result = {TableReadResult::Outcome::Failed, {0, 0, "the file holds binary data (a zero byte), not text"}, result.rows, result.bytes};
    else if (result.bytes == 0)
        result = {TableReadResult::Outcome::Failed, {0, 0, "the file is empty"}, 0, 0};
    else if (handler.Error())
        result = {TableReadResult::Outcome::Failed, *handler.Error(), result.rows, result.bytes};
    if (buffer.GetRepairCount() > 0)
        m_sink.OnWarning({0, 0, std::to_string(buffer.GetRepairCount()) +
                                          " bytes were not valid UTF-8 and show as \xEF\xBF\xBD"});
    return result;
}

} // namespace Ombrel::Viewer
