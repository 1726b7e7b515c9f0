#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"

#include <array>
#include <cstdint>

namespace Ombrel {
class CArchive;
}

namespace Ombrel::GUI {

// Settings records a grid holds and stores with its state for the services that read them
// (in-place editing, copy and paste, drag and drop, tooltips). Each grid owns one copy of
// each; Get... operations hand out the record's address so an application may change
// members in place, Set... copies a whole record.

// How in-place editing starts and what it draws. 20 bytes, copied whole.
struct EditInPlaceSettings
{
    bool enabled = true;
    // 0: a single click starts editing; 1: a double click starts, a single click only when
    // the cell's reflector agrees; any other value: both start.
    std::int32_t startMode = 1;
    // In start mode 1, lets the reflector decide about single clicks (non-zero: on).
    std::int32_t singleClickAsksReflector = 1;
    COLORREF hoverFrameColor = 0x808080;
    bool drawHoverFrame = true;
    // Two switches for the editing hints that reflectors draw into cells: whether they are
    // drawn at all, and whether they also show in cells that are not under the mouse.
    bool drawEditHints = true;
    bool editHintsEverywhere = false;
    // After an edit ends by a navigation key, editing continues in the target cell.
    bool keyboardNavigation = true;

    bool operator==(const EditInPlaceSettings&) const = default;
};
static_assert(sizeof(EditInPlaceSettings) == 20);

// Which rows copy, cut and paste take, and where pasted rows go.
struct PasteSettings
{
    bool copyFixedRows = true;
    bool copyNormalRows = true;
    // A copied row is followed by its descendants; only the selected ones unless the second
    // flag asks for all of them.
    bool copyDescendants = true;
    bool copyAllDescendants = true;
    bool cutFixedRows = true;
    bool cutNormalRows = true;
    bool pasteIntoFixedRows = true;
    bool pasteIntoNormalRows = true;
    bool pasteWithoutFocus = true;
    // Without a focused row: paste at the end (true) or at the beginning.
    bool pasteAtEndWithoutFocus = true;
    // Imports may create data objects (data that came from outside the process).
    bool importsCreateObjects = false;
    // 0 first child of the focused row, 1 last child of the focused row, 2 after the focused
    // row under the same parent, 3 after the focused row among the top-level rows of its type.
    std::int32_t positionMode = 3;
    // How focus and selection are set after a paste (the values are CCopyPaste's).
    std::int32_t focusMode = 3;
    std::int32_t selectionMode = 3;

    bool operator==(const PasteSettings&) const = default;
};

// What a grid accepts as a drop target and how it shows drags: fifteen flags and a colour.
struct DropSettings
{
    // Read by the drag source side of the service, not by the drop checks.
    std::array<bool, 4> dragFlags{true, true, true, true};
    bool acceptIntoFixedRows = true;
    bool acceptIntoNormalRows = true;
    bool copyWithinGrid = false;
    bool moveWithinGrid = true;
    bool copyFromOtherGrid = false;
    bool moveFromOtherGrid = false;
    // Accept objects created by an import (data from outside the process).
    bool acceptCreatedObjects = false;
    bool showDragImage = false;
    // Switches and colour of the drop-position marks painted into the rows.
    std::array<bool, 3> markFlags{false, true, false};
    COLORREF markColor = 0xDF8020;

    bool operator==(const DropSettings&) const = default;
};

// Which tooltip a grid shows when the pointer rests over a cell (operation 89).
enum TooltipKind : std::int32_t
{
    TooltipAtCursor = 0,            // the provider's text near the pointer
    TooltipInPlace = 1,             // a truncated cell's whole text over the cell
    TooltipInPlaceElseAtCursor = 2, // in place when the cell is truncated, else at the pointer
};

constexpr bool IsValidTooltipKind(std::int64_t kind)
{
    return kind >= TooltipAtCursor && kind <= TooltipInPlaceElseAtCursor;
}

// Placements of the tooltip at the cursor, relative to the pointer's hot spot.
enum TooltipPlacement : std::int32_t
{
    TooltipAbove = 0,
    TooltipBelow = 1,
    TooltipLeft = 2,
    TooltipRight = 3,
};

// Bounds a tooltip settings record keeps. They keep every position computed from a record
// within the 16-bit range window coordinates live in, and reject what can only be damage
// (a negative delay, a margin wider than any screen).
constexpr std::int32_t kMaxTooltipDelayMs = 3'600'000; // an hour
constexpr std::int32_t kMaxTooltipOffset = 4096;       // either sign
constexpr std::int32_t kMaxTooltipMargin = 1024;       // 0 .. this

// Colours, delays and placement of a tooltip. A grid keeps one record for the tooltip at the
// cursor and one for the in-place tooltip over a truncated cell. The colour defaults are the
// platform's tooltip colours, read when the record is made.
struct TooltipSettings
{
    TooltipSettings();

    COLORREF backgroundColor;
    COLORREF textColor;
    COLORREF borderColor;
    std::int32_t initialDelayMs = 500;
    std::int32_t displayTimeMs = 10000;
    CPoint cursorOffset{0, 0};
    CSize textMargins{1, 1};
    // A TooltipPlacement: 0 above the cursor, 1 below, 2 left of it, 3 right of it.
    std::int32_t placement = TooltipAbove;
    // 0 no tooltip; otherwise shown after the initial delay, and with mode 1 and a display
    // time above 0 hidden again after the display time.
    std::int32_t mode = 1;

    bool operator==(const TooltipSettings&) const = default;
};

// Whether every member lies within its bounds: colours are 0x00BBGGRR, delays 0 ..
// kMaxTooltipDelayMs, offsets within +-kMaxTooltipOffset, margins 0 .. kMaxTooltipMargin and the
// placement one of TooltipPlacement. Any mode is valid (0 off, 1 timed, others untimed).
bool IsValidTooltipSettings(const TooltipSettings& settings);

// Stored forms. Paste and drop settings are their members in order at their widths (flags as
// one byte each). Tooltip settings carry a version (1): loading a newer one raises
// CArchiveException::badSchema, a version of 0 or less reads nothing more and leaves the
// record as it was. A record is read whole into a copy and assigned only when it is valid;
// one out of bounds raises CArchiveException::genericException and leaves it as it was.
void SerializePasteSettings(CArchive& archive, PasteSettings& settings);
void SerializeDropSettings(CArchive& archive, DropSettings& settings);
void SerializeEditInPlaceSettings(CArchive& archive, EditInPlaceSettings& settings);
void SerializeTooltipSettings(CArchive& archive, TooltipSettings& settings);

} // namespace Ombrel::GUI
