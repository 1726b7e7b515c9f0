#include "ombrel/gui/paint/CellPaintFormat.h"

#include "ombrel/common/ValueKind.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/Value.h"
#include "ombrel/gui/paint/PaintedGrid.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/Blend.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/paint/detail/PaintTools.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>
#include <array>

// Cell painting, step by step (Paint): schedule the next highlight repaint, fill the
// background, the tracking rectangle, text, image, focus frame, selection frame, tree marks,
// grid lines. Each step checks its own option bit. All geometry is taken from the whole cell
// rectangle; the device context's clip region limits what reaches the screen, so a cell
// painted in parts looks the same as one painted at once.

namespace Ombrel::GUI {

namespace {

using PaintTools::CScopedPen;
using PaintTools::EvenStart;
using PaintTools::HorizontalLine;
using PaintTools::VerticalLine;

// Key colour of the memory bitmap a stretched image is drawn through: pixels left in it are
// skipped when the bitmap is copied.
constexpr COLORREF kImageKeyColor = 0xEAEEED;
constexpr std::int32_t kNoField = -2;

const GridAppearance& AppearanceOf(const CellPaintContext& context)
{
    if (context.snapshot) {
        return context.snapshot->GetAppearance();
    }
    if (context.grid) {
        if (const GridAppearance* own = context.grid->GetAppearance()) {
            return *own;
        }
    }
    return CPaintDefaults::Get().GetAppearance();
}

// The column's field is one of the grid's sort levels (scanned until a level bound to no
// field).
bool IsSortColumn(const CellPaintContext& context)
{
    if (!context.grid || !context.column) {
        return false;
    }
    const std::int32_t fieldId = context.ColumnFieldId();
    if (context.snapshot) {
        return context.snapshot->IsSortField(fieldId);
    }
    for (int level = 0; level < kMaxSortLevels; ++level) {
        const std::int32_t sorted = context.grid->GetSortInfo(level).GetFieldId();
        if (sorted == kNoField) {
            return false;
        }
        if (sorted == fieldId) {
            return true;
        }
    }
    return false;
}

bool IsSelectedRow(const CellPaintContext& context)
{
    return context.row != nullptr && context.row->IsSelected();
}

int LevelOf(const CGridItem* row) { return row ? std::max(0, row->GetLevel()) : 0; }

bool IsLastChild(const CGridItem* row)
{
    const CGridItem* parent = row->GetParent();
    if (!parent) {
        return true;
    }
    const int count = parent->GetChildCount();
    return count > 0 && parent->GetChild(count - 1) == row;
}

// The grid's answer for the cell (row, column and grid set), asked once a cell. The row is
// the one the paint holds.
std::int64_t ElapsedSinceChange(const CellPaintContext& context)
{
    const std::int32_t fieldId = context.ColumnFieldId();
    CellPaintContext::ElapsedSinceChange& kept = context.elapsedSinceChange;
    if (!kept.known || kept.row != context.row || kept.fieldId != fieldId) {
        kept = {true, context.row, fieldId,
                context.grid->GetPaintedElapsedSinceChange(*context.row, fieldId)};
    }
    return kept.elapsed;
}

CellHighlight HighlightOf(const CellPaintContext& context, std::uint32_t flags)
{
    if (!(flags & PaintHighlight) || !context.row || !context.column || !context.grid) {
        return {};
    }
    const std::int64_t elapsed = ElapsedSinceChange(context);
    return GetCurrentHighlight(context.highlight, elapsed, context.textColor,
                               context.backgroundColor);
}

// The colours laid over a cell's background, in blending order; alpha 0 for those that do
// not apply.
struct BackgroundLayers
{
    struct Layer
    {
        COLORREF color = 0;
        int alpha = 0;
    };
    std::array<Layer, 4> layers;
};

BackgroundLayers LayersOf(const CellPaintContext& context, std::uint32_t flags)
{
    const GridAppearance& appearance = AppearanceOf(context);
    const CellHighlight highlight = HighlightOf(context, flags);
    BackgroundLayers result;
    result.layers[0] = {highlight.backgroundColor, highlight.backgroundAlpha};
    if ((flags & PaintSelectionColor) && IsSelectedRow(context)) {
        result.layers[1] = {appearance.selectionColor, appearance.selectionAlpha};
    }
    if ((flags & PaintSortColumnColor) && IsSortColumn(context)) {
        result.layers[2] = {appearance.sortColumnColor, appearance.sortColumnAlpha};
    }
    if ((flags & PaintFocusColor) && context.IsFocusRow()) {
        result.layers[3] = {appearance.focusColor, appearance.focusAlpha};
    }
    return result;
}

// Fills the parts of `cell` outside `inside` (which lies within it).
void FillAround(CDC& dc, const CRect& cell, const CRect& inside, COLORREF color)
{
    PaintTools::FillSolid(dc, CRect(cell.left, cell.top, cell.right, inside.top), color);
    PaintTools::FillSolid(dc, CRect(cell.left, inside.bottom, cell.right, cell.bottom), color);
    PaintTools::FillSolid(dc, CRect(cell.left, inside.top, inside.left, inside.bottom), color);
    PaintTools::FillSolid(dc, CRect(inside.right, inside.top, cell.right, inside.bottom), color);
}

// Draws the image through a memory bitmap of the key colour, scaled into `target`. False when
// the platform cannot do so; nothing is drawn then.
bool DrawStretchedImage(CDC& dc, CImageList& imageList, int index, const CRect& target)
{
    const CSize size = imageList.GetImageSize();
    if (size.cx <= 0 || size.cy <= 0 || target.IsRectEmpty()) {
        return false;
    }
    CDC memory;
    CBitmap bitmap;
    if (!memory.CreateCompatibleDC(&dc) || !bitmap.CreateCompatibleBitmap(&dc, size.cx, size.cy)) {
        return false;
    }
    CBitmap* previous = memory.SelectObject(&bitmap);
    memory.FillSolidRect(0, 0, size.cx, size.cy, kImageKeyColor);
    imageList.Draw(&memory, index, CPoint(0, 0), ILD_TRANSPARENT);
    const bool drawn = dc.TransparentBlt(target.left, target.top, target.Width(), target.Height(),
                                         &memory, 0, 0, size.cx, size.cy, kImageKeyColor);
    memory.SelectObject(previous);
    return drawn;
}

// The square of the expand button of a row at `level` in a cell, before its outline.
CRect ButtonSquare(const CRect& cell, int level)
{
    const int h = cell.Height();
    return CRect(cell.left + level * h + 3, cell.top + 3, cell.left + (level + 1) * h - 2,
                 cell.bottom - 2);
}

void DrawButton(CDC& dc, const CRect& cell, int level, bool expanded)
{
    const CRect square = ButtonSquare(cell, level);
    if (square.IsRectEmpty()) {
        return;
    }
    {
        CScopedPen pen(dc, PS_SOLID, GetSysColor(COLOR_GRAYTEXT));
        const CPoint outline[] = {{square.left, square.top},
                                  {square.right - 1, square.top},
                                  {square.right - 1, square.bottom - 1},
                                  {square.left, square.bottom - 1},
                                  {square.left, square.top}};
        dc.Polyline(outline, 5);
    }
    CRect sign = square;
    sign.DeflateRect(2, 2);
    if (sign.IsRectEmpty()) {
        return;
    }
    CScopedPen pen(dc, PS_SOLID, RGB(0, 0, 0));
    HorizontalLine(dc, sign.left, sign.right, (sign.top + sign.bottom - 1) / 2);
    if (!expanded) {
        VerticalLine(dc, (sign.left + sign.right - 1) / 2, sign.top, sign.bottom);
    }
}

void DrawTreeLines(CDC& dc, const CRect& cell, const CGridItem& row, bool showsButton)
{
    const int h = cell.Height();
    const int level = LevelOf(&row);
    const int x0 = cell.left;
    const int y0 = cell.top;
    CScopedPen pen(dc, PS_DOT, GetSysColor(COLOR_GRAYTEXT));

    // From the middle of the parent's button down to this row, and across to its own button.
    const int e = x0 + h / 2 + (level - 1) * h;
    const int middle = y0 + h / 2 - 1;
    VerticalLine(dc, e, y0, IsLastChild(&row) ? middle : cell.bottom - 1);
    HorizontalLine(dc, e, showsButton ? e + h - 3 : e + h + h / 2 - 1, middle);

    // Through this row for every ancestor whose later siblings lie below.
    for (const CGridItem* ancestor = row.GetParent(); ancestor && !ancestor->IsRoot();
         ancestor = ancestor->GetParent()) {
        const CGridItem* parent = ancestor->GetParent();
        if (!parent || parent->IsRoot()) {
            break;
        }
        if (!IsLastChild(ancestor)) {
            VerticalLine(dc, x0 + LevelOf(parent) * h + h / 2, cell.top, cell.bottom);
        }
    }
}

// The four edges of a row frame around `cell`: top and bottom unless the neighbour shares
// them, left and right on the row's first and last cell. Dotted frames start at even
// coordinates so that the dots of neighbouring cells line up.
void DrawRowFrame(CDC& dc, const CellPaintContext& context, bool top, bool bottom, bool dotted)
{
    const CRect& cell = context.rect;
    const int left = dotted ? EvenStart(cell.left) : cell.left;
    const int upper = dotted ? EvenStart(cell.top) : cell.top;
    if (top) {
        HorizontalLine(dc, left, cell.right, cell.top);
    }
    if (bottom) {
        HorizontalLine(dc, left, cell.right, cell.bottom - 1);
    }
    if (context.isFirstCell) {
        VerticalLine(dc, cell.left, upper, cell.bottom);
    }
    if (context.isLastCell) {
        VerticalLine(dc, cell.right - 1, upper, cell.bottom);
    }
}

} // namespace

// --- Colours and geometry ------------------------------------------------------------------

COLORREF CCellPaintFormat::GetBackgroundColor(const CellPaintContext& context,
                                              std::uint32_t flags) const
{
    COLORREF color = context.backgroundColor;
    for (const auto& layer : LayersOf(context, flags).layers) {
        color = Blend(color, layer.color, layer.alpha);
    }
    return color;
}

COLORREF CCellPaintFormat::GetTextColor(const CellPaintContext& context,
                                        std::uint32_t flags) const
{
    const CellHighlight highlight = HighlightOf(context, flags);
    return Blend(context.textColor, highlight.textColor, highlight.textAlpha);
}

CRect CCellPaintFormat::GetImageRect(const CellPaintContext& context, std::uint32_t flags) const
{
    const int h = context.rect.Height();
    int left = context.rect.left;
    if (context.row && IsTreeCell(context, flags)) {
        left += (LevelOf(context.row) + 1) * h;
    }
    CRect image(left, context.rect.top, left, context.rect.bottom);
    if ((flags & PaintCellImage) && PaintTools::HasImage(context.imageList, context.imageIndex)) {
        int width = h;
        const CSize size = context.imageList->GetImageSize();
        if (context.stretchImages && size.cy > 0) {
            width = h * size.cx / size.cy;
        }
        image.right = left + width;
    }
    return image;
}

CRect CCellPaintFormat::GetTextRect(const CellPaintContext& context, std::uint32_t flags) const
{
    const CRect image = GetImageRect(context, flags);
    return CRect(std::max(image.right, context.rect.left) + context.leftMargin, context.rect.top,
                 context.rect.right - context.rightMargin, context.rect.bottom);
}

int CCellPaintFormat::GetPreferredWidth(const CellPaintContext& context, CDC& dc,
                                        std::uint32_t flags) const
{
    CFont* previous = context.font ? dc.SelectObject(context.font) : nullptr;
    const int textWidth = dc.GetTextExtent(GetCellText(context)).cx;
    if (previous) {
        dc.SelectObject(previous);
    }
    const CRect image = GetImageRect(context, flags);
    // The image rectangle starts after the tree indent, so its right edge covers both.
    return textWidth + context.leftMargin + context.rightMargin + (image.right - context.rect.left);
}

CString CCellPaintFormat::GetCellText(const CellPaintContext& context) const
{
    return FormatCellText(context);
}

CString CCellPaintFormat::FormatCellText(const CellPaintContext& context)
{
    if (!context.row || !context.column) {
        return CString();
    }
    Common::CDataObject* object = context.row->GetDataObject();
    if (!object) {
        return CString();
    }
    try {
        return CString(object->GetFormattedValue(context.ColumnFieldId(), context.format));
    } catch (...) {
        // A getter that throws must not take the paint pass down; the cell shows no text.
        return CString();
    }
}

UINT CCellPaintFormat::GetTextAlignment(const CellPaintContext& context) const
{
    if (!context.column) {
        return DT_LEFT;
    }
    const PaintSnapshot::Column* facts = context.snapshotColumn;
    const std::int32_t alignment = facts && facts->column == context.column
                                       ? facts->alignment
                                       : context.column->GetAlignment();
    switch (alignment) {
    case CColumn::AlignRight:
        return DT_RIGHT;
    case CColumn::AlignCenter:
        return DT_CENTER;
    case CColumn::AlignAuto: {
        Common::CDataObject* object = context.row ? context.row->GetDataObject() : nullptr;
        const bool numeric =
            object && Common::IsNumericKind(object->GetFieldType(context.ColumnFieldId()));
        return numeric ? DT_RIGHT : DT_LEFT;
    }
    default:
        return DT_LEFT;
    }
}

bool CCellPaintFormat::IsTreeCell(const CellPaintContext& context, std::uint32_t flags)
{
    if (!(flags & PaintTreeIndent) || !context.grid || !context.column) {
        return false;
    }
    const std::int32_t treeField = context.snapshot ? context.snapshot->GetHierarchyField()
                                                    : context.grid->GetHierarchyColumn();
    return treeField != 0 && treeField == context.ColumnFieldId();
}

bool CCellPaintFormat::ShowsButton(const CellPaintContext& context)
{
    if (!context.row || !context.grid) {
        return false;
    }
    if (context.grid->HasButtonsOnAllRows()) {
        return true;
    }
    if (context.row->GetChildCount() == 0) {
        return false;
    }
    if (!context.row->IsExpanded()) {
        return true;
    }
    const CGridItem* next = context.grid->GetRowAt(context.position + 1, context.rowType);
    return next != nullptr && next->GetParent() == context.row;
}

CellHighlight CCellPaintFormat::CurrentHighlight(const CellPaintContext& context,
                                                 std::uint32_t flags)
{
    return HighlightOf(context, flags);
}

// --- Persistence ---------------------------------------------------------------------------

ICellPaintFormat* CCellPaintFormat::CreateNew() const { return new CCellPaintFormat(); }
bool CCellPaintFormat::IsSerializable() const { return true; }
std::string CCellPaintFormat::GetClassName() const { return "GUI::CCellPaintFormat"; }
void CCellPaintFormat::Serialize(CArchive&) {}

// --- Painting ------------------------------------------------------------------------------

void CCellPaintFormat::Paint(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    flags = context.grid ? context.grid->AdjustEditPaintFlags(context, dc, flags) : flags;
    ScheduleHighlight(context, flags);
    DrawBackground(context, dc, flags);
    DrawStep0x80(context, dc, flags);
    DrawText(context, dc, flags);
    DrawImage(context, dc, flags);
    DrawFocusFrame(context, dc, flags);
    DrawSelectionFrame(context, dc, flags);
    DrawTreeMarks(context, dc, flags);
    DrawVerticalLine(context, dc, flags);
    DrawHorizontalLine(context, dc, flags);
    DrawEditHint(context, dc, flags);
}

void CCellPaintFormat::DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (context.grid) {
        context.grid->DrawEditHint(context, dc, flags);
    }
}

void CCellPaintFormat::ScheduleHighlight(const CellPaintContext& context, std::uint32_t flags)
{
    if (!(flags & PaintHighlight) || !context.row || !context.column || !context.grid) {
        return;
    }
    const std::int32_t fieldId = context.ColumnFieldId();
    const std::int64_t elapsed = ElapsedSinceChange(context);
    const std::int64_t delay = GetHighlightRepaintDelay(context.highlight, elapsed);
    if (delay > 0) {
        context.grid->ScheduleCellRepaint(context.row, fieldId, delay);
    }
}

void CCellPaintFormat::DrawBackground(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintCellBackground) || context.rect.IsRectEmpty()) {
        return;
    }
    const COLORREF blended = GetBackgroundColor(context, flags);
    const BackgroundImage& picture = context.backgroundImage;
    CRect inside;
    if (!picture.IsSet() || !inside.IntersectRect(context.rect, picture.rect) ||
        picture.alpha == 255) {
        // Most cells of a line share its background: the line filled it already.
        if (!(context.bandFilled && !picture.IsSet() && blended == context.bandColor)) {
            PaintTools::FillSolid(dc, context.rect, blended);
        }
        return;
    }
    FillAround(dc, context.rect, inside, blended);
    // Over the picture: the cell's own background at the picture's alpha, then each overlay
    // at its own; with alpha 0 throughout the picture shows through unchanged.
    COLORREF reached = context.backgroundColor;
    PaintTools::BlendSolid(dc, inside, context.backgroundColor, picture.alpha, reached);
    for (const auto& layer : LayersOf(context, flags).layers) {
        reached = Blend(reached, layer.color, layer.alpha);
        PaintTools::BlendSolid(dc, inside, layer.color, layer.alpha, reached);
    }
}

void CCellPaintFormat::DrawStep0x80(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    const CRect& tracking = context.trackingRect;
    if (!(flags & PaintTrackingRect) || tracking.IsRectEmpty()) {
        return;
    }
    CRect visible;
    CRect part;
    if (!visible.IntersectRect(context.rect, context.updateRect) ||
        !part.IntersectRect(tracking, visible)) {
        return;
    }
    const GridAppearance& appearance = AppearanceOf(context);
    PaintTools::BlendSolid(dc, part, appearance.overlayColor, appearance.overlayAlpha,
                           appearance.overlayColor);
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(visible);
    {
        CScopedPen pen(dc, PS_SOLID, appearance.overlayColor);
        HorizontalLine(dc, tracking.left, tracking.right, tracking.top);
        HorizontalLine(dc, tracking.left, tracking.right, tracking.bottom - 1);
        VerticalLine(dc, tracking.left, tracking.top, tracking.bottom);
        VerticalLine(dc, tracking.right - 1, tracking.top, tracking.bottom);
    }
    if (saved > 0) {
        dc.RestoreDC(saved);
    }
}

void CCellPaintFormat::DrawText(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintCellText)) {
        return;
    }
    CString text = GetCellText(context);
    CRect rect = GetTextRect(context, flags);
    if (text.IsEmpty() || rect.IsRectEmpty()) {
        return;
    }
    const COLORREF previousColor = dc.SetTextColor(GetTextColor(context, flags));
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    CFont* previousFont = context.font ? dc.SelectObject(context.font) : nullptr;
    // No prefix processing: an '&' in a value is text, not an underline mark.
    dc.DrawText(text, rect,
                GetTextAlignment(context) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS |
                    DT_NOPREFIX);
    if (previousFont) {
        dc.SelectObject(previousFont);
    }
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
}

void CCellPaintFormat::DrawImage(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintCellImage) || !PaintTools::HasImage(context.imageList, context.imageIndex)) {
        return;
    }
    const CRect image = GetImageRect(context, flags);
    if (image.IsRectEmpty()) {
        return;
    }
    if (context.stretchImages) {
        CRect target = image;
        target.DeflateRect(1, 1);
        if (DrawStretchedImage(dc, *context.imageList, context.imageIndex, target)) {
            return;
        }
    }
    PaintTools::DrawImageClipped(dc, *context.imageList, context.imageIndex, image);
}

void CCellPaintFormat::DrawFocusFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintFocusFrame) || !context.IsFocusRow()) {
        return;
    }
    CScopedPen pen(dc, PS_DOT, AppearanceOf(context).focusColor);
    DrawRowFrame(dc, context, true, true, true);
}

void CCellPaintFormat::DrawSelectionFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintSelectionFrame) || !IsSelectedRow(context)) {
        return;
    }
    CScopedPen pen(dc, PS_SOLID, AppearanceOf(context).selectionColor);
    DrawRowFrame(dc, context, !context.previousSelected, !context.nextSelected, false);
}

void CCellPaintFormat::DrawTreeMarks(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!context.row || !IsTreeCell(context, flags) || context.rect.IsRectEmpty()) {
        return;
    }
    const bool button = ShowsButton(context);
    if ((flags & PaintTreeButtons) && button) {
        DrawButton(dc, context.rect, LevelOf(context.row), context.row->IsExpanded());
    }
    if ((flags & PaintTreeLines) && LevelOf(context.row) >= 1) {
        DrawTreeLines(dc, context.rect, *context.row, button);
    }
}

void CCellPaintFormat::DrawVerticalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    const GridAppearance& appearance = AppearanceOf(context);
    if (!(flags & PaintVerticalLines) || !appearance.drawVerticalLines || !context.column) {
        return;
    }
    CScopedPen pen(dc, PS_DOT, appearance.verticalLineColor);
    VerticalLine(dc, context.rect.right - 1, EvenStart(context.rect.top), context.rect.bottom);
}

void CCellPaintFormat::DrawHorizontalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    const GridAppearance& appearance = AppearanceOf(context);
    if (!(flags & PaintHorizontalLines) || !appearance.drawHorizontalLines) {
        return;
    }
    CScopedPen pen(dc, PS_DOT, appearance.horizontalLineColor);
    HorizontalLine(dc, EvenStart(context.rect.left), context.rect.right, context.rect.bottom - 1);
}

} // namespace Ombrel::GUI
