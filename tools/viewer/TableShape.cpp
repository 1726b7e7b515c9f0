#include "TableShape.h"

namespace Ombrel::Viewer {

void CTableShape::OnColumn(const std::string& name) { m_columns.push_back({name, {}}); }

bool CTableShape::OnRow(std::vector<std::string>& cells)
{
    for (std::size_t index = 0; index < cells.size() && index < m_columns.size(); ++index)
        m_columns[index].guess.Observe(cells[index]);
    ++m_rows;
    return true;
}

bool CTableShape::OnBytesRead(std::uint64_t bytes) { return !m_progress || m_progress(bytes, m_rows); }

void CTableShape::OnWarning(const TableProblem& problem) { m_warnings.push_back(problem); }

} // namespace Ombrel::Viewer
