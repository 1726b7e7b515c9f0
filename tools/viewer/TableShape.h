#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ColumnKindGuess.h"
#include "TableSink.h"

namespace Ombrel::Viewer {

// The first pass over a table: its column names and what each column holds, so that the rows
// can be built with the right kinds before the first one shows. Keeps no rows.
class CTableShape : public ITableSink
{
public:
    struct Column
    {
        std::string name;
        CColumnKindGuess guess;
    };

    // Told the bytes and rows read so far after each block; false cancels.
    using Progress = std::function<bool(std::uint64_t bytesRead, std::uint64_t rows)>;

    CTableShape() = default;
    explicit CTableShape(Progress progress) : m_progress(std::move(progress)) {}

    void OnColumn(const std::string& name) override;
    bool OnRow(std::vector<std::string>& cells) override;
    void OnWarning(const TableProblem& problem) override;
    bool OnBytesRead(std::uint64_t bytes) override;

    const std::vector<Column>& GetColumns() const { return m_columns; }
    std::uint64_t GetRowCount() const { return m_rows; }
    const std::vector<TableProblem>& GetWarnings() const { return m_warnings; }

private:
    Progress m_progress;
    std::vector<Column> m_columns;
    std::vector<TableProblem> m_warnings;
    std::uint64_t m_rows = 0;
};

} // namespace Ombrel::Viewer
