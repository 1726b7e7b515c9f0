#include "ombrel/gui/paint/HeaderPaintFormat.h"

#include "ombrel/gui/paint/PaintedGrid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/detail/PaintTools.h"
#include "ombrel/platform/DC.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

constexpr COLORREF kDropMarkColor = 0xFF8080;

// The header font: the context's, else the header's, else the grid's, else the default.
CFont* FontOf(const HeaderPaintContext& context, CHeader* header)
{
    if (context.font) {
        return context.font;
    }
    if (CFont* own = header ? header->GetFont() : nullptr) {
        return own;
    }
    if (CFont* gridFont = context.grid ? context.grid->GetFont() : nullptr) {
        return gridFont;
    }
    return CPaintDefaults::Get().GetFont();
}

ColumnPaintContext MakeColumnContext(const HeaderPaintContext& context, CHeader* header,
                                     CColumn* column, const CRect& rect, CFont* font)
{
    ColumnPaintContext cell;
    cell.rect = rect;
    cell.updateRect = context.updateRect;
    cell.grid = context.grid;
    cell.header = header;
    cell.column = column;
    cell.font = font;
    cell.imageList = context.imageList ? context.imageList : (header ? header->GetImageList() : nullptr);
    cell.textColor = context.textColor;
    if (column && column->GetFieldId() == context.trackedFieldId) {
        cell.state = context.trackedPressed ? HeaderCellPressed : HeaderCellTracked;
    }
    return cell;
}

} // namespace

void CHeaderPaintFormat::Paint(HeaderPaintContext& context, CDC& dc, std::uint32_t flags,
                               ICustomDraw* customDraw)
{
    if (!customDraw) {
        customDraw = CPaintDefaults::Get().GetCustomDraw();
    }
    CRect area;
    if (!area.IntersectRect(context.rect, context.updateRect)) {
        return;
    }
    CHeader* header = context.header ? context.header
                                     : (context.grid ? context.grid->GetHeader() : nullptr);
    CWnd* window = context.grid ? context.grid->GetPaintedWindow() : nullptr;
    CFont* font = FontOf(context, header);
    const int saved = dc.SaveDC();
    dc.SelectObject(font);

    int restLeft = context.rect.left;
    if (header) {
        int first = 0;
        if (CColumn* atLeft = header->ColumnFromPoint(window, area.left)) {
            first = std::max(0, header->GetVisibleColumnIndex(atLeft->GetFieldId()));
        }
        const int count = header->GetVisibleColumnCount();
        for (int index = first; index < count; ++index) {
            CColumn* column = header->GetVisibleColumn(index);
            if (!column) {
                break;
            }
            CRect rect = header->GetClippedColumnRect(window, column->GetFieldId());
            if (rect.left >= area.right) {
                break;
            }
            rect.top = context.rect.top;
            rect.bottom = context.rect.bottom;
            // Empty: a scrolling column hidden under the fixed ones.
            if (rect.IsRectEmpty() || rect.right <= area.left) {
                continue;
            }
            ColumnPaintContext cell = MakeColumnContext(context, header, column, rect, font);
            customDraw->DrawColumn(cell, dc, flags);
            dc.ExcludeClipRect(rect);
        }
        if (CColumn* last = header->GetLastVisibleColumn()) {
            restLeft = header->GetClippedColumnRect(window, last->GetFieldId()).right;
        }
    }
    const CRect rest(std::max(restLeft, context.rect.left), context.rect.top, context.rect.right,
                     context.rect.bottom);
    CRect restShown;
    if (restShown.IntersectRect(rest, area)) {
        ColumnPaintContext cell = MakeColumnContext(context, header, nullptr, rest, font);
        customDraw->DrawColumn(cell, dc, flags);
    }
    if (saved > 0) {
        dc.RestoreDC(saved);
    }
    DrawDropMark(context, dc);
}

void CHeaderPaintFormat::DrawDropMark(const HeaderPaintContext& context, CDC& dc)
{
    CHeader* header = context.header ? context.header
                                     : (context.grid ? context.grid->GetHeader() : nullptr);
    if (!header || context.dropIndex < 0) {
        return;
    }
    const int count = header->GetVisibleColumnCount();
    if (count == 0 || context.dropIndex > count) {
        return;
    }
    // Before the target column, or after the last one.
    const bool after = context.dropIndex == count;
    CColumn* target = header->GetVisibleColumn(after ? count - 1 : context.dropIndex);
    if (!target) {
        return;
    }
    const CRect rect = header->GetClippedColumnRect(context.grid ? context.grid->GetPaintedWindow() : nullptr, target->GetFieldId());
    const int x = after ? rect.right : rect.left;
    PaintTools::FillSolid(dc, CRect(x - 1, context.rect.top, x + 2, context.rect.bottom),
                          kDropMarkColor);
}

bool CHeaderPaintFormat::IsSerializable() const { return true; }
std::string CHeaderPaintFormat::GetClassName() const { return "GUI::CHeaderPaintFormat"; }
void CHeaderPaintFormat::Serialize(CArchive&) {}

} // namespace Ombrel::GUI
