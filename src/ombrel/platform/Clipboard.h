#pragma once

#include "ombrel/platform/GlobalMemory.h"
#include "ombrel/platform/Messages.h"

// The system clipboard, shared with other applications, with data kept in global memory
// blocks (GlobalMemory.h).
//
// Writing:  OpenClipboard(window) -> EmptyClipboard -> SetClipboardData per format ...
//           -> CloseClipboard, which publishes every block set since EmptyClipboard as one
//           new clipboard content. Other applications see the old content until then, and
//           never a half-written one.
// Reading:  OpenClipboard(window) -> IsClipboardFormatAvailable / GetClipboardData ...
//           -> CloseClipboard. IsClipboardFormatAvailable also works without opening.
//
// Formats:
//   CF_TEXT             UTF-8 text ending with one NUL byte. Other applications see it as
//                       plain text; plain text they put on the clipboard reads as CF_TEXT.
//   registered formats  RegisterClipboardFormat(name): the block's bytes travel unchanged,
//                       readable by code that registers the same name, in this process or
//                       another.
//
// Threads: the clipboard belongs to the window thread, the thread that runs the application
// object. Every clipboard function called on another thread, or before the application
// object exists, fails (false/null/0) without touching the clipboard. The open clipboard is
// therefore confined to that thread and needs no lock. RegisterClipboardFormat and
// GetClipboardFormatName work on any thread.

namespace Ombrel {

constexpr UINT CF_TEXT = 1;
// RegisterClipboardFormat hands out identifiers from here up to 0xFFFF.
constexpr UINT kFirstRegisteredClipboardFormat = 0xC000;
constexpr UINT kLastRegisteredClipboardFormat = 0xFFFF;
// The longest format name, in bytes.
constexpr std::size_t kMaxClipboardFormatName = 255;

// Process-wide identifier for a format name, the same for every call with that name, from
// kFirstRegisteredClipboardFormat up. Names are compared exactly, including case, because
// other applications match the name exactly too. 0 for a null or empty name, a name longer
// than kMaxClipboardFormatName, or when the identifiers are used up.
UINT RegisterClipboardFormat(const char* name);

// Copies the registered name of `format` into `name` (at most `capacity` - 1 bytes, then a
// NUL) and returns the bytes copied; 0 for a format that is not registered (CF_TEXT
// included) or no room.
int GetClipboardFormatName(UINT format, char* name, int capacity);

// Opens the clipboard for the calling thread on behalf of `owner` (a window of the calling
// thread, or null). Fails while the clipboard is open already, by any window, including this
// one: sessions do not nest.
bool OpenClipboard(CWnd* owner);

// Ends the session opened by OpenClipboard. When EmptyClipboard was called in it, the blocks
// set since then become the clipboard's content (none: the clipboard is left empty) and
// are freed. Blocks returned by GetClipboardData are freed too. False when the clipboard is
// not open.
bool CloseClipboard();

// Removes every format from the clipboard and starts a new content, to be filled by
// SetClipboardData and published by CloseClipboard. Frees the blocks returned by
// GetClipboardData. False when the clipboard is not open.
bool EmptyClipboard();

// Places `block` under `format` in the content started by EmptyClipboard; the clipboard takes
// ownership of the block (the caller must not free it) and frees a block set earlier for the
// same format. Returns `block`, or null (ownership stays with the caller) when the clipboard is
// not open, EmptyClipboard was not called in this session, the format is neither CF_TEXT nor
// registered, or the handle names no block owned by the caller. A null block (data rendered
// later on request) is not supported and fails.
HANDLE SetClipboardData(UINT format, HANDLE block);

// The clipboard's block for `format`, or null when the format is not there or the clipboard
// is not open. The block belongs to the clipboard: read it with GlobalLock/GlobalSize, do not
// free it, and do not use it after EmptyClipboard or CloseClipboard.
HANDLE GetClipboardData(UINT format);

// True when the clipboard holds `format`: the content being written while an emptied
// clipboard is open, else the content the system clipboard holds now.
bool IsClipboardFormatAvailable(UINT format);

} // namespace Ombrel
