#pragma once

// What the workloads need from a side (Ombrel's grid or Qt's model/view). Every function runs
// on the window thread, except the update target's, which the workers call.

#include <vector>

#include "RowData.h"

namespace OmbrelBench {

class CUpdateLoad;
class IUpdateTarget;

// The window every side shows: its outer size in pixels.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

class IPeerSide
{
public:
    virtual ~IPeerSide() = default;

    // Builds the side's data from `rows` and loads it, in the given order, into a grid sorted
    // by quantity then name, the way this side loads in bulk. The window exists and is shown.
    virtual void Load(const std::vector<RowValues>& rows) = 0;
    // False when the load gave up before every row was in (a time limit of the side).
    virtual bool IsLoadComplete() const { return true; }
    virtual int GetLoadedRowCount() const = 0;

    // Handles every pending event (deferred layout, queued paints, posted messages).
    virtual void ProcessEvents() = 0;
    // Handles events as they come for `milliseconds`.
    virtual void RunEventLoopFor(int milliseconds) = 0;
    // Paints the whole window into an image now.
    virtual void Grab() = 0;
    // Writes the last image Grab painted to a PNG file; false when it cannot.
    virtual bool SaveGrab(const char* path) const = 0;

    // Scrolling by rows: the first visible row, the rows a page scroll moves by.
    virtual int GetTopRow() = 0;
    virtual void SetTopRow(int index) = 0;
    virtual int GetPageRowCount() = 0;
    // Scrolls down by one page as the scroll bar's page area does; false at the bottom.
    virtual bool PageDown() = 0;

    // Sustained updates: the target the workers hand changes to, and the load whose
    // OnApplied/OnPainted this side reports to (null: none).
    virtual IUpdateTarget& GetUpdateTarget() = 0;
    virtual void SetUpdateLoad(CUpdateLoad* load) = 0;
};

} // namespace OmbrelBench
