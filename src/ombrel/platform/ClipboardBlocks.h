#pragma once

#include "ombrel/platform/GlobalMemory.h"

#include <cstddef>

// Internal to the framework layer (not part of Platform.h): the clipboard's side of the table
// of global memory blocks. A block is owned either by the caller that allocated it or by the
// clipboard; only these functions create or end clipboard ownership, and GlobalFree refuses
// clipboard-owned blocks. Safe on any thread (the block table's mutex); the clipboard calls
// them on the window thread only.

namespace Ombrel::Internal {

// Moves a caller-owned block to the clipboard. False, and nothing changes, when the handle
// names no block or the block already belongs to the clipboard.
bool GiveBlockToClipboard(HGLOBAL block);

// A new, zeroed, clipboard-owned block, or null as GlobalAlloc would answer.
HGLOBAL AllocateClipboardBlock(std::size_t size);

// Frees a clipboard-owned block; does nothing for any other handle.
void FreeClipboardBlock(HGLOBAL block);

} // namespace Ombrel::Internal
