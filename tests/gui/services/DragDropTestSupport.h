#pragma once

// Drag events for drag-and-drop tests: real QMimeData and real Qt drag events delivered to a
// window's widget, as the platform delivers them while something is dragged over it.

#include "ombrel/base/Geometry.h"

#include <QMimeData>

#include <memory>
#include <vector>

namespace Ombrel {
class CWnd;
}

namespace Ombrel::GUI {
class CGrid;
class CGridItem;
}

namespace Ombrel::GUI::Testing {

struct DragAnswer
{
    bool accepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

DragAnswer DragEnter(CWnd& window, CPoint point, const QMimeData& data,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier);
DragAnswer DragMove(CWnd& window, CPoint point, const QMimeData& data,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void DragLeave(CWnd& window);
DragAnswer Drop(CWnd& window, CPoint point, const QMimeData& data,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Enter, move and drop at one point, as a short drag does; the drop's answer, or the first
// refusal.
DragAnswer DragAndDrop(CWnd& window, CPoint point, const QMimeData& data,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// What a drag of `rows` out of `grid` carries, in every format of the grid's copy-paste
// service (the same formats and MIME mapping a drag uses), taken through the clipboard.
std::unique_ptr<QMimeData> DragDataOf(CGrid& grid, const std::vector<CGridItem*>& rows);

// Points inside a row's band: its upper quarter, its middle, its lower quarter.
CPoint UpperPartOf(CGrid& grid, CGridItem* row);
CPoint MiddleOf(CGrid& grid, CGridItem* row);
CPoint LowerPartOf(CGrid& grid, CGridItem* row);

} // namespace Ombrel::GUI::Testing
