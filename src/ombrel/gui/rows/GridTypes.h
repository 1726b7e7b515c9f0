#pragma once

#include "ombrel/gui/header/SortInfo.h"

#include <cstdint>

namespace Ombrel::GUI {

class CGridItem;

// Reserved row handles. They are never rows: the registered sets of the containers never hold
// them, so handle validation rejects them wherever a real row is required.
namespace Detail {
inline CGridItem* ReservedHandle(std::uintptr_t value)
{
    return reinterpret_cast<CGridItem*>(value);
}
} // namespace Detail

// As a parent: the root of the normal rows. As insert-after: append.
inline CGridItem* const GRID_ROOT = Detail::ReservedHandle(0xFFFF0000u);
// As a parent: the root of the fixed rows. As insert-after: append.
inline CGridItem* const GRID_FIXED_ROOT = Detail::ReservedHandle(0xFFFF0001u);
// As insert-after: before the first sibling. Not a parent.
inline CGridItem* const GRID_FIRST = Detail::ReservedHandle(0xFFFF0002u);
// As insert-after: after the last sibling. Not a parent.
inline CGridItem* const GRID_LAST = Detail::ReservedHandle(0xFFFF0003u);

inline bool IsReservedHandle(const CGridItem* row)
{
    return row == GRID_ROOT || row == GRID_FIXED_ROOT || row == GRID_FIRST || row == GRID_LAST;
}

// Container kinds; as bits they form row-type masks (3 = fixed and normal).
enum RowType : int
{
    ROW_DETACHED = 0, // the process-wide pool of rows that belong to no grid
    ROW_FIXED = 1,    // rows under the header that never scroll vertically
    ROW_NORMAL = 2,   // scrolling rows
};

constexpr int ROW_ALL_TYPES = ROW_FIXED | ROW_NORMAL;

// Row notification codes sent to the grid's owner window.
enum GridRowNotification : int
{
    GN_ROWADDED = 0,
    GN_ROWREMOVED = 1,
    GN_ROWMOVED = 2,
    GN_ROWATTACHED = 3,
    GN_ROWDETACHED = 4,
    GN_FOCUSCHANGED = 5,
    GN_SELCHANGED = 6,
    GN_EXPANDCHANGED = 7,
    GN_FILTERCHANGED = 8,
    GN_VISIBILITYCHANGED = 9,
    GN_ROWUPDATED = 10,
};

// A place in a visible sequence: index -1 with type ROW_DETACHED means "none".
struct RowPosition
{
    int index = -1;
    int type = ROW_DETACHED;

    bool IsNone() const { return index < 0; }
    bool operator==(const RowPosition&) const = default;
};

} // namespace Ombrel::GUI
