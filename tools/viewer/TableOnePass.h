#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TableRowBuilder.h"
#include "TableShape.h"
#include "TableSink.h"

namespace Ombrel::Viewer {

// Reads a table in one pass: the first rows are kept as text until they have shown what each
// column holds, then they and every later row become objects as they are read.
//
// The kinds of the first rows may not hold for the whole file: a later cell that does not read
// as its column's kind, or a column that first appears after those rows (a JSON key). Then the
// objects built so far would show a column with a kind the file does not have, so the pass
// stops reading and says so (KindsWereWrong); the caller reads the file again, kinds first.
class CTableOnePass : public ITableSink
{
public:
    // Rows kept as text before the kinds are fixed: one batch, so the first rows still arrive
    // in one piece.
    static constexpr std::size_t kFirstRows = CTableRowBuilder::kBatchSize;

    // Once the kinds are fixed, before the first batch.
    using ColumnsReady = std::function<void(const CTableShape&, const std::shared_ptr<const Common::CDynamicSchema>&)>;

    CTableOnePass(CTableShape::Progress progress, ColumnsReady columnsReady, CTableRowBuilder::BatchConsumer consumer);
    ~CTableOnePass() override;

    void OnColumn(const std::string& name) override;
    bool OnRow(std::vector<std::string>& cells) override;
    void OnWarning(const TableProblem& problem) override;
    bool OnBytesRead(std::uint64_t bytes) override;

    // After the reader ended: builds the rows of a table shorter than kFirstRows and hands over
    // the last batch. False when the consumer cancelled.
    bool Finish();

    bool KindsWereWrong() const { return m_kindsWrong; }
    // The rows read, each built into an object by Finish at the latest.
    std::uint64_t GetRowCount() const { return m_rows; }
    const std::vector<TableProblem>& GetWarnings() const { return m_warnings; }

private:
    // Fixes the kinds from the rows kept so far and builds their objects.
    bool StartBuilding();

    CTableShape::Progress m_progress;
    ColumnsReady m_columnsReady;
    CTableRowBuilder::BatchConsumer m_consumer;
    CTableShape m_shape;
    std::vector<std::vector<std::string>> m_firstRows;
    std::optional<CTableRowBuilder> m_builder;
    std::vector<TableProblem> m_warnings;
    std::uint64_t m_rows = 0;
    bool m_kindsWrong = false;
};

} // namespace Ombrel::Viewer
