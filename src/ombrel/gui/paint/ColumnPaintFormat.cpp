#include "ombrel/gui/paint/ColumnPaintFormat.h"

#include "ombrel/gui/paint/PaintedGrid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/paint/detail/PaintTools.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>
#include <string>

namespace Ombrel::GUI {

namespace {

constexpr int kTextMargin = 4;
constexpr std::int32_t kNoField = -2;

CHeader* HeaderOf(const ColumnPaintContext& context)
{
    if (context.header) {
        return context.header;
    }
    return context.grid ? context.grid->GetHeader() : nullptr;
}

// Half the width of the sort arrow, from the cell height.
int ArrowHalfWidth(int cellHeight) { return std::max(2, cellHeight / 5); }

// Draws a filled triangle of half width `half` centred in `box`: pointing up for ascending,
// down for descending.
void DrawArrow(CDC& dc, const CRect& box, int half, bool descending, COLORREF color)
{
    const int centreX = (box.left + box.right) / 2;
    const int centreY = (box.top + box.bottom) / 2;
    const int tipY = descending ? centreY + half / 2 + 1 : centreY - half / 2 - 1;
    const int baseY = descending ? tipY - half : tipY + half;
    const CPoint triangle[] = {{centreX - half, baseY}, {centreX + half, baseY}, {centreX, tipY}};
    CBrush brush(color);
    CBrush* previousBrush = dc.SelectObject(&brush);
    PaintTools::CScopedPen pen(dc, PS_SOLID, color);
    dc.Polygon(triangle, 3);
    if (previousBrush) {
        dc.SelectObject(previousBrush);
    }
}

} // namespace

bool CColumnPaintFormat::FindSortLevel(const ColumnPaintContext& context, int& level,
                                       bool& descending, int& levelCount)
{
    CHeader* header = HeaderOf(context);
    if (!header || !context.column) {
        return false;
    }
    const std::int32_t fieldId = context.column->GetFieldId();
    level = -1;
    levelCount = 0;
    const int count = std::min(header->GetSortCount(), CHeader::kMaxSortLevels);
    for (int index = 0; index < count; ++index) {
        const CSortInfo info = header->GetSort(index);
        if (info.GetFieldId() == kNoField) {
            break;
        }
        ++levelCount;
        if (level < 0 && info.GetFieldId() == fieldId) {
            level = index;
            descending = info.IsDescending();
        }
    }
    return level >= 0;
}

CRect CColumnPaintFormat::GetSortMarkRect(const ColumnPaintContext& context) const
{
    int level = 0;
    bool descending = false;
    int levelCount = 0;
    if (!FindSortLevel(context, level, descending, levelCount)) {
        return CRect();
    }
    const CRect& cell = context.rect;
    int width = 2 * ArrowHalfWidth(cell.Height()) + 1;
    if (levelCount > 1) {
        // Room for a one-digit level number (at most five levels) in a font that fits the
        // cell.
        width += cell.Height() / 2 + 2;
    }
    const int right = cell.right - GetTextMargin(context);
    return CRect(std::max(cell.left, right - width), cell.top, right, cell.bottom);
}

void CColumnPaintFormat::Paint(ColumnPaintContext& context, CDC& dc, std::uint32_t flags)
{
    DrawBackground(context, dc, flags);
    if (!context.column) {
        return;
    }
    DrawSortMark(context, dc, flags);
    DrawText(context, dc, flags);
    FinishCell(context, dc, flags);
}

IColumnPaintFormat* CColumnPaintFormat::CreateNew() const { return new CColumnPaintFormat(); }
bool CColumnPaintFormat::IsSerializable() const { return true; }
std::string CColumnPaintFormat::GetClassName() const { return "GUI::CColumnPaintFormat"; }
void CColumnPaintFormat::Serialize(CArchive&) {}

int CColumnPaintFormat::GetTextMargin(const ColumnPaintContext&) const { return kTextMargin; }

void CColumnPaintFormat::DrawBackground(ColumnPaintContext& context, CDC& dc, std::uint32_t)
{
    if (context.rect.IsRectEmpty()) {
        return;
    }
    const COLORREF face = context.state == HeaderCellNormal ? GetSysColor(COLOR_BTNFACE)
                                                            : GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF background = dc.GetBkColor();
    dc.FillSolidRect(context.rect, face);
    dc.Draw3dRect(context.rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    dc.SetBkColor(background);
}

void CColumnPaintFormat::DrawSortMark(ColumnPaintContext& context, CDC& dc, std::uint32_t)
{
    int level = 0;
    bool descending = false;
    int levelCount = 0;
    if (!FindSortLevel(context, level, descending, levelCount)) {
        return;
    }
    const CRect mark = GetSortMarkRect(context);
    if (mark.IsRectEmpty()) {
        return;
    }
    const int half = ArrowHalfWidth(context.rect.Height());
    const CRect arrow(mark.right - (2 * half + 1), mark.top, mark.right, mark.bottom);
    DrawArrow(dc, arrow, half, descending, context.textColor);
    if (levelCount > 1) {
        // The level number, 1 for the first sort level, left of the arrow.
        const CString number(std::to_string(level + 1));
        CRect numberRect(mark.left, mark.top, arrow.left - 1, mark.bottom);
        const COLORREF previousColor = dc.SetTextColor(context.textColor);
        const int previousMode = dc.SetBkMode(TRANSPARENT);
        dc.DrawText(number, numberRect, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        dc.SetBkMode(previousMode);
        dc.SetTextColor(previousColor);
    }
}

void CColumnPaintFormat::DrawText(ColumnPaintContext& context, CDC& dc, std::uint32_t)
{
    if (!context.column) {
        return;
    }
    const CString title(context.column->GetTitle().c_str());
    CRect rect = context.rect;
    rect.DeflateRect(GetTextMargin(context), 0);
    if (context.imageList && context.column->GetHeaderImageIndex() >= 0) {
        rect.left += context.rect.Height();
    }
    const CRect mark = GetSortMarkRect(context);
    if (!mark.IsRectEmpty()) {
        rect.right = std::min(rect.right, mark.left - GetTextMargin(context));
    }
    if (title.IsEmpty() || rect.IsRectEmpty()) {
        return;
    }
    UINT alignment = DT_LEFT;
    switch (context.column->GetAlignment()) {
    case CColumn::AlignRight:
        alignment = DT_RIGHT;
        break;
    case CColumn::AlignCenter:
        alignment = DT_CENTER;
        break;
    default: // automatic alignment keeps titles left even over numbers
        break;
    }
    const COLORREF previousColor = dc.SetTextColor(context.textColor);
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    CFont* previousFont = context.font ? dc.SelectObject(context.font) : nullptr;
    dc.DrawText(title, rect, alignment | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    if (previousFont) {
        dc.SelectObject(previousFont);
    }
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
}

void CColumnPaintFormat::FinishCell(ColumnPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (!(flags & PaintHeaderImage) || !context.column) {
        return;
    }
    const int index = context.column->GetHeaderImageIndex();
    if (!PaintTools::HasImage(context.imageList, index)) {
        return;
    }
    CRect square(context.rect.left, context.rect.top, context.rect.left + context.rect.Height(),
                 context.rect.bottom);
    square.DeflateRect(2, 2);
    PaintTools::DrawImageClipped(dc, *context.imageList, index, square);
}

} // namespace Ombrel::GUI
