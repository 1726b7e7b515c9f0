#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/paint/BackgroundImage.h"
#include "ombrel/gui/paint/HighlightSettings.h"
#include "ombrel/gui/paint/PaintSnapshot.h"

#include <cstdint>

namespace Ombrel {
class CDC;
class CFont;
class CImageList;
} // namespace Ombrel

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

class CColumn;
class IControlReflector;
class IPaintedGrid;
class CGridItem;
class CHeader;

// What a paint format is told about the thing it paints. The paint pass fills a header
// context for the header strip and a line context for every line; the line paint format
// derives a cell context per cell from its line context, the header paint format a column
// context per header cell. Contexts are plain records built on the stack for one call;
// every pointer in them is borrowed and valid only during that call.
//
// Coordinates are client coordinates of the grid window (logical coordinates of the device
// context). Rectangles exclude their right and bottom edges.

// Header cell states: how a header cell looks while the mouse works on it.
enum HeaderCellState : int
{
    HeaderCellNormal = 0,
    HeaderCellTracked = 1, // the pointer holds the cell (pressed, about to sort or drag)
    HeaderCellPressed = 2, // as 1, while the grid's second tracking flag is set
};

// The whole header strip.
struct HeaderPaintContext
{
    CRect rect;                       // the strip: client width x header height
    CRect updateRect;                 // the part being painted now
    IPaintedGrid* grid = nullptr;
    CHeader* header = nullptr;
    CFont* font = nullptr;            // header's font, else grid's, else the default font
    CImageList* imageList = nullptr;  // the header's image list; may be null
    COLORREF textColor = 0;           // colour of the titles

    // The column the mouse tracks in the header (-2: none) and whether the second tracking
    // flag is set; together they give that cell HeaderCellTracked or HeaderCellPressed.
    std::int32_t trackedFieldId = -2;
    bool trackedPressed = false;

    // While a column is dragged: the visible index it would be dropped at (0 .. visible
    // column count; the count drops after the last column), -1 when no drop mark is shown.
    int dropIndex = -1;
};

// One header cell, or the rest of the strip right of the last column (column null).
struct ColumnPaintContext
{
    CRect rect;                       // the cell, kept right of the fixed area when scrolling
    CRect updateRect;
    IPaintedGrid* grid = nullptr;
    CHeader* header = nullptr;
    CColumn* column = nullptr;        // null for the rest of the strip
    CFont* font = nullptr;            // null: the device context's current font
    CImageList* imageList = nullptr;  // the header's image list; may be null
    COLORREF textColor = 0;
    int state = HeaderCellNormal;     // HeaderCellState
};

// One line: a row, or an empty line below the last row (row null).
struct LinePaintContext
{
    COLORREF textColor = 0;           // by position parity, from the grid's appearance
    COLORREF backgroundColor = 0xFFFFFF;
    CRect rect;                       // the line: full client width, the row's height
    CRect updateRect;                 // the part being painted now
    CFont* font = nullptr;            // the grid's font; null: the device context's font
    int leftMargin = 2;               // text margins in pixels
    int rightMargin = 2;
    HighlightSettings highlight;      // the grid's, copied for the pass
    int rowType = ROW_NORMAL;         // ROW_FIXED or ROW_NORMAL
    int position = -1;                // visible position within rowType; -1 for an empty line
    CGridItem* row = nullptr;         // null for an empty line
    // Whether the neighbouring rows are selected (across the separator between the last
    // fixed and the first normal row); the selection frame leaves out shared edges.
    bool previousSelected = false;
    bool nextSelected = false;
    CRect trackingRect;               // normalized rubber band; empty when none
    IPaintedGrid* grid = nullptr;
    CDC* dc = nullptr;                // the device context being painted
    int focusIndex = -1;              // the grid's focus position and its row type
    int focusType = ROW_DETACHED;
    BackgroundImage backgroundImage;  // the picture under the rows, already drawn
    CImageList* imageList = nullptr;  // the grid's image list; may be null
    bool stretchImages = false;
    // The columns, appearance and sort fields of the paint, read once for all its lines;
    // null: the line paint format reads them for this line.
    const PaintSnapshot* snapshot = nullptr;
};

// One cell of a line, or the rest of the line right of the last column (column null).
struct CellPaintContext
{
    COLORREF textColor = 0;
    COLORREF backgroundColor = 0xFFFFFF;
    // The whole cell: the column's extent across the line. What may actually be drawn is
    // narrowed by the device context's clip region (update area, fixed columns).
    CRect rect;
    CRect updateRect;
    CFont* font = nullptr;            // null: the device context's current font
    int leftMargin = 2;
    int rightMargin = 2;
    HighlightSettings highlight;
    CGridItem* row = nullptr;         // null for an empty line
    IPaintedGrid* grid = nullptr;
    CColumn* column = nullptr;        // null for the area right of the last column
    CImageList* imageList = nullptr;
    int imageIndex = -1;              // the column's cell image; -1 for none
    bool stretchImages = false;
    // The column's value format, else the field's own format; null lets the field's value
    // kind choose its default format.
    Common::CFormat* format = nullptr;

    // The row's first and last cell carry the left and right edges of the selection and
    // focus frames. The rest of a line right of the last column counts as its last cell.
    bool isFirstCell = false;
    bool isLastCell = false;

    // Where the cell's row stands, taken over from its line.
    int rowType = ROW_NORMAL;
    int position = -1;
    bool previousSelected = false;
    bool nextSelected = false;
    int focusIndex = -1;
    int focusType = ROW_DETACHED;
    CRect trackingRect;
    BackgroundImage backgroundImage;

    // The line paint format fills the line's band once with the line's background colour
    // before its cells; a cell whose background comes out as exactly `bandColor` then has
    // nothing to fill. False when the band was not filled (a background picture, a custom
    // line paint format, or the cell-background step switched off).
    bool bandFilled = false;
    COLORREF bandColor = 0;

    // The field identifier of `fieldIdColumn`, read once when the line paint format builds
    // the context (reading it takes the column's lock, and a cell asks for it several times).
    // It stands for `column` only while `column` is still `fieldIdColumn`.
    std::int32_t columnFieldId = -2;
    const CColumn* fieldIdColumn = nullptr;
    // The field identifier of `column` (which must not be null): `columnFieldId` while it
    // stands for `column`, else read from the column.
    std::int32_t ColumnFieldId() const;
    // The paint's snapshot, and the entry of `column` in it; the cell formats read the
    // appearance, sort fields, tree column and the column's facts there instead of asking the
    // grid and the column (null: they ask). The entry stands for `column` only while its
    // `column` is still `column`.
    const PaintSnapshot* snapshot = nullptr;
    const PaintSnapshot::Column* snapshotColumn = nullptr;

    // The edit-in-place reflector the editing policy found for this cell when it adjusted the
    // paint flags, kept for its edit hint at the end of the same cell (finding one reads the
    // row's object, the column's format and the field map, and asks every reflector). It
    // stands for the cell only while `row`, `column` and `format` are still those it was
    // found for; the policy checks that before using it.
    struct EditReflector
    {
        bool found = false;
        IControlReflector* reflector = nullptr; // null: the cell has none
        const CGridItem* row = nullptr;
        const CColumn* column = nullptr;
        const Common::CFormat* format = nullptr;
    };
    EditReflector editReflector;

    // The time since the cell's value last changed, as the grid answered it for this cell's
    // highlight (asked by the background, text colour and repaint steps alike). It stands for
    // the cell only while `row` and the field are still those it was read for.
    struct ElapsedSinceChange
    {
        bool known = false;
        const CGridItem* row = nullptr;
        std::int32_t fieldId = 0;
        std::int64_t elapsed = -1;
    };
    mutable ElapsedSinceChange elapsedSinceChange;

    bool IsFocusRow() const
    {
        return row != nullptr && position >= 0 && position == focusIndex && rowType == focusType;
    }
};

} // namespace Ombrel::GUI
