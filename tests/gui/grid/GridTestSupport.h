#pragma once

// Grid windows for tests: an owner window that records the grid's notifications, and a
// grid created as its child.

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/platform/Wnd.h"

#include <string>
#include <vector>

namespace Ombrel::GUI::Testing {

// A top-level window that keeps a copy of every grid notification it receives.
class CNotificationRecorder : public CWnd
{
public:
    struct Entry
    {
        WPARAM wParam = 0;
        NMGRIDROW row;       // for row codes (0 to 10)
        NMGRIDCOLUMN column; // for column codes
        bool IsRow() const { return row.hdr.code <= GN_ROWUPDATED; }
        UINT Code() const { return row.hdr.code; }
    };

    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Codes received, in order; row codes only when `rowsOnly`.
    std::vector<UINT> Codes(bool rowsOnly = false) const;
    // The entries for `code`, in order.
    std::vector<Entry> Of(UINT code) const;
    // Row entries for `row`, in order.
    std::vector<Entry> For(const CGridItem* row) const;

    std::vector<Entry> entries;
};

// An owner window with a 300 x 200 grid child (control identifier 42) on the calling thread.
struct GridWindow
{
    static constexpr UINT kControlId = 42;

    GridWindow();
    ~GridWindow();

    CNotificationRecorder owner;
    CGrid grid;
};

// A readable name for a notification code, for failure messages.
std::string CodeName(UINT code);

} // namespace Ombrel::GUI::Testing
