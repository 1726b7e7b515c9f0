// The drag-and-drop service.
//
//   Drag:  StartDrag -> CDragSource (selected rows, header) -> DoDragDrop: drag image begun
//          (when the settings ask), every format rendered into a data source -> the modal
//          drag -> drag image ended, formats cleared -> the target's effect
//   Drop:  enter (or the first over/drop without one): import once, through the first format
//          whose data is there, imports, and is not refused -> over: effect by Ctrl and
//          CanDrop -> drop: a last CanDrop, InsertDropped (as a paste inserts), import reset
//          -> leave: import reset
//
// What must stay true: a row is never lost and never in two places (InsertImportedRows checks
// every row again before it moves it), and bytes dropped from another application are only
// read through the formats' Import, which treats them as untrusted. The import's rows are
// addresses: until the dispatcher confirms them they are compared, never followed.

#include "ombrel/gui/services/DragDrop.h"

#include "ombrel/common/DataObjectRegistry.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/services/DragSource.h"
#include "ombrel/gui/services/detail/ClipboardFormatList.h"
#include "ombrel/gui/services/detail/CreatedObjects.h"
#include "ombrel/gui/services/detail/RowInsertion.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/OleDataObject.h"
#include "ombrel/platform/OleDataSource.h"
#include "ombrel/platform/WindowMessaging.h"

#include <exception>
#include <limits>
#include <mutex>
#include <optional>

namespace Ombrel::GUI {

namespace {

bool IsRoot(const CGridItem* handle)
{
    return handle == GRID_ROOT || handle == GRID_FIXED_ROOT;
}

bool WantsCopy(const DropInfo& info, const ClipboardImport& import)
{
    return (info.keyState & MK_CONTROL) != 0 || !import.createdRows.empty();
}

bool CarriesRowsOfThisProcess(const ClipboardImport& import)
{
    return import.sourceGrid != nullptr && !import.rows.empty();
}

// A refusal that only forbids one of copy and move while the other is allowed: the user can
// still switch with Ctrl, so the import is kept.
bool IsTolerated(int reason, const DropSettings& settings)
{
    switch (reason) {
    case RefuseCopyWithinGrid: return settings.moveWithinGrid;
    case RefuseMoveWithinGrid: return settings.copyWithinGrid;
    case RefuseCopyFromOtherGrid: return settings.moveFromOtherGrid;
    case RefuseMoveFromOtherGrid: return settings.copyFromOtherGrid;
    default: return reason == 0;
    }
}

// The row `info` points at, or null (the root, no area, or a position gone meanwhile).
CGridItem* TargetRow(const DropInfo& info)
{
    if (info.index < 0 || (info.rowType != ROW_FIXED && info.rowType != ROW_NORMAL))
        return nullptr;
    return info.grid->GetRowAt(info.index, info.rowType);
}

// Whether `row` is one of the dragged rows or lies beneath one of them. Dragged rows are
// compared by address; only `row` and its ancestors, which live in the target grid, are
// followed.
bool IsInDraggedSubtree(CGrid& grid, CGridItem* row, const ClipboardImport& import)
{
    for (CGridItem* at = row; at != nullptr && !IsRoot(at) && !IsReservedHandle(at);
         at = grid.GetParent(at)) {
        for (const CGridItem* dragged : import.rows) {
            if (dragged == at)
                return true;
        }
    }
    return false;
}

CGridItem* SiblingBefore(CGrid& grid, CGridItem* parent, CGridItem* row)
{
    std::vector<CGridItem*> siblings;
    grid.GetChildren(parent, siblings);
    CGridItem* before = GRID_FIRST;
    for (CGridItem* sibling : siblings) {
        if (sibling == row)
            break;
        before = sibling;
    }
    return before;
}

// The (parent, insert-after) pair a drop at `info` inserts at.
CCopyPaste::PasteContext DropTarget(const DropInfo& info)
{
    CCopyPaste::PasteContext target{info.grid, nullptr, nullptr};
    CGridItem* row = TargetRow(info);
    if (row == nullptr) {
        target.parent = info.rowType == ROW_FIXED ? GRID_FIXED_ROOT : GRID_ROOT;
        target.insertAfter = GRID_LAST;
        return target;
    }
    switch (info.placement) {
    case DropPlacement::Child:
        target.parent = row;
        target.insertAfter = GRID_LAST;
        break;
    case DropPlacement::After:
        target.parent = info.grid->GetParent(row);
        target.insertAfter = row;
        break;
    case DropPlacement::Before:
        target.parent = info.grid->GetParent(row);
        target.insertAfter = SiblingBefore(*info.grid, target.parent, row);
        break;
    }
    return target;
}

void DeleteCreatedRows(ClipboardImport& import)
{
    for (CGridItem* row : import.createdRows)
        delete row;
    import.createdRows.clear();
}

// Reads `format` out of the dragged data into `record`; false when it is not there or does
// not import.
bool ImportFormat(IClipboardFormat& format, const COleDataObject& data, IObjectImporter& importer,
                  ClipboardImport& record)
{
    const UINT id = format.GetClipboardFormat();
    if (!data.IsDataAvailable(id))
        return false;
    HGLOBAL block = data.GetGlobalData(id);
    if (block == nullptr)
        return false;
    const void* bytes = GlobalLock(block);
    const std::size_t size = GlobalSize(block);
    bool imported = false;
    if (bytes != nullptr && size <= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        imported = format.Import(bytes, static_cast<int>(size), &importer, record);
    GlobalUnlock(block);
    GlobalFree(block);
    return imported;
}

// Renders `format` for the drag into a block cached by `source`; false when it offers nothing.
bool CacheFormat(IClipboardFormat& format, const CDragSource& drag, COleDataSource& source)
{
    format.Clear();
    format.Render(drag.GetRows(), drag.GetHeader());
    const int size = format.GetSize();
    if (size <= 0)
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<std::size_t>(size));
    if (block == nullptr)
        return false;
    void* bytes = GlobalLock(block);
    // The block's operation is not read by a drop, which decides copy or move by the key state;
    // it names a copy so that the local-data import, which refuses unknown operations, reads it.
    format.GetData(bytes, drag.GetGrid(), drag.GetRowTypes(), ClipboardCopy);
    GlobalUnlock(block);
    if (source.CacheGlobalData(format.GetClipboardFormat(), block))
        return true;
    GlobalFree(block);
    return false;
}

} // namespace

struct CDragDrop::Impl
{
    bool autoDelete = true;
    CClipboardFormatList formats;
    // The import of the drag over a grid now, once made; none before the first enter and after
    // the drop or the leave.
    std::optional<ClipboardImport> import;
    // The drag StartDrag is running; null outside of it.
    CDragSource* drag = nullptr;
    CCreatedObjects created; // made by imports and not yet released
};

CDragDrop::CDragDrop(bool autoDelete) : m_impl(std::make_unique<Impl>())
{
    m_impl->autoDelete = autoDelete;
}

CDragDrop::~CDragDrop()
{
    ResetImport();
    ReleaseCreatedObjects(true);
}

CDragDrop& CDragDrop::GetDefault()
{
    // Made on first use, after the dispatcher (a grid exists by then), so it goes at exit
    // while the dispatcher can still take the destruction of created objects.
    static CDragDrop service(false);
    static const bool formatsAdded = [] {
        service.m_impl->formats.AddStandardFormats();
        return true;
    }();
    (void)formatsAdded;
    return service;
}

bool CDragDrop::IsAutoDelete() const
{
    return m_impl->autoDelete;
}

// ---- Dragging out ---------------------------------------------------------------------------

DROPEFFECT CDragDrop::StartDrag(CGrid* grid)
{
    if (grid == nullptr || !IsWindow(grid) || m_impl->drag != nullptr)
        return DROPEFFECT_NONE;
    CDragSource drag(grid);
    if (drag.IsEmpty())
        return DROPEFFECT_NONE;
    m_impl->drag = &drag;
    const DROPEFFECT effect = DoDragDrop(grid, GetFormats());
    m_impl->drag = nullptr;
    return effect;
}

DROPEFFECT CDragDrop::DoDragDrop(CGrid* grid, const std::vector<IClipboardFormat*>& formats)
{
    CDragSource* drag = m_impl->drag;
    if (drag == nullptr || drag->GetGrid() != grid || drag->IsEmpty())
        return DROPEFFECT_NONE;
    const DropSettings* settings = grid->GetDropSettings();
    CPoint hotSpot;
    CImageList* image = nullptr;
    if (settings != nullptr && settings->showDragImage)
        image = drag->MakeDragImage(hotSpot);
    if (image != nullptr && !image->BeginDrag(0, hotSpot))
        image = nullptr;

    COleDataSource source;
    for (IClipboardFormat* format : formats) {
        if (format != nullptr)
            CacheFormat(*format, *drag, source);
    }
    DROPEFFECT effect = DROPEFFECT_NONE;
    if (!source.IsEmpty()) {
        for (IClipboardFormat* format : formats) {
            if (format != nullptr)
                format->Clear();
        }
        try {
            effect = source.DoDragDrop(grid, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        } catch (const std::exception&) {
            effect = DROPEFFECT_NONE;
        }
    }
    if (image != nullptr)
        CImageList::EndDrag();
    return effect;
}

// ---- Dropping in ----------------------------------------------------------------------------

int CDragDrop::GetRefusalReason(const DropInfo& info, const ClipboardImport& import)
{
    const DropSettings* settings = info.grid != nullptr ? info.grid->GetDropSettings() : nullptr;
    if (settings == nullptr)
        return RefuseNormalRows | RefuseFixedRows;
    int reason = 0;
    if (info.rowType == ROW_NORMAL && !settings->acceptIntoNormalRows)
        reason |= RefuseNormalRows;
    if (info.rowType == ROW_FIXED && !settings->acceptIntoFixedRows)
        reason |= RefuseFixedRows;
    const bool control = (info.keyState & MK_CONTROL) != 0;
    if (CarriesRowsOfThisProcess(import)) {
        if (import.sourceGrid == info.grid) {
            if (control && !settings->copyWithinGrid)
                reason |= RefuseCopyWithinGrid;
            if (!control && !settings->moveWithinGrid)
                reason |= RefuseMoveWithinGrid;
        } else {
            if (control && !settings->copyFromOtherGrid)
                reason |= RefuseCopyFromOtherGrid;
            if (!control && !settings->moveFromOtherGrid)
                reason |= RefuseMoveFromOtherGrid;
        }
    }
    if (!import.createdRows.empty() && !settings->acceptCreatedObjects)
        reason |= RefuseCreatedObjects;
    return reason;
}

void CDragDrop::EnsureImport(const DropInfo& info)
{
    if (m_impl->import || info.grid == nullptr || info.data == nullptr)
        return;
    const DropSettings* settings = info.grid->GetDropSettings();
    if (settings == nullptr)
        return;
    for (const auto& format : m_impl->formats) {
        ClipboardImport record;
        if (!ImportFormat(*format, *info.data, *this, record))
            continue;
        if (IsTolerated(GetRefusalReason(info, record), *settings)) {
            m_impl->import = std::move(record);
            return;
        }
        DeleteCreatedRows(record);
    }
}

void CDragDrop::ResetImport()
{
    if (m_impl->import)
        DeleteCreatedRows(*m_impl->import);
    m_impl->import.reset();
}

DROPEFFECT CDragDrop::EffectFor(const DropInfo& info) const
{
    if (!m_impl->import)
        return DROPEFFECT_NONE;
    return WantsCopy(info, *m_impl->import) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CDragDrop::OnDragEnter(const DropInfo& info)
{
    ResetImport(); // a new drag: nothing of an earlier one carries over
    EnsureImport(info);
    return EffectFor(info);
}

DROPEFFECT CDragDrop::OnDragOver(const DropInfo& info)
{
    EnsureImport(info);
    return CanDrop(info) ? EffectFor(info) : DROPEFFECT_NONE;
}

void CDragDrop::OnDragLeave()
{
    ResetImport();
}

bool CDragDrop::CanDrop(const DropInfo& info)
{
    if (!m_impl->import || info.grid == nullptr)
        return false;
    const ClipboardImport& import = *m_impl->import;
    if (GetRefusalReason(info, import) != 0)
        return false;
    CGridItem* row = TargetRow(info);
    if (row == nullptr)
        return true;
    // A row cannot go into itself or its own subtree.
    const bool moving = !WantsCopy(info, import) && CarriesRowsOfThisProcess(import);
    return !(moving && IsInDraggedSubtree(*info.grid, row, import));
}

DROPEFFECT CDragDrop::OnDrop(const DropInfo& info, int kind)
{
    DROPEFFECT effect = DROPEFFECT_NONE;
    try {
        if (kind == DropPlain || kind == DropChecked) {
            EnsureImport(info);
            if (m_impl->import && (kind == DropPlain || CanDrop(info)))
                effect = InsertDropped(info, *m_impl->import, kind);
        }
    } catch (const std::exception&) {
        effect = DROPEFFECT_NONE;
    }
    ResetImport();
    return effect;
}

DROPEFFECT CDragDrop::InsertDropped(const DropInfo& info, ClipboardImport& import, int /*kind*/)
{
    if (info.grid == nullptr || !IsWindow(info.grid)) {
        DeleteCreatedRows(import);
        return DROPEFFECT_NONE;
    }
    const bool copy = WantsCopy(info, import);
    const bool inserted =
        InsertImportedRows(DropTarget(info), import, copy ? ClipboardCopy : ClipboardCut);
    import.rows.clear();
    import.objects.clear();
    import.createdRows.clear();
    if (!inserted)
        return DROPEFFECT_NONE;
    return copy ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

// ---- Formats and created objects ------------------------------------------------------------

void CDragDrop::AddFormat(IClipboardFormat* format)
{
    m_impl->formats.Add(format);
}

std::vector<IClipboardFormat*> CDragDrop::GetFormats() const
{
    return m_impl->formats.Get();
}

Common::CDataObject* CDragDrop::CreateObject(const std::string& className)
{
    return m_impl->created.Create(className);
}

void CDragDrop::GetCreatedObjects(std::vector<Common::CDataObject*>& out) { m_impl->created.Get(out); }

void CDragDrop::ReleaseCreatedObjects(bool destroy) { m_impl->created.Release(destroy); }

} // namespace Ombrel::GUI
