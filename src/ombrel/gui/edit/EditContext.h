#pragma once

#include <cstdint>

namespace Ombrel::Common {
class CDataObject;
class CField;
class CFieldMap;
class CFormat;
} // namespace Ombrel::Common

namespace Ombrel::GUI {

class CColumn;
class CGrid;
class CGridItem;
struct CellPaintContext;

// The cell an editing operation is about: the grid window, the row, the row's data object and
// the column. Every pointer is borrowed and valid only during the call it is passed to (the
// grid ends an edit before the row or the object goes). Any of them may be null; each
// operation says what it needs.
struct CEditContext
{
    CGrid* grid = nullptr;
    CGridItem* row = nullptr;
    Common::CDataObject* object = nullptr;
    CColumn* column = nullptr;

    // The context of a cell: the object is the row's, read through the grid.
    static CEditContext Of(CGrid* grid, CGridItem* row, CColumn* column);
    // The context of a cell being painted (a grid that is no CGrid gives no grid and no
    // object). The paint pass holds the row on the window thread,
    // so the object is read from the row itself (as the line's paint format does) rather than
    // through the grid's checked call, which looks the row up among all the grid's rows.
    static CEditContext OfPaintedCell(const CellPaintContext& cell);

    // The object's field map, null without an object.
    Common::CFieldMap* GetFieldMap() const;
    // The field of the column in the field map, null without either.
    Common::CField* GetField() const;
    // The column's field identifier; -2 (no field) without a column.
    std::int32_t GetFieldId() const;
    // Whether the context names a row, a field map and a column: the least any edit needs.
    bool IsComplete() const;
};

// The format a cell is edited with: the column's format; without one the field's format in
// the object's field map; without one the default format of the field's value kind. Null only
// when the context names no column or no field.
Common::CFormat* GetCellFormat(const CEditContext& context);

} // namespace Ombrel::GUI
