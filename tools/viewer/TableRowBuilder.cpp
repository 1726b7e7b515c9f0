#include "TableRowBuilder.h"

#include "IsoDateTime.h"
#include "TableShape.h"

#include "ombrel/common/BoolFormat.h"
#include "ombrel/common/DoubleFormat.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/common/DynamicSchema.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/Int64DateFormat.h"
#include "ombrel/common/IntegerFormats.h"

namespace Ombrel::Viewer {

namespace {

using namespace Ombrel::Common;

constexpr std::int32_t kFullDate = 13;         // the date with a four-digit year
constexpr std::int32_t kHoursToSeconds = 0x70;
constexpr std::int32_t kHoursToMilliseconds = 0xF0;
constexpr int kDoublePrecision = 6;

CField* MakeField(int id, const CTableShape::Column& column)
{
    const char* name = column.name.c_str();
    switch (column.guess.GetKind()) {
    case ColumnKind::Integer:
        return new CField(id, name, vtInt64, new CInt64Format(fmDecimal, true, 0));
    case ColumnKind::Double:
        return new CField(id, name, vtDouble, new CDoubleFormat(kDoublePrecision));
    case ColumnKind::Bool:
        return new CField(id, name, vtBool, new CBoolFormat());
    case ColumnKind::Date:
        return new CField(id, name, vtInt64, new CInt64DateFormat(kFullDate));
    case ColumnKind::DateTime:
        return new CField(id, name, vtInt64,
                          new CInt64DateFormat(kFullDate | (column.guess.HasFractions() ? kHoursToMilliseconds
                                                                                        : kHoursToSeconds)));
    case ColumnKind::Text:
        break;
    }
    return new CField(id, name, vtStlString);
}

} // namespace

std::shared_ptr<const CDynamicSchema> MakeTableSchema(const CTableShape& shape)
{
    std::vector<std::unique_ptr<CField>> fields;
    const auto& columns = shape.GetColumns();
    for (std::size_t index = 0; index < columns.size(); ++index)
        fields.emplace_back(MakeField(static_cast<int>(index) + 1, columns[index]));
    return CDynamicSchema::Create(std::move(fields));
}

CTableRowBuilder::CTableRowBuilder(const CTableShape& shape, BatchConsumer consumer)
    : m_schema(MakeTableSchema(shape)), m_consumer(std::move(consumer))
{
    for (const CTableShape::Column& column : shape.GetColumns()) {
        m_kinds.push_back(column.guess.GetKind());
        m_fractions.push_back(column.guess.HasFractions());
    }
    m_batch.reserve(kBatchSize);
}

CTableRowBuilder::~CTableRowBuilder() = default;

// The columns are the first pass's; a file that grew new ones since is read without them.
void CTableRowBuilder::OnColumn(const std::string&) {}

void CTableRowBuilder::OnWarning(const TableProblem&) {}

void CTableRowBuilder::SetProgress(std::function<bool(std::uint64_t, std::uint64_t)> progress)
{
    m_progress = std::move(progress);
}

bool CTableRowBuilder::OnBytesRead(std::uint64_t bytes) { return !m_progress || m_progress(bytes, m_rows); }

bool CTableRowBuilder::OnRow(std::vector<std::string>& cells)
{
    auto object = CDynamicObject::Create(m_schema, false);
    for (std::size_t column = 0; column < cells.size() && column < m_kinds.size(); ++column)
        StoreCell(*object, column, cells[column]);
    m_batch.push_back(std::move(object));
    ++m_rows;
    if (m_batch.size() < kBatchSize)
        return true;
    return Flush();
}

bool CTableRowBuilder::Flush()
{
    if (m_batch.empty())
        return true;
    const bool goOn = m_consumer(m_batch);
    m_batch.clear();
    return goOn;
}

bool CTableRowBuilder::FitsDateColumn(const IsoDateTime& date, std::size_t column) const
{
    if (m_kinds[column] == ColumnKind::Date)
        return !date.hasTime;
    return m_fractions[column] || !date.hasFraction;
}

void CTableRowBuilder::StoreCell(CDynamicObject& object, std::size_t column, std::string& cell)
{
    const int id = static_cast<int>(column) + 1;
    if (m_kinds[column] == ColumnKind::Text) {
        if (!cell.empty())
            object.SetStdString(id, cell);
        return;
    }
    if (TrimCell(cell).empty())
        return;
    std::int64_t integer = 0;
    double real = 0;
    bool flag = false;
    bool read = false;
    switch (m_kinds[column]) {
    case ColumnKind::Integer:
        read = ReadInteger(cell, integer) && object.SetInt64(id, integer);
        break;
    case ColumnKind::Double:
        read = ReadDouble(cell, real) && object.SetDouble(id, real);
        break;
    case ColumnKind::Bool:
        read = ReadBool(cell, flag) && object.SetBool(id, flag);
        break;
    case ColumnKind::Date:
    case ColumnKind::DateTime:
        // A time in a date column, or a fraction the column's format does not show, would be
        // hidden: the cell does not fit the column.
        if (const auto date = ParseIsoDateTime(TrimCell(cell)); date && FitsDateColumn(*date, column))
            read = object.SetInt64(id, date->fileTime);
        break;
    case ColumnKind::Text:
        break;
    }
    if (!read)
        ++m_unreadCells;
}

} // namespace Ombrel::Viewer
