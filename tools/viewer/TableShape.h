#pragma once

#include <string>
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

    void OnColumn(const std::string& name) override;
    bool OnRow(std::vector<std::string>& cells) override;
    void OnWarning(const TableProblem& problem) override;

    const std::vector<Column>& GetColumns() const { return m_columns; }
    std::uint64_t GetRowCount() const { return m_rows; }
    const std::vector<TableProblem>& GetWarnings() const { return m_warnings; }

private:
    std::vector<Column> m_columns;
    std::vector<TableProblem> m_warnings;
    std::uint64_t m_rows = 0;
};

} // namespace Ombrel::Viewer
