#include "ombrel/gui/paint/PaintDefaults.h"

#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HeaderPaintFormat.h"
#include "ombrel/gui/paint/LinePaintFormat.h"
#include "ombrel/platform/Font.h"

namespace Ombrel::GUI {

struct CPaintDefaults::Impl
{
    CFont font;
    CCustomDraw customDraw{false};
    CHeaderPaintFormat headerPaintFormat;
    CColumnPaintFormat columnPaintFormat;
    CLinePaintFormat linePaintFormat;
    CCellPaintFormat cellPaintFormat;
    GridAppearance appearance;

    Impl()
    {
        if (const CFont* guiFont = GetDefaultGuiFont()) {
            font = *guiFont;
        }
    }
};

CPaintDefaults& CPaintDefaults::Get()
{
    static CPaintDefaults defaults;
    return defaults;
}

CPaintDefaults::CPaintDefaults() : m_impl(std::make_unique<Impl>()) {}

CPaintDefaults::~CPaintDefaults() = default;

CFont* CPaintDefaults::GetFont() const { return &m_impl->font; }
ICustomDraw* CPaintDefaults::GetCustomDraw() const { return &m_impl->customDraw; }
IHeaderPaintFormat* CPaintDefaults::GetHeaderPaintFormat() const
{
    return &m_impl->headerPaintFormat;
}
IColumnPaintFormat* CPaintDefaults::GetColumnPaintFormat() const
{
    return &m_impl->columnPaintFormat;
}
ILinePaintFormat* CPaintDefaults::GetLinePaintFormat() const { return &m_impl->linePaintFormat; }
ICellPaintFormat* CPaintDefaults::GetCellPaintFormat() const { return &m_impl->cellPaintFormat; }
const GridAppearance& CPaintDefaults::GetAppearance() const { return m_impl->appearance; }

} // namespace Ombrel::GUI
