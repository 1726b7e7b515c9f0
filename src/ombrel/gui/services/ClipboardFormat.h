#pragma once

#include "ombrel/platform/Messages.h"

#include <cstdint>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CGrid;
class CGridItem;
class CHeader;
class IObjectImporter;

// What a clipboard content asks for when it is pasted: copy the rows' objects into new rows,
// or move the rows themselves (a cut is a move on paste, as in a file manager).
enum ClipboardOperation : std::int32_t
{
    ClipboardCopy = 1,
    ClipboardCut = 2,
};

// What an import found in a clipboard block, for the paste that inserts it.
struct ClipboardImport
{
    // The producing grid as an address read from the block: it may name no live grid, so it
    // is only ever looked up (CGrid::FindImpl), never dereferenced.
    const CGrid* sourceGrid = nullptr;
    std::int32_t rowTypes = 0; // the types the rows were taken from (bit 0 fixed, bit 1 normal)
    std::int32_t operation = 0; // ClipboardOperation
    UINT format = 0;            // the clipboard format that was imported
    // Rows found alive at import, each with the data object it showed then (same index).
    std::vector<CGridItem*> rows;
    std::vector<Common::CDataObject*> objects;
    // Rows an import made for data that came without live rows (pooled, not in any grid);
    // the paste attaches them or deletes them.
    std::vector<CGridItem*> createdRows;
};

// One way of putting grid rows on the clipboard and reading them back. A copy-paste or
// drag-and-drop service owns an ordered list of formats: copying renders the rows in every
// format, pasting asks the formats in order to import. Window thread only.
//
// Render -> GetSize -> GetData (into a block of GetSize bytes) -> Clear is one copy.
class IClipboardFormat
{
public:
    virtual ~IClipboardFormat() = default;
    // Builds the content for these rows (dropping what was built before).
    virtual void Render(const std::vector<CGridItem*>& rows, CHeader* header) = 0;
    // Bytes of the built content; 0: nothing to offer.
    virtual int GetSize() const = 0;
    // Writes exactly GetSize() bytes of the built content to `destination`.
    virtual void GetData(void* destination, CGrid* grid, int rowTypes, int operation) = 0;
    virtual void Clear() = 0;
    virtual UINT GetClipboardFormat() const = 0;
    // Reads `size` bytes of untrusted clipboard data into `record`; true when there is
    // something to paste. Objects the data needs are made through `importer` (when given).
    virtual bool Import(const void* data, int size, IObjectImporter* importer,
                        ClipboardImport& record) = 0;
};

// The registered clipboard formats of grid rows, registered on first use and cached.
// "Ombrel.LocalDataFormat": references to rows and objects, valid in the producing process.
UINT GetLocalDataClipboardFormat();
// "Ombrel.RemoteDataFormat": the name the drag-and-drop service accepts as a drop format.
UINT GetRemoteDataClipboardFormat();

} // namespace Ombrel::GUI
