#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ColumnKindGuess.h"
#include "TableSink.h"

namespace Ombrel::Common {
class CDynamicObject;
class CDynamicSchema;
} // namespace Ombrel::Common

namespace Ombrel::Viewer {

class CTableShape;
struct IsoDateTime;

// The second pass over a table: every row becomes a dynamic object of one shared schema whose
// fields have the kinds the first pass found (field identifier = column index + 1). Objects
// are handed over in batches, so that a grid can show rows while the file is still read.
class CTableRowBuilder : public ITableSink
{
public:
    using Objects = std::vector<std::unique_ptr<Common::CDynamicObject>>;
    // Takes a batch (the callee keeps the objects); false cancels the reading.
    using BatchConsumer = std::function<bool(Objects& batch)>;

    static constexpr std::size_t kBatchSize = 4096;

    CTableRowBuilder(const CTableShape& shape, BatchConsumer consumer);
    // Told the bytes and rows read so far after each block; false cancels.
    void SetProgress(std::function<bool(std::uint64_t bytesRead, std::uint64_t rows)> progress);
    ~CTableRowBuilder() override;

    // Hands over the last, partial batch; false when the consumer cancelled.
    bool Flush();

    const std::shared_ptr<const Common::CDynamicSchema>& GetSchema() const { return m_schema; }
    // Cells that did not read as their column's kind, or held more than its format shows (a
    // time in a date column): their objects leave them empty. None when the kinds came from
    // the same rows.
    std::uint64_t GetUnreadCells() const { return m_unreadCells; }

    void OnColumn(const std::string& name) override;
    bool OnRow(std::vector<std::string>& cells) override;
    void OnWarning(const TableProblem& problem) override;
    bool OnBytesRead(std::uint64_t bytes) override;

private:
    void StoreCell(Common::CDynamicObject& object, std::size_t column, std::string& cell);
    bool FitsDateColumn(const IsoDateTime& date, std::size_t column) const;

    std::vector<ColumnKind> m_kinds;
    std::vector<bool> m_fractions;  // per column: its format shows fractions of a second
    std::shared_ptr<const Common::CDynamicSchema> m_schema;
    BatchConsumer m_consumer;
    std::function<bool(std::uint64_t, std::uint64_t)> m_progress;
    std::uint64_t m_rows = 0;
    Objects m_batch;
    std::uint64_t m_unreadCells = 0;
};

// The schema of a table whose columns have these names and kinds: formats that show each
// kind as a reader expects (dates in ISO order, integers without grouping).
std::shared_ptr<const Common::CDynamicSchema> MakeTableSchema(const CTableShape& shape);

} // namespace Ombrel::Viewer
