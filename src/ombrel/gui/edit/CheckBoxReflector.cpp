#include "ombrel/gui/edit/CheckBoxReflector.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Format.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/DC.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

constexpr int kInset = 2; // pixels between the box, the text and the area's edges

// The painted cell's value; empty when the cell shows no bool.
Common::CValue CellValue(const CellPaintContext& cell)
{
    Common::CDataObject* object = cell.row != nullptr ? cell.row->GetDataObject() : nullptr;
    if (object == nullptr || cell.column == nullptr)
        return Common::CValue();
    return object->GetValue(cell.column->GetFieldId());
}

CRect TextArea(const CellPaintContext& cell, std::uint32_t flags)
{
    ICellPaintFormat* format = cell.column != nullptr ? cell.column->GetCellPaintFormat() : nullptr;
    if (format == nullptr)
        format = CPaintDefaults::Get().GetCellPaintFormat();
    CRect area = format->GetTextRect(cell, flags | PaintCellText);
    area.DeflateRect(kInset, 0);
    return area;
}

UINT TextAlignment(const CColumn& column, std::int32_t option)
{
    switch (column.GetAlignment()) {
    case CColumn::AlignLeft: return DT_LEFT;
    case CColumn::AlignRight: return DT_RIGHT;
    case CColumn::AlignCenter: return DT_CENTER;
    default: return option != 0 ? DT_RIGHT : DT_LEFT;
    }
}

} // namespace

CCheckBoxReflector::CCheckBoxReflector(std::int32_t option) : m_option(option) {}

CCheckBoxReflector::~CCheckBoxReflector() = default;

bool CCheckBoxReflector::Supports(const Common::CFormat* format)
{
    return format != nullptr && format->GetValueType() == Common::vtBool;
}

bool CCheckBoxReflector::CreateEditor(const CEditContext& context, Common::CFormat*, int trigger)
{
    // A click toggles at once; the grid ends the edit as soon as it has recorded it.
    if (context.grid != nullptr && context.column != nullptr &&
        (trigger == StartByClick || trigger == StartByDoubleClick))
        context.grid->EndEdit(EndImmediate);
    return true;
}

void CCheckBoxReflector::OnActivate() {}

bool CCheckBoxReflector::AcceptCode(const CEditContext&, int)
{
    return true;
}

bool CCheckBoxReflector::WriteValue(const CEditContext& context, Common::CFormat*)
{
    if (context.grid == nullptr || context.column == nullptr)
        return true;
    const Common::CValue current = context.grid->GetFieldValue(context.row, context.GetFieldId());
    if (current.GetType() == Common::vtBool)
        context.grid->SetFieldValue(context.row, context.GetFieldId(), Common::CValue(!current.GetBool()));
    return true;
}

bool CCheckBoxReflector::DestroyEditor(CGrid* grid, CGridItem* row, CColumn* column)
{
    if (grid != nullptr && row != nullptr && column != nullptr && grid->GetSafeHwnd() != nullptr) {
        const CRect cell = grid->GetCellRect(row, column->GetFieldId());
        grid->InvalidateRect(&cell, false);
    }
    return true;
}

bool CCheckBoxReflector::WantsHint(CellPaintContext& cell, CDC&, std::uint32_t)
{
    return CellValue(cell).GetType() == Common::vtBool;
}

std::uint32_t CCheckBoxReflector::AdjustPaintFlags(CellPaintContext&, CDC&, std::uint32_t flags)
{
    return flags & ~static_cast<std::uint32_t>(PaintCellText);
}

void CCheckBoxReflector::DrawHint(CellPaintContext& cell, CDC& dc, std::uint32_t flags)
{
    const Common::CValue value = CellValue(cell);
    if (value.GetType() != Common::vtBool || cell.column == nullptr)
        return;
    const CRect area = TextArea(cell, flags);
    const int side = std::min(cell.rect.Height(), area.Width());
    if (side <= 0)
        return;
    Common::CDataObject* object = cell.row->GetDataObject();
    const CString text = (m_option & kNoText) != 0
                             ? CString()
                             : CString(object->GetFormattedValue(cell.column->GetFieldId(), cell.format));
    CRect box(0, cell.rect.top + (cell.rect.Height() - side) / 2, side, 0);
    box.bottom = box.top + side;
    CRect textRect = area;
    if (text.IsEmpty()) {
        box.left = area.left + (area.Width() - side) / 2;
    } else if (m_option == kBoxAtRight) {
        box.left = area.right - side;
        textRect.right = box.left - kInset;
    } else {
        box.left = area.left;
        textRect.left = area.left + side + kInset;
    }
    box.right = box.left + side;
    dc.DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK | (value.GetBool() ? DFCS_CHECKED : 0));
    if (text.IsEmpty() || textRect.IsRectEmpty())
        return;
    const COLORREF previousColor = dc.SetTextColor(cell.textColor);
    const int previousMode = dc.SetBkMode(TRANSPARENT);
    CFont* previousFont = cell.font != nullptr ? dc.SelectObject(cell.font) : nullptr;
    CString shown = text;
    dc.DrawText(shown, textRect,
                TextAlignment(*cell.column, m_option) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    if (previousFont != nullptr)
        dc.SelectObject(previousFont);
    dc.SetBkMode(previousMode);
    dc.SetTextColor(previousColor);
}

bool CCheckBoxReflector::StartsOnClick(const CEditContext&, Common::CFormat*)
{
    return true;
}

CWnd* CCheckBoxReflector::GetEditor()
{
    return nullptr;
}

} // namespace Ombrel::GUI
