#include "ombrel/gui/edit/DefaultReflector.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Format.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/detail/ReflectorTools.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Edit.h"

namespace Ombrel::GUI {

namespace {

// The edit alignment that matches how the column shows the value.
DWORD AlignmentStyle(const CColumn& column, const Common::CFormat& format)
{
    switch (column.GetAlignment()) {
    case CColumn::AlignRight: return ES_RIGHT;
    case CColumn::AlignCenter: return ES_CENTER;
    case CColumn::AlignAuto: return Detail::IsNumericKind(format.GetValueType()) ? ES_RIGHT : ES_LEFT;
    default: return ES_LEFT;
    }
}

} // namespace

CDefaultReflector::CDefaultReflector() = default;

CDefaultReflector::~CDefaultReflector() = default;

bool CDefaultReflector::Supports(const Common::CFormat*)
{
    return true;
}

std::unique_ptr<CEdit> CDefaultReflector::MakeEdit(const Common::CFormat&)
{
    return std::make_unique<CEdit>();
}

CString CDefaultReflector::PrepareText(const CString& cellText, const Common::CFormat&)
{
    return cellText;
}

void CDefaultReflector::AdoptEditor(std::unique_ptr<CWnd> editor)
{
    if (m_editor && m_editor->GetSafeHwnd() != nullptr)
        m_editor->DestroyWindow();
    m_editor = std::move(editor);
}

bool CDefaultReflector::CreateEditor(const CEditContext& context, Common::CFormat* format, int)
{
    if (context.grid == nullptr || context.grid->GetSafeHwnd() == nullptr || !context.IsComplete())
        return false;
    if (format == nullptr)
        format = GetCellFormat(context);
    if (format == nullptr)
        return false;
    std::unique_ptr<CEdit> edit = MakeEdit(*format);
    const DWORD style = WS_VISIBLE | ES_AUTOHSCROLL | AlignmentStyle(*context.column, *format);
    if (!edit->Create(style, CRect(0, 0, 0, 0), context.grid, kTextEditorId))
        return false;
    const CString cellText(context.object->GetFormattedValue(context.GetFieldId(), format));
    edit->SetWindowText(PrepareText(cellText, *format));
    edit->SetSel(0, -1);
    edit->SetFont(Detail::EditorFont(*context.grid), false);
    CEdit& placed = *edit;
    AdoptEditor(std::move(edit));
    placed.SetFocus();
    return Detail::PlaceOverCell(context, placed);
}

void CDefaultReflector::OnActivate() {}

bool CDefaultReflector::AcceptCode(const CEditContext&, int code)
{
    auto* edit = dynamic_cast<CEdit*>(m_editor.get());
    if (edit == nullptr)
        return true;
    if (code == EndRightButton)
        return false; // the editor's own context menu
    if (code != EndLeft && code != EndRight)
        return true;
    int start = 0;
    int end = 0;
    edit->GetSel(start, end);
    if (start != end)
        return false; // the arrow collapses the selection first
    if (code == EndLeft)
        return start == 0;
    return start >= edit->GetWindowTextLength();
}

bool CDefaultReflector::WriteValue(const CEditContext& context, Common::CFormat* format)
{
    if (m_editor == nullptr || context.GetFieldMap() == nullptr || context.column == nullptr ||
        context.grid == nullptr)
        return false;
    const CString text = m_editor->GetWindowText();
    // The setter announces its own change; a second notification would only repeat it.
    return context.grid->SetFieldTextString(context.row, context.GetFieldId(), text, false, format);
}

bool CDefaultReflector::DestroyEditor(CGrid* grid, CGridItem* row, CColumn* column)
{
    if (grid != nullptr && row != nullptr && column != nullptr && grid->GetSafeHwnd() != nullptr) {
        const CRect cell = grid->GetCellRect(row, column->GetFieldId());
        grid->InvalidateRect(&cell, false);
    }
    if (m_editor == nullptr)
        return false;
    std::unique_ptr<CWnd> editor = std::move(m_editor);
    if (editor->GetSafeHwnd() != nullptr)
        editor->DestroyWindow();
    return true;
}

bool CDefaultReflector::WantsHint(CellPaintContext&, CDC&, std::uint32_t)
{
    return false;
}

std::uint32_t CDefaultReflector::AdjustPaintFlags(CellPaintContext&, CDC&, std::uint32_t flags)
{
    return flags;
}

void CDefaultReflector::DrawHint(CellPaintContext&, CDC&, std::uint32_t) {}

bool CDefaultReflector::StartsOnClick(const CEditContext&, Common::CFormat*)
{
    return false;
}

CWnd* CDefaultReflector::GetEditor()
{
    return m_editor.get();
}

} // namespace Ombrel::GUI
