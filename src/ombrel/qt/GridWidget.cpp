// How a grid notification becomes a signal:
//
//   CGridImpl::SendNotify -- WM_NOTIFY (sent, same thread) --> CNotificationSink (the grid's
//   owner: a message-only window, since a grid inside a QWidget has no framework parent)
//   --> EmitRow / EmitColumn --> the GridWidget's signal.
//
// Header clicks are no owner notification of the grid; the widget watches the presses and
// releases of the grid's own QWidget (an event filter that never takes an event) for them.

#include "ombrel/qt/GridWidget.h"

#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/grid/detail/GridMouse.h" // the click slop of header presses
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/QtInterop.h"
#include "ombrel/platform/WindowMessaging.h"

#include <QMouseEvent>
#include <QVBoxLayout>

#include <cassert>
#include <cstdlib>
#include <optional>
#include <utility>

namespace Ombrel {
namespace {

// The grid's control identifier; nothing else is a child of the sink.
constexpr UINT kGridControlId = 1;

// Both bars are allowed; the grid shows each only while its content does not fit.
constexpr DWORD kGridStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL;

// A header press that moved no further than this on either axis is a click for the grid's
// mouse service, which sorts then; beyond it, the press became a column drag.
constexpr int kHeaderClickSlop = GUI::CGridMouse::kDragThreshold;

// Without a layout of the user's, the widget asks for room for a few columns and rows.
constexpr int kPreferredWidth = 480;
constexpr int kPreferredHeight = 320;

// The grid's owner window. It lives exactly as long as the grid's window: created before it,
// destroyed after it.
class CNotificationSink : public CWnd
{
public:
    explicit CNotificationSink(GridWidget& widget) : m_widget(widget) {}

    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void EmitRow(const GUI::NMGRIDROW& payload);
    void EmitColumn(const GUI::NMGRIDCOLUMN& payload);

    GridWidget& m_widget;
};

// A header press that may become a click: the column under it and where it began.
struct HeaderPress
{
    std::int32_t fieldId = 0;
    QPoint at;
};

} // namespace

struct GridWidget::Impl
{
    explicit Impl(GridWidget& widget) : sink(widget) {}

    // Declared before the grid: the grid's window must go first, its owner after it.
    CNotificationSink sink;
    GUI::CGrid grid;
    std::optional<HeaderPress> press; // set from a left press on a header cell to the release

    // The field of the header cell under `at` (client coordinates), or nullopt.
    std::optional<std::int32_t> HeaderCellAt(QPoint at);
};

// ---- Notifications ----------------------------------------------------------------------------

bool CNotificationSink::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr)
        return false;
    // Row codes run from GN_ROWADDED to GN_ROWUPDATED; every other code carries a column.
    if (header->code <= GUI::GN_ROWUPDATED)
        EmitRow(*reinterpret_cast<const GUI::NMGRIDROW*>(lParam));
    else
        EmitColumn(*reinterpret_cast<const GUI::NMGRIDCOLUMN*>(lParam));
    *result = 0;
    return true;
}

void CNotificationSink::EmitRow(const GUI::NMGRIDROW& payload)
{
    GUI::CGridItem* row = payload.row;
    switch (payload.code) {
    case GUI::GN_ROWADDED:
        Q_EMIT m_widget.rowAdded(row, payload.object);
        break;
    case GUI::GN_ROWREMOVED:
        Q_EMIT m_widget.rowRemoved(row, payload.object);
        break;
    case GUI::GN_ROWUPDATED:
        Q_EMIT m_widget.rowUpdated(row, payload.object);
        break;
    case GUI::GN_SELCHANGED:
        Q_EMIT m_widget.selectionChanged(row, (payload.rowState & GUI::GRS_SELECTED) != 0);
        break;
    case GUI::GN_FOCUSCHANGED:
        Q_EMIT m_widget.focusChanged(row, (payload.rowState & GUI::GRS_FOCUSED) != 0);
        break;
    case GUI::GN_EXPANDCHANGED:
        if ((payload.rowState & GUI::GRS_EXPANDED) != 0)
            Q_EMIT m_widget.rowExpanded(row);
        else
            Q_EMIT m_widget.rowCollapsed(row);
        break;
    default:
        break;
    }
}

void CNotificationSink::EmitColumn(const GUI::NMGRIDCOLUMN& payload)
{
    GUI::CColumn* column = payload.column;
    switch (payload.code) {
    case GUI::GN_COLUMNRESIZED:
        if (column != nullptr)
            Q_EMIT m_widget.columnResized(column->GetFieldId(), column->GetWidth());
        break;
    case GUI::GN_COLUMNMOVED:
        if (column != nullptr) {
            GUI::CHeader* header = payload.grid->GetHeader();
            const int position = header != nullptr ? header->GetColumnIndex(column->GetFieldId()) : -1;
            Q_EMIT m_widget.columnMoved(column->GetFieldId(), position);
        }
        break;
    case GUI::GN_SORTCHANGED:
        Q_EMIT m_widget.sortChanged();
        break;
    default:
        break;
    }
}

// ---- The widget -------------------------------------------------------------------------------

GridWidget::GridWidget(QWidget* parent) : QWidget(parent), m_impl(std::make_unique<Impl>(*this))
{
    // Both windows are made on the application's thread, which is the thread of every widget;
    // neither can fail there short of running out of memory.
    [[maybe_unused]] const bool sinkCreated = m_impl->sink.CreateMessageOnly(nullptr);
    assert(sinkCreated && "a message-only window is created on the application's thread");
    [[maybe_unused]] const bool gridCreated =
        CreateChildOfWidget(m_impl->grid, this, kGridStyle, CRect(0, 0, width(), height()),
                            kGridControlId);
    assert(gridCreated && "the grid window is created on the application's thread");
    m_impl->grid.SetOwner(&m_impl->sink);

    QWidget* gridWidget = GetWidget(m_impl->grid);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(gridWidget);
    setFocusProxy(gridWidget);
    gridWidget->installEventFilter(this);
}

GridWidget::~GridWidget()
{
    // Slots may belong to a parent that is itself half destroyed: no signal from here on.
    blockSignals(true);
    if (IsWindow(&m_impl->grid))
        m_impl->grid.DestroyWindow();
    if (IsWindow(&m_impl->sink))
        m_impl->sink.DestroyWindow();
}

GUI::CGrid& GridWidget::grid()
{
    return m_impl->grid;
}

const GUI::CGrid& GridWidget::grid() const
{
    return m_impl->grid;
}

QSize GridWidget::sizeHint() const
{
    return QSize(kPreferredWidth, kPreferredHeight);
}

std::optional<std::int32_t> GridWidget::Impl::HeaderCellAt(QPoint at)
{
    GUI::CHeader* header = grid.GetHeader();
    if (header == nullptr || !grid.IsHeaderShown() || at.y() < 0 || at.y() >= header->GetHeight())
        return std::nullopt;
    GUI::CColumn* column = grid.HitTestColumn(at.x(), at.y());
    if (column == nullptr)
        return std::nullopt;
    return column->GetFieldId();
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != GetWidget(m_impl->grid))
        return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint at = mouse->position().toPoint();
    if (type == QEvent::MouseButtonPress) {
        m_impl->press.reset();
        if (auto fieldId = m_impl->HeaderCellAt(at))
            m_impl->press = HeaderPress{*fieldId, at};
        return false;
    }
    // A release: the grid handles it after this, and may sort then.
    const std::optional<HeaderPress> press = std::exchange(m_impl->press, std::nullopt);
    if (!press)
        return false;
    const QPoint moved = at - press->at;
    if (std::abs(moved.x()) <= kHeaderClickSlop && std::abs(moved.y()) <= kHeaderClickSlop &&
        m_impl->HeaderCellAt(at) == press->fieldId)
        Q_EMIT columnClicked(press->fieldId);
    return false;
}

} // namespace Ombrel
