#pragma once

#include "ombrel/platform/Messages.h"

#include <cstddef>
#include <cstdint>

// Global memory blocks: owned byte buffers behind opaque handles, the currency of the
// clipboard (Clipboard.h).
//
// A handle is a serial number, never an address, and is never reused: a handle whose block
// has been freed, or a value that was never a handle, names no block. Every function checks
// its handle against the live blocks and answers null/0 for one that names none, so a stale
// or forged handle can neither crash the process nor reach another block.
//
// Blocks may be allocated, read and freed on any thread; the table of live blocks is guarded
// by one mutex. The bytes themselves are not guarded: a thread that frees a block while
// another still uses the pointer from GlobalLock breaks the block's contract, as with any
// owned buffer.
//
// Ownership: the allocating caller owns a block until it frees it or hands it to the
// clipboard with SetClipboardData. A block owned by the clipboard cannot be freed by the
// caller; the clipboard frees it itself.

namespace Ombrel {

// Opaque; never defined. Handle values are serial numbers, not addresses of this type.
struct GlobalMemoryBlock;
using HGLOBAL = GlobalMemoryBlock*;
// The only handles of this layer that travel as HANDLE (clipboard data) are global blocks.
using HANDLE = HGLOBAL;

// Allocation flags. The bytes of every block start zeroed, with or without GMEM_ZEROINIT.
// GMEM_FIXED and GMEM_MOVEABLE differ only in lock counting (see GlobalUnlock); the handle is
// never the address of the bytes, so even a fixed block must be locked to be read or written.
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// The largest block: callers measure clipboard contents in 32-bit signed sizes.
constexpr std::size_t kMaxGlobalBlockSize = 0x7FFFFFFF;

// A new block of `size` bytes owned by the caller, or null when `flags` holds a bit other
// than the ones above, `size` exceeds kMaxGlobalBlockSize or memory is short. A block of 0
// bytes is a valid block whose GlobalLock still answers a non-null address.
HGLOBAL GlobalAlloc(UINT flags, std::size_t size);

// The address of the block's bytes, valid until the block is freed; null for a handle that
// names no block. Counts one lock on a moveable block.
void* GlobalLock(HGLOBAL block);

// Undoes one GlobalLock of a moveable block. True while the block stays locked; false once it
// is unlocked, for a fixed block (never counted as locked) and for a handle that names no
// block.
bool GlobalUnlock(HGLOBAL block);

// The size given to GlobalAlloc; 0 for a handle that names no block.
std::size_t GlobalSize(HGLOBAL block);

// Frees a block owned by the caller. Null on success (and for a null handle); the handle
// itself when it names no block or the block belongs to the clipboard.
HGLOBAL GlobalFree(HGLOBAL block);

} // namespace Ombrel
