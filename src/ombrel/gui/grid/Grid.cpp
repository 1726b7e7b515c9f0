// The grid facade: each operation fills its parameter record and hands it to the
// implementation, which runs it here or on the window thread.

#include "ombrel/gui/grid/Grid.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/grid/detail/GridCallRecords.h"
#include "ombrel/gui/grid/detail/GridEditing.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridRegistry.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"

#include <type_traits>
#include <utility>

namespace Ombrel::GUI {

namespace {

constexpr const char* kGridWindowClass = "Ombrel.Grid";

void RegisterGridWindowClass()
{
    static const bool registered = [] {
        // A second registration fails and keeps the first; either way the class exists.
        RegisterWindowClass(kGridWindowClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
        return true;
    }();
    (void)registered;
}

} // namespace

using Op = GridOperation;

template <GridOperation O, class... Args>
auto CGrid::Call(Args&&... args)
{
    using Traits = GridCallOf<O>;
    typename Traits::Record record{typename Traits::Arguments(std::forward<Args>(args)...),
                                   NeutralResultOf<O>()};
    Deliver(O, &record, &record.fromOtherThread);
    if (record.error)
        std::rethrow_exception(record.error);
    // The record is this call's own: its result (a burst's million rows) is moved out, not copied.
    if constexpr (!std::is_same_v<typename Traits::Result, NoResult>)
        return std::move(record.result);
}

void CGrid::Deliver(GridOperation op, void* record, bool* fromOtherThread)
{
    m_impl->Deliver(op, record, fromOtherThread);
}

UINT CGrid::GetSyncMessage()
{
    static const UINT message = RegisterWindowMessage("Ombrel.Grid.SyncMessage");
    return message;
}

CGridImpl* CGrid::FindImpl(const CGrid* grid)
{
    return CGridRegistry::Find(grid);
}

// ---- Lifecycle ------------------------------------------------------------------------------

CGrid::CGrid()
{
    RegisterGridWindowClass();
    GetSyncMessage();
    CDispatcher::GetInstance();
    m_impl = std::make_unique<CGridImpl>(*this);
    CGridRegistry::Add(this, m_impl.get());
}

CGrid::~CGrid()
{
    // The window goes first, while the implementation can still answer its messages (every
    // row is reported removed). The base class would destroy it only after the grid is gone.
    if (IsWindow(this) && GetWindowThreadId() == GetCurrentThreadId())
        DestroyWindow();
    CGridRegistry::Remove(this);
}

bool CGrid::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kGridWindowClass, nullptr, style, rect, parent, id);
}

bool CGrid::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.lpszClass = kGridWindowClass;
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

void CGrid::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    m_impl->OnPreSubclassWindow();
}

bool CGrid::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && m_impl->PreTranslateKeyMessage(*msg))
        return true;
    return CWnd::PreTranslateMessage(msg);
}

LRESULT CGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_impl->WindowProc(message, wParam, lParam,
                              [&] { return CWnd::WindowProc(message, wParam, lParam); });
}

void CGrid::Serialize(CArchive& archive)
{
    Call<Op::Serialize>(&archive);
}

// ---- Rows -------------------------------------------------------------------------------------

CGridItem* CGrid::Add(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter)
{
    return Call<Op::Add>(object, parent, insertAfter);
}

std::vector<CGridItem*> CGrid::AddMany(std::span<Common::CDataObject* const> objects,
                                       CGridItem* parent, CGridItem* insertAfter)
{
    return Call<Op::AddMany>(objects, parent, insertAfter);
}

void CGrid::ReserveRows(std::uint64_t count, int rowType)
{
    Call<Op::ReserveRows>(count, rowType);
}

bool CGrid::PostAdd(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter)
{
    return m_impl->PostAdd(object, parent, insertAfter);
}

bool CGrid::Remove(CGridItem* row) { return Call<Op::Remove>(row); }
bool CGrid::RemoveAt(int index, int rowType) { return Call<Op::RemoveAt>(index, rowType); }
bool CGrid::RemoveAll(int typeMask) { return Call<Op::RemoveAll>(typeMask); }

int CGrid::FindRows(Common::CDataObject* object, std::vector<CGridItem*>& out, int typeMask,
                    bool visibleOnly)
{
    return Call<Op::FindRows>(object, &out, typeMask, visibleOnly);
}

CGridItem* CGrid::FindRow(Common::CDataObject* object) { return Call<Op::FindRow>(object); }

void CGrid::GetAllRows(int typeMask, std::vector<CGridItem*>& out)
{
    Call<Op::GetAllRows>(typeMask, &out);
}

bool CGrid::Attach(CGridItem* row, CGridItem* parent, CGridItem* insertAfter)
{
    return Call<Op::Attach>(row, parent, insertAfter);
}

bool CGrid::Detach(CGridItem* row) { return Call<Op::Detach>(row); }

void CGrid::Move(CGridItem* row, CGridItem* reference, CGridItem* parent, bool before)
{
    Call<Op::Move>(row, reference, parent, before);
}

void CGrid::Expand(CGridItem* row, bool recursive) { Call<Op::Expand>(row, false, recursive); }
void CGrid::Collapse(CGridItem* row, bool recursive) { Call<Op::Expand>(row, true, recursive); }
int CGrid::GetRowType(CGridItem* row) { return Call<Op::GetRowType>(row); }
bool CGrid::IsValid(CGridItem* row) { return Call<Op::IsValid>(row); }
bool CGrid::IsVisible(CGridItem* row) { return Call<Op::IsVisible>(row); }
bool CGrid::IsExpanded(CGridItem* row) { return Call<Op::IsExpanded>(row); }

void CGrid::GetChildren(CGridItem* parent, std::vector<CGridItem*>& out)
{
    Call<Op::GetChildren>(parent, &out);
}

bool CGrid::HasChildren(CGridItem* row) { return Call<Op::HasChildren>(row); }
int CGrid::GetLevel(CGridItem* row) { return Call<Op::GetLevel>(row); }
CGridItem* CGrid::GetParent(CGridItem* row) { return Call<Op::GetParent>(row); }
int CGrid::GetVisibleIndex(CGridItem* row) { return Call<Op::GetVisibleIndex>(row); }
CGridItem* CGrid::GetRowAt(int index, int rowType) { return Call<Op::GetRowAt>(index, rowType); }
int CGrid::GetRowCount(int rowType) { return Call<Op::GetRowCount>(rowType); }

CGridItem* CGrid::GetPrevRow(CGridItem* row, bool crossTypes)
{
    return Call<Op::GetPrevRow>(row, crossTypes);
}

CGridItem* CGrid::GetNextRow(CGridItem* row, bool crossTypes)
{
    return Call<Op::GetNextRow>(row, crossTypes);
}

Common::CDataObject* CGrid::GetDataObject(CGridItem* row) { return Call<Op::GetDataObject>(row); }

int CGrid::ForEachRow(CGridItem* start, const GridRowVisitor& visitor)
{
    return Call<Op::ForEachRow>(start, &visitor);
}

int CGrid::ForEachVisibleRow(int index, int rowType, const GridRowVisitor& visitor)
{
    return Call<Op::ForEachVisibleRow>(index, rowType, &visitor);
}

// ---- Field values -----------------------------------------------------------------------------

Common::CValue CGrid::GetFieldValue(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::GetFieldValue>(row, fieldId);
}

std::string CGrid::GetFieldText(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::GetFieldText>(row, fieldId);
}

CString CGrid::GetFieldTextString(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::GetFieldTextString>(row, fieldId);
}

bool CGrid::SetFieldValue(CGridItem* row, std::int32_t fieldId, const Common::CValue& value)
{
    return Call<Op::SetFieldValue>(row, fieldId, &value);
}

bool CGrid::SetFieldText(CGridItem* row, std::int32_t fieldId, const std::string& text, bool notify,
                         Common::CFormat* format)
{
    return Call<Op::SetFieldText>(row, fieldId, &text, notify, format);
}

bool CGrid::SetFieldTextString(CGridItem* row, std::int32_t fieldId, const CString& text,
                               bool notify, Common::CFormat* format)
{
    return Call<Op::SetFieldTextString>(row, fieldId, &text, notify, format);
}

// ---- Layout and scrolling -------------------------------------------------------------------

CGridItem* CGrid::HitTestRow(int x, int y) { return Call<Op::HitTestRow>(x, y); }
CRect CGrid::GetRowsArea(int rowType) { return Call<Op::GetRowsArea>(rowType); }
CRect CGrid::GetRowRect(CGridItem* row) { return Call<Op::GetRowRect>(row); }
CRect CGrid::GetVisibleRowRect(CGridItem* row) { return Call<Op::GetVisibleRowRect>(row); }

CRect CGrid::GetCellRect(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::GetCellRect>(row, fieldId);
}

CRect CGrid::GetVisibleCellRect(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::GetVisibleCellRect>(row, fieldId);
}

int CGrid::GetPageRowCount(bool downwards) { return Call<Op::GetPageRowCount>(downwards); }
int CGrid::GetRowHeight(CGridItem* row) { return Call<Op::GetRowHeight>(row); }
void CGrid::SetRowHeight(CGridItem* row, int height) { Call<Op::SetRowHeight>(row, height); }
void CGrid::UpdateLayout() { Call<Op::UpdateLayout>(); }
int CGrid::GetTopRow() { return Call<Op::GetTopRow>(); }
bool CGrid::SetTopRow(int index) { return Call<Op::SetTopRow>(index); }
int CGrid::GetLastVisibleIndex(int rowType) { return Call<Op::GetLastVisibleIndex>(rowType); }

void CGrid::EnsureVisible(int index)
{
    Call<Op::EnsureVisible>(static_cast<CGridItem*>(nullptr), index);
}

void CGrid::EnsureVisible(CGridItem* row)
{
    // A null row would name a position; it names nothing here.
    if (row != nullptr)
        Call<Op::EnsureVisible>(row, -1);
}

bool CGrid::IsOnScreen(int index, int rowType)
{
    return Call<Op::IsOnScreen>(static_cast<CGridItem*>(nullptr), index, rowType);
}

bool CGrid::IsOnScreen(CGridItem* row)
{
    return row != nullptr && Call<Op::IsOnScreen>(row, -1, 0);
}

void CGrid::ScrollToRow(CGridItem* row) { Call<Op::ScrollToRow>(row); }
void CGrid::AutoSizeRows() { Call<Op::AutoSizeRows>(); }
void CGrid::RecalcRowHeights(int typeMask) { Call<Op::RecalcRowHeights>(typeMask); }
int CGrid::GetOptimalWidth(std::int32_t fieldId) { return Call<Op::GetOptimalWidth>(fieldId); }

// ---- Focus and selection ----------------------------------------------------------------------

bool CGrid::SetFocus(int index, int rowType) { return Call<Op::SetFocus>(index, rowType); }
int CGrid::GetFocusIndex() { return Call<Op::GetFocusIndex>(); }
int CGrid::GetFocusType() { return Call<Op::GetFocusType>(); }
void CGrid::SetFocusableTypes(int typeMask) { Call<Op::SetFocusableTypes>(typeMask); }
bool CGrid::IsFocusable(int rowType) { return Call<Op::IsFocusable>(rowType); }
bool CGrid::Select(CGridItem* row, bool select) { return Call<Op::Select>(row, select); }

bool CGrid::SelectAt(int index, int rowType, bool select)
{
    return Call<Op::SelectAt>(index, rowType, select);
}

bool CGrid::SelectObject(Common::CDataObject* object, bool select)
{
    // Every row showing the object, visible or not, in both row types.
    std::vector<CGridItem*> rows;
    FindRows(object, rows, ROW_ALL_TYPES, false);
    bool changed = false;
    for (CGridItem* row : rows) {
        const bool before = IsSelected(row);
        if (Select(row, select) && before != select)
            changed = true;
    }
    return changed;
}

bool CGrid::IsSelected(CGridItem* row) { return Call<Op::IsSelected>(row); }
bool CGrid::IsSelectedAt(int index, int rowType) { return Call<Op::IsSelectedAt>(index, rowType); }
int CGrid::GetSelectedCount() { return Call<Op::GetSelectedCount>(); }

void CGrid::GetSelectedRows(int typeMask, std::vector<CGridItem*>& out)
{
    Call<Op::GetSelectedRows>(typeMask, &out);
}

void CGrid::SelectAll() { Call<Op::SelectAll>(); }
void CGrid::ClearSelection() { Call<Op::ClearSelection>(); }
void CGrid::EnableSelection(bool enable) { Call<Op::EnableSelection>(enable); }
bool CGrid::IsSelectionEnabled() { return Call<Op::IsSelectionEnabled>(); }
void CGrid::EnableMultipleSelection(bool enable) { Call<Op::EnableMultipleSelection>(enable); }
bool CGrid::IsMultipleSelectionEnabled() { return Call<Op::IsMultipleSelectionEnabled>(); }
void CGrid::SetSelectableTypes(int typeMask) { Call<Op::SetSelectableTypes>(typeMask); }
bool CGrid::IsSelectable(int rowType) { return Call<Op::IsSelectable>(rowType); }
void CGrid::EnableNotifications(bool enable) { Call<Op::EnableNotifications>(enable); }
bool CGrid::AreNotificationsEnabled() { return Call<Op::AreNotificationsEnabled>(); }

// ---- Sorting and filtering ------------------------------------------------------------------

void CGrid::SetSortedTypes(int typeMask) { Call<Op::SetSortedTypes>(typeMask); }
int CGrid::GetSortedTypes() { return Call<Op::GetSortedTypes>(); }
void CGrid::ClearSort() { Call<Op::ClearSort>(); }

void CGrid::SetSortInfo(int level, const CSortInfo& info, bool apply)
{
    Call<Op::SetSortInfo>(level, info, apply);
}

CSortInfo CGrid::GetSortInfo(int level) { return Call<Op::GetSortInfo>(level); }
int CGrid::GetSortLevelCount() { return Call<Op::GetSortLevelCount>(); }
void CGrid::Resort() { Call<Op::Resort>(); }
IRowFilter* CGrid::SetFilter(IRowFilter* filter) { return Call<Op::SetFilter>(filter); }
IRowFilter* CGrid::GetFilter() { return Call<Op::GetFilter>(); }
void CGrid::RefreshFilter() { Call<Op::RefreshFilter>(); }

// ---- Header and columns -----------------------------------------------------------------------

CHeader* CGrid::SetHeader(CHeader* header) { return Call<Op::SetHeader>(header); }
CHeader* CGrid::GetHeader() { return Call<Op::GetHeader>(); }
void CGrid::ShowHeader(bool show) { Call<Op::ShowHeader>(show); }
bool CGrid::IsHeaderShown() { return Call<Op::IsHeaderShown>(); }
void CGrid::AutoSizeColumn(std::int32_t fieldId) { Call<Op::AutoSizeColumn>(fieldId); }
void CGrid::AutoSizeColumnAt(int position) { Call<Op::AutoSizeColumnAt>(position); }
void CGrid::AutoSizeColumns() { Call<Op::AutoSizeColumns>(); }
int CGrid::MeasureHeaderHeight() { return Call<Op::MeasureHeaderHeight>(); }
CColumn* CGrid::HitTestColumn(int x, int y) { return Call<Op::HitTestColumn>(x, y); }
CColumn* CGrid::GetFocusColumn() { return Call<Op::GetFocusColumn>(); }
std::int32_t CGrid::GetHierarchyColumn() { return Call<Op::GetHierarchyColumn>(); }
void CGrid::EnsureColumnVisible(std::int32_t fieldId) { Call<Op::EnsureColumnVisible>(fieldId); }
void CGrid::SetSortEnabled(bool enable) { Call<Op::SetSortEnabled>(enable); }
bool CGrid::IsSortEnabled() { return Call<Op::IsSortEnabled>(); }
void CGrid::SetMultiSortEnabled(bool enable) { Call<Op::SetMultiSortEnabled>(enable); }
bool CGrid::IsMultiSortEnabled() { return Call<Op::IsMultiSortEnabled>(); }

// ---- Change highlighting ----------------------------------------------------------------------

void CGrid::ScheduleRepaint(CGridItem* row, std::int64_t delayMs)
{
    if (row != nullptr)
        Call<Op::ScheduleRepaint>(row, -1, 0, delayMs);
}

void CGrid::ScheduleRepaint(int index, int rowType, std::int64_t delayMs)
{
    Call<Op::ScheduleRepaint>(static_cast<CGridItem*>(nullptr), index, rowType, delayMs);
}

void CGrid::ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs)
{
    Call<Op::ScheduleCellRepaint>(row, fieldId, delayMs);
}

bool CGrid::PostScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs)
{
    return m_impl->PostCellRepaint(row, fieldId, delayMs);
}

std::int64_t CGrid::GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId)
{
    if (row == nullptr)
        return -1;
    return Call<Op::GetElapsedSinceChange>(row, -1, 0, fieldId);
}

std::int64_t CGrid::GetElapsedSinceChange(int index, int rowType, std::int32_t fieldId)
{
    return Call<Op::GetElapsedSinceChange>(static_cast<CGridItem*>(nullptr), index, rowType, fieldId);
}

// ---- Appearance and drawing -------------------------------------------------------------------

GridAppearance* CGrid::GetAppearance() { return Call<Op::GetAppearance>(); }
void CGrid::SetAppearance(const GridAppearance& appearance) { Call<Op::SetAppearance>(&appearance); }
BackgroundImage* CGrid::GetBackgroundImage() { return Call<Op::GetBackgroundImage>(); }
void CGrid::SetBackgroundImage(const BackgroundImage& image) { Call<Op::SetBackgroundImage>(&image); }
void CGrid::SetPaintOptions(std::uint32_t options) { Call<Op::SetPaintOptions>(options); }
std::uint32_t CGrid::GetPaintOptions() { return Call<Op::GetPaintOptions>(); }
void CGrid::SetDoubleBuffer(bool enable) { Call<Op::SetDoubleBuffer>(enable); }
bool CGrid::GetDoubleBuffer() { return Call<Op::GetDoubleBuffer>(); }

void CGrid::SetImageList(CImageList* imageList, bool stretch)
{
    Call<Op::SetImageList>(imageList, stretch);
}

CImageList* CGrid::GetImageList() { return Call<Op::GetImageList>(); }
void CGrid::SetStretchImages(bool stretch) { Call<Op::SetStretchImages>(stretch); }
bool CGrid::GetStretchImages() { return Call<Op::GetStretchImages>(); }
void CGrid::SetButtonsOnAllRows(bool enable) { Call<Op::SetButtonsOnAllRows>(enable); }
bool CGrid::HasButtonsOnAllRows() { return Call<Op::HasButtonsOnAllRows>(); }
HighlightSettings* CGrid::GetHighlightSettings() { return Call<Op::GetHighlightSettings>(); }

void CGrid::SetHighlightSettings(const HighlightSettings& settings)
{
    Call<Op::SetHighlightSettings>(&settings);
}

void CGrid::ShowSeparator(bool show) { Call<Op::ShowSeparator>(show); }
bool CGrid::IsSeparatorShown() { return Call<Op::IsSeparatorShown>(); }
void CGrid::SetSeparatorThickness(int thickness) { Call<Op::SetSeparatorThickness>(thickness); }
int CGrid::GetSeparatorThickness() { return Call<Op::GetSeparatorThickness>(); }
ICustomDraw* CGrid::SetCustomDraw(ICustomDraw* customDraw) { return Call<Op::SetCustomDraw>(customDraw); }
ICustomDraw* CGrid::GetCustomDraw() { return Call<Op::GetCustomDraw>(); }
CFont* CGrid::GetFont() { return m_impl->GetFont(); }

// ---- Settings stored for the services -------------------------------------------------------

bool CGrid::SetTooltipKind(int kind) { return Call<Op::SetTooltipKind>(kind); }
int CGrid::GetTooltipKind() { return Call<Op::GetTooltipKind>(); }
void CGrid::EnableTooltips(bool enable) { Call<Op::EnableTooltips>(enable); }
bool CGrid::AreTooltipsEnabled() { return Call<Op::AreTooltipsEnabled>(); }
void CGrid::EnableInstantTooltipReshow(bool enable) { Call<Op::EnableInstantTooltipReshow>(enable); }
bool CGrid::IsInstantTooltipReshowEnabled() { return Call<Op::IsInstantTooltipReshowEnabled>(); }
void CGrid::SetTooltip(ITooltip* provider) { Call<Op::SetTooltip>(provider); }
ITooltip* CGrid::GetTooltip() { return Call<Op::GetTooltip>(); }
void CGrid::SetTooltipCtrl(ITooltipCtrl* control) { Call<Op::SetTooltipCtrl>(control); }
ITooltipCtrl* CGrid::GetTooltipCtrl() { return Call<Op::GetTooltipCtrl>(); }
void CGrid::SetInPlaceTooltipCtrl(ITooltipCtrl* control) { Call<Op::SetInPlaceTooltipCtrl>(control); }
ITooltipCtrl* CGrid::GetInPlaceTooltipCtrl() { return Call<Op::GetInPlaceTooltipCtrl>(); }
TooltipSettings* CGrid::GetTooltipSettings() { return Call<Op::GetTooltipSettings>(); }

bool CGrid::SetTooltipSettings(const TooltipSettings& settings)
{
    return Call<Op::SetTooltipSettings>(&settings);
}

TooltipSettings* CGrid::GetInPlaceTooltipSettings() { return Call<Op::GetInPlaceTooltipSettings>(); }

bool CGrid::SetInPlaceTooltipSettings(const TooltipSettings& settings)
{
    return Call<Op::SetInPlaceTooltipSettings>(&settings);
}

PasteSettings* CGrid::GetPasteSettings() { return Call<Op::GetPasteSettings>(); }
void CGrid::SetPasteSettings(const PasteSettings& settings) { Call<Op::SetPasteSettings>(&settings); }
void CGrid::EnablePaste(bool enable) { Call<Op::EnablePaste>(enable); }
bool CGrid::IsPasteEnabled() { return Call<Op::IsPasteEnabled>(); }
DropSettings* CGrid::GetDropSettings() { return Call<Op::GetDropSettings>(); }
void CGrid::SetDropSettings(const DropSettings& settings) { Call<Op::SetDropSettings>(&settings); }
void CGrid::SetDropOption(bool enable) { Call<Op::SetDropOption>(enable); }
bool CGrid::GetDropOption() { return Call<Op::GetDropOption>(); }
void CGrid::SetKeyboardTypes(int typeMask) { Call<Op::SetKeyboardTypes>(typeMask); }
bool CGrid::IsKeyboardType(int rowType) { return Call<Op::IsKeyboardType>(rowType); }
EditInPlaceSettings* CGrid::GetEditInPlaceSettings() { return Call<Op::GetEditInPlaceSettings>(); }

void CGrid::SetEditInPlaceSettings(const EditInPlaceSettings& settings)
{
    Call<Op::SetEditInPlaceSettings>(&settings);
}

bool CGrid::ProcessKeyCommand(const GridKeyCommand& command)
{
    return Call<Op::ProcessKeyCommand>(&command);
}

IKeyManager* CGrid::SetKeyManager(IKeyManager* manager) { return Call<Op::SetKeyManager>(manager); }
IKeyManager* CGrid::GetKeyManager() { return Call<Op::GetKeyManager>(); }

// ---- Copy and paste ---------------------------------------------------------------------------

bool CGrid::Copy() { return Call<Op::Copy>(); }
bool CGrid::Cut() { return Call<Op::Cut>(); }
bool CGrid::Paste() { return Call<Op::Paste>(); }
bool CGrid::CanPaste() { return Call<Op::CanPaste>(); }
ICopyPaste* CGrid::SetCopyPaste(ICopyPaste* service) { return Call<Op::SetCopyPaste>(service); }
ICopyPaste* CGrid::GetCopyPaste() { return Call<Op::GetCopyPaste>(); }
IDragDrop* CGrid::SetDragDrop(IDragDrop* service) { return Call<Op::SetDragDrop>(service); }
IDragDrop* CGrid::GetDragDrop() { return Call<Op::GetDragDrop>(); }

// ---- Embedded controls ------------------------------------------------------------------------

CEmbeddedControlAdapter* CGrid::AttachEmbeddedControl(CWnd* control, CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::AttachEmbeddedControl>(control, row, fieldId);
}

bool CGrid::HasEmbeddedControl(CGridItem* row, std::int32_t fieldId)
{
    return Call<Op::HasEmbeddedControl>(row, fieldId);
}

// ---- Printing -------------------------------------------------------------------------------

int CGrid::Print(const PrintSettings& settings, const PrintJob& job)
{
    return Call<Op::Print>(&settings, &job);
}

CGridPrintPreview* CGrid::PrintPreview(const PrintSettings& settings)
{
    return Call<Op::PrintPreview>(&settings);
}

// ---- In-place editing ---------------------------------------------------------------------------

IEditInPlace* CGrid::SetEditInPlace(IEditInPlace* policy) { return Call<Op::SetEditInPlace>(policy); }
IEditInPlace* CGrid::GetEditInPlace() { return Call<Op::GetEditInPlace>(); }

bool CGrid::CanBeginEdit(CGridItem* row, std::int32_t fieldId, int trigger)
{
    if (row == nullptr)
        return false; // a null row would name a position
    return Call<Op::CanBeginEdit>(row, 0, 0, fieldId, trigger);
}

bool CGrid::CanBeginEdit(int index, int rowType, std::int32_t fieldId, int trigger)
{
    return Call<Op::CanBeginEdit>(static_cast<CGridItem*>(nullptr), index, rowType, fieldId, trigger);
}

bool CGrid::BeginEdit(CGridItem* row, std::int32_t fieldId, int trigger)
{
    return Call<Op::BeginEdit>(row, fieldId, trigger);
}

bool CGrid::EndEdit(int code) { return Call<Op::EndEdit>(code); }
CWnd* CGrid::GetEditor() { return Call<Op::GetEditor>(); }

// Painting runs on the window thread: no marshalling.
bool CGrid::IsPointerOverCell(CGridItem* row, std::int32_t fieldId)
{
    CGridImpl* impl = m_impl.get();
    return impl != nullptr && impl->GetEditing().IsPointerOverCell(row, fieldId);
}

std::int64_t CGrid::GetPaintedElapsedSinceChange(CGridItem& row, std::int32_t fieldId)
{
    return row.GetElapsedSinceChange(fieldId);
}

const EditInPlaceSettings* CGrid::GetEditSettingsForPaint()
{
    return GetEditInPlaceSettings();
}

std::uint32_t CGrid::AdjustEditPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    CGridImpl* impl = m_impl.get();
    return impl != nullptr ? impl->GetEditing().AdjustPaintFlags(context, dc, flags) : flags;
}

void CGrid::DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    if (CGridImpl* impl = m_impl.get())
        impl->GetEditing().DrawEditHint(context, dc, flags);
}

} // namespace Ombrel::GUI
