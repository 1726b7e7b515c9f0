#include "QtPeer.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QHeaderView>
#include <QPixmap>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include "Measure.h"
#include "UpdateLoad.h"

namespace OmbrelBench {

namespace {

// Qt sorts by one column; the second level (name) breaks ties of the first (quantity).
class CTwoLevelProxy final : public QSortFilterProxyModel
{
protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const int leftQuantity = left.data(Qt::DisplayRole).toInt();
        const int rightQuantity = right.data(Qt::DisplayRole).toInt();
        if (leftQuantity != rightQuantity)
            return leftQuantity < rightQuantity;
        const QAbstractItemModel* source = sourceModel();
        const QString leftName =
            source->index(left.row(), kNameColumn, left.parent()).data(Qt::DisplayRole).toString();
        const QString rightName = source->index(right.row(), kNameColumn, right.parent())
                                      .data(Qt::DisplayRole)
                                      .toString();
        return leftName < rightName;
    }
};

// Paints the quantity column as usual and reports each painted cell to the update load.
class CProbeDelegate final : public QStyledItemDelegate
{
public:
    explicit CProbeDelegate(const QSortFilterProxyModel& proxy) : m_proxy(proxy) {}

    void SetUpdateLoad(CUpdateLoad* load) { m_load = load; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (m_load != nullptr)
            m_load->OnPainted(m_proxy.mapToSource(index).row(), index.data().toInt());
    }

private:
    const QSortFilterProxyModel& m_proxy;
    CUpdateLoad* m_load = nullptr; // window thread only
};

QList<QStandardItem*> MakeItems(const RowValues& row)
{
    QList<QStandardItem*> items;
    items.reserve(kColumnCount);
    items.append(new QStandardItem(QString::fromStdString(row.name)));
    auto* quantity = new QStandardItem;
    quantity->setData(row.quantity, Qt::DisplayRole);
    items.append(quantity);
    auto* volume = new QStandardItem;
    volume->setData(static_cast<qlonglong>(row.volume), Qt::DisplayRole);
    items.append(volume);
    auto* price = new QStandardItem;
    price->setData(row.price, Qt::DisplayRole);
    items.append(price);
    auto* date = new QStandardItem;
    date->setData(QDateTime::fromSecsSinceEpoch(row.date, Qt::UTC).date(), Qt::DisplayRole);
    items.append(date);
    items.append(new QStandardItem(QString::fromStdString(row.city)));
    return items;
}

class CQtSide final : public IPeerSide, public IUpdateTarget
{
public:
    CQtSide(QtLoadMode mode, int rowWiseLimitMs)
        : m_mode(mode), m_rowWiseLimitMs(rowWiseLimitMs), m_delegate(m_proxy)
    {
        m_model.setColumnCount(kColumnCount);
        m_model.setHorizontalHeaderLabels({"Name", "Quantity", "Volume", "Price", "Date", "City"});
        m_proxy.setDynamicSortFilter(true);
        m_view.setUniformRowHeights(true); // what a large flat model needs in a tree view
        m_view.setRootIsDecorated(false);
        m_view.setItemDelegateForColumn(kQuantityColumn, &m_delegate);
        m_view.setModel(&m_proxy);
        m_view.resize(kWindowWidth, kWindowHeight);
        m_view.show();
        ProcessEvents();
    }

    void Load(const std::vector<RowValues>& rows) override
    {
        m_requested = static_cast<int>(rows.size());
        if (m_mode == QtLoadMode::RowWiseIntoSortedProxy) {
            AttachAndSort();
            const std::int64_t start = NowNs();
            for (const RowValues& row : rows) {
                m_model.appendRow(MakeItems(row));
                ++m_loaded;
                if ((m_loaded & 1023) == 0 && ElapsedMs(start, NowNs()) > m_rowWiseLimitMs)
                    return;
            }
            return;
        }
        for (const RowValues& row : rows)
            m_model.appendRow(MakeItems(row));
        m_loaded = static_cast<int>(rows.size());
        AttachAndSort();
    }

    bool IsLoadComplete() const override { return m_loaded == m_requested; }
    int GetLoadedRowCount() const override { return m_loaded; }

    void ProcessEvents() override
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void RunEventLoopFor(int milliseconds) override
    {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void Grab() override { m_image = m_view.grab(); }
    bool SaveGrab(const char* path) const override { return m_image.save(path, "PNG"); }

    int GetTopRow() override { return m_view.verticalScrollBar()->value(); }
    void SetTopRow(int index) override { m_view.verticalScrollBar()->setValue(index); }
    int GetPageRowCount() override { return m_view.verticalScrollBar()->pageStep(); }

    bool PageDown() override
    {
        QScrollBar* bar = m_view.verticalScrollBar();
        if (bar->value() >= bar->maximum())
            return false;
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    }

    IUpdateTarget& GetUpdateTarget() override { return *this; }

    void SetUpdateLoad(CUpdateLoad* load) override
    {
        m_load = load;
        m_delegate.SetUpdateLoad(load);
    }

    // Worker threads: only the queued invocation crosses; the model is touched on the window
    // thread when it runs.
    void Change(int record, std::int32_t quantity) override
    {
        QMetaObject::invokeMethod(
            &m_model,
            [this, record, quantity] {
                m_model.item(record, kQuantityColumn)->setData(quantity, Qt::DisplayRole);
            },
            Qt::QueuedConnection);
    }

    void RequestAck(int worker, int count) override
    {
        QMetaObject::invokeMethod(
            &m_model,
            [this, worker, count] {
                if (m_load != nullptr)
                    m_load->OnApplied(worker, count);
            },
            Qt::QueuedConnection);
    }

private:
    void AttachAndSort()
    {
        m_proxy.setSourceModel(&m_model);
        m_proxy.sort(kQuantityColumn, Qt::AscendingOrder);
        // The proxy has columns only once it has a source model.
        for (int column = 0; column < kColumnCount; ++column)
            m_view.header()->resizeSection(column, kColumnWidths[column]);
    }

    const QtLoadMode m_mode;
    const int m_rowWiseLimitMs;
    int m_requested = 0;
    int m_loaded = 0; // rows appended to the source model
    QStandardItemModel m_model;
    CTwoLevelProxy m_proxy;
    CProbeDelegate m_delegate;
    QTreeView m_view;
    QPixmap m_image;
    CUpdateLoad* m_load = nullptr; // window thread only
};

} // namespace

std::unique_ptr<IPeerSide> CreateQtSide(QtLoadMode mode, int rowWiseLimitMs)
{
    return std::make_unique<CQtSide>(mode, rowWiseLimitMs);
}

} // namespace OmbrelBench
