// The standard edit-in-place policy: when an edit may start, which reflector runs it, when it
// ends, whether it writes, and which cell keyboard navigation reaches next.

#include "ombrel/gui/edit/EditInPlace.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Field.h"
#include "ombrel/gui/edit/ControlReflector.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/ReflectorList.h"
#include "ombrel/gui/edit/detail/ReflectorTools.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/ComboBox.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Input.h"

namespace Ombrel::GUI {

namespace {

bool ModifierHeld()
{
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0;
}

bool MouseButtonDown()
{
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0;
}

// One step of keyboard navigation over the visible columns and the displayed rows.
class CNavigation
{
public:
    CNavigation(CGrid& grid, CHeader& header) : m_grid(grid), m_header(header) {}

    // The first candidate for `code` from `from`; nothing for a code that does not navigate.
    std::optional<CEditInPlace::TargetCell> First(CEditInPlace::TargetCell from, int code)
    {
        switch (code) {
        case EndHome: return AtColumn(from.row, 0);
        case EndEnd: return AtColumn(from.row, m_header.GetVisibleColumnCount() - 1);
        default: return Next(from, code);
        }
    }

    // The candidate after `from` in the direction of `code`.
    std::optional<CEditInPlace::TargetCell> Next(CEditInPlace::TargetCell from, int code)
    {
        const int index = m_header.GetVisibleColumnIndex(from.column->GetFieldId());
        switch (code) {
        case EndUp:
        case EndWheelForward: return AtRow(m_grid.GetPrevRow(from.row), from.column);
        case EndDown:
        case EndWheelBackward: return AtRow(m_grid.GetNextRow(from.row), from.column);
        case EndLeft:
        case EndEnd: return AtColumn(from.row, index - 1);
        case EndRight:
        case EndHome: return AtColumn(from.row, index + 1);
        case EndTab:
            if (auto right = AtColumn(from.row, index + 1))
                return right;
            return AtColumn(m_grid.GetNextRow(from.row), 0);
        case EndShiftTab:
            if (auto left = AtColumn(from.row, index - 1))
                return left;
            return AtColumn(m_grid.GetPrevRow(from.row), m_header.GetVisibleColumnCount() - 1);
        default: return std::nullopt;
        }
    }

private:
    std::optional<CEditInPlace::TargetCell> AtRow(CGridItem* row, CColumn* column) const
    {
        if (row == nullptr || column == nullptr)
            return std::nullopt;
        return CEditInPlace::TargetCell{row, column};
    }

    std::optional<CEditInPlace::TargetCell> AtColumn(CGridItem* row, int visibleIndex) const
    {
        if (row == nullptr || visibleIndex < 0 || visibleIndex >= m_header.GetVisibleColumnCount())
            return std::nullopt;
        return AtRow(row, m_header.GetVisibleColumn(visibleIndex));
    }

    CGrid& m_grid;
    CHeader& m_header;
};

} // namespace

CEditInPlace::CEditInPlace(bool autoDelete) : m_autoDelete(autoDelete) {}

CEditInPlace::~CEditInPlace() = default;

CEditInPlace& CEditInPlace::GetDefault()
{
    static CEditInPlace policy(false);
    return policy;
}

bool CEditInPlace::IsAutoDelete() const
{
    return m_autoDelete;
}

bool CEditInPlace::IsCommitCode(int code)
{
    switch (code) {
    case EndEnter:
    case EndUp:
    case EndDown:
    case EndLeft:
    case EndRight:
    case EndTab:
    case EndShiftTab:
    case EndCtrlTab:
    case EndLeftDoubleClick:
    case EndDropDownAccepted:
    case EndFocusLost:
    case EndImmediate:
        return true;
    default:
        return false;
    }
}

IControlReflector* CEditInPlace::GetReflector(CGrid*, CGridItem*, Common::CDataObject*, CColumn*,
                                              Common::CFormat* format)
{
    return format != nullptr ? CReflectorList::Find(format) : nullptr;
}

bool CEditInPlace::CanStartEdit(const CEditContext& context, int trigger)
{
    if (!context.IsComplete() || context.grid == nullptr || !context.column->IsEditable())
        return false;
    if (context.grid->HasEmbeddedControl(context.row, context.GetFieldId()))
        return false;
    const EditInPlaceSettings* settings = context.grid->GetEditInPlaceSettings();
    if (settings == nullptr || !settings->enabled)
        return false;
    // The object decides whether the field can be written: a compiled class through the
    // field's setter, a dynamic object (whose fields are descriptions only) by its own values.
    if (context.GetField() == nullptr || !context.object->IsWritable(context.GetFieldId()))
        return false;
    if (trigger == StartByNavigation)
        return settings->keyboardNavigation;
    if (settings->startMode != 1)
        return settings->startMode != 0 || trigger == StartByClick;
    if (trigger == StartByDoubleClick)
        return true;
    if (settings->singleClickAsksReflector == 0)
        return false;
    Common::CFormat* format = GetCellFormat(context);
    IControlReflector* reflector =
        GetReflector(context.grid, context.row, context.object, context.column, format);
    return reflector != nullptr && reflector->StartsOnClick(context, format);
}

bool CEditInPlace::StartEdit(const CEditContext& context, int trigger, Common::CFormat* format)
{
    if (!context.IsComplete())
        return false;
    if (format == nullptr)
        format = GetCellFormat(context);
    IControlReflector* reflector =
        GetReflector(context.grid, context.row, context.object, context.column, format);
    if (reflector == nullptr)
        return false;
    m_reflector = reflector;
    if (reflector->CreateEditor(context, format, trigger))
        return true;
    m_reflector = nullptr;
    return false;
}

bool CEditInPlace::ShouldEndEdit(const CEditContext& context, int code)
{
    if (m_reflector != nullptr && !m_reflector->AcceptCode(context, code))
        return false;
    const bool arrowUpOrDown = code == EndUp || code == EndDown;
    if (arrowUpOrDown && context.grid != nullptr && !ModifierHeld() &&
        dynamic_cast<CComboBox*>(context.grid->GetEditor()) != nullptr)
        return false; // the list uses the arrows itself
    switch (code) {
    case EndUp:
    case EndDown:
    case EndLeft:
    case EndRight:
    case EndTab:
    case EndShiftTab:
    case EndWheelForward:
    case EndWheelBackward: {
        // Without keyboard navigation these keys just end the edit; with it, a key with
        // nowhere to go leaves the user in the editor.
        const EditInPlaceSettings* settings =
            context.grid != nullptr ? context.grid->GetEditInPlaceSettings() : nullptr;
        if (settings != nullptr && !settings->keyboardNavigation)
            return true;
        return FindTargetCell(context, code).has_value();
    }
    case EndEnter:
    case EndEscape:
    case EndRightButton:
    case EndLeftDoubleClick:
    case EndRightDoubleClick:
    case EndDropDownAccepted:
    case EndDropDownCancelled:
    case EndFocusLost:
    case EndImmediate:
        return true;
    default:
        return false;
    }
}

void CEditInPlace::OnEditStarted(const CEditContext&, CGridItem*)
{
    if (m_reflector != nullptr)
        m_reflector->OnActivate();
}

bool CEditInPlace::StopEdit(const CEditContext& context, int code, CWnd* editorWindow,
                            Common::CFormat* format)
{
    const bool commit = IsCommitCode(code) && context.GetFieldMap() != nullptr && context.column != nullptr;
    if (IControlReflector* reflector = std::exchange(m_reflector, nullptr)) {
        if (format == nullptr)
            format = GetCellFormat(context);
        const bool written = commit && reflector->WriteValue(context, format);
        reflector->DestroyEditor(context.grid, context.row, context.column);
        return written;
    }
    if (editorWindow == nullptr)
        return false;
    // A plain editor window someone else made: out of sight first, so that the repaint of the
    // written value does not show it for a moment.
    editorWindow->MoveWindow(-1000, -1000, 0, 0);
    bool written = false;
    if (commit) {
        const CString text = editorWindow->GetWindowText();
        written = context.object->SetFormattedValue(context.GetFieldId(), text,
                                                    format != nullptr ? format : GetCellFormat(context));
    }
    editorWindow->DestroyWindow();
    return written;
}

bool CEditInPlace::MoveToNextCell(const CEditContext& context, int code)
{
    const std::optional<TargetCell> target = FindTargetCell(context, code);
    return target.has_value() &&
           context.grid->BeginEdit(target->row, target->column->GetFieldId(), StartByNavigation);
}

std::optional<CEditInPlace::TargetCell> CEditInPlace::FindTargetCell(const CEditContext& context, int code)
{
    if (context.grid == nullptr || context.row == nullptr || context.column == nullptr)
        return std::nullopt;
    CHeader* header = context.grid->GetHeader();
    if (header == nullptr)
        return std::nullopt;
    IEditInPlace* policy = context.grid->GetEditInPlace();
    CNavigation navigation(*context.grid, *header);
    std::optional<TargetCell> candidate = navigation.First({context.row, context.column}, code);
    for (int tried = 1; candidate.has_value() && tried <= kMaxNavigationCandidates; ++tried) {
        const CEditContext at = CEditContext::Of(context.grid, candidate->row, candidate->column);
        if (policy->CanStartEdit(at, StartByNavigation))
            return candidate;
        candidate = navigation.Next(*candidate, code);
    }
    return std::nullopt;
}

IControlReflector* CEditInPlace::ReflectorOfCell(CellPaintContext& cell, const CEditContext& context)
{
    CellPaintContext::EditReflector& kept = cell.editReflector;
    if (kept.found && kept.row == cell.row && kept.column == cell.column && kept.format == cell.format)
        return kept.reflector;
    IControlReflector* reflector = GetReflector(context.grid, context.row, context.object,
                                                context.column, GetCellFormat(context));
    kept = {true, reflector, cell.row, cell.column, cell.format};
    return reflector;
}

std::uint32_t CEditInPlace::AdjustPaintFlags(CellPaintContext& cell, CDC& dc, std::uint32_t flags)
{
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    IControlReflector* reflector = ReflectorOfCell(cell, context);
    return reflector != nullptr ? reflector->AdjustPaintFlags(cell, dc, flags) : flags;
}

void CEditInPlace::DrawEditHint(CellPaintContext& cell, CDC& dc, std::uint32_t flags)
{
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    if (context.grid == nullptr || context.row == nullptr || context.column == nullptr)
        return;
    IControlReflector* reflector = ReflectorOfCell(cell, context);
    if (reflector == nullptr)
        return;
    const EditInPlaceSettings& settings = Detail::PaintedEditSettings(cell, *context.grid);
    // The field as read when the cell's context was made (reading it takes the column's lock).
    const std::int32_t fieldId = cell.ColumnFieldId();
    // The pointer must also have been seen moving over the cell: a pointer position the grid
    // never saw (another window in front, no pointer yet) frames nothing. That is asked first:
    // it is cheap, and false for every cell but one, so the pointer is read once a paint.
    bool mouseOver = context.grid->IsPointerOverCell(context.row, fieldId) &&
                     context.grid->GetEditor() == nullptr && !MouseButtonDown();
    if (mouseOver) {
        CPoint cursor;
        GetCursorPos(&cursor);
        context.grid->ScreenToClient(&cursor);
        mouseOver = cell.rect.PtInRect(cursor);
    }
    if (mouseOver && settings.drawHoverFrame) {
        const int trigger = settings.startMode == 1 ? StartByDoubleClick : StartByClick;
        if (context.grid->CanBeginEdit(context.row, fieldId, trigger)) {
            CRect frame = cell.rect;
            frame.DeflateRect(0, 0, 1, 1); // inside the cell's grid lines
            dc.Draw3dRect(frame, settings.hoverFrameColor, settings.hoverFrameColor);
        }
    }
    if (reflector->WantsHint(cell, dc, flags))
        reflector->DrawHint(cell, dc, flags);
}

} // namespace Ombrel::GUI
