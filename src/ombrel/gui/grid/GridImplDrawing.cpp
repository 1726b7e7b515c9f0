// The grid implementation's measuring through the custom draw: row heights, header height,
// column widths, and the custom draw itself.

#include "ombrel/gui/grid/detail/GridImpl.h"

#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/LinePaintFormat.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/SystemColors.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

// A device context with the screen's resolution for measuring text.
class CMeasureDC : public CDC
{
public:
    CMeasureDC() { CreateCompatibleDC(nullptr); }
};

} // namespace

void CGridImpl::InitializeDrawingDefaults()
{
    m_appearance = CPaintDefaults::Get().GetAppearance();
}

void CGridImpl::ReleaseCustomDraw()
{
    auto* owned = dynamic_cast<IAutoDelete*>(m_customDraw);
    if (owned != nullptr && owned->IsAutoDelete())
        delete m_customDraw;
    m_customDraw = nullptr;
}

ICustomDraw* CGridImpl::SetCustomDraw(ICustomDraw* customDraw)
{
    ICustomDraw* previous = m_customDraw;
    m_customDraw = customDraw;
    RecalcRowHeights(ROW_ALL_TYPES);
    m_layout->UpdateLayout();
    Invalidate();
    return previous;
}

ICustomDraw* CGridImpl::GetCustomDraw() const
{
    return m_customDraw != nullptr ? m_customDraw : CPaintDefaults::Get().GetCustomDraw();
}

CFont* CGridImpl::GetEffectiveFont() const
{
    CFont* font = HasWindow() ? m_grid.CWnd::GetFont() : m_ownFont.get();
    return font != nullptr ? font : CPaintDefaults::Get().GetFont();
}

void CGridImpl::RecalcRowHeights(int typeMask)
{
    CMeasureDC dc;
    const int height = GetCustomDraw()->GetRowHeight(GetEffectiveFont(), &dc);
    for (int rowType : {ROW_FIXED, ROW_NORMAL}) {
        if (typeMask & rowType)
            m_layout->ApplyMeasuredRowHeight(rowType, height);
    }
}

int CGridImpl::MeasureHeaderHeight()
{
    CHeader* header = m_options.header;
    HeaderPaintContext context;
    context.grid = &m_grid;
    context.header = header;
    context.font = header != nullptr ? header->GetFont() : nullptr;
    if (context.font == nullptr)
        context.font = GetEffectiveFont();
    context.imageList = header != nullptr ? header->GetImageList() : nullptr;
    context.textColor = GetSysColor(COLOR_WINDOWTEXT);
    CMeasureDC dc;
    return GetCustomDraw()->GetHeaderHeight(context, &dc);
}

void CGridImpl::OnFontChanged()
{
    RecalcRowHeights(ROW_ALL_TYPES);
    if (CHeader* header = m_options.header)
        header->SetHeight(MeasureHeaderHeight());
    m_layout->UpdateLayout();
    Invalidate();
}

std::vector<int> CGridImpl::PositionsToMeasure(int rowType) const
{
    // Up to kMeasureAllLimit rows every row is measured. Beyond it, measuring stays bounded:
    // the rows on screen (what the user sees must fit) and an even sample of the rest, so a
    // column of a million rows is sized in milliseconds and a wider cell off screen may be cut.
    const int count = m_rows->GetRowCount(rowType);
    std::vector<int> positions;
    if (count <= kMeasureAllLimit) {
        positions.resize(static_cast<std::size_t>(count));
        for (int position = 0; position < count; ++position)
            positions[static_cast<std::size_t>(position)] = position;
        return positions;
    }
    const int first = rowType == ROW_NORMAL ? std::max(m_layout->GetTopRow(), 0) : 0;
    const int last = std::min(m_layout->GetLastVisibleIndex(rowType), count - 1);
    for (int position = first; position <= last; ++position)
        positions.push_back(position);
    const int stride = count / kMeasureSampleSize;
    for (int sample = 0; sample < kMeasureSampleSize; ++sample)
        positions.push_back(sample * stride);
    return positions;
}

int CGridImpl::GetOptimalWidth(std::int32_t fieldId)
{
    CHeader* header = m_options.header;
    CColumn* column = header != nullptr ? header->GetColumnById(fieldId) : nullptr;
    if (column == nullptr)
        return 0;
    ICustomDraw* customDraw = GetCustomDraw();
    CMeasureDC dc;
    CellPaintContext context;
    context.grid = &m_grid;
    context.column = column;
    context.font = GetEffectiveFont();
    context.imageList = m_imageList;
    context.imageIndex = column->GetImageIndex();
    context.stretchImages = m_stretchImages;
    context.format = column->GetFormat();
    context.highlight = m_highlight;
    int widest = 0;
    const auto measure = [&](int rowType, int position) {
        CGridItem* row = m_rows->GetRowAt(position, rowType);
        context.row = row;
        context.rowType = rowType;
        context.position = position;
        const int height = m_layout->GetRowHeight(row);
        context.rect = CRect(0, 0, column->GetWidth(), std::max(height, 0));
        widest = std::max(widest, customDraw->GetCellWidth(context, &dc, m_options.paintOptions));
    };
    for (int rowType : {ROW_FIXED, ROW_NORMAL}) {
        for (int position : PositionsToMeasure(rowType))
            measure(rowType, position);
    }
    return widest;
}

bool CGridImpl::MakeCellContext(CGridItem* row, std::int32_t fieldId, CellPaintContext& context)
{
    CHeader* header = m_options.header;
    if (header == nullptr || row == nullptr || !m_rows->IsValid(row))
        return false;
    CColumn* column = header->GetVisibleColumnById(fieldId);
    const CRect cell = column != nullptr ? m_layout->GetCellRect(row, fieldId) : CRect();
    if (cell.IsRectEmpty())
        return false;
    // The line as the paint pass fills it, then the cell derived from it the same way.
    LinePaintContext line;
    const int rowType = m_rows->GetRowType(row);
    const int position = m_rows->GetVisibleIndex(row);
    const bool even = position % 2 == 0;
    line.textColor = even ? m_appearance.evenText : m_appearance.oddText;
    line.backgroundColor = even ? m_appearance.evenBackground : m_appearance.oddBackground;
    line.rect = CRect(0, cell.top, m_grid.GetClientRect().right, cell.bottom);
    line.updateRect = line.rect;
    line.font = GetEffectiveFont();
    line.leftMargin = CGridPainter::kTextMargin;
    line.rightMargin = CGridPainter::kTextMargin;
    line.highlight = m_highlight;
    line.rowType = rowType;
    line.position = position;
    line.row = row;
    line.grid = &m_grid;
    const RowPosition focus = m_selection->GetFocus();
    line.focusIndex = focus.index;
    line.focusType = focus.type;
    line.backgroundImage = m_backgroundImage;
    line.imageList = m_imageList;
    line.stretchImages = m_stretchImages;
    context = CLinePaintFormat::MakeCellContext(line, column, cell);
    return true;
}

void CGridImpl::AutoSizeColumn(CColumn* column)
{
    if (column == nullptr)
        return;
    const int width = GetOptimalWidth(column->GetFieldId());
    if (width > 0)
        column->SetWidth(width);
}

void CGridImpl::AutoSizeColumns()
{
    CHeader* header = m_options.header;
    if (header == nullptr)
        return;
    for (int position = 0; position < header->GetColumnCount(); ++position)
        AutoSizeColumn(header->GetColumn(position));
}

} // namespace Ombrel::GUI

// ---- Drag image -------------------------------------------------------------------------------

namespace Ombrel::GUI {

std::unique_ptr<CImageList> CGridImpl::MakeDragImage(const std::vector<CGridItem*>& rows,
                                                     CPoint point, CPoint& hotSpot)
{
    if (!HasWindow() || m_options.header == nullptr)
        return nullptr;
    // The band from the first to the last dragged row on screen, as the grid shows it.
    CRect band;
    for (CGridItem* row : rows) {
        const CRect rect = m_layout->GetVisibleRowRect(row);
        if (rect.IsRectEmpty())
            continue;
        if (band.IsRectEmpty()) {
            band = rect;
        } else {
            const CRect before = band;
            band.UnionRect(before, rect);
        }
    }
    band.bottom = std::min(band.bottom, band.top + kMaxDragImageHeight);
    if (band.IsRectEmpty())
        return nullptr;
    CBitmap bitmap;
    CDC dc;
    if (!bitmap.CreateCompatibleBitmap(nullptr, band.Width(), band.Height()) ||
        !dc.CreateCompatibleDC(nullptr))
        return nullptr;
    CBitmap* previousBitmap = dc.SelectObject(&bitmap);
    CFont* previousFont = dc.SelectObject(GetEffectiveFont());
    dc.SetViewportOrg(-band.left, -band.top);
    m_painter->PaintRectangle(dc, band, m_options.paintOptions);
    dc.SetViewportOrg(0, 0);
    if (previousFont != nullptr)
        dc.SelectObject(previousFont);
    dc.SelectObject(previousBitmap);
    auto image = std::make_unique<CImageList>();
    if (!image->Create(band.Width(), band.Height(), ILC_COLOR32, 1, 0) || image->Add(&bitmap, nullptr) < 0)
        return nullptr;
    hotSpot = CPoint(point.x - band.left, point.y - band.top);
    return image;
}

} // namespace Ombrel::GUI
