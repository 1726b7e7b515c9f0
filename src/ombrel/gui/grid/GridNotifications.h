#pragma once

#include "ombrel/platform/Messages.h"

#include <cstdint>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CColumn;
class CGrid;
class CGridItem;

// Column notification codes sent to the grid's owner window (row codes are in GridTypes.h).
enum GridColumnNotification : int
{
    GN_BEGINDRAG = 11,      // before a drag the grid starts from its rows
    GN_ENDDRAG = 12,        // after it; the integer argument is the drag result
    GN_BEGINDROP = 13,      // before a drop onto the grid is processed
    GN_ENDDROP = 14,        // after it; the integer argument is the effect, 0 when refused
    GN_BEGINEDIT = 15,      // an in-place edit started (payload NMGRIDEDIT)
    GN_ENDEDIT = 16,        // it ended: end code, and whether a value was written (NMGRIDEDIT)
    GN_COLUMNADDED = 17,
    GN_COLUMNREMOVED = 18,
    GN_COLUMNMOVED = 19,
    GN_COLUMNRESIZED = 20,
    GN_COLUMNCHANGED = 21,  // any other change of a column, the header's font or images
    GN_SORTCHANGED = 22,    // the header's sort levels changed
};

// Bits of NMGRIDROW::rowState.
enum GridRowStateBits : std::uint32_t
{
    GRS_SELECTED = 1u << 0,
    GRS_FOCUSED = 1u << 1,
    GRS_VISIBLE = 1u << 2,
    GRS_EXPANDED = 1u << 3,
    GRS_FILTERED = 1u << 4, // hidden by the row filter
    GRS_IN_GRID = 1u << 5,  // in a grid container (not in the pool of detached rows)
};

// Payload of a row notification: WM_NOTIFY with the grid's control identifier in wParam and
// the payload's address in lParam. It lives only for the duration of the call. Addresses are
// full width; the fields keep the order of the 32-bit layout that older receivers knew.
struct NMGRIDROW
{
    NMHDR hdr;            // sender (the grid window), control identifier, code
    UINT code = 0;        // the code again
    CGrid* grid = nullptr;
    std::uint32_t rowState = 0; // GridRowStateBits
    CGridItem* row = nullptr;
    Common::CDataObject* object = nullptr;
    std::int32_t rowType = 0;   // ROW_FIXED or ROW_NORMAL
    std::int32_t position = -1; // visible position, -1 when the row has none
};

// Payload of a column notification, sent the same way.
struct NMGRIDCOLUMN
{
    NMHDR hdr;
    UINT code = 0;
    CGrid* grid = nullptr;
    CColumn* column = nullptr;
    void* pointerArgument = nullptr;
    std::int32_t integerArgument = 0;
};

// Payload of GN_BEGINEDIT and GN_ENDEDIT. It starts as NMGRIDCOLUMN does (the edited column,
// the row as the pointer argument, the end code as the integer argument), so a receiver that
// reads column notifications alike still finds them; `written` follows.
struct NMGRIDEDIT
{
    NMHDR hdr;
    UINT code = 0;
    CGrid* grid = nullptr;
    CColumn* column = nullptr;   // null when the column is gone
    CGridItem* row = nullptr;    // valid only during the call; for GN_ENDEDIT of a row that is
                                 // being removed, the row is on its way out
    std::int32_t endCode = 0;    // GN_ENDEDIT: the EditEndCode; 0 for GN_BEGINEDIT
    bool written = false;        // GN_ENDEDIT: a value was written into the data object. A
                                 // committing end that wrote nothing (text that does not parse,
                                 // no choice in a list) leaves the cell's value as it was.
};

} // namespace Ombrel::GUI
