#pragma once

#include "ombrel/platform/Messages.h"

#include <cstdint>

namespace Ombrel {
class CArchive;
}

namespace Ombrel::GUI {

class CGridItem;

// A service that plugs into a grid window: the key manager, in-place editing, tooltips, mouse
// tracking, drag and drop, printing. Each registers with the grid's service list
// (CGridImpl::AddService) instead of growing the window's own message handling, fields and
// timers; each keeps its own settings record.
//
// Order: services see every call in the order they were registered. All calls come on the
// grid's window thread. A service outlives its registration: it removes itself
// (CGridImpl::RemoveService) before it is destroyed.
class IGridService
{
public:
    // Offered every mouse, key, character, focus, timer and capture message of the grid window
    // before the grid's own handling (see IsFilteredMessage). Returning true takes the
    // message: later services and the grid do not see it, and `result` is what the window
    // procedure returns. Timer messages carry a GridTimer identifier in wParam; a service
    // takes only its own timers.
    virtual bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
    {
        (void)message, (void)wParam, (void)lParam, (void)result;
        return false;
    }

    // ---- Lifecycle ----------------------------------------------------------------------
    // The grid window exists and the grid is initialized (layout and drawing resources).
    virtual void OnWindowCreated() {}
    // The grid window is being destroyed: its rows are already gone and its timers still
    // run. A service ends what it shows (an editor, a tooltip, a drag) and releases capture.
    virtual void OnWindowDestroying() {}
    // The grid's stored state was written to, or read from, an archive; after a read the
    // service applies the settings records it reads from the grid.
    virtual void OnStateStored(CArchive& archive) { (void)archive; }
    virtual void OnStateRestored(CArchive& archive) { (void)archive; }

    // ---- Host calls ---------------------------------------------------------------------
    // The rows on screen moved because the view scrolled (after the pixels were moved).
    virtual void OnViewScrolled() {}
    // A scroll command or a click asks every transient window (a tooltip) to close.
    virtual void HideTransients() {}
    // Whether the service edits a cell in place right now; the wheel is ignored meanwhile.
    virtual bool IsEditing() const { return false; }
    // A key of the grid window asks any in-place edit to end first, with the editor's end
    // code (Escape: 2, without writing).
    virtual void EndEditing(int endCode) { (void)endCode; }
    // A key-down for a child window of the grid (an in-place editor, an embedded control).
    // Returning true consumes it: the service has dispatched it, and the host frame's
    // accelerators never see it.
    virtual bool PreTranslateChildKey(const MSG& msg)
    {
        (void)msg;
        return false;
    }
    // The data object of `row` changed `fieldId` (or AllFields / NoField), after the row was
    // moved to its sorted place and repainted.
    virtual void OnCellChanged(CGridItem* row, std::int32_t fieldId) { (void)row, (void)fieldId; }
    // `row` is about to leave the grid: removed (`removed`; its data object may be in its
    // destructor) or detached into the pool. Row and object are still alive during the call;
    // a service lets go of both.
    virtual void OnRowLeaving(CGridItem* row, bool removed) { (void)row, (void)removed; }

    // Whether `message` is one that PreFilterMessage is offered.
    static bool IsFilteredMessage(UINT message);

protected:
    ~IGridService() = default;
};

} // namespace Ombrel::GUI
