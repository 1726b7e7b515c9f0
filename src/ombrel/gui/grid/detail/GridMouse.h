#pragma once

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

    CGridMouse(CGrid& grid, CGridLayout& layout, const GridOptions& options, GridTracking& tracking);
    ~CGridMouse();
    CGridMouse(const CGridMouse&) = delete;
    CGridMouse& operator=(const CGridMouse&) = delete;

    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnWindowDestroying() override;
    void OnViewScrolled() override;

    HeaderState GetHeaderState() const;
    bool IsRubberBandActive() const;
    bool IsAutoScrolling() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
