#pragma once

#include "ombrel/platform/DropEffect.h"
#include "ombrel/platform/GlobalMemory.h"

#include <memory>

namespace Ombrel {

class CWnd;

// The data of a drag, offered in the clipboard's formats, and the modal drag that carries it.
// Other applications see the same formats as on the clipboard: CF_TEXT as plain text, a
// registered format under its own type.
//
//   CacheGlobalData per format -> DoDragDrop (returns when the drop or the cancel is done)
//
// While the drag runs, the window thread keeps handling messages (paints, timers, messages
// sent from other threads), so other windows, and the source window itself, may change or
// go away meanwhile. Window thread only.
class COleDataSource
{
public:
    COleDataSource();
    ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers `block`'s bytes under `format` (CF_TEXT or a registered format) and frees the
    // block: the source keeps a copy. A block cached earlier for the format is replaced. False,
    // and the block stays the caller's, for an unsupported format or a handle that names no
    // block the caller owns.
    bool CacheGlobalData(UINT format, HGLOBAL block);
    // Forgets every cached format.
    void Empty();
    bool IsEmpty() const;

    // Runs the modal drag from `source` (a window of the calling thread with a widget),
    // allowing `allowedEffects` (DROPEFFECT_COPY | DROPEFFECT_MOVE). The image list's begun
    // drag image (CImageList::BeginDrag), if any, follows the pointer. Returns the effect the
    // target performed; DROPEFFECT_NONE when the drag was cancelled (Escape, released outside
    // any target), refused, when nothing is cached, or when the platform cannot drag.
    DROPEFFECT DoDragDrop(CWnd* source, DROPEFFECT allowedEffects);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
