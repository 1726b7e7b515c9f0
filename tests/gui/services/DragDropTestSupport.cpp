#include "gui/services/DragDropTestSupport.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"

#include "support/Harness.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QWidget>
#include <QGuiApplication>

namespace Ombrel::GUI::Testing {

namespace {

constexpr Qt::DropActions kBothActions = Qt::CopyAction | Qt::MoveAction;

template <class Event>
DragAnswer Send(CWnd& window, Event& event)
{
    QCoreApplication::sendEvent(Ombrel::Test::WidgetOf(window), &event);
    return DragAnswer{event.isAccepted(), event.isAccepted() ? event.dropAction() : Qt::IgnoreAction};
}

} // namespace

DragAnswer DragEnter(CWnd& window, CPoint point, const QMimeData& data, Qt::KeyboardModifiers modifiers)
{
    QDragEnterEvent event(QPoint(point.x, point.y), kBothActions, &data, Qt::LeftButton, modifiers);
    return Send(window, event);
}

DragAnswer DragMove(CWnd& window, CPoint point, const QMimeData& data, Qt::KeyboardModifiers modifiers)
{
    QDragMoveEvent event(QPoint(point.x, point.y), kBothActions, &data, Qt::LeftButton, modifiers);
    return Send(window, event);
}

void DragLeave(CWnd& window)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(Ombrel::Test::WidgetOf(window), &event);
}

DragAnswer Drop(CWnd& window, CPoint point, const QMimeData& data, Qt::KeyboardModifiers modifiers)
{
    QDropEvent event(QPointF(point.x, point.y), kBothActions, &data, Qt::LeftButton, modifiers);
    return Send(window, event);
}

DragAnswer DragAndDrop(CWnd& window, CPoint point, const QMimeData& data, Qt::KeyboardModifiers modifiers)
{
    for (DragAnswer answer : {DragEnter(window, point, data, modifiers),
                              DragMove(window, point, data, modifiers)}) {
        if (!answer.accepted) {
            DragLeave(window);
            return answer;
        }
    }
    return Drop(window, point, data, modifiers);
}

std::unique_ptr<QMimeData> DragDataOf(CGrid& grid, const std::vector<CGridItem*>& rows)
{
    PasteSettings settings = *grid.GetPasteSettings();
    settings.copyDescendants = false; // a drag takes the selected rows alone
    grid.SetPasteSettings(settings);
    grid.ClearSelection();
    for (CGridItem* row : rows)
        grid.Select(row, true);
    auto copy = std::make_unique<QMimeData>();
    if (!grid.Copy())
        return copy;
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    for (const QString& format : offered->formats())
        copy->setData(format, offered->data(format));
    QGuiApplication::clipboard()->clear();
    return copy;
}

CPoint UpperPartOf(CGrid& grid, CGridItem* row)
{
    const CRect rect = grid.GetRowRect(row);
    return CPoint(rect.left + 20, rect.top + 1);
}

CPoint MiddleOf(CGrid& grid, CGridItem* row)
{
    const CRect rect = grid.GetRowRect(row);
    return CPoint(rect.left + 20, (rect.top + rect.bottom) / 2);
}

CPoint LowerPartOf(CGrid& grid, CGridItem* row)
{
    const CRect rect = grid.GetRowRect(row);
    return CPoint(rect.left + 20, rect.bottom - 2);
}

} // namespace Ombrel::GUI::Testing
