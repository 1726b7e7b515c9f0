// The grid implementation's operations: the dispatcher of operation codes and the operations
// that are more than a call of one component.

#include "ombrel/gui/grid/GridImpl.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/grid/GridCallRecords.h"
#include "ombrel/gui/grid/GridItem.h"
#include "ombrel/gui/grid/GridPainter.h"
#include "ombrel/gui/grid/GridRows.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/grid/ItemContainer.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <type_traits>

namespace Ombrel::GUI {

namespace {

template <class T>
LRESULT ToLResult(const T& value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<LRESULT>(value);
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<LRESULT>(value);
    else
        return 1;
}

// Runs `body` on the arguments of the record at `param` and stores its result there. What the
// body throws is kept in the record for the caller's thread. A missing record (a message sent
// without one) runs nothing.
template <GridOperation Op, class Body>
LRESULT Run(LPARAM param, Body&& body)
{
    using Traits = GridCallOf<Op>;
    auto* record = reinterpret_cast<typename Traits::Record*>(param);
    if (record == nullptr)
        return 0;
    try {
        if constexpr (std::is_same_v<typename Traits::Result, NoResult>) {
            std::apply(body, record->args);
            return 1;
        } else {
            record->result = std::apply(body, record->args);
            return ToLResult(record->result);
        }
    } catch (...) {
        record->error = std::current_exception();
        return 0;
    }
}

// Records handed over by address are copied whole; a null address changes nothing.
template <class T>
void CopyRecord(T& target, const T* source)
{
    if (source != nullptr)
        target = *source;
}

} // namespace

LRESULT CGridImpl::Dispatch(WPARAM code, LPARAM param)
{
    if (code > 0xFFFF)
        return 0;
    const auto op = static_cast<GridOperation>(code);
    switch (op) {
    case GridOperation::AddPosted:
    case GridOperation::ScheduleCellRepaintPosted:
    case GridOperation::DeferredUpdateLayout:
    case GridOperation::RebuildResources:
        return RunPosted(code, param);
    case GridOperation::Initialize:
        Initialize();
        return 1;
    case GridOperation::Reserved40:
        return 0;
    default:
        return RunOperation(op, param);
    }
}

LRESULT CGridImpl::RunOperation(GridOperation op, LPARAM p)
{
    using Op = GridOperation;
    CGridRows& rows = *m_rows;
    CGridLayout& layout = *m_layout;
    CGridSelection& selection = *m_selection;
    CHeader* header = m_options.header;

    switch (op) {
    // ---- Rows ---------------------------------------------------------------------------
    case Op::Add:
        return Run<Op::Add>(p, [&](Common::CDataObject* object, CGridItem* parent, CGridItem* after) {
            return rows.Add(object, parent, after);
        });
    case Op::Remove:
        return Run<Op::Remove>(p, [&](CGridItem* row) { return rows.Remove(row); });
    case Op::RemoveAt:
        return Run<Op::RemoveAt>(p, [&](int index, int type) { return rows.RemoveAt(index, type); });
    case Op::RemoveAll:
        return Run<Op::RemoveAll>(p, [&](int mask) { return rows.RemoveAll(mask); });
    case Op::FindRows:
        return Run<Op::FindRows>(p, [&](Common::CDataObject* object, RowList* out, int mask, bool visibleOnly) {
            if (!out)
                return 0;
            const std::size_t before = out->size();
            rows.FindRows(object, *out, mask, visibleOnly);
            return static_cast<int>(out->size() - before);
        });
    case Op::GetAllRows:
        return Run<Op::GetAllRows>(p, [&](int mask, RowList* out) {
            if (out)
                rows.GetAllRows(mask, *out);
        });
    case Op::Attach:
        return Run<Op::Attach>(p, [&](CGridItem* row, CGridItem* parent, CGridItem* after) {
            return rows.Attach(row, parent, after);
        });
    case Op::Detach:
        return Run<Op::Detach>(p, [&](CGridItem* row) { return rows.Detach(row); });
    case Op::GetRowType:
        return Run<Op::GetRowType>(p, [&](CGridItem* row) { return rows.GetRowType(row); });
    case Op::IsVisible:
        return Run<Op::IsVisible>(p, [&](CGridItem* row) { return rows.IsVisible(row); });
    case Op::IsExpanded:
        return Run<Op::IsExpanded>(p, [&](CGridItem* row) { return rows.IsExpanded(row); });
    case Op::GetChildren:
        return Run<Op::GetChildren>(p, [&](CGridItem* parent, RowList* out) {
            if (out)
                rows.GetChildren(parent, *out);
        });
    case Op::HasChildren:
        return Run<Op::HasChildren>(p, [&](CGridItem* row) { return rows.HasChildren(row); });
    case Op::GetLevel:
        return Run<Op::GetLevel>(p, [&](CGridItem* row) { return rows.GetLevel(row); });
    case Op::GetParent:
        return Run<Op::GetParent>(p, [&](CGridItem* row) { return rows.GetParent(row); });
    case Op::Expand:
        return Run<Op::Expand>(p, [&](CGridItem* row, bool collapse, bool recursive) {
            rows.Expand(row, !collapse, recursive);
        });
    case Op::GetVisibleIndex:
        return Run<Op::GetVisibleIndex>(p, [&](CGridItem* row) { return rows.GetVisibleIndex(row); });
    case Op::GetRowAt:
        return Run<Op::GetRowAt>(p, [&](int index, int type) { return rows.GetRowAt(index, type); });
    case Op::FindRow:
        return Run<Op::FindRow>(p, [&](Common::CDataObject* object) { return rows.FindRow(object); });
    case Op::GetPrevRow:
        return Run<Op::GetPrevRow>(p, [&](CGridItem* row, bool cross) { return GetPrevRow(row, cross); });
    case Op::GetNextRow:
        return Run<Op::GetNextRow>(p, [&](CGridItem* row, bool cross) { return GetNextRow(row, cross); });
    case Op::GetDataObject:
        return Run<Op::GetDataObject>(p, [&](CGridItem* row) { return rows.GetDataObject(row); });
    case Op::IsValid:
        return Run<Op::IsValid>(p, [&](CGridItem* row) { return rows.IsValid(row); });
    case Op::GetRowCount:
        return Run<Op::GetRowCount>(p, [&](int type) { return rows.GetRowCount(type); });
    case Op::ForEachRow:
        return Run<Op::ForEachRow>(p, [&](CGridItem* start, const GridRowVisitor* visitor) {
            return visitor && *visitor ? ForEachRow(start, *visitor) : 0;
        });
    case Op::ForEachVisibleRow:
        return Run<Op::ForEachVisibleRow>(p, [&](int index, int type, const GridRowVisitor* visitor) {
            return visitor && *visitor ? ForEachVisibleRow(index, type, *visitor) : 0;
        });
    case Op::Move:
        return Run<Op::Move>(p, [&](CGridItem* row, CGridItem* reference, CGridItem* parent, bool before) {
            rows.Move(row, reference, parent, before);
        });

    // ---- Field values -------------------------------------------------------------------
    case Op::GetFieldValue:
        return Run<Op::GetFieldValue>(p, [&](CGridItem* row, std::int32_t id) { return GetFieldValue(row, id); });
    case Op::GetFieldText:
        return Run<Op::GetFieldText>(p, [&](CGridItem* row, std::int32_t id) {
            return GetFieldText(row, id).ToStdString();
        });
    case Op::GetFieldTextString:
        return Run<Op::GetFieldTextString>(p, [&](CGridItem* row, std::int32_t id) { return GetFieldText(row, id); });
    case Op::SetFieldValue:
        return Run<Op::SetFieldValue>(p, [&](CGridItem* row, std::int32_t id, const Common::CValue* value) {
            return value != nullptr && SetFieldValue(row, id, *value);
        });
    case Op::SetFieldText:
        return Run<Op::SetFieldText>(p, [&](CGridItem* row, std::int32_t id, const std::string* text, bool notify) {
            return text != nullptr && SetFieldText(row, id, *text, notify);
        });
    case Op::SetFieldTextString:
        return Run<Op::SetFieldTextString>(p, [&](CGridItem* row, std::int32_t id, const CString* text, bool notify) {
            return text != nullptr && SetFieldText(row, id, *text, notify);
        });

    // ---- Layout and scrolling -----------------------------------------------------------
    case Op::HitTestRow:
        return Run<Op::HitTestRow>(p, [&](int x, int y) { return layout.HitTestRow(x, y); });
    case Op::GetRowsArea:
        return Run<Op::GetRowsArea>(p, [&](int type) { return layout.GetRowsArea(type); });
    case Op::GetRowRect:
        return Run<Op::GetRowRect>(p, [&](CGridItem* row) { return layout.GetRowRect(row); });
    case Op::GetVisibleRowRect:
        return Run<Op::GetVisibleRowRect>(p, [&](CGridItem* row) { return layout.GetVisibleRowRect(row); });
    case Op::GetCellRect:
        return Run<Op::GetCellRect>(p, [&](CGridItem* row, std::int32_t id) { return layout.GetCellRect(row, id); });
    case Op::GetVisibleCellRect:
        return Run<Op::GetVisibleCellRect>(p, [&](CGridItem* row, std::int32_t id) {
            return layout.GetVisibleCellRect(row, id);
        });
    case Op::GetPageRowCount:
        return Run<Op::GetPageRowCount>(p, [&] { return layout.GetPageRowCount(true); });
    case Op::GetRowHeight:
        return Run<Op::GetRowHeight>(p, [&](CGridItem* row) { return layout.GetRowHeight(row); });
    case Op::SetRowHeight:
        return Run<Op::SetRowHeight>(p, [&](CGridItem* row, int height) { layout.SetRowHeight(row, height); });
    case Op::UpdateLayout:
        return Run<Op::UpdateLayout>(p, [&] { layout.UpdateLayout(); });
    case Op::GetTopRow:
        return Run<Op::GetTopRow>(p, [&] { return layout.GetTopRow(); });
    case Op::GetLastVisibleIndex:
        return Run<Op::GetLastVisibleIndex>(p, [&](int type) { return layout.GetLastVisibleIndex(type); });
    case Op::EnsureVisible:
        return Run<Op::EnsureVisible>(p, [&](CGridItem* row, int index) {
            if (row != nullptr)
                layout.EnsureVisible(row);
            else
                layout.EnsureVisible(index);
        });
    case Op::IsOnScreen:
        return Run<Op::IsOnScreen>(p, [&](CGridItem* row, int index, int type) {
            return row != nullptr ? layout.IsOnScreen(row) : layout.IsOnScreen(index, type);
        });
    case Op::SetTopRow:
        return Run<Op::SetTopRow>(p, [&](int index) { return layout.SetTopRow(index, true); });
    case Op::ScrollToRow:
        return Run<Op::ScrollToRow>(p, [&](CGridItem* row) { layout.ScrollToRow(row); });
    case Op::AutoSizeRows:
        return Run<Op::AutoSizeRows>(p, [&] { RecalcRowHeights(ROW_ALL_TYPES); });
    case Op::RecalcRowHeights:
        return Run<Op::RecalcRowHeights>(p, [&](int mask) { RecalcRowHeights(mask); });
    case Op::GetOptimalWidth:
        return Run<Op::GetOptimalWidth>(p, [&](std::int32_t id) { return GetOptimalWidth(id); });

    // ---- Focus and selection ------------------------------------------------------------
    case Op::GetSelectedCount:
        return Run<Op::GetSelectedCount>(p, [&] { return selection.GetSelectedCount(); });
    case Op::GetSelectedRows:
        return Run<Op::GetSelectedRows>(p, [&](int mask, RowList* out) {
            if (out)
                selection.GetSelectedRows(mask, *out);
        });
    case Op::Select:
        return Run<Op::Select>(p, [&](CGridItem* row, bool select) { return selection.Select(row, select); });
    case Op::SelectAt:
        return Run<Op::SelectAt>(p, [&](int index, int type, bool select) {
            return selection.SelectAt(index, type, select);
        });
    case Op::IsSelectedAt:
        return Run<Op::IsSelectedAt>(p, [&](int index, int type) { return selection.IsSelectedAt(index, type); });
    case Op::IsSelected:
        return Run<Op::IsSelected>(p, [&](CGridItem* row) { return rows.IsValid(row) && selection.IsSelected(row); });
    case Op::SelectAll:
        return Run<Op::SelectAll>(p, [&] { selection.SelectAll(); });
    case Op::ClearSelection:
        return Run<Op::ClearSelection>(p, [&] { selection.ClearSelection(); });
    case Op::SetFocus:
        return Run<Op::SetFocus>(p, [&](int index, int type) { return selection.SetFocus(index, type, true); });
    case Op::GetFocusIndex:
        return Run<Op::GetFocusIndex>(p, [&] { return selection.GetFocusIndex(); });
    case Op::GetFocusType:
        return Run<Op::GetFocusType>(p, [&] { return selection.GetFocusType(); });
    case Op::SetFocusableTypes:
        return Run<Op::SetFocusableTypes>(p, [&](int mask) { SetFocusableTypes(mask); });
    case Op::IsFocusable:
        return Run<Op::IsFocusable>(p, [&](int type) { return selection.IsFocusable(type); });
    case Op::EnableSelection:
        return Run<Op::EnableSelection>(p, [&](bool enable) { EnableSelection(enable); });
    case Op::IsSelectionEnabled:
        return Run<Op::IsSelectionEnabled>(p, [&] { return m_options.selectionEnabled; });
    case Op::EnableMultipleSelection:
        return Run<Op::EnableMultipleSelection>(p, [&](bool enable) { EnableMultipleSelection(enable); });
    case Op::IsMultipleSelectionEnabled:
        return Run<Op::IsMultipleSelectionEnabled>(p, [&] { return m_options.multipleSelection; });
    case Op::SetSelectableTypes:
        return Run<Op::SetSelectableTypes>(p, [&](int mask) { SetSelectableTypes(mask); });
    case Op::IsSelectable:
        return Run<Op::IsSelectable>(p, [&](int type) { return selection.IsSelectable(type); });
    case Op::EnableNotifications:
        return Run<Op::EnableNotifications>(p, [&](bool enable) { m_options.notificationsEnabled = enable; });
    case Op::AreNotificationsEnabled:
        return Run<Op::AreNotificationsEnabled>(p, [&] { return m_options.notificationsEnabled; });

    // ---- Sorting and filtering ----------------------------------------------------------
    case Op::SetSortedTypes:
        return Run<Op::SetSortedTypes>(p, [&](int mask) { rows.SetSortedTypes(mask); });
    case Op::GetSortedTypes:
        return Run<Op::GetSortedTypes>(p, [&] { return rows.GetSortedTypes(); });
    case Op::ClearSort:
        return Run<Op::ClearSort>(p, [&] { ClearSort(); });
    case Op::SetSortInfo:
        return Run<Op::SetSortInfo>(p, [&](int level, CSortInfo info, bool apply) { SetSortInfo(level, info, apply); });
    case Op::GetSortInfo:
        return Run<Op::GetSortInfo>(p, [&](int level) { return header ? header->GetSort(level) : CSortInfo(); });
    case Op::Resort:
        return Run<Op::Resort>(p, [&] { rows.Resort(); });
    case Op::GetSortLevelCount:
        return Run<Op::GetSortLevelCount>(p, [&] { return header ? header->GetSortCount() : 0; });
    case Op::SetFilter:
        return Run<Op::SetFilter>(p, [&](IRowFilter* filter) { return rows.SetFilter(filter); });
    case Op::GetFilter:
        return Run<Op::GetFilter>(p, [&] { return rows.GetFilter(); });
    case Op::RefreshFilter:
        return Run<Op::RefreshFilter>(p, [&] { rows.RefreshFilter(); });

    // ---- Header and columns -------------------------------------------------------------
    case Op::SetHeader:
        return Run<Op::SetHeader>(p, [&](CHeader* newHeader) { return SetHeader(newHeader); });
    case Op::GetHeader:
        return Run<Op::GetHeader>(p, [&] { return header; });
    case Op::HeaderChanged:
        return Run<Op::HeaderChanged>(p, [&](CHeader* source, CColumn* column, int code) {
            OnHeaderChange(source, column, code);
        });
    case Op::ShowHeader:
        return Run<Op::ShowHeader>(p, [&](bool show) { ShowHeader(show); });
    case Op::IsHeaderShown:
        return Run<Op::IsHeaderShown>(p, [&] { return m_options.showHeader; });
    case Op::AutoSizeColumn:
        return Run<Op::AutoSizeColumn>(p, [&](std::int32_t id) {
            if (header)
                AutoSizeColumn(header->GetColumnById(id));
        });
    case Op::AutoSizeColumnAt:
        return Run<Op::AutoSizeColumnAt>(p, [&](int position) {
            if (header)
                AutoSizeColumn(header->GetColumn(position));
        });
    case Op::AutoSizeColumns:
        return Run<Op::AutoSizeColumns>(p, [&] { AutoSizeColumns(); });
    case Op::MeasureHeaderHeight:
        return Run<Op::MeasureHeaderHeight>(p, [&] { return MeasureHeaderHeight(); });
    case Op::HitTestColumn:
        return Run<Op::HitTestColumn>(p, [&](int x, int y) { return layout.HitTestColumn(x, y); });
    case Op::GetFocusColumn:
        return Run<Op::GetFocusColumn>(p, [&] { return GetFocusColumn(); });
    case Op::GetHierarchyColumn:
        return Run<Op::GetHierarchyColumn>(p, [&] { return GetHierarchyColumn(); });
    case Op::EnsureColumnVisible:
        return Run<Op::EnsureColumnVisible>(p, [&](std::int32_t id) { EnsureColumnVisible(id); });
    case Op::SetSortEnabled:
        return Run<Op::SetSortEnabled>(p, [&](bool enable) {
            if (header)
                header->SetSortEnabled(enable);
        });
    case Op::IsSortEnabled:
        return Run<Op::IsSortEnabled>(p, [&] { return header != nullptr && header->IsSortEnabled(); });
    case Op::SetMultiSortEnabled:
        return Run<Op::SetMultiSortEnabled>(p, [&](bool enable) {
            if (header)
                header->SetMultiSortEnabled(enable);
        });
    case Op::IsMultiSortEnabled:
        return Run<Op::IsMultiSortEnabled>(p, [&] { return header != nullptr && header->IsMultiSortEnabled(); });

    // ---- Change highlighting ------------------------------------------------------------
    case Op::ScheduleRepaint:
        return Run<Op::ScheduleRepaint>(p, [&](CGridItem* row, int index, int type, std::int64_t delay) {
            ScheduleRepaint(ResolveRow(row, index, type), delay);
        });
    case Op::ScheduleCellRepaint:
        return Run<Op::ScheduleCellRepaint>(p, [&](CGridItem* row, std::int32_t id, std::int64_t delay) {
            ScheduleCellRepaint(row, id, delay);
        });
    case Op::GetElapsedSinceChange:
        return Run<Op::GetElapsedSinceChange>(p, [&](CGridItem* row, int index, int type, std::int32_t id) {
            return GetElapsedSinceChange(ResolveRow(row, index, type), id);
        });

    // ---- Appearance and drawing ---------------------------------------------------------
    case Op::GetAppearance:
        return Run<Op::GetAppearance>(p, [&] { return &m_appearance; });
    case Op::SetAppearance:
        return Run<Op::SetAppearance>(p, [&](const GridAppearance* appearance) {
            CopyRecord(m_appearance, appearance);
            Invalidate();
        });
    case Op::GetBackgroundImage:
        return Run<Op::GetBackgroundImage>(p, [&] { return &m_backgroundImage; });
    case Op::SetBackgroundImage:
        return Run<Op::SetBackgroundImage>(p, [&](const BackgroundImage* image) {
            if (image)
                SetBackgroundImage(*image);
        });
    case Op::SetPaintOptions:
        return Run<Op::SetPaintOptions>(p, [&](std::uint32_t options) { SetPaintOptions(options); });
    case Op::GetPaintOptions:
        return Run<Op::GetPaintOptions>(p, [&] { return m_options.paintOptions; });
    case Op::SetDoubleBuffer:
        return Run<Op::SetDoubleBuffer>(p, [&](bool enable) { SetDoubleBuffer(enable); });
    case Op::GetDoubleBuffer:
        return Run<Op::GetDoubleBuffer>(p, [&] { return m_options.doubleBuffer; });
    case Op::SetImageList:
        return Run<Op::SetImageList>(p, [&](CImageList* list, bool stretch) { SetImageList(list, stretch); });
    case Op::GetImageList:
        return Run<Op::GetImageList>(p, [&] { return m_imageList; });
    case Op::SetStretchImages:
        return Run<Op::SetStretchImages>(p, [&](bool stretch) { SetStretchImages(stretch); });
    case Op::GetStretchImages:
        return Run<Op::GetStretchImages>(p, [&] { return m_stretchImages; });
    case Op::SetButtonsOnAllRows:
        return Run<Op::SetButtonsOnAllRows>(p, [&](bool enable) { SetButtonsOnAllRows(enable); });
    case Op::HasButtonsOnAllRows:
        return Run<Op::HasButtonsOnAllRows>(p, [&] { return m_options.buttonsOnAllRows; });
    case Op::GetHighlightSettings:
        return Run<Op::GetHighlightSettings>(p, [&] { return &m_highlight; });
    case Op::SetHighlightSettings:
        return Run<Op::SetHighlightSettings>(p, [&](const HighlightSettings* settings) {
            CopyRecord(m_highlight, settings);
            Invalidate();
        });
    case Op::ShowSeparator:
        return Run<Op::ShowSeparator>(p, [&](bool show) { ShowSeparator(show); });
    case Op::IsSeparatorShown:
        return Run<Op::IsSeparatorShown>(p, [&] { return m_options.showSeparator; });
    case Op::SetSeparatorThickness:
        return Run<Op::SetSeparatorThickness>(p, [&](int thickness) { SetSeparatorThickness(thickness); });
    case Op::GetSeparatorThickness:
        return Run<Op::GetSeparatorThickness>(p, [&] { return static_cast<int>(m_options.separatorThickness); });
    case Op::SetCustomDraw:
        return Run<Op::SetCustomDraw>(p, [&](ICustomDraw* customDraw) { return SetCustomDraw(customDraw); });
    case Op::GetCustomDraw:
        return Run<Op::GetCustomDraw>(p, [&] { return GetCustomDraw(); });

    // ---- Settings stored for the services -----------------------------------------------
    case Op::SetTooltipKind:
        return Run<Op::SetTooltipKind>(p, [&](int kind) { m_tooltipKind = kind; });
    case Op::GetTooltipKind:
        return Run<Op::GetTooltipKind>(p, [&] { return static_cast<int>(m_tooltipKind); });
    case Op::GetTooltipSettings:
        return Run<Op::GetTooltipSettings>(p, [&] { return &m_tooltipSettings; });
    case Op::SetTooltipSettings:
        return Run<Op::SetTooltipSettings>(p, [&](const TooltipSettings* s) { CopyRecord(m_tooltipSettings, s); });
    case Op::GetInPlaceTooltipSettings:
        return Run<Op::GetInPlaceTooltipSettings>(p, [&] { return &m_inPlaceTooltipSettings; });
    case Op::SetInPlaceTooltipSettings:
        return Run<Op::SetInPlaceTooltipSettings>(p, [&](const TooltipSettings* s) {
            CopyRecord(m_inPlaceTooltipSettings, s);
        });
    case Op::GetPasteSettings:
        return Run<Op::GetPasteSettings>(p, [&] { return &m_pasteSettings; });
    case Op::SetPasteSettings:
        return Run<Op::SetPasteSettings>(p, [&](const PasteSettings* s) { CopyRecord(m_pasteSettings, s); });
    case Op::EnablePaste:
        return Run<Op::EnablePaste>(p, [&](bool enable) { m_pasteEnabled = enable; });
    case Op::IsPasteEnabled:
        return Run<Op::IsPasteEnabled>(p, [&] { return m_pasteEnabled; });
    case Op::GetDropSettings:
        return Run<Op::GetDropSettings>(p, [&] { return &m_dropSettings; });
    case Op::SetDropSettings:
        return Run<Op::SetDropSettings>(p, [&](const DropSettings* s) { CopyRecord(m_dropSettings, s); });
    case Op::SetDropOption:
        return Run<Op::SetDropOption>(p, [&](bool enable) { m_dropOption = enable; });
    case Op::GetDropOption:
        return Run<Op::GetDropOption>(p, [&] { return m_dropOption; });
    case Op::SetKeyboardTypes:
        return Run<Op::SetKeyboardTypes>(p, [&](int mask) { m_options.keyboardTypes = mask; });
    case Op::IsKeyboardType:
        return Run<Op::IsKeyboardType>(p, [&](int type) { return type != 0 && (m_options.keyboardTypes & type) == type; });
    case Op::GetEditInPlaceSettings:
        return Run<Op::GetEditInPlaceSettings>(p, [&] { return &m_editSettings; });
    case Op::SetEditInPlaceSettings:
        return Run<Op::SetEditInPlaceSettings>(p, [&](const EditInPlaceSettings* s) {
            CopyRecord(m_editSettings, s);
            Invalidate();
        });

    case Op::ProcessKeyCommand:
        return Run<Op::ProcessKeyCommand>(p, [&](const GridKeyCommand* command) {
            return command != nullptr && ProcessKeyCommand(*command);
        });
    case Op::Serialize:
        return Run<Op::Serialize>(p, [&](CArchive* archive) {
            if (archive)
                Serialize(*archive);
        });
    default:
        return 0;
    }
}

// ---- Rows -------------------------------------------------------------------------------------

CGridItem* CGridImpl::GetPrevRow(CGridItem* row, bool crossTypes)
{
    const int position = m_rows->GetVisibleIndex(row);
    if (position < 0)
        return nullptr;
    const int type = m_rows->GetRowType(row);
    if (position > 0)
        return m_rows->GetRowAt(position - 1, type);
    if (type == ROW_NORMAL && crossTypes)
        return m_rows->GetRowAt(m_rows->GetRowCount(ROW_FIXED) - 1, ROW_FIXED);
    return nullptr;
}

CGridItem* CGridImpl::GetNextRow(CGridItem* row, bool crossTypes)
{
    const int position = m_rows->GetVisibleIndex(row);
    if (position < 0)
        return nullptr;
    const int type = m_rows->GetRowType(row);
    if (position + 1 < m_rows->GetRowCount(type))
        return m_rows->GetRowAt(position + 1, type);
    if (type == ROW_FIXED && crossTypes)
        return m_rows->GetRowAt(0, ROW_NORMAL);
    return nullptr;
}

int CGridImpl::ForEachRow(CGridItem* start, const GridRowVisitor& visitor)
{
    // The walk follows the tree as it is during the visit; a visitor must not change the rows.
    CGridItem* root = nullptr;
    if (start == GRID_ROOT)
        root = m_rows->GetContainer(ROW_NORMAL).GetRoot();
    else if (start == GRID_FIXED_ROOT)
        root = m_rows->GetContainer(ROW_FIXED).GetRoot();
    else if (!m_rows->IsValid(start))
        return 0;

    int visited = 0;
    std::vector<CGridItem*> pending;
    // Visits `node`'s subtree in pre-order (the node itself unless it is a root).
    auto visitSubtree = [&](CGridItem* node) {
        pending.assign(1, node);
        while (!pending.empty()) {
            CGridItem* current = pending.back();
            pending.pop_back();
            if (!current->IsRoot()) {
                ++visited;
                if (!visitor(current))
                    return false;
            }
            for (int slot = current->GetChildCount() - 1; slot >= 0; --slot)
                pending.push_back(current->GetChild(slot));
        }
        return true;
    };

    if (root != nullptr) {
        visitSubtree(root);
        return visited;
    }
    if (!visitSubtree(start))
        return visited;
    // Then whatever follows the start row's subtree: later siblings of it and its ancestors.
    for (CGridItem* node = start; CGridItem* parent = node->GetParent(); node = parent) {
        const int slot = parent->FindChild(node);
        for (int next = slot + 1; slot >= 0 && next < parent->GetChildCount(); ++next) {
            if (!visitSubtree(parent->GetChild(next)))
                return visited;
        }
        if (parent->IsRoot())
            break;
    }
    return visited;
}

int CGridImpl::ForEachVisibleRow(int index, int rowType, const GridRowVisitor& visitor)
{
    if (index < 0 || (rowType != ROW_FIXED && rowType != ROW_NORMAL))
        return 0;
    int visited = 0;
    for (int position = index; CGridItem* row = m_rows->GetRowAt(position, rowType); ++position) {
        ++visited;
        if (!visitor(row))
            break;
    }
    return visited;
}

// ---- Field values -----------------------------------------------------------------------------

Common::CFormat* CGridImpl::FormatOf(std::int32_t fieldId) const
{
    CHeader* header = m_options.header;
    CColumn* column = header ? header->GetColumnById(fieldId) : nullptr;
    return column ? column->GetFormat() : nullptr;
}

Common::CValue CGridImpl::GetFieldValue(CGridItem* row, std::int32_t fieldId)
{
    Common::CDataObject* object = m_rows->GetDataObject(row);
    return object ? object->GetValue(fieldId) : Common::CValue();
}

CString CGridImpl::GetFieldText(CGridItem* row, std::int32_t fieldId)
{
    Common::CDataObject* object = m_rows->GetDataObject(row);
    if (!object)
        return CString();
    return object->GetFormattedValue(fieldId, FormatOf(fieldId));
}

bool CGridImpl::SetFieldValue(CGridItem* row, std::int32_t fieldId, const Common::CValue& value)
{
    Common::CDataObject* object = m_rows->GetDataObject(row);
    return object != nullptr && object->SetValue(fieldId, value);
}

template <class Text>
bool CGridImpl::SetFieldText(CGridItem* row, std::int32_t fieldId, const Text& text, bool notify)
{
    Common::CDataObject* object = m_rows->GetDataObject(row);
    if (!object || !object->SetFormattedValue(fieldId, text, FormatOf(fieldId)))
        return false;
    if (notify)
        object->NotifyUpdate(fieldId);
    return true;
}

// ---- Change highlighting ----------------------------------------------------------------------

CGridItem* CGridImpl::ResolveRow(CGridItem* row, int index, int rowType) const
{
    if (row != nullptr)
        return m_rows->IsValid(row) ? row : nullptr;
    return m_rows->GetRowAt(index, rowType);
}

void CGridImpl::ScheduleRepaint(CGridItem* row, std::int64_t delayMs)
{
    if (!row || !m_rows->IsValid(row))
        return;
    if (delayMs <= 0) {
        RepaintRow(row);
        return;
    }
    row->ScheduleRepaint(delayMs);
    ArmRepaintTimer(delayMs);
}

void CGridImpl::ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs)
{
    if (!row || !m_rows->IsValid(row))
        return;
    if (delayMs <= 0) {
        RepaintCell(row, fieldId);
        return;
    }
    row->ScheduleCellRepaint(fieldId, delayMs);
    ArmRepaintTimer(delayMs);
}

std::int64_t CGridImpl::GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId)
{
    if (!row || !m_rows->IsValid(row))
        return -1;
    return row->GetElapsedSinceChange(fieldId);
}

// ---- Focus and selection ----------------------------------------------------------------------

void CGridImpl::SetFocusableTypes(int mask)
{
    m_options.focusableTypes = mask;
    m_selection->OnFocusableTypesChanged();
}

void CGridImpl::EnableSelection(bool enable)
{
    if (m_options.selectionEnabled == enable)
        return;
    m_options.selectionEnabled = enable;
    m_selection->OnSelectionEnabledChanged();
}

void CGridImpl::EnableMultipleSelection(bool enable)
{
    if (m_options.multipleSelection == enable)
        return;
    m_options.multipleSelection = enable;
    m_selection->OnMultipleSelectionChanged();
}

void CGridImpl::SetSelectableTypes(int mask)
{
    m_options.selectableTypes = mask;
    m_selection->OnSelectableTypesChanged();
}

// ---- Sorting ------------------------------------------------------------------------------------

void CGridImpl::SetSortInfo(int level, const CSortInfo& info, bool apply)
{
    CHeader* header = m_options.header;
    if (!header)
        return;
    // The header's change event re-sorts on its own; without `apply` it must not.
    const bool previous = m_applySortChanges;
    m_applySortChanges = false;
    try {
        header->SetSort(level, info);
    } catch (...) {
        m_applySortChanges = previous;
        throw;
    }
    m_applySortChanges = previous;
    if (apply)
        m_rows->Resort();
}

void CGridImpl::ClearSort()
{
    const bool previous = m_applySortChanges;
    m_applySortChanges = false;
    if (CHeader* header = m_options.header)
        header->ClearSort();
    m_applySortChanges = previous;
    m_rows->ClearSortLevels();
    if (HasWindow())
        m_grid.InvalidateRect(nullptr, true);
}

// ---- Header and columns -------------------------------------------------------------------

CHeader* CGridImpl::SetHeader(CHeader* header)
{
    CHeader* previous = m_options.header;
    if (header == previous)
        return previous;
    if (previous)
        previous->RemoveNotify(this);
    m_options.header = header;
    if (header)
        header->AddNotify(this);
    m_rows->Resort();
    m_layout->UpdateLayout();
    Invalidate();
    return previous;
}

void CGridImpl::ShowHeader(bool show)
{
    if (m_options.showHeader == show)
        return;
    m_options.showHeader = show;
    m_layout->UpdateLayout();
    Invalidate();
}

std::int32_t CGridImpl::GetHierarchyColumn() const
{
    CHeader* header = m_options.header;
    CColumn* column = header ? header->GetFirstVisibleColumn() : nullptr;
    return column ? column->GetFieldId() : 0;
}

CColumn* CGridImpl::GetFocusColumn() const
{
    CHeader* header = m_options.header;
    return header ? header->GetFocusColumn() : nullptr;
}

void CGridImpl::EnsureColumnVisible(std::int32_t fieldId)
{
    CHeader* header = m_options.header;
    if (!header || !HasWindow() || header->IsFixedColumn(fieldId))
        return;
    const CRect rect = header->GetColumnRect(&m_grid, fieldId);
    if (rect.IsRectEmpty())
        return;
    const int boundary = header->GetFixedWidth();
    const int clientWidth = m_grid.GetClientRect().Width();
    const int position = m_layout->GetHorzPosition();
    int target = position;
    if (rect.right > clientWidth)
        target += rect.right - clientWidth;
    // The left edge wins when the column is wider than the scrolling part of the client.
    if (rect.left - (target - position) < boundary)
        target = position - (boundary - rect.left);
    target = std::max(target, 0);
    if (target != position)
        m_layout->OnHScroll(SB_THUMBPOSITION, static_cast<UINT>(target));
}

// ---- Appearance and drawing -----------------------------------------------------------------

void CGridImpl::SetPaintOptions(std::uint32_t options)
{
    m_options.paintOptions = options;
    Invalidate();
}

void CGridImpl::SetDoubleBuffer(bool enable)
{
    m_options.doubleBuffer = enable;
    m_painter->RebuildResources();
    Invalidate();
}

void CGridImpl::SetBackgroundImage(const BackgroundImage& image)
{
    m_backgroundImage = image;
    // The back buffer depends on the picture; rebuilt once the current message is done.
    if (!HasWindow() || !PostMessage(&m_grid, CGrid::GetSyncMessage(),
                                     static_cast<WPARAM>(GridOperation::RebuildResources), 0))
        m_painter->RebuildResources();
    Invalidate();
}

void CGridImpl::SetImageList(CImageList* imageList, bool stretch)
{
    m_imageList = imageList;
    m_stretchImages = stretch;
    Invalidate();
}

void CGridImpl::SetStretchImages(bool stretch)
{
    if (m_stretchImages == stretch)
        return;
    m_stretchImages = stretch;
    Invalidate();
}

void CGridImpl::ShowSeparator(bool show)
{
    m_options.showSeparator = show;
    m_layout->UpdateLayout();
    Invalidate();
}

void CGridImpl::SetSeparatorThickness(int thickness)
{
    // A negative band would overlap the rows around it.
    if (thickness < 0)
        return;
    m_options.separatorThickness = thickness;
    m_layout->UpdateLayout();
    Invalidate();
}

void CGridImpl::SetButtonsOnAllRows(bool enable)
{
    m_options.buttonsOnAllRows = enable;
    Invalidate();
}

} // namespace Ombrel::GUI
