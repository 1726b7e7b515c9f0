// The copy-paste service.
//
//   Copy/Cut: selected rows of the types the settings name (Copy: with their descendants as
//             the settings say) -> PutOnClipboard: Render in every format -> Open, Empty,
//             one block per non-empty format, Close (publishes them together)
//   Paste:    target (parent, insert-after) from the focus and the position mode
//             -> ReadClipboard: the first format, in list order, that is there and imports
//             -> InsertRows: copy = new rows for the same objects; cut = the rows move
//             -> clear the selection, expand the target parent, focus and select by the modes
//
// What must stay true of a paste: a row is never lost and never in two places. A moved row
// is checked (alive, in its grid, not an ancestor of the target) before it is detached, and a
// row whose attach fails anyway goes back into its grid. Addresses from the clipboard are
// used only after the dispatcher has confirmed the (object, row) pair, and again right before
// each use, because notification handlers run between the rows. A drop inserts its rows the
// same way (InsertImportedRows, shared with the drag-and-drop service).

#include "ombrel/gui/services/CopyPaste.h"

#include "ombrel/common/DataObjectRegistry.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/services/detail/ClipboardFormatList.h"
#include "ombrel/gui/services/detail/CreatedObjects.h"
#include "ombrel/gui/services/detail/RowInsertion.h"
#include "ombrel/platform/Clipboard.h"
#include "ombrel/platform/WindowMessaging.h"

#include <limits>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace Ombrel::GUI {

namespace {

using RowSet = std::unordered_set<const CGridItem*>;

CGridItem* RootOf(int rowType)
{
    return rowType == ROW_FIXED ? GRID_FIXED_ROOT : GRID_ROOT;
}

bool IsRoot(const CGridItem* handle)
{
    return handle == GRID_ROOT || handle == GRID_FIXED_ROOT;
}

// ---- Collecting the rows of a copy ------------------------------------------------------------

int CopyTypes(const PasteSettings& settings, int operation)
{
    const bool fixed = operation == ClipboardCut ? settings.cutFixedRows : settings.copyFixedRows;
    const bool normal = operation == ClipboardCut ? settings.cutNormalRows : settings.copyNormalRows;
    return (fixed ? ROW_FIXED : 0) | (normal ? ROW_NORMAL : 0);
}

// Appends the descendants of `row` that qualify (all, or the selected ones), in tree order.
void AddDescendants(CGrid& grid, CGridItem* row, bool all, std::vector<CGridItem*>& rows,
                    RowSet& taken)
{
    std::vector<CGridItem*> pending{row};
    std::vector<CGridItem*> children;
    while (!pending.empty()) {
        CGridItem* parent = pending.back();
        pending.pop_back();
        grid.GetChildren(parent, children);
        // Reversed onto the stack, so that children come out in their order.
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.push_back(*child);
        if (parent != row && (all || grid.IsSelected(parent)) && taken.insert(parent).second)
            rows.push_back(parent);
    }
}

std::vector<CGridItem*> CollectRows(CGrid& grid, int typeMask, const PasteSettings& settings,
                                    bool withDescendants)
{
    std::vector<CGridItem*> selected;
    grid.GetSelectedRows(typeMask, selected);
    std::vector<CGridItem*> rows;
    rows.reserve(selected.size());
    RowSet taken;
    taken.reserve(selected.size());
    for (CGridItem* row : selected) {
        if (!taken.insert(row).second)
            continue;
        rows.push_back(row);
        if (withDescendants && settings.copyDescendants && grid.HasChildren(row))
            AddDescendants(grid, row, settings.copyAllDescendants, rows, taken);
    }
    return rows;
}

// ---- Placing blocks on the clipboard ----------------------------------------------------------

// One format's content as a block on the open, emptied clipboard. A block the clipboard
// refuses stays ours and is freed here.
bool PlaceBlock(IClipboardFormat& format, const CCopyPaste::CopyContext& context)
{
    const int size = format.GetSize();
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<std::size_t>(size));
    if (block == nullptr)
        return false;
    void* bytes = GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return false;
    }
    format.GetData(bytes, context.grid, context.rowTypes, context.operation);
    GlobalUnlock(block);
    if (SetClipboardData(format.GetClipboardFormat(), block) == nullptr) {
        GlobalFree(block);
        return false;
    }
    return true;
}

// ---- Where a paste goes -----------------------------------------------------------------------

bool AllowsPasteInto(const PasteSettings& settings, int rowType)
{
    return rowType == ROW_FIXED ? settings.pasteIntoFixedRows : settings.pasteIntoNormalRows;
}

// The top-level row that holds `row` (the row itself when it is top-level).
CGridItem* TopLevelAncestor(CGrid& grid, CGridItem* row)
{
    for (CGridItem* parent = grid.GetParent(row); parent != nullptr && !IsRoot(parent);
         parent = grid.GetParent(parent))
        row = parent;
    return row;
}

std::optional<CCopyPaste::PasteContext> PasteTarget(CGrid& grid, const PasteSettings& settings)
{
    CCopyPaste::PasteContext target{&grid, nullptr, nullptr};
    const int focusType = grid.GetFocusType();
    CGridItem* focused = grid.GetRowAt(grid.GetFocusIndex(), focusType);
    if (focused == nullptr) {
        if (!settings.pasteWithoutFocus)
            return std::nullopt;
        target.parent = settings.pasteIntoNormalRows ? GRID_ROOT : GRID_FIXED_ROOT;
        target.insertAfter = settings.pasteAtEndWithoutFocus ? GRID_LAST : GRID_FIRST;
        return target;
    }
    if (!AllowsPasteInto(settings, focusType))
        return std::nullopt;
    switch (settings.positionMode) {
    case 0: target.parent = focused; target.insertAfter = GRID_FIRST; break;
    case 1: target.parent = focused; target.insertAfter = GRID_LAST; break;
    case 2: target.parent = grid.GetParent(focused); target.insertAfter = focused; break;
    case 3:
        // Among the top-level rows: after the top-level row that holds the focused one.
        target.parent = RootOf(focusType);
        target.insertAfter = TopLevelAncestor(grid, focused);
        break;
    default:
        return std::nullopt; // a mode from a damaged stored state: paste nowhere
    }
    return target;
}

// ---- Inserting copies -------------------------------------------------------------------------

std::vector<CGridItem*> InsertCopies(const CCopyPaste::PasteContext& context,
                                     const ClipboardImport& import)
{
    const CDispatcher& dispatcher = CDispatcher::GetInstance();
    std::vector<CGridItem*> inserted;
    CGridItem* after = context.insertAfter;
    for (std::size_t i = 0; i < import.rows.size(); ++i) {
        // The source row still showing the object proves the object is alive.
        if (!dispatcher.IsRegistered(import.objects[i], import.rows[i]))
            continue;
        if (CGridItem* added = context.grid->Add(import.objects[i], context.parent, after)) {
            inserted.push_back(added);
            after = added;
        }
    }
    return inserted;
}

// ---- Moving cut rows --------------------------------------------------------------------------

// The live grid at an address read from the clipboard, or null; looked up, not dereferenced.
CGrid* LiveGrid(const CGrid* address)
{
    return address != nullptr && CGrid::FindImpl(address) != nullptr ? const_cast<CGrid*>(address)
                                                                      : nullptr;
}

bool IsInSubtreeOf(CGrid& grid, CGridItem* handle, const CGridItem* row)
{
    for (CGridItem* at = handle; at != nullptr && !IsRoot(at) && !IsReservedHandle(at);
         at = grid.GetParent(at)) {
        if (at == row)
            return true;
    }
    return false;
}

// The imported rows that still live in the source grid, without those that travel inside
// another moved row's subtree anyway.
std::vector<CGridItem*> RowsToMove(CGrid& source, const ClipboardImport& import)
{
    const CDispatcher& dispatcher = CDispatcher::GetInstance();
    std::vector<CGridItem*> alive;
    RowSet aliveSet;
    for (std::size_t i = 0; i < import.rows.size(); ++i) {
        if (dispatcher.IsRegistered(import.objects[i], import.rows[i]) && source.IsValid(import.rows[i]) &&
            aliveSet.insert(import.rows[i]).second)
            alive.push_back(import.rows[i]);
    }
    std::vector<CGridItem*> moving;
    for (CGridItem* row : alive) {
        bool carried = false;
        for (CGridItem* at = source.GetParent(row); at != nullptr && !IsRoot(at);
             at = source.GetParent(at))
            carried = carried || aliveSet.contains(at);
        if (!carried)
            moving.push_back(row);
    }
    return moving;
}

// `insertAfter` when it stays put; when it is one of the moving rows, the nearest sibling
// before it that stays (GRID_FIRST when none does), so that rows pasted onto their own
// place stay there.
CGridItem* AnchorThatStays(CGrid& grid, CGridItem* parent, CGridItem* insertAfter,
                           const RowSet& moving)
{
    if (IsReservedHandle(insertAfter) || !moving.contains(insertAfter))
        return insertAfter;
    std::vector<CGridItem*> siblings;
    grid.GetChildren(parent, siblings);
    CGridItem* anchor = GRID_FIRST;
    for (CGridItem* sibling : siblings) {
        if (sibling == insertAfter)
            break;
        if (!moving.contains(sibling))
            anchor = sibling;
    }
    return anchor;
}

// Whether Attach(row, parent, after) can succeed in `grid` once the row is detached.
bool CanReceive(CGrid& grid, CGridItem* parent, CGridItem* after)
{
    const bool parentOk = IsRoot(parent) || grid.IsValid(parent);
    const bool afterOk = after == GRID_FIRST || after == GRID_LAST || after == nullptr ||
                         (grid.IsValid(after) && grid.GetParent(after) == parent);
    return parentOk && afterOk;
}

// Detaches `row` from `source` and attaches it in `target`; when the attach fails the row
// goes back into `source` (at the end of its old parent, else of its old root).
bool MoveRow(CGrid& source, CGrid& target, CGridItem* row, CGridItem* parent, CGridItem* after)
{
    CGridItem* oldParent = source.GetParent(row);
    const int oldType = source.GetRowType(row);
    if (!source.Detach(row))
        return false;
    if (target.Attach(row, parent, after))
        return true;
    if (!source.Attach(row, oldParent, GRID_LAST))
        source.Attach(row, RootOf(oldType), GRID_LAST);
    return false;
}

std::vector<CGridItem*> MoveCutRows(const CCopyPaste::PasteContext& context,
                                    const ClipboardImport& import)
{
    CGrid& target = *context.grid;
    CGrid* source = LiveGrid(import.sourceGrid);
    if (source == nullptr)
        return {};
    const std::vector<CGridItem*> moving = RowsToMove(*source, import);
    if (moving.empty())
        return {};
    const RowSet movingSet(moving.begin(), moving.end());
    source->SetFocus(-1, ROW_DETACHED);
    CGridItem* after = AnchorThatStays(target, context.parent, context.insertAfter, movingSet);
    std::vector<CGridItem*> inserted;
    for (CGridItem* row : moving) {
        // Notification handlers of earlier moves may have changed anything: check again.
        if (!source->IsValid(row) || !CDispatcher::GetInstance().IsRegistered(row->GetDataObject(), row))
            continue;
        if (source == &target && IsInSubtreeOf(target, context.parent, row))
            continue; // it would land inside its own subtree
        if (!CanReceive(target, context.parent, after))
            break;
        if (MoveRow(*source, target, row, context.parent, after)) {
            inserted.push_back(row);
            after = row;
        }
    }
    return inserted;
}

void DeleteCreatedRows(ClipboardImport& import)
{
    for (CGridItem* row : import.createdRows)
        delete row;
    import.createdRows.clear();
}

// Rows an import made: attached after the inserted rows, deleted when they cannot be.
void AttachCreatedRows(const CCopyPaste::PasteContext& context, ClipboardImport& import,
                       std::vector<CGridItem*>& inserted)
{
    CGridItem* after = inserted.empty() ? context.insertAfter : inserted.back();
    for (CGridItem* row : import.createdRows) {
        if (context.grid->Attach(row, context.parent, after)) {
            inserted.push_back(row);
            after = row;
        } else {
            delete row;
        }
    }
    import.createdRows.clear();
}

// ---- After a paste ----------------------------------------------------------------------------

RowPosition PositionOf(CGrid& grid, CGridItem* row)
{
    const int index = grid.GetVisibleIndex(row);
    return index >= 0 ? RowPosition{index, grid.GetRowType(row)} : RowPosition{};
}

void ApplyFocusMode(CGrid& grid, std::int32_t mode, const std::vector<CGridItem*>& inserted)
{
    if (mode < 1 || mode > 3)
        return;
    CGridItem* row = mode == 2 ? inserted.back() : inserted.front();
    const RowPosition position = PositionOf(grid, row);
    if (position.IsNone())
        return;
    if (mode == 3 && position.type == ROW_NORMAL)
        grid.EnsureVisible(position.index);
    grid.SetFocus(position.index, position.type);
}

void ApplySelectionMode(CGrid& grid, std::int32_t mode, const std::vector<CGridItem*>& inserted)
{
    switch (mode) {
    case 1: grid.Select(inserted.front(), true); break;
    case 2: grid.Select(inserted.back(), true); break;
    case 3:
        for (CGridItem* row : inserted)
            grid.Select(row, true);
        break;
    default: break;
    }
}

void FinishPaste(const CCopyPaste::PasteContext& context, const std::vector<CGridItem*>& inserted)
{
    CGrid& grid = *context.grid;
    grid.ClearSelection();
    if (!IsRoot(context.parent) && grid.IsValid(context.parent))
        grid.Expand(context.parent, false);
    for (CGridItem* row : inserted)
        grid.ScheduleRepaint(row, 0);
    const PasteSettings settings = *grid.GetPasteSettings();
    ApplyFocusMode(grid, settings.focusMode, inserted);
    ApplySelectionMode(grid, settings.selectionMode, inserted);
}

} // namespace

// ---- CCopyPaste -------------------------------------------------------------------------------

struct CCopyPaste::Impl
{
    bool autoDelete = true;
    CClipboardFormatList formats;
    CCreatedObjects created; // made by imports and not yet released
};

CCopyPaste::CCopyPaste(bool autoDelete) : m_impl(std::make_unique<Impl>())
{
    m_impl->autoDelete = autoDelete;
}

CCopyPaste::~CCopyPaste()
{
    ReleaseCreatedObjects(true);
}

CCopyPaste& CCopyPaste::GetDefault()
{
    // Made on first use, after the dispatcher (a grid exists by then), so it goes at exit
    // while the dispatcher can still take the destruction of created objects.
    static CCopyPaste service(false);
    static const bool formatsAdded = [] {
        service.m_impl->formats.AddStandardFormats();
        return true;
    }();
    (void)formatsAdded;
    return service;
}

bool CCopyPaste::IsAutoDelete() const
{
    return m_impl->autoDelete;
}

bool CCopyPaste::Copy(CGrid* grid)
{
    return CopyRows(grid, ClipboardCopy);
}

bool CCopyPaste::Cut(CGrid* grid)
{
    return CopyRows(grid, ClipboardCut);
}

bool CCopyPaste::CopyRows(CGrid* grid, int operation)
{
    if (grid == nullptr || !IsWindow(grid) || m_impl->formats.empty())
        return false;
    CopyContext context;
    context.grid = grid;
    context.header = grid->GetHeader();
    if (context.header == nullptr)
        return false;
    const PasteSettings settings = *grid->GetPasteSettings();
    context.rowTypes = CopyTypes(settings, operation);
    context.operation = operation;
    if (context.rowTypes == 0)
        return false;
    context.rows = CollectRows(*grid, context.rowTypes, settings, operation == ClipboardCopy);
    if (context.rows.empty())
        return false;
    return PutOnClipboard(context);
}

bool CCopyPaste::PutOnClipboard(const CopyContext& context)
{
    std::vector<IClipboardFormat*> rendered;
    for (const auto& format : m_impl->formats) {
        format->Clear();
        format->Render(context.rows, context.header);
        if (format->GetSize() > 0)
            rendered.push_back(format.get());
    }
    bool placed = false;
    if (!rendered.empty() && OpenClipboard(context.grid)) {
        if (EmptyClipboard()) {
            for (IClipboardFormat* format : rendered)
                placed = PlaceBlock(*format, context) || placed;
        }
        CloseClipboard();
    }
    for (IClipboardFormat* format : rendered)
        format->Clear();
    return placed;
}

bool CCopyPaste::Paste(CGrid* grid)
{
    if (grid == nullptr || !IsWindow(grid) || m_impl->formats.empty())
        return false;
    const PasteSettings settings = *grid->GetPasteSettings();
    const std::optional<PasteContext> target = PasteTarget(*grid, settings);
    if (!target)
        return false;
    ClipboardImport import;
    if (!ReadClipboard(*grid, settings.importsCreateObjects, import))
        return false;
    return InsertRows(*target, import, import.operation);
}

bool CCopyPaste::ReadClipboard(CGrid& grid, bool createObjects, ClipboardImport& import)
{
    if (!OpenClipboard(&grid))
        return false;
    bool imported = false;
    for (const auto& format : m_impl->formats) {
        const UINT id = format->GetClipboardFormat();
        HANDLE block = IsClipboardFormatAvailable(id) ? GetClipboardData(id) : nullptr;
        const void* bytes = block != nullptr ? GlobalLock(block) : nullptr;
        const std::size_t size = GlobalSize(block);
        if (bytes != nullptr && size <= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            ClipboardImport attempt;
            imported = format->Import(bytes, static_cast<int>(size), createObjects ? this : nullptr,
                                      attempt);
            if (imported)
                import = std::move(attempt);
        }
        if (block != nullptr)
            GlobalUnlock(block);
        if (imported)
            break;
    }
    CloseClipboard();
    return imported;
}

bool CCopyPaste::CanPaste(CGrid* grid)
{
    if (grid == nullptr)
        return false;
    for (const auto& format : m_impl->formats) {
        if (IsClipboardFormatAvailable(format->GetClipboardFormat()))
            return true;
    }
    return false;
}

bool CCopyPaste::InsertRows(const PasteContext& context, ClipboardImport& import, int operation)
{
    return InsertImportedRows(context, import, operation);
}

bool InsertImportedRows(const CCopyPaste::PasteContext& context, ClipboardImport& import,
                        int operation)
{
    if (context.grid == nullptr || import.rows.size() != import.objects.size()) {
        DeleteCreatedRows(import);
        return false;
    }
    std::vector<CGridItem*> inserted;
    if (operation == ClipboardCopy)
        inserted = InsertCopies(context, import);
    else if (operation == ClipboardCut)
        inserted = MoveCutRows(context, import);
    AttachCreatedRows(context, import, inserted);
    if (inserted.empty())
        return false;
    FinishPaste(context, inserted);
    return true;
}

void CCopyPaste::AddFormat(IClipboardFormat* format)
{
    m_impl->formats.Add(format);
}

std::vector<IClipboardFormat*> CCopyPaste::GetFormats() const
{
    return m_impl->formats.Get();
}

// ---- IObjectImporter --------------------------------------------------------------------------

Common::CDataObject* CCopyPaste::CreateObject(const std::string& className)
{
    return m_impl->created.Create(className);
}

void CCopyPaste::GetCreatedObjects(std::vector<Common::CDataObject*>& out) { m_impl->created.Get(out); }

void CCopyPaste::ReleaseCreatedObjects(bool destroy) { m_impl->created.Release(destroy); }

} // namespace Ombrel::GUI
