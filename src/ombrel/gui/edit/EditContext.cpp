#include "ombrel/gui/edit/EditContext.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI {

CEditContext CEditContext::Of(CGrid* grid, CGridItem* row, CColumn* column)
{
    CEditContext context;
    context.grid = grid;
    context.row = row;
    context.column = column;
    if (grid != nullptr && row != nullptr)
        context.object = grid->GetDataObject(row);
    return context;
}

CEditContext CEditContext::OfPaintedCell(const CellPaintContext& cell)
{
    CEditContext context;
    context.grid = dynamic_cast<CGrid*>(cell.grid);
    context.row = cell.row;
    context.column = cell.column;
    if (context.grid != nullptr && context.row != nullptr)
        context.object = context.row->GetDataObject();
    return context;
}

Common::CFieldMap* CEditContext::GetFieldMap() const
{
    return object != nullptr ? object->GetFieldMap() : nullptr;
}

Common::CField* CEditContext::GetField() const
{
    Common::CFieldMap* map = GetFieldMap();
    return map != nullptr && column != nullptr ? map->GetField(column->GetFieldId()) : nullptr;
}

std::int32_t CEditContext::GetFieldId() const
{
    return column != nullptr ? column->GetFieldId() : Common::NoField;
}

bool CEditContext::IsComplete() const
{
    return row != nullptr && GetFieldMap() != nullptr && column != nullptr;
}

Common::CFormat* GetCellFormat(const CEditContext& context)
{
    if (context.column == nullptr)
        return nullptr;
    if (Common::CFormat* own = context.column->GetFormat())
        return own;
    Common::CField* field = context.GetField();
    if (field == nullptr)
        return nullptr;
    if (Common::CFormat* format = field->GetFormat())
        return format;
    return Common::CFormat::GetDefaultFormat(field->GetType());
}

} // namespace Ombrel::GUI
