#pragma once

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/services/ClipboardFormat.h"
#include "ombrel/gui/services/ObjectImporter.h"

#include <memory>
#include <string>
#include <vector>

namespace Ombrel::GUI {

class CGrid;
class CGridItem;
class CHeader;

// Moves grid rows through the system clipboard. The grid reaches it through its copy, cut
// and paste requests (CGrid::Copy, Cut, Paste, CanPaste). Window thread only.
class ICopyPaste
{
public:
    virtual ~ICopyPaste() = default;
    // Put the selected rows on the clipboard; false when nothing was placed.
    virtual bool Copy(CGrid* grid) = 0;
    // As Copy, marked so that pasting moves the rows instead of showing their objects again.
    virtual bool Cut(CGrid* grid) = 0;
    // Insert what the clipboard holds; false when nothing was inserted.
    virtual bool Paste(CGrid* grid) = 0;
    // Whether the clipboard holds a format the service reads (without reading it).
    virtual bool CanPaste(CGrid* grid) = 0;
};

// The standard copy-paste service: an ordered list of clipboard formats (owned). Copying
// renders the rows in every format; pasting imports through the first format, in list order,
// whose data is on the clipboard and imports. It is also the importer of its formats: objects
// an import creates stay in its list until they are released.
//
// The grid's paste settings (CGrid::GetPasteSettings) choose the rows, the place of a paste,
// and the focus and selection afterwards:
//   focusMode      0 leaves the focus, 1 focuses the first pasted row, 2 the last one,
//                  3 the first one scrolled into view; others leave the focus
//   selectionMode  0 selects nothing, 1 the first pasted row, 2 the last one, 3 all of them;
//                  others select nothing
// A paste under a collapsed row expands it, so that the pasted rows can be seen.
class CCopyPaste : public ICopyPaste, public IObjectImporter, public virtual IAutoDelete
{
public:
    // The rows of one copy and where they came from.
    struct CopyContext
    {
        CGrid* grid = nullptr;
        CHeader* header = nullptr;
        int rowTypes = 0;                 // bit 0 fixed, bit 1 normal
        std::vector<CGridItem*> rows;     // in visible order
        int operation = ClipboardCopy;
    };

    // Where a paste goes: under `parent` (a row, GRID_ROOT or GRID_FIXED_ROOT), the first row
    // after `insertAfter` (a child of `parent`, GRID_FIRST or GRID_LAST), each further row
    // after the previous one.
    struct PasteContext
    {
        CGrid* grid = nullptr;
        CGridItem* parent = nullptr;
        CGridItem* insertAfter = nullptr;
    };

    // `autoDelete`: a grid that drops or replaces this service deletes it.
    explicit CCopyPaste(bool autoDelete = true);
    // Deletes the formats and the objects still in the created list.
    ~CCopyPaste() override;
    CCopyPaste(const CCopyPaste&) = delete;
    CCopyPaste& operator=(const CCopyPaste&) = delete;

    // The process-wide service of grids that have none of their own: a local-data format
    // followed by a text format; not auto-deleted.
    static CCopyPaste& GetDefault();

    bool IsAutoDelete() const override;

    bool Copy(CGrid* grid) override;
    bool Cut(CGrid* grid) override;
    bool Paste(CGrid* grid) override;
    bool CanPaste(CGrid* grid) override;

    // Appends a format, which the service owns from then on; null is ignored.
    virtual void AddFormat(IClipboardFormat* format);
    // The formats in list order (still owned by the service).
    virtual std::vector<IClipboardFormat*> GetFormats() const;
    // Renders the rows in every format and places each non-empty content on the clipboard in
    // one session; true when at least one block was placed.
    virtual bool PutOnClipboard(const CopyContext& context);
    // Inserts an import at the context's place: a copy shows the same objects in new rows, a
    // cut moves the rows themselves. Rows that died since the import, rows that would land in
    // their own subtree, and rows the target refuses are left where they are. False when
    // nothing was inserted (then the rows the import created are deleted).
    virtual bool InsertRows(const PasteContext& context, ClipboardImport& import, int operation);

    Common::CDataObject* CreateObject(const std::string& className) override;
    void GetCreatedObjects(std::vector<Common::CDataObject*>& out) override;
    void ReleaseCreatedObjects(bool destroy) override;

private:
    bool CopyRows(CGrid* grid, int operation);
    bool ReadClipboard(CGrid& grid, bool createObjects, ClipboardImport& import);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
