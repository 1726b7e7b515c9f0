#pragma once

#include "ombrel/gui/services/ClipboardFormat.h"
#include "ombrel/gui/services/CopyPaste.h"

namespace Ombrel::GUI {

// Inserts an import at the context's place, as a paste does: ClipboardCopy shows the same
// objects in new rows, ClipboardCut moves the rows themselves, then rows the import created are
// attached after them. Rows that died since the import, rows that would land in their own
// subtree and rows the target refuses stay where they are. Afterwards the target's selection
// is cleared, the target parent expanded, and focus and selection set by the grid's paste
// settings. False when nothing was inserted (then the rows the import created are deleted).
// Shared by paste (CCopyPaste::InsertRows) and drop (CDragDrop::InsertDropped), so a row lands
// the same way whichever way it came. Window thread only.
bool InsertImportedRows(const CCopyPaste::PasteContext& context, ClipboardImport& import,
                        int operation);

} // namespace Ombrel::GUI
