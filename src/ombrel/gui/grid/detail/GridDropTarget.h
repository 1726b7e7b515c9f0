#pragma once

#include "ombrel/gui/grid/GridService.h"
#include "ombrel/gui/grid/detail/GridMouse.h"
#include "ombrel/gui/services/DragDrop.h"
#include "ombrel/platform/OleDropTarget.h"

namespace Ombrel::GUI {

class CGrid;
class CGridImpl;
struct GridTracking;

// The grid's side of drag and drop, a service of the grid window: the window's drop-target
// registration (made when the window is created, revoked when it is destroyed), the drop
// callbacks handed to the grid's drag-and-drop service with the place under the pointer, the
// drop mark, and the drags of rows that the mouse service starts.
//
//   enter/over: the place under the pointer (DropInfo) -> the service's effect -> drop mark
//   drop:       GN_BEGINDROP -> the service's OnDrop (DropChecked) -> GN_ENDDROP with the
//               effect -> drop mark removed
//   leave:      the service forgets the drag -> drop mark removed
//   drag out:   GN_BEGINDRAG -> the service's StartDrag (modal) -> GN_ENDDRAG with the effect
//
// A failed registration leaves the grid working without being a drop target.
class CGridDropTarget final : public COleDropTarget, public IGridService, public CGridMouse::IRowDrag
{
public:
    // The upper and lower quarter of a row drop before and after it; the middle, into it.
    static constexpr int kEdgeFraction = 4;
    // Height of the line the drop mark draws between rows.
    static constexpr int kMarkLineHeight = 2;

    CGridDropTarget(CGrid& grid, CGridImpl& impl, GridTracking& tracking);
    ~CGridDropTarget() override;

    // IGridService
    void OnWindowCreated() override;
    void OnWindowDestroying() override;

    // COleDropTarget
    DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point) override;
    void OnDragLeave(CWnd* window) override;
    DROPEFFECT OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT dropEffect, DWORD keyState,
                      CPoint point) override;

    // CGridMouse::IRowDrag
    bool IsDragPress(CPoint point) override;
    void StartRowDrag(CPoint pressPoint) override;
    void ApplyPress(CPoint pressPoint) override;

    // The place a drop at `point` (client coordinates) lands, without data or keys.
    DropInfo PlaceAt(CPoint point) const;

private:
    DropInfo MakeInfo(COleDataObject* data, DWORD keyState, CPoint point) const;
    void ShowDropMark(const DropInfo& info, DROPEFFECT effect);
    void HideDropMark();
    void NotifyDrag(int code, CPoint point, void* pointer, int effect);

    CGrid& m_grid;
    CGridImpl& m_impl;
    GridTracking& m_tracking;
    bool m_dragging = false; // a drag out of this grid runs (its modal loop may re-enter)
};

} // namespace Ombrel::GUI
