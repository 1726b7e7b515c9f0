#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/grid/GridService.h"

#include <cstdint>
#include <memory>

namespace Ombrel::GUI {

class CGrid;
class CGridLayout;
struct GridOptions;
struct GridTracking;

// The grid's mouse state machine, a service of the grid window: resizing columns by dragging
// their right border, moving columns by dragging their header cell, sorting by clicking a
// header cell, auto-sizing a column by double-clicking its border, expanding a row by
// double-clicking it, the rubber band that selects rows, and automatic scrolling while the
// button is held outside the rows. Presses on the rows stay with the grid's selection rules;
// this service only watches them to start the rubber band.
//
// A plain press on a selected row may start a drag of the selected rows instead of a band: the
// press is held (the selection stays) until the pointer moves beyond the drag threshold, which
// starts the drag (IRowDrag), or the button is released, which applies the plain-press rules.
//
// Whatever ends a gesture (a release anywhere, a right release, Escape, losing the capture or
// the focus, the window going away) ends all of it: the header returns to idle, the band and
// the drop marker are erased, autoscroll stops and the capture is released.
class CGridMouse final : public IGridService
{
public:
    enum class HeaderState
    {
        Idle,
        Resizing,       // dragging a column's right border
        DraggingColumn, // moving a column to another place
        Pressed,        // pressed on a header cell: a click, or a drag once the pointer moves
    };

    // A column is never made narrower than this by dragging its border.
    static constexpr int kMinimumColumnWidth = 2;
    // A press on a header cell stays a click while the pointer stays within this many pixels
    // of the press point in x and in y.
    static constexpr int kDragThreshold = 4;
    static constexpr UINT kAutoScrollPeriodMs = 100;
    // The drop marker is redrawn when it moves, and at least this often while dragging.
    static constexpr std::int64_t kDropMarkerRefreshMs = 200;

    // Drags of rows, for the mouse; the grid's drop target implements it.
    class IRowDrag
    {
    public:
        // Whether a plain press at `point` (client coordinates) may become a drag: it lies on
        // a selected row of a type that may be dragged.
        virtual bool IsDragPress(CPoint point) = 0;
        // The pointer moved beyond the drag threshold with the button down: drag the selected
        // rows (runs the modal drag).
        virtual void StartRowDrag(CPoint pressPoint) = 0;
        // The button came up without a drag: the plain-press rules apply to the press now.
        virtual void ApplyPress(CPoint pressPoint) = 0;

    protected:
        ~IRowDrag() = default;
    };

    CGridMouse(CGrid& grid, CGridLayout& layout, const GridOptions& options, GridTracking& tracking);
    ~CGridMouse();
    CGridMouse(const CGridMouse&) = delete;
    CGridMouse& operator=(const CGridMouse&) = delete;

    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnWindowDestroying() override;
    void OnViewScrolled() override;

    // Null: presses on rows never start drags.
    void SetRowDrag(IRowDrag* rowDrag);
    // A press on a selected row waits for a move (drag) or a release (click).
    bool IsRowDragPending() const;

    HeaderState GetHeaderState() const;
    bool IsRubberBandActive() const;
    bool IsAutoScrolling() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
