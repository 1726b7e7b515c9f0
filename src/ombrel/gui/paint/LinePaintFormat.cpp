#include "ombrel/gui/paint/LinePaintFormat.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/paint/PaintedGrid.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/paint/detail/PaintTools.h"
#include "ombrel/platform/DC.h"

#include <algorithm>
#include <optional>

namespace Ombrel::GUI {

namespace {

// The column's own value format (none asked for without a column), else the format of the
// field in the row's field map.
Common::CFormat* ValueFormatOf(CColumn* column, std::int32_t fieldId, CGridItem* row)
{
    if (Common::CFormat* own = column ? column->GetFormat() : nullptr) {
        return own;
    }
    Common::CDataObject* object = row ? row->GetDataObject() : nullptr;
    return object ? object->GetFieldFormat(fieldId) : nullptr;
}

// Paints one cell confined to `visible`, its part inside the line and the update area.
void PaintCell(CellPaintContext& cell, const CRect& visible, CDC& dc, std::uint32_t flags,
               ICustomDraw& customDraw)
{
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(visible);
    customDraw.DrawCell(cell, dc, flags);
    if (saved > 0) {
        dc.RestoreDC(saved);
    }
}

// Fills the line's visible band with its background colour in one fill, where every cell
// would otherwise start by filling its own part: with the cell-background step on and no
// picture under the rows (cells blend over a picture instead of covering it). True when
// filled.
bool FillBand(const LinePaintContext& line, const CRect& area, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintCellBackground) || line.backgroundImage.IsSet()) {
        return false;
    }
    PaintTools::FillSolid(dc, area, line.backgroundColor);
    return true;
}

// What a cell takes over from its line, before its column is known.
CellPaintContext LineCellContext(const LinePaintContext& line, const CRect& cellRect)
{
    CellPaintContext cell;
    cell.textColor = line.textColor;
    cell.backgroundColor = line.backgroundColor;
    cell.rect = cellRect;
    cell.updateRect = line.updateRect;
    cell.font = line.font;
    cell.leftMargin = line.leftMargin;
    cell.rightMargin = line.rightMargin;
    cell.highlight = line.highlight;
    cell.row = line.row;
    cell.grid = line.grid;
    cell.stretchImages = line.stretchImages;
    cell.rowType = line.rowType;
    cell.position = line.position;
    cell.previousSelected = line.previousSelected;
    cell.nextSelected = line.nextSelected;
    cell.focusIndex = line.focusIndex;
    cell.focusType = line.focusType;
    cell.trackingRect = line.trackingRect;
    cell.backgroundImage = line.backgroundImage;
    cell.snapshot = line.snapshot;
    return cell;
}

// The column's part of a cell context, from the paint's snapshot.
void SetColumnFacts(CellPaintContext& cell, const LinePaintContext& line,
                    const PaintSnapshot::Column& facts)
{
    cell.column = facts.column;
    cell.columnFieldId = facts.fieldId;
    cell.fieldIdColumn = facts.column;
    cell.snapshotColumn = &facts;
    cell.imageList = line.imageList;
    cell.imageIndex = facts.imageIndex;
    cell.format = facts.ownFormat ? facts.ownFormat : ValueFormatOf(nullptr, facts.fieldId, line.row);
    cell.isFirstCell = facts.column == line.snapshot->GetFirstColumn();
    cell.isLastCell =
        facts.column == line.snapshot->GetLastColumn() && cell.rect.right >= line.rect.right;
}

// Paints the cells of the visible columns that meet `area`; returns the right edge of the
// last visible column, where the rest of the line begins.
int PaintColumns(LinePaintContext& line, const CRect& area, bool bandFilled, CDC& dc,
                 std::uint32_t flags, ICustomDraw& customDraw)
{
    const PaintSnapshot& snapshot = *line.snapshot;
    for (const PaintSnapshot::Column& facts : snapshot.GetColumns()) {
        // Clipped rectangles grow from left to right: fixed columns first, then scrolling
        // ones kept right of the fixed area.
        const CRect shown(facts.shown.left, line.rect.top, facts.shown.right, line.rect.bottom);
        if (shown.left >= area.right) {
            break;
        }
        CRect visible;
        if (!visible.IntersectRect(shown, area)) {
            continue;
        }
        const CRect full(facts.full.left, line.rect.top, facts.full.right, line.rect.bottom);
        CellPaintContext cell = LineCellContext(line, full);
        SetColumnFacts(cell, line, facts);
        cell.bandFilled = bandFilled;
        cell.bandColor = line.backgroundColor;
        PaintCell(cell, visible, dc, flags, customDraw);
    }
    return snapshot.GetRestLeft(line.rect.left);
}

} // namespace

CellPaintContext CLinePaintFormat::MakeCellContext(const LinePaintContext& line, CColumn* column,
                                                   const CRect& cellRect)
{
    CellPaintContext cell = LineCellContext(line, cellRect);
    if (!column) {
        cell.isLastCell = true;
        return cell;
    }
    if (const PaintSnapshot::Column* facts = line.snapshot ? line.snapshot->Find(column) : nullptr) {
        SetColumnFacts(cell, line, *facts);
        return cell;
    }
    cell.column = column;
    cell.columnFieldId = column->GetFieldId();
    cell.fieldIdColumn = column;
    cell.imageList = line.imageList;
    cell.imageIndex = column->GetImageIndex();
    cell.format = ValueFormatOf(column, cell.columnFieldId, line.row);
    if (CHeader* header = line.grid ? line.grid->GetHeader() : nullptr) {
        cell.isFirstCell = column == header->GetFirstVisibleColumn();
        cell.isLastCell =
            column == header->GetLastVisibleColumn() && cellRect.right >= line.rect.right;
    }
    return cell;
}

void CLinePaintFormat::Paint(LinePaintContext& context, CDC& dc, std::uint32_t flags,
                             ICustomDraw* customDraw)
{
    if (!customDraw) {
        customDraw = CPaintDefaults::Get().GetCustomDraw();
    }
    CRect area;
    if (!area.IntersectRect(context.rect, context.updateRect)) {
        return;
    }
    const bool bandFilled = FillBand(context, area, dc, flags);
    // A line painted on its own reads the grid for itself; the snapshot goes with the call.
    std::optional<PaintSnapshot> ownSnapshot;
    const PaintSnapshot* const passSnapshot = context.snapshot;
    if (!passSnapshot && context.grid) {
        context.snapshot = &ownSnapshot.emplace(PaintSnapshot::Take(*context.grid));
    }
    int restLeft = context.rect.left;
    if (context.snapshot) {
        restLeft = PaintColumns(context, area, bandFilled, dc, flags, *customDraw);
    }
    const CRect rest(std::max(restLeft, context.rect.left), context.rect.top, context.rect.right,
                     context.rect.bottom);
    CRect visible;
    if (visible.IntersectRect(rest, area)) {
        CellPaintContext cell = MakeCellContext(context, nullptr, rest);
        cell.bandFilled = bandFilled;
        cell.bandColor = context.backgroundColor;
        PaintCell(cell, visible, dc, flags, *customDraw);
    }
    context.snapshot = passSnapshot;
}

bool CLinePaintFormat::IsSerializable() const { return true; }
std::string CLinePaintFormat::GetClassName() const { return "GUI::CLinePaintFormat"; }
void CLinePaintFormat::Serialize(CArchive&) {}

} // namespace Ombrel::GUI
