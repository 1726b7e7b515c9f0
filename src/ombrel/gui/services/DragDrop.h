#pragma once

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/services/ClipboardFormat.h"
#include "ombrel/gui/services/ObjectImporter.h"
#include "ombrel/platform/DropEffect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ombrel {
class COleDataObject;
}

namespace Ombrel::GUI {

class CGrid;

// Where dropped rows land relative to the row under the pointer, chosen by the pointer's place
// inside that row: its upper quarter puts them before the row, its lower quarter after it
// (both under the row's parent), the middle makes them the row's last children. Over no row
// they go to the end of the area's top-level rows. Sorted rows then take their sorted places.
enum class DropPlacement : std::int32_t
{
    Before,
    After,
    Child,
};

// What the grid tells the service about a drag over it. `index` and `rowType` name the row under
// the pointer by its visible position; index -1 is the area's root (the pointer is below the
// last row), rowType ROW_DETACHED means no row area at all (the header).
struct DropInfo
{
    CGrid* grid = nullptr;            // the target grid
    COleDataObject* data = nullptr;   // what is dragged; valid during the call only
    DWORD keyState = 0;               // MK_* flags; MK_CONTROL asks for a copy
    int index = -1;
    int rowType = ROW_DETACHED;
    DropPlacement placement = DropPlacement::Child;
};

// Why the current import may not be dropped at a place, as bits (0: it may).
enum DropRefusal : std::int32_t
{
    RefuseCopyWithinGrid = 1,
    RefuseMoveWithinGrid = 2,
    RefuseCopyFromOtherGrid = 4,
    RefuseMoveFromOtherGrid = 8,
    RefuseCreatedObjects = 16,
    RefuseFixedRows = 64,
    RefuseNormalRows = 128,
};

// How OnDrop treats a drop.
enum DropKind : std::int32_t
{
    DropResetOnly = 0, // forget the current import, insert nothing
    DropPlain = 1,     // insert the current import
    DropChecked = 2,   // insert it when CanDrop still agrees (the grid drops this way)
};

// Drags selected rows out of a grid and drops rows into one. The grid calls it from its mouse
// handling (StartDrag) and from its drop target (the rest). Window thread only: a drag is
// modal on that thread.
class IDragDrop
{
public:
    virtual ~IDragDrop() = default;
    // Drags the grid's selected rows; the effect the drop target performed.
    virtual DROPEFFECT StartDrag(CGrid* grid) = 0;
    virtual DROPEFFECT OnDragEnter(const DropInfo& info) = 0;
    virtual DROPEFFECT OnDragOver(const DropInfo& info) = 0;
    virtual DROPEFFECT OnDrop(const DropInfo& info, int kind) = 0;
    virtual void OnDragLeave() = 0;
    // Whether the current import may be dropped at `info`'s place with its key state.
    virtual bool CanDrop(const DropInfo& info) = 0;
};

// The standard drag-and-drop service: an ordered list of clipboard formats (owned), the same
// classes the clipboard uses. A drag renders the rows in every format; a drag over a grid is
// imported once, through the first format in list order whose data is there, imports and is
// not refused by the target grid's drop settings (CGrid::GetDropSettings). The import is kept
// until the drop or the leave. The service is also the importer of its formats: objects an
// import creates stay in its list until they are released.
//
// Drop effects: none without an import (and, while the pointer moves, where CanDrop refuses);
// copy with Ctrl held or for rows an import created (data from outside the process); move
// otherwise. A move within this process moves the rows themselves; a copy shows the same
// objects in new rows. The source does nothing after a move: the target has moved the rows,
// and a move into another application leaves the rows where they are.
class CDragDrop : public IDragDrop, public IObjectImporter, public virtual IAutoDelete
{
public:
    // `autoDelete`: a grid that drops or replaces this service deletes it.
    explicit CDragDrop(bool autoDelete = true);
    // Deletes the formats, the current import's created rows and the created objects.
    ~CDragDrop() override;
    CDragDrop(const CDragDrop&) = delete;
    CDragDrop& operator=(const CDragDrop&) = delete;

    // The process-wide service of grids that have none of their own: a local-data format
    // followed by a text format; not auto-deleted.
    static CDragDrop& GetDefault();

    bool IsAutoDelete() const override;

    DROPEFFECT StartDrag(CGrid* grid) override;
    DROPEFFECT OnDragEnter(const DropInfo& info) override;
    DROPEFFECT OnDragOver(const DropInfo& info) override;
    DROPEFFECT OnDrop(const DropInfo& info, int kind) override;
    void OnDragLeave() override;
    bool CanDrop(const DropInfo& info) override;

    // Appends a format, which the service owns from then on; null is ignored.
    virtual void AddFormat(IClipboardFormat* format);
    // The formats in list order (still owned by the service).
    virtual std::vector<IClipboardFormat*> GetFormats() const;
    // Renders the grid's drag (StartDrag's CDragSource) in `formats` and runs the modal drag;
    // with the grid's drop settings asking for it, a picture of the rows follows the pointer.
    virtual DROPEFFECT DoDragDrop(CGrid* grid, const std::vector<IClipboardFormat*>& formats);
    // Places an import at `info`'s place (see DropPlacement) as a paste would insert it; the
    // effect performed, none when nothing was inserted.
    virtual DROPEFFECT InsertDropped(const DropInfo& info, ClipboardImport& import, int kind);

    // The refusal bits (DropRefusal) of `import` at `info`'s place and key state, against the
    // target grid's drop settings.
    static int GetRefusalReason(const DropInfo& info, const ClipboardImport& import);

    Common::CDataObject* CreateObject(const std::string& className) override;
    void GetCreatedObjects(std::vector<Common::CDataObject*>& out) override;
    void ReleaseCreatedObjects(bool destroy) override;

private:
    void EnsureImport(const DropInfo& info);
    DROPEFFECT EffectFor(const DropInfo& info) const;
    void ResetImport();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
