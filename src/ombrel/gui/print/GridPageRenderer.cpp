#include "ombrel/gui/print/GridPageRenderer.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/print/detail/PrintedGrid.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
// Text margins of every line, as on screen.
constexpr int kTextMargin = 2;

CFont* GridFont(CGrid& grid)
{
    CFont* font = grid.GetFont();
    return font != nullptr ? font : CPaintDefaults::Get().GetFont();
}

ICustomDraw* GridCustomDraw(CGrid& grid)
{
    ICustomDraw* customDraw = grid.GetCustomDraw();
    return customDraw != nullptr ? customDraw : CPaintDefaults::Get().GetCustomDraw();
}

} // namespace

CGridPagination::Input CGridPageRenderer::Describe(CGrid& grid, const PrintSettings& settings,
                                                   CSize bandSize)
{
    CGridPagination::Input input;
    input.bandSize = bandSize;
    input.settings = settings;
    if (CHeader* header = grid.GetHeader()) {
        input.headerHeight = std::max(header->GetHeight(), 0);
        const int count = header->GetVisibleColumnCount();
        for (int index = 0; index < count; ++index) {
            if (CColumn* column = header->GetVisibleColumn(index))
                input.columns.push_back(header->GetColumnRect(nullptr, column->GetFieldId()));
        }
    }
    input.fixedRows = grid.GetRowCount(ROW_FIXED);
    input.normalRows = grid.GetRowCount(ROW_NORMAL);
    input.rowHeight = [&grid](int rowType, int position) {
        CGridItem* row = grid.GetRowAt(position, rowType);
        return row != nullptr ? row->GetHeight() : 0;
    };
    return input;
}

void CGridPageRenderer::PaintHeader(CDC& dc, const CRect& strip, const CRect& area,
                                    std::uint32_t flags)
{
    CHeader* header = m_grid.GetHeader();
    if (header == nullptr)
        return;
    CPrintedGrid printed(m_grid);
    HeaderPaintContext context;
    context.rect = strip;
    context.updateRect = area;
    context.grid = &printed;
    context.header = header;
    CFont* headerFont = header->GetFont();
    context.font = headerFont != nullptr ? headerFont : GridFont(m_grid);
    context.imageList = header->GetImageList();
    context.textColor = GetSysColor(COLOR_WINDOWTEXT);
    GridCustomDraw(m_grid)->DrawHeader(context, dc, flags);
}

// Paints the band's rows from `y` down; returns the y below the last one.
int CGridPageRenderer::PaintLines(CDC& dc, const CGridPagination& pagination,
                                  const CGridPagination::Band& band, int width, const CRect& area,
                                  int y, std::uint32_t flags)
{
    CPrintedGrid printed(m_grid);
    ICustomDraw* customDraw = GridCustomDraw(m_grid);
    const GridAppearance* appearance = m_grid.GetAppearance();
    const HighlightSettings* highlight = m_grid.GetHighlightSettings();
    for (int line = band.firstLine; line < band.endLine && y < area.bottom; ++line) {
        int rowType = ROW_NORMAL;
        int position = 0;
        pagination.LineToRow(line, rowType, position);
        // Rows may have gone since the cut; what is left still prints in order.
        CGridItem* row = m_grid.GetRowAt(position, rowType);
        if (row == nullptr)
            break;
        const int bottom = y + std::max(row->GetHeight(), 0);
        LinePaintContext context;
        const bool even = position % 2 == 0;
        if (appearance != nullptr) {
            context.textColor = even ? appearance->evenText : appearance->oddText;
            context.backgroundColor = even ? appearance->evenBackground : appearance->oddBackground;
        }
        context.rect = CRect(0, y, width, bottom);
        context.updateRect = area;
        context.font = GridFont(m_grid);
        context.leftMargin = kTextMargin;
        context.rightMargin = kTextMargin;
        if (highlight != nullptr)
            context.highlight = *highlight;
        context.rowType = rowType;
        context.position = position;
        context.row = row;
        context.grid = &printed;
        context.dc = &dc;
        context.imageList = m_grid.GetImageList();
        context.stretchImages = m_grid.GetStretchImages();
        customDraw->DrawLine(context, dc, flags);
        y = bottom;
    }
    return y;
}

bool CGridPageRenderer::RenderBand(const CGridPagination& pagination, int band, int group,
                                   CBitmap& bitmap)
{
    if (band < 0 || band >= pagination.GetBandCount() || group < 0 ||
        group >= pagination.GetColumnGroupCount())
        return false;
    const CGridPagination::ColumnGroup& columns = pagination.GetColumnGroup(group);
    const CSize size(std::max(columns.right - columns.left, 1), pagination.GetBandSize().cy);
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bitmap.CreateCompatibleBitmap(&dc, size.cx, size.cy))
        return false;
    CBitmap* previousBitmap = dc.SelectObject(&bitmap);
    CFont* previousFont = dc.SelectObject(GridFont(m_grid));
    dc.FillSolidRect(CRect(0, 0, size.cx, size.cy), kPaper);

    // Logical coordinates are the grid's: x from the header's left edge, y from the band's top.
    dc.SetViewportOrg(-columns.left, 0);
    const CRect area(columns.left, 0, columns.left + size.cx, size.cy);
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(area);
    const std::uint32_t flags = m_grid.GetPaintOptions() & ~kScreenOnlyPaintOptions;
    const CGridPagination::Band& bandInfo = pagination.GetBand(band);
    // Lines run across every column, as wide as the whole header.
    const int width = std::max(pagination.GetColumnGroup(pagination.GetColumnGroupCount() - 1).right,
                               area.right);
    int y = 0;
    if (bandInfo.withHeader) {
        const int height = pagination.GetHeaderHeight();
        PaintHeader(dc, CRect(0, 0, width, height), CRect(area.left, 0, area.right, height), flags);
        y = height;
    }
    PaintLines(dc, pagination, bandInfo, width, area, y, flags);
    if (saved != 0)
        dc.RestoreDC(saved);

    if (previousFont != nullptr)
        dc.SelectObject(previousFont);
    if (previousBitmap != nullptr)
        dc.SelectObject(previousBitmap);
    return true;
}

bool CGridPageRenderer::DrawPage(CDC& dc, const CGridPagination& pagination, int page,
                                 const CRect& content, bool smooth)
{
    int band = 0;
    int group = 0;
    const CSize bandSize = pagination.GetBandSize();
    if (content.IsRectEmpty() || bandSize.cx <= 0 || bandSize.cy <= 0 ||
        !pagination.PageToBand(page, band, group))
        return false;
    CBitmap bitmap;
    if (!RenderBand(pagination, band, group, bitmap))
        return false;
    const CSize size = bitmap.GetSize();
    CDC source;
    if (!source.CreateCompatibleDC(nullptr))
        return false;
    CBitmap* previous = source.SelectObject(&bitmap);
    const std::int64_t width = std::int64_t{size.cx} * content.Width() / bandSize.cx;
    const std::int64_t height = std::int64_t{size.cy} * content.Height() / bandSize.cy;
    const int previousMode = dc.SetStretchBltMode(smooth ? HALFTONE : COLORONCOLOR);
    const bool drawn = dc.StretchBlt(content.left, content.top,
                                     static_cast<int>(std::max<std::int64_t>(width, 1)),
                                     static_cast<int>(std::max<std::int64_t>(height, 1)), &source, 0,
                                     0, size.cx, size.cy, SRCCOPY);
    dc.SetStretchBltMode(previousMode);
    if (previous != nullptr)
        source.SelectObject(previous);
    return drawn;
}

} // namespace Ombrel::GUI
