#include "ombrel/gui/dialogs/HeaderConfigurationDlg.h"

#include "ombrel/common/DynamicObject.h"
#include "ombrel/common/DynamicSchema.h"
#include "ombrel/common/EmptyFormat.h"
#include "ombrel/common/Field.h"
#include "ombrel/gui/edit/CheckBoxReflector.h"
#include "ombrel/gui/edit/EditInPlace.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/Blend.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/services/KeyManager.h"
#include "ombrel/platform/DataExchange.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace Ombrel::GUI {

namespace {

using Dlg = CHeaderConfigurationDlg;

// The look of the rows of fixed columns.
constexpr COLORREF kFixedRowText = 0x7F7F7F;
constexpr COLORREF kFixedRowTint = 0xD3FEF9;
constexpr int kFixedRowTintAlpha = 80;
constexpr std::int32_t kFixedRowWeight = FW_SEMIBOLD;

// The list's appearance.
constexpr COLORREF kListText = 0x000000;
constexpr COLORREF kListEvenBackground = 0xFFF0F0;
constexpr COLORREF kListOddBackground = 0xFFFFFF;
constexpr std::int32_t kVisibleColumnWidth = 16;
constexpr std::int32_t kTitleColumnWidth = 160;
// The window class every grid window has.
constexpr const char* kGridClass = "Ombrel.Grid";

// The template: built once per process and kept until exit. Null when it could not be made
// (memory); the dialog then fails to open like any dialog without a template.
const CDialogTemplate* DialogTemplate()
{
    static const CDialogTemplate* const made = []() -> const CDialogTemplate* {
        try {
            auto* dialog = new CDialogTemplate(
                "Header configuration dialog",
                WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                CRect(0, 0, 194, 222), 10);
            constexpr DWORD tab = WS_VISIBLE | WS_TABSTOP;
            // The move buttons carry mnemonics (Alt+T, U, D, B); the shown texts stay
            // "Top", "Up", "Down" and "Bottom".
            dialog->AddItem(kButtonClass, Dlg::kOkId, "OK", tab | BS_DEFPUSHBUTTON, CRect(31, 201, 81, 215))
                .AddItem(kButtonClass, Dlg::kCancelId, "Cancel", tab, CRect(87, 201, 137, 215))
                .AddItem(kButtonClass, Dlg::kTopId, "&Top", tab, CRect(147, 15, 185, 29))
                .AddItem(kButtonClass, Dlg::kUpId, "&Up", tab, CRect(147, 33, 185, 47))
                .AddItem(kButtonClass, Dlg::kDownId, "&Down", tab, CRect(147, 51, 185, 65))
                .AddItem(kButtonClass, Dlg::kBottomId, "&Bottom", tab, CRect(147, 69, 185, 83))
                .AddItem(kStaticClass, Dlg::kFixedLabelId, "Fixed columns", WS_VISIBLE | SS_LEFTNOWORDWRAP, CRect(141, 103, 187, 111))
                .AddItem(kGridClass, Dlg::kListId, "", tab, CRect(7, 7, 137, 195), WS_EX_STATICEDGE)
                .AddItem(kUpDownClass, Dlg::kSpinId, "", WS_VISIBLE | UDS_ARROWKEYS, CRect(178, 113, 189, 125))
                .AddItem(kEditClass, Dlg::kFixedCountId, "", tab | ES_NUMBER | ES_READONLY | ES_RIGHT,
                         CRect(148, 113, 175, 125), WS_EX_STATICEDGE);
            return dialog;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }();
    return made;
}

// Both list columns belong to the list's own header, which the list deletes.
CHeader* NewListHeader()
{
    auto* header = new CHeader(true);
    header->SetSortEnabled(false);
    header->SetCanMoveFixedColumns(false);
    header->SetCanMoveScrollableColumns(false);
    header->AddColumn(new CColumn(Dlg::kVisibleField, "", kVisibleColumnWidth, CColumn::AlignLeft, true, -1, -1,
                                  new Common::CEmptyFormat(Common::vtBool)));
    header->AddColumn(new CColumn(Dlg::kTitleField, "", kTitleColumnWidth, CColumn::AlignLeft, false));
    return header;
}

std::shared_ptr<const Common::CDynamicSchema> ListRowSchema()
{
    std::vector<std::unique_ptr<Common::CField>> fields;
    fields.push_back(std::make_unique<Common::CField>(Dlg::kVisibleField, "Visible", Common::vtBool));
    fields.push_back(std::make_unique<Common::CField>(Dlg::kTitleField, "Title", Common::vtStlString));
    fields.push_back(std::make_unique<Common::CField>(Dlg::kFieldIdField, "Field", Common::vtLong));
    return Common::CDynamicSchema::Create(std::move(fields));
}

// The list's keys: Space ticks or unticks the focused row; Enter and Escape are the dialog's
// (OK and Cancel); every other key does what it does in any grid.
class CListKeys : public CKeyManager
{
public:
    CListKeys() : CKeyManager(true) {}

    bool OnKeyDown(CGrid* grid, UINT virtualKey, UINT repeatCount, UINT flags) override
    {
        if (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE)
            return false;
        if (virtualKey != VK_SPACE || grid == nullptr)
            return CKeyManager::OnKeyDown(grid, virtualKey, repeatCount, flags);
        if (CGridItem* row = grid->GetRowAt(grid->GetFocusIndex(), ROW_NORMAL)) {
            const bool visible = grid->GetFieldValue(row, Dlg::kVisibleField).GetBool();
            grid->SetFieldValue(row, Dlg::kVisibleField, Common::CValue(!visible));
        }
        return true;
    }
};

} // namespace

// ---- Impl: the list, its rows, its editing policy and its drawing ---------------------------

class CHeaderConfigurationDlg::Impl : public CEditInPlace, public CCustomDraw
{
public:
    explicit Impl(CHeader* configured)
        : CEditInPlace(false), CCustomDraw(false), header(configured),
          fixedCount(configured != nullptr ? configured->GetFixedColumnCount() : 0)
    {
    }

    CHeader* const header;
    int fixedCount;
    CCheckBoxReflector checkBox{CCheckBoxReflector::kNoText};
    // Declared before the list so that the list, and with it every row, goes first.
    std::vector<std::unique_ptr<Common::CDynamicObject>> rows;
    CGrid list;

    void SetUpList();
    void FillList();
    void MoveSelectedRows(UINT button);
    void ApplyOrderAndVisibility();
    void StepFixedCount(int delta);

    // Only the visibility cell is edited, always with the check box.
    IControlReflector* GetReflector(CGrid* grid, CGridItem* row, Common::CDataObject* object,
                                    CColumn* column, Common::CFormat* format) override;
    // Rows of fixed columns: grey italic semi-bold text on a tinted background.
    void DrawLine(LinePaintContext& context, CDC& dc, std::uint32_t flags) override;

private:
    CFont* FixedRowFont(CFont* rowFont);
    std::vector<CGridItem*> ListRows();

    CFont m_fixedFont;
    LOGFONT m_fixedFontSource{}; // the row font m_fixedFont was made from
};

void CHeaderConfigurationDlg::Impl::SetUpList()
{
    list.SetHeader(NewListHeader());
    list.ShowHeader(false);
    GridAppearance* appearance = list.GetAppearance();
    appearance->oddText = kListText;
    appearance->evenText = kListText;
    appearance->evenBackground = kListEvenBackground;
    appearance->oddBackground = kListOddBackground;
    list.SetPaintOptions(list.GetPaintOptions() & ~static_cast<std::uint32_t>(PaintTreeIndent));
    list.SetCustomDraw(static_cast<CCustomDraw*>(this));
    list.SetEditInPlace(static_cast<CEditInPlace*>(this));
    list.EnableMultipleSelection(true);
    list.EnablePaste(false);
    delete list.SetKeyManager(new CListKeys());
    // Rows may be dragged into a new order within the list, never into or out of other grids.
    DropSettings* drops = list.GetDropSettings();
    drops->copyWithinGrid = false;
    drops->moveWithinGrid = true;
    drops->copyFromOtherGrid = false;
    drops->moveFromOtherGrid = false;
}

void CHeaderConfigurationDlg::Impl::FillList()
{
    if (header == nullptr)
        return;
    const auto schema = ListRowSchema();
    std::vector<Common::CDataObject*> added;
    for (int position = 0; position < header->GetColumnCount(); ++position) {
        const CColumn* column = header->GetColumn(position);
        auto row = std::make_unique<Common::CDynamicObject>(schema, true);
        row->SetBool(kVisibleField, column->IsVisible());
        row->SetStdString(kTitleField, column->GetTitle());
        row->SetLong(kFieldIdField, column->GetFieldId());
        added.push_back(row.get());
        rows.push_back(std::move(row));
    }
    list.AddMany(added, GRID_ROOT, GRID_LAST);
    if (!added.empty())
        list.SetFocus(0, ROW_NORMAL);
}

std::vector<CGridItem*> CHeaderConfigurationDlg::Impl::ListRows()
{
    std::vector<CGridItem*> inOrder;
    const int count = list.GetRowCount(ROW_NORMAL);
    for (int position = 0; position < count; ++position)
        inOrder.push_back(list.GetRowAt(position, ROW_NORMAL));
    return inOrder;
}

void CHeaderConfigurationDlg::Impl::MoveSelectedRows(UINT button)
{
    std::vector<CGridItem*> selected;
    list.GetSelectedRows(ROW_NORMAL, selected);
    if (selected.empty())
        return;
    // Each direction walks the selection from the end it moves toward, so that the selected
    // rows keep their order among themselves.
    switch (button) {
    case kTopId:
        for (auto row = selected.rbegin(); row != selected.rend(); ++row)
            list.Move(*row, GRID_FIRST);
        break;
    case kBottomId:
        for (CGridItem* row : selected)
            list.Move(row, GRID_LAST);
        break;
    case kUpId:
        for (CGridItem* row : selected) {
            const int position = list.GetVisibleIndex(row);
            if (position <= 0)
                break;
            list.Move(row, list.GetRowAt(position - 1, ROW_NORMAL), nullptr, true);
        }
        break;
    case kDownId:
        for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
            const int position = list.GetVisibleIndex(*row);
            if (position < 0 || position + 1 >= list.GetRowCount(ROW_NORMAL))
                break;
            list.Move(*row, list.GetRowAt(position + 1, ROW_NORMAL), nullptr, false);
        }
        break;
    default:
        return;
    }
    const int focus = list.GetFocusIndex();
    if (focus >= 0)
        list.EnsureVisible(focus);
}

void CHeaderConfigurationDlg::Impl::ApplyOrderAndVisibility()
{
    if (header == nullptr)
        return;
    // A column the program removed while the dialog was open is skipped; the next listed
    // column then follows the last one that still exists.
    std::int32_t previous = -1;
    bool hasPrevious = false;
    for (CGridItem* row : ListRows()) {
        const std::int32_t fieldId = list.GetFieldValue(row, kFieldIdField).GetLong();
        if (header->GetColumnById(fieldId) == nullptr)
            continue;
        if (hasPrevious)
            header->MoveColumnAfter(fieldId, previous);
        previous = fieldId;
        hasPrevious = true;
    }
    for (CGridItem* row : ListRows()) {
        const std::int32_t fieldId = list.GetFieldValue(row, kFieldIdField).GetLong();
        if (list.GetFieldValue(row, kVisibleField).GetBool())
            header->ShowColumn(fieldId);
        else
            header->HideColumn(fieldId);
    }
}

void CHeaderConfigurationDlg::Impl::StepFixedCount(int delta)
{
    if (header == nullptr)
        return;
    const int stepped = std::clamp(fixedCount + delta, 0, header->GetColumnCount());
    if (stepped == fixedCount)
        return;
    fixedCount = stepped;
    header->SetFixedColumnCount(fixedCount);
    list.Invalidate();
}

IControlReflector* CHeaderConfigurationDlg::Impl::GetReflector(CGrid*, CGridItem*, Common::CDataObject*,
                                                               CColumn* column, Common::CFormat*)
{
    return column != nullptr && column->GetFieldId() == kVisibleField ? &checkBox : nullptr;
}

void CHeaderConfigurationDlg::Impl::DrawLine(LinePaintContext& context, CDC& dc, std::uint32_t flags)
{
    const int fixed = header != nullptr ? header->GetFixedColumnCount() : 0;
    if (context.row != nullptr && context.rowType == ROW_NORMAL && context.position < fixed) {
        context.textColor = kFixedRowText;
        context.font = FixedRowFont(context.font);
        context.backgroundColor = Blend(context.backgroundColor, kFixedRowTint, kFixedRowTintAlpha);
    }
    CCustomDraw::DrawLine(context, dc, flags);
}

CFont* CHeaderConfigurationDlg::Impl::FixedRowFont(CFont* rowFont)
{
    CFont* source = rowFont != nullptr ? rowFont : CPaintDefaults::Get().GetFont();
    LOGFONT description;
    if (source == nullptr || !source->GetLogFont(description))
        return rowFont;
    description.lfItalic = 1;
    description.lfWeight = kFixedRowWeight;
    // Made again only when the row font changes.
    if (m_fixedFont.GetSafeHandle() == nullptr ||
        std::memcmp(&description, &m_fixedFontSource, sizeof description) != 0) {
        m_fixedFont.DeleteObject();
        if (!m_fixedFont.CreateFontIndirect(description))
            return rowFont;
        m_fixedFontSource = description;
    }
    return &m_fixedFont;
}

// ---- The dialog ------------------------------------------------------------------------------

CHeaderConfigurationDlg::CHeaderConfigurationDlg(CHeader* header, CWnd* parent)
    : m_impl(std::make_unique<Impl>(header))
{
    InitModalIndirect(DialogTemplate(), parent);
}

CHeaderConfigurationDlg::~CHeaderConfigurationDlg()
{
    // The list and its rows go before the policy and custom draw they point to.
    if (IsWindow(this))
        DestroyWindow();
}

int CHeaderConfigurationDlg::GetFixedColumnCount() const
{
    return m_impl->fixedCount;
}

void CHeaderConfigurationDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kListId, m_impl->list);
    DDX_Text(dx, kFixedCountId, m_impl->fixedCount);
}

bool CHeaderConfigurationDlg::OnInitDialog()
{
    Impl& impl = *m_impl;
    if (impl.header != nullptr)
        impl.fixedCount = impl.header->GetFixedColumnCount();
    CDialog::OnInitDialog();
    impl.SetUpList();
    impl.FillList();
    // The number box takes Up and Down for the spin buttons. The range only makes the up arrow
    // count up; the dialog keeps the count itself (OnNotify).
    if (CWnd* spin = GetDlgItem(kSpinId)) {
        spin->SendMessage(UDM_SETRANGE32, 0, impl.header != nullptr ? impl.header->GetColumnCount() : 0);
        spin->SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(kFixedCountId)), 0);
    }
    impl.list.SetFocus();
    return false; // the focus is set
}

void CHeaderConfigurationDlg::OnOK()
{
    if (m_impl->list.GetRowCount(ROW_NORMAL) > 0)
        m_impl->ApplyOrderAndVisibility();
    CDialog::OnOK();
}

bool CHeaderConfigurationDlg::OnCmdMsg(UINT id, int code)
{
    if (code != BN_CLICKED)
        return CDialog::OnCmdMsg(id, code);
    switch (id) {
    // The template's OK and Cancel have identifiers of their own; they act as IDOK and IDCANCEL.
    case kOkId: OnOK(); return true;
    case kCancelId: OnCancel(); return true;
    case kTopId:
    case kUpId:
    case kDownId:
    case kBottomId: m_impl->MoveSelectedRows(id); return true;
    default: return CDialog::OnCmdMsg(id, code);
    }
}

bool CHeaderConfigurationDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr || header->idFrom != kSpinId || header->code != UDN_DELTAPOS)
        return CDialog::OnNotify(wParam, lParam, result);
    // The dialog keeps the count itself: the spin control's own position is left alone.
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    m_impl->StepFixedCount(change->iDelta > 0 ? 1 : -1);
    UpdateData(false);
    if (result != nullptr)
        *result = 1;
    return true;
}

} // namespace Ombrel::GUI
