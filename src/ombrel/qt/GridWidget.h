#pragma once

// The grid as a QWidget, for Qt applications (library Ombrel::Qt).
//
//   auto* grid = new Ombrel::GridWidget(window);   // a CGrid inside, scroll bars on
//   layout->addWidget(grid);                       // sized by the layout like any widget
//   grid->grid().SetHeader(header);                // the full CGrid interface
//   grid->grid().Add(object);
//   QObject::connect(grid, &Ombrel::GridWidget::selectionChanged, ...);
//
// The widget owns one CGrid and turns the grid's owner notifications into Qt signals. Every
// signal is emitted on the thread that runs the QApplication (the grid's window thread), while
// the grid is in the middle of the change: a slot may read the grid, but should not remove
// rows or columns from inside it. Signals stop when the widget begins to be destroyed.
//
// Rows still come and go from any thread through the grid's own interface, and data objects
// changed on a worker thread repaint their cells with the fading highlight as in any grid.

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/qt/Export.h"

#include <QWidget>

#include <cstdint>
#include <memory>

namespace Ombrel {

class OMBREL_QT_EXPORT GridWidget : public QWidget
{
    Q_OBJECT

public:
    // Creates the grid window at once, with both scroll bars (each shown only while the rows
    // or columns do not fit), filling this widget. The grid has no header yet.
    explicit GridWidget(QWidget* parent = nullptr);
    // Destroys the grid window (its rows go with it; data objects are never owned).
    ~GridWidget() override;

    GridWidget(const GridWidget&) = delete;
    GridWidget& operator=(const GridWidget&) = delete;

    // The grid; its window exists for the whole life of this widget.
    GUI::CGrid& grid();
    const GUI::CGrid& grid() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // ---- Rows ------------------------------------------------------------------------------
    // A row was added to the grid (also each row of an added subtree); `object` is the data
    // object it shows.
    void rowAdded(Ombrel::GUI::CGridItem* row, Ombrel::Common::CDataObject* object);
    // A row is leaving the grid; the handle stays valid only during the call.
    void rowRemoved(Ombrel::GUI::CGridItem* row, Ombrel::Common::CDataObject* object);
    // A field of the row's object changed (any thread's setter, delivered here).
    void rowUpdated(Ombrel::GUI::CGridItem* row, Ombrel::Common::CDataObject* object);
    // The row was selected or deselected, by the user or by a call; once per row.
    void selectionChanged(Ombrel::GUI::CGridItem* row, bool selected);
    // The focus left (`focused` false) or reached the row. A move from one row to another
    // emits both, the row that lost the focus first.
    void focusChanged(Ombrel::GUI::CGridItem* row, bool focused);
    void rowExpanded(Ombrel::GUI::CGridItem* row);
    void rowCollapsed(Ombrel::GUI::CGridItem* row);

    // ---- Columns ---------------------------------------------------------------------------
    // The left button went down and up on the same header cell, moving no further than the
    // grid's click slop (CGridMouse::kDragThreshold); the grid sorts by the column then, when sorting is on, and
    // sortChanged follows. A press on a column border that is released in place counts too.
    void columnClicked(std::int32_t fieldId);
    // The column's width changed; a border drag emits this at every step.
    void columnResized(std::int32_t fieldId, std::int32_t width);
    // The column moved; `position` is its new index among all columns.
    void columnMoved(std::int32_t fieldId, int position);
    // The header's sort levels changed (the rows are sorted again right after).
    void sortChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
