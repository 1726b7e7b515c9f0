#include "ombrel/gui/edit/DateReflectors.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Int64DateFormat.h"
#include "ombrel/common/LongDateFormat.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/detail/ReflectorTools.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Input.h"

namespace Ombrel::GUI {

namespace {

constexpr std::int32_t kDateParts = 0x0F;
constexpr std::int32_t kTimeParts = 0x70;

// The click that started an edit, passed on to the editor under it: it opens the calendar or
// steps the spin buttons when it landed on them. A start from the keyboard or from code sends
// nothing, as does a pointer outside the editor.
void ForwardStartingClick(CGrid& grid, CEmbeddedDateTimeCtrl& editor, int trigger)
{
    if (trigger != StartByClick && trigger != StartByDoubleClick)
        return;
    CPoint point = Detail::CursorInGrid(grid);
    grid.ClientToScreen(&point);
    editor.ScreenToClient(&point);
    if (!editor.GetClientRect().PtInRect(point))
        return;
    editor.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    editor.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

} // namespace

CEmbeddedDateTimeCtrl* CDateReflector::DateEditor()
{
    return dynamic_cast<CEmbeddedDateTimeCtrl*>(GetEditor());
}

std::int32_t CDateReflector::CellPartMask(const CEditContext& context, Common::CFormat* format) const
{
    return PartMask(format != nullptr ? format : GetCellFormat(context));
}

bool CDateReflector::CreateEditor(const CEditContext& context, Common::CFormat* format, int trigger)
{
    if (context.grid == nullptr || context.grid->GetSafeHwnd() == nullptr || !context.IsComplete())
        return false;
    const std::int32_t mask = CellPartMask(context, format);
    if (mask <= 0)
        return false;
    auto editor = std::make_unique<CEmbeddedDateTimeCtrl>(static_cast<std::uint32_t>(mask));
    if (!editor->Create(WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 0, 0), context.grid, kDateEditorId))
        return false;
    LoadValue(context, *editor);
    editor->SetFont(Detail::EditorFont(*context.grid), false);
    CEmbeddedDateTimeCtrl& placed = *editor;
    AdoptEditor(std::move(editor));
    placed.SetFocus();
    if (!Detail::PlaceOverCell(context, placed))
        return false;
    ForwardStartingClick(*context.grid, placed, trigger);
    return true;
}

bool CDateReflector::AcceptCode(const CEditContext&, int code)
{
    CEmbeddedDateTimeCtrl* editor = DateEditor();
    if (editor == nullptr)
        return true;
    switch (code) {
    case EndUp:
    case EndDown:
        return Detail::ControlOrShiftHeld(); // plain arrows step the active part
    case EndLeft:
        return editor->GetActiveSegment() == 0;
    case EndRight:
        return editor->GetActiveSegment() == editor->GetSegmentCount() - 1;
    case EndLeftDoubleClick: {
        CPoint point;
        GetCursorPos(&point);
        editor->ScreenToClient(&point);
        const bool onButton = editor->GetDropDownRect().PtInRect(point) ||
                              editor->GetSpinUpRect().PtInRect(point) ||
                              editor->GetSpinDownRect().PtInRect(point);
        return !onButton;
    }
    case EndFocusLost:
        return editor->GetCalendar() == nullptr; // the calendar pop-up holds the focus meanwhile
    default:
        return true;
    }
}

bool CDateReflector::WriteValue(const CEditContext& context, Common::CFormat*)
{
    CEmbeddedDateTimeCtrl* editor = DateEditor();
    if (editor == nullptr || context.grid == nullptr || context.GetFieldMap() == nullptr ||
        context.column == nullptr)
        return false;
    return StoreValue(context, *editor);
}

// Asked twice for every painted cell of the kind: the settings and the pointer rule most cells
// out before the cell's format is looked up.
bool CDateReflector::WantsHint(CellPaintContext& cell, CDC&, std::uint32_t)
{
    if (!Detail::ShouldShowButtonHint(cell))
        return false;
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    return CellPartMask(context, nullptr) > 0;
}

std::uint32_t CDateReflector::AdjustPaintFlags(CellPaintContext& cell, CDC& dc, std::uint32_t flags)
{
    if (!WantsHint(cell, dc, flags))
        return flags;
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    const std::int32_t mask = CellPartMask(context, nullptr);
    const int buttons = ((mask & kTimeParts) != 0 ? 1 : 0) + ((mask & kDateParts) != 0 ? 1 : 0);
    cell.rightMargin += buttons * cell.rect.Height();
    return flags;
}

void CDateReflector::DrawHint(CellPaintContext& cell, CDC& dc, std::uint32_t)
{
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    const std::int32_t mask = CellPartMask(context, nullptr);
    if (mask <= 0)
        return;
    Detail::DrawHintButtons(dc, Detail::LayOutHintButtons(cell.rect, (mask & kTimeParts) != 0,
                                                          (mask & kDateParts) != 0));
}

bool CDateReflector::StartsOnClick(const CEditContext& context, Common::CFormat* format)
{
    const std::int32_t mask = CellPartMask(context, format);
    return mask > 0 &&
           Detail::ClickOnHintButtons(context, (mask & kTimeParts) != 0, (mask & kDateParts) != 0);
}

// ---- Long seconds -----------------------------------------------------------------------------

bool CLongDateTimeReflector::Supports(const Common::CFormat* format)
{
    return format != nullptr && format->GetValueType() == Common::vtLong && format->IsDateTime();
}

std::int32_t CLongDateTimeReflector::PartMask(const Common::CFormat* format) const
{
    const auto* date = dynamic_cast<const Common::CLongDateFormat*>(format);
    return date != nullptr ? (date->GetFlags() & 0x7F) : -1;
}

bool CLongDateTimeReflector::LoadValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor)
{
    return editor.SetSeconds(context.object->GetLong(context.GetFieldId()));
}

bool CLongDateTimeReflector::StoreValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor)
{
    std::int64_t seconds = 0;
    if (!editor.GetSeconds(seconds) || seconds < 0 || seconds > INT32_MAX)
        return false; // outside what the field holds: nothing is written
    const Common::CValue value(static_cast<std::int32_t>(seconds));
    return context.grid->SetFieldValue(context.row, context.GetFieldId(), value);
}

// ---- 64-bit file time -------------------------------------------------------------------------

bool CInt64DateReflector::Supports(const Common::CFormat* format)
{
    return format != nullptr && format->GetValueType() == Common::vtInt64 && format->IsDateTime();
}

std::int32_t CInt64DateReflector::PartMask(const Common::CFormat* format) const
{
    const auto* date = dynamic_cast<const Common::CInt64DateFormat*>(format);
    return date != nullptr ? date->GetFlags() : -1;
}

bool CInt64DateReflector::LoadValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor)
{
    const std::int64_t fileTime = context.object->GetInt64(context.GetFieldId());
    return fileTime >= 0 && editor.SetFileTime(static_cast<std::uint64_t>(fileTime));
}

bool CInt64DateReflector::StoreValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor)
{
    const std::uint64_t fileTime = editor.GetFileTime();
    if (fileTime > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    const Common::CValue value(static_cast<std::int64_t>(fileTime));
    return context.grid->SetFieldValue(context.row, context.GetFieldId(), value);
}

} // namespace Ombrel::GUI
