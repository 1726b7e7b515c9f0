#include "TableOnePass.h"

namespace Ombrel::Viewer {

CTableOnePass::CTableOnePass(CTableShape::Progress progress, ColumnsReady columnsReady,
                             CTableRowBuilder::BatchConsumer consumer)
    : m_progress(std::move(progress)), m_columnsReady(std::move(columnsReady)), m_consumer(std::move(consumer))
{
    m_firstRows.reserve(kFirstRows);
}

CTableOnePass::~CTableOnePass() = default;

void CTableOnePass::OnColumn(const std::string& name)
{
    if (m_builder)
        m_kindsWrong = true;  // the objects have no field for it; OnRow stops the reading
    else
        m_shape.OnColumn(name);
}

bool CTableOnePass::OnRow(std::vector<std::string>& cells)
{
    ++m_rows;
    if (!m_builder) {
        m_shape.OnRow(cells);
        m_firstRows.push_back(std::move(cells));
        return m_firstRows.size() < kFirstRows || StartBuilding();
    }
    if (m_kindsWrong)
        return false;
    const std::uint64_t unreadBefore = m_builder->GetUnreadCells();
    const bool goOn = m_builder->OnRow(cells);
    if (m_builder->GetUnreadCells() != unreadBefore) {
        m_kindsWrong = true;
        return false;
    }
    return goOn;
}

void CTableOnePass::OnWarning(const TableProblem& problem) { m_warnings.push_back(problem); }

bool CTableOnePass::OnBytesRead(std::uint64_t bytes) { return !m_progress || m_progress(bytes, m_rows); }

bool CTableOnePass::StartBuilding()
{
    m_builder.emplace(m_shape, m_consumer);
    if (m_columnsReady)
        m_columnsReady(m_shape, m_builder->GetSchema());
    bool goOn = true;
    for (std::vector<std::string>& cells : m_firstRows)
        if (goOn)
            goOn = m_builder->OnRow(cells);
    m_firstRows.clear();
    m_firstRows.shrink_to_fit();
    return goOn;
}

bool CTableOnePass::Finish()
{
    if (m_kindsWrong)
        return true;
    if (!m_builder && !StartBuilding())
        return false;
    return m_builder->Flush();
}

} // namespace Ombrel::Viewer
