#include "ombrel/gui/edit/LongEnumReflector.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EmbeddedCombo.h"
#include "ombrel/gui/edit/detail/ReflectorTools.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/platform/ControlMessages.h"

namespace Ombrel::GUI {

namespace {

// Padding the flat list keeps above and below an item within a row.
constexpr int kItemPadding = 6;

const Common::CLongEnumFormat* AsStandardEnumeration(const Common::CFormat& format)
{
    static const std::string name = Common::CLongEnumFormat().GetClassName();
    const auto* enumeration = dynamic_cast<const Common::CLongEnumFormat*>(&format);
    return enumeration != nullptr && format.GetClassName() == name ? enumeration : nullptr;
}

bool IsEnumerationCell(const CEditContext& context)
{
    const Common::CFormat* format = GetCellFormat(context);
    return format != nullptr && format->GetValueType() == Common::vtLong && format->IsEnumeration();
}

} // namespace

bool CLongEnumReflector::Supports(const Common::CFormat* format)
{
    return format != nullptr && format->GetValueType() == Common::vtLong && format->IsEnumeration();
}

CEmbeddedCombo* CLongEnumReflector::Combo()
{
    return dynamic_cast<CEmbeddedCombo*>(GetEditor());
}

void CLongEnumReflector::FillList(CEmbeddedCombo& combo, const Common::CFormat& format, std::int32_t current)
{
    const Common::CLongEnumFormat* enumeration = AsStandardEnumeration(format);
    if (enumeration == nullptr)
        return;
    Common::CLongEnumFormat::ItemList items;
    if (!enumeration->GetItems(items))
        return; // an unreadable table leaves the list empty
    int selected = -1;
    for (const auto& [value, name] : items) {
        const int index = combo.AddString(name.c_str());
        combo.SetItemData(index, static_cast<UINT_PTR>(static_cast<std::uint32_t>(value)));
        if (value == current)
            selected = index;
    }
    combo.SetCurSel(selected);
}

bool CLongEnumReflector::CreateEditor(const CEditContext& context, Common::CFormat* format, int)
{
    if (context.grid == nullptr || context.grid->GetSafeHwnd() == nullptr || !context.IsComplete())
        return false;
    if (format == nullptr)
        format = GetCellFormat(context);
    if (format == nullptr || !Supports(format))
        return false;
    auto combo = std::make_unique<CEmbeddedCombo>();
    if (!combo->Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 0, 0), context.grid, kComboEditorId))
        return false;
    FillList(*combo, *format, context.object->GetLong(context.GetFieldId()));
    combo->SetFont(Detail::EditorFont(*context.grid), false);
    const int rowHeight = context.grid->GetRowHeight(context.row);
    if (rowHeight > kItemPadding)
        combo->SetItemHeight(0, rowHeight - kItemPadding);
    CEmbeddedCombo& placed = *combo;
    AdoptEditor(std::move(combo));
    placed.SetFocus();
    return Detail::PlaceOverCell(context, placed);
}

void CLongEnumReflector::OnActivate()
{
    if (CEmbeddedCombo* combo = Combo())
        combo->ShowDropDown(true);
}

bool CLongEnumReflector::AcceptCode(const CEditContext&, int code)
{
    if (code == EndUp || code == EndDown)
        return Detail::ControlOrShiftHeld(); // plain arrows move within the list
    return true;
}

bool CLongEnumReflector::WriteValue(const CEditContext& context, Common::CFormat*)
{
    CEmbeddedCombo* combo = Combo();
    if (combo == nullptr || context.grid == nullptr)
        return false;
    const int selected = combo->GetCurSel();
    if (selected < 0)
        return false;
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(combo->GetItemData(selected)));
    return context.grid->SetFieldValue(context.row, context.GetFieldId(), Common::CValue(value));
}

bool CLongEnumReflector::WantsHint(CellPaintContext& cell, CDC&, std::uint32_t)
{
    // The settings and the pointer rule most cells out before the cell's format is looked up.
    if (!Detail::ShouldShowButtonHint(cell))
        return false;
    const CEditContext context = CEditContext::OfPaintedCell(cell);
    return IsEnumerationCell(context);
}

std::uint32_t CLongEnumReflector::AdjustPaintFlags(CellPaintContext& cell, CDC& dc, std::uint32_t flags)
{
    if (WantsHint(cell, dc, flags))
        cell.rightMargin += cell.rect.Height();
    return flags;
}

void CLongEnumReflector::DrawHint(CellPaintContext& cell, CDC& dc, std::uint32_t)
{
    Detail::DrawHintButtons(dc, Detail::LayOutHintButtons(cell.rect, false, true));
}

bool CLongEnumReflector::StartsOnClick(const CEditContext& context, Common::CFormat*)
{
    return Detail::ClickOnHintButtons(context, false, true);
}

} // namespace Ombrel::GUI
