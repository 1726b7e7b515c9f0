// The grid's operations on rows, field values of a row, sorting and filtering: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/ItemContainer.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunRowsOperation(GridRowsOperation op, LPARAM p)
{
    using G = GridRowsOperation;
    CGridRows& rows = *m_rows;
    CHeader* header = m_options.header;

    switch (op) {
    case G::Add:
        return Run<Op::Add>(p, [&](Common::CDataObject* object, CGridItem* parent, CGridItem* after) {
            return rows.Add(object, parent, after);
        });
    case G::AddMany:
        return Run<Op::AddMany>(p, [&](ObjectSpan objects, CGridItem* parent, CGridItem* after) {
            return rows.AddMany(objects, parent, after);
        });
    case G::ReserveRows:
        return Run<Op::ReserveRows>(p, [&](std::uint64_t count, int type) {
            rows.ReserveRows(static_cast<std::size_t>(count), type);
        });
    case G::Remove:
        return Run<Op::Remove>(p, [&](CGridItem* row) { return rows.Remove(row); });
    case G::RemoveAt:
        return Run<Op::RemoveAt>(p, [&](int index, int type) { return rows.RemoveAt(index, type); });
    case G::RemoveAll:
        return Run<Op::RemoveAll>(p, [&](int mask) { return rows.RemoveAll(mask); });
    case G::FindRows:
        return Run<Op::FindRows>(p, [&](Common::CDataObject* object, RowList* out, int mask, bool visibleOnly) {
            if (!out)
                return 0;
            const std::size_t before = out->size();
            rows.FindRows(object, *out, mask, visibleOnly);
            return static_cast<int>(out->size() - before);
        });
    case G::GetAllRows:
        return Run<Op::GetAllRows>(p, [&](int mask, RowList* out) {
            if (out)
                rows.GetAllRows(mask, *out);
        });
    case G::Attach:
        return Run<Op::Attach>(p, [&](CGridItem* row, CGridItem* parent, CGridItem* after) {
            return rows.Attach(row, parent, after);
        });
    case G::Detach:
        return Run<Op::Detach>(p, [&](CGridItem* row) { return rows.Detach(row); });
    case G::GetRowType:
        return Run<Op::GetRowType>(p, [&](CGridItem* row) { return rows.GetRowType(row); });
    case G::IsVisible:
        return Run<Op::IsVisible>(p, [&](CGridItem* row) { return rows.IsVisible(row); });
    case G::IsExpanded:
        return Run<Op::IsExpanded>(p, [&](CGridItem* row) { return rows.IsExpanded(row); });
    case G::GetChildren:
        return Run<Op::GetChildren>(p, [&](CGridItem* parent, RowList* out) {
            if (out)
                rows.GetChildren(parent, *out);
        });
    case G::HasChildren:
        return Run<Op::HasChildren>(p, [&](CGridItem* row) { return rows.HasChildren(row); });
    case G::GetLevel:
        return Run<Op::GetLevel>(p, [&](CGridItem* row) { return rows.GetLevel(row); });
    case G::GetParent:
        return Run<Op::GetParent>(p, [&](CGridItem* row) { return rows.GetParent(row); });
    case G::Expand:
        return Run<Op::Expand>(p, [&](CGridItem* row, bool collapse, bool recursive) {
            rows.Expand(row, !collapse, recursive);
        });
    case G::GetVisibleIndex:
        return Run<Op::GetVisibleIndex>(p, [&](CGridItem* row) { return rows.GetVisibleIndex(row); });
    case G::GetRowAt:
        return Run<Op::GetRowAt>(p, [&](int index, int type) { return rows.GetRowAt(index, type); });
    case G::FindRow:
        return Run<Op::FindRow>(p, [&](Common::CDataObject* object) { return rows.FindRow(object); });
    case G::GetPrevRow:
        return Run<Op::GetPrevRow>(p, [&](CGridItem* row, bool cross) { return GetPrevRow(row, cross); });
    case G::GetNextRow:
        return Run<Op::GetNextRow>(p, [&](CGridItem* row, bool cross) { return GetNextRow(row, cross); });
    case G::GetDataObject:
        return Run<Op::GetDataObject>(p, [&](CGridItem* row) { return rows.GetDataObject(row); });
    case G::IsValid:
        return Run<Op::IsValid>(p, [&](CGridItem* row) { return rows.IsValid(row); });
    case G::GetRowCount:
        return Run<Op::GetRowCount>(p, [&](int type) { return rows.GetRowCount(type); });
    case G::ForEachRow:
        return Run<Op::ForEachRow>(p, [&](CGridItem* start, const GridRowVisitor* visitor) {
            return visitor && *visitor ? ForEachRow(start, *visitor) : 0;
        });
    case G::ForEachVisibleRow:
        return Run<Op::ForEachVisibleRow>(p, [&](int index, int type, const GridRowVisitor* visitor) {
            return visitor && *visitor ? ForEachVisibleRow(index, type, *visitor) : 0;
        });
    case G::Move:
        return Run<Op::Move>(p, [&](CGridItem* row, CGridItem* reference, CGridItem* parent, bool before) {
            rows.Move(row, reference, parent, before);
        });

    case G::GetFieldValue:
        return Run<Op::GetFieldValue>(p, [&](CGridItem* row, std::int32_t id) { return GetFieldValue(row, id); });
    case G::GetFieldText:
        return Run<Op::GetFieldText>(p, [&](CGridItem* row, std::int32_t id) {
            return GetFieldText(row, id).ToStdString();
        });
    case G::GetFieldTextString:
        return Run<Op::GetFieldTextString>(p, [&](CGridItem* row, std::int32_t id) { return GetFieldText(row, id); });
    case G::SetFieldValue:
        return Run<Op::SetFieldValue>(p, [&](CGridItem* row, std::int32_t id, const Common::CValue* value) {
            return value != nullptr && SetFieldValue(row, id, *value);
        });
    case G::SetFieldText:
        return Run<Op::SetFieldText>(p, [&](CGridItem* row, std::int32_t id, const std::string* text, bool notify,
                                             Common::CFormat* format) {
            return text != nullptr && SetFieldText(row, id, *text, notify, format);
        });
    case G::SetFieldTextString:
        return Run<Op::SetFieldTextString>(p, [&](CGridItem* row, std::int32_t id, const CString* text, bool notify,
                                                   Common::CFormat* format) {
            return text != nullptr && SetFieldText(row, id, *text, notify, format);
        });

    case G::SetSortedTypes:
        return Run<Op::SetSortedTypes>(p, [&](int mask) { rows.SetSortedTypes(mask); });
    case G::GetSortedTypes:
        return Run<Op::GetSortedTypes>(p, [&] { return rows.GetSortedTypes(); });
    case G::ClearSort:
        return Run<Op::ClearSort>(p, [&] { ClearSort(); });
    case G::SetSortInfo:
        return Run<Op::SetSortInfo>(p, [&](int level, CSortInfo info, bool apply) { SetSortInfo(level, info, apply); });
    case G::GetSortInfo:
        return Run<Op::GetSortInfo>(p, [&](int level) { return header ? header->GetSort(level) : CSortInfo(); });
    case G::Resort:
        return Run<Op::Resort>(p, [&] { rows.Resort(); });
    case G::GetSortLevelCount:
        return Run<Op::GetSortLevelCount>(p, [&] { return header ? header->GetSortCount() : 0; });
    case G::SetFilter:
        return Run<Op::SetFilter>(p, [&](IRowFilter* filter) { return rows.SetFilter(filter); });
    case G::GetFilter:
        return Run<Op::GetFilter>(p, [&] { return rows.GetFilter(); });
    case G::RefreshFilter:
        return Run<Op::RefreshFilter>(p, [&] { rows.RefreshFilter(); });

    }
    return 0;
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
bool CGridImpl::SetFieldText(CGridItem* row, std::int32_t fieldId, const Text& text, bool notify,
                             Common::CFormat* format)
{
    Common::CDataObject* object = m_rows->GetDataObject(row);
    if (!object || !object->SetFormattedValue(fieldId, text, format != nullptr ? format : FormatOf(fieldId)))
        return false;
    if (notify)
        object->NotifyUpdate(fieldId);
    return true;
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

} // namespace Ombrel::GUI
