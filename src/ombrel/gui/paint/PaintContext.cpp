#include "ombrel/gui/paint/PaintContext.h"

#include "ombrel/gui/header/Column.h"

namespace Ombrel::GUI {

std::int32_t CellPaintContext::ColumnFieldId() const
{
    return fieldIdColumn == column ? columnFieldId : column->GetFieldId();
}

} // namespace Ombrel::GUI
