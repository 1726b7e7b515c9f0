#include "ombrel/gui/paint/CustomDraw.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/HeaderPaintFormat.h"
#include "ombrel/gui/paint/LinePaintFormat.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"

namespace Ombrel::GUI {

namespace {

// Header height without a font or a device context to measure with.
constexpr int kUnmeasuredHeaderHeight = 20;
// Room above and below the title of a header cell.
constexpr int kHeaderPadding = 4;

// Metrics of `font` on `dc`; the device context's font is restored.
bool MeasureFont(CDC& dc, CFont* font, TEXTMETRIC& metrics)
{
    CFont* previous = dc.SelectObject(font);
    const bool measured = dc.GetTextMetrics(&metrics);
    if (previous) {
        dc.SelectObject(previous);
    }
    return measured;
}

} // namespace

struct CCustomDraw::Impl
{
    bool autoDelete = true;
};

CCustomDraw::CCustomDraw(bool autoDelete) : m_impl(std::make_unique<Impl>())
{
    m_impl->autoDelete = autoDelete;
}

CCustomDraw::~CCustomDraw() = default;

bool CCustomDraw::IsAutoDelete() const { return m_impl->autoDelete; }

void CCustomDraw::DrawHeader(HeaderPaintContext& context, CDC& dc, std::uint32_t flags)
{
    CPaintDefaults::Get().GetHeaderPaintFormat()->Paint(context, dc, flags, this);
}

void CCustomDraw::DrawColumn(ColumnPaintContext& context, CDC& dc, std::uint32_t flags)
{
    CPaintDefaults::Get().GetColumnPaintFormat()->Paint(context, dc, flags);
}

void CCustomDraw::DrawLine(LinePaintContext& context, CDC& dc, std::uint32_t flags)
{
    GetLinePaintFormat(context)->Paint(context, dc, flags, this);
}

void CCustomDraw::DrawCell(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    GetCellPaintFormat(context.column, context)->Paint(context, dc, flags);
}

ILinePaintFormat* CCustomDraw::GetLinePaintFormat(const LinePaintContext&)
{
    return CPaintDefaults::Get().GetLinePaintFormat();
}

ICellPaintFormat* CCustomDraw::GetCellPaintFormat(CColumn* column, const CellPaintContext&)
{
    if (column) {
        if (ICellPaintFormat* own = column->GetCellPaintFormat()) {
            return own;
        }
    }
    return CPaintDefaults::Get().GetCellPaintFormat();
}

int CCustomDraw::GetHeaderHeight(const HeaderPaintContext& context, CDC* dc)
{
    TEXTMETRIC metrics;
    if (!context.font || !dc || !MeasureFont(*dc, context.font, metrics)) {
        return kUnmeasuredHeaderHeight;
    }
    return metrics.tmHeight + metrics.tmInternalLeading + kHeaderPadding;
}

int CCustomDraw::GetRowHeight(CFont* font, CDC* dc)
{
    if (!font || !font->GetSafeHandle()) {
        return 0;
    }
    CDC screen;
    if (!dc) {
        screen.CreateCompatibleDC(nullptr);
        dc = &screen;
    }
    TEXTMETRIC metrics;
    if (!MeasureFont(*dc, font, metrics)) {
        return 0;
    }
    return metrics.tmHeight + metrics.tmInternalLeading / 2;
}

int CCustomDraw::GetCellWidth(const CellPaintContext& context, CDC* dc, std::uint32_t flags)
{
    CDC screen;
    if (!dc) {
        screen.CreateCompatibleDC(nullptr);
        dc = &screen;
    }
    return GetCellPaintFormat(context.column, context)->GetPreferredWidth(context, *dc, flags);
}

} // namespace Ombrel::GUI
