#include "ViewerBenchSide.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>

#include <chrono>

#include "ColumnKindGuess.h"
#include "TableFile.h"
#include "TableShape.h"

#include "ombrel/base/ProcessMemory.h"

namespace OmbrelViewerBench {

namespace {

using namespace Ombrel::Viewer;

// The same rows as the viewer builds, as Qt's standard items with values of the same kinds.
class CStandardItemSink : public ITableSink
{
public:
    CStandardItemSink(const CTableShape& shape, QStandardItemModel& model) : m_model(model)
    {
        QStringList titles;
        for (const CTableShape::Column& column : shape.GetColumns()) {
            m_kinds.push_back(column.guess.GetKind());
            titles.push_back(QString::fromStdString(column.name));
        }
        m_model.setHorizontalHeaderLabels(titles);
    }

    void OnColumn(const std::string&) override {}
    void OnWarning(const TableProblem&) override {}
    bool OnBytesRead(std::uint64_t) override { return true; }

    bool OnRow(std::vector<std::string>& cells) override
    {
        QList<QStandardItem*> items;
        for (std::size_t column = 0; column < m_kinds.size(); ++column) {
            auto* item = new QStandardItem();
            if (column < cells.size())
                item->setData(ValueOf(m_kinds[column], cells[column]), Qt::DisplayRole);
            items.push_back(item);
        }
        m_model.appendRow(items);
        return true;
    }

private:
    static QVariant ValueOf(ColumnKind kind, const std::string& cell)
    {
        std::int64_t integer = 0;
        double real = 0;
        bool flag = false;
        switch (kind) {
        case ColumnKind::Integer: return ReadInteger(cell, integer) ? QVariant(qlonglong(integer)) : QVariant();
        case ColumnKind::Double: return ReadDouble(cell, real) ? QVariant(real) : QVariant();
        case ColumnKind::Bool: return ReadBool(cell, flag) ? QVariant(flag) : QVariant();
        case ColumnKind::Date:
        case ColumnKind::DateTime: return QDateTime::fromString(QString::fromStdString(cell), Qt::ISODate);
        case ColumnKind::Text: break;
        }
        return QString::fromStdString(cell);
    }

    QStandardItemModel& m_model;
    std::vector<ColumnKind> m_kinds;
};

} // namespace

SideResult RunQtSide(int argc, char** argv, const std::string& path, const std::string& sortColumn)
{
    QApplication application(argc, argv);
    QTableView view;
    view.resize(kWindowWidth, kWindowHeight);
    view.show();
    QCoreApplication::processEvents();

    SideResult result;
    const std::uint64_t before = Ombrel::ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    CTableShape shape;
    if (!ReadTableFile(path, shape).Succeeded())
        return result;
    QStandardItemModel model;
    CStandardItemSink sink(shape, model);
    ReadTableFile(path, sink);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    int sortIndex = 0;
    for (std::size_t index = 0; index < shape.GetColumns().size(); ++index)
        if (shape.GetColumns()[index].name == sortColumn)
            sortIndex = static_cast<int>(index);
    proxy.sort(sortIndex, Qt::AscendingOrder);
    view.setModel(&proxy);
    view.viewport()->repaint();
    const auto end = std::chrono::steady_clock::now();
    result.loadMs = std::chrono::duration<double, std::milli>(end - start).count();
    result.rows = static_cast<std::uint64_t>(proxy.rowCount());
    const std::uint64_t after = Ombrel::ResidentBytes();
    result.bytesPerRow =
        result.rows > 0 && after > before ? static_cast<double>(after - before) / static_cast<double>(result.rows) : 0;
    return result;
}

} // namespace OmbrelViewerBench
