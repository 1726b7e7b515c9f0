#pragma once

#include "ombrel/platform/GlobalMemory.h"
#include "ombrel/platform/Messages.h"

#include <memory>

namespace Ombrel {

// The data being dragged over a drop target, read in the clipboard's formats (Clipboard.h):
// CF_TEXT and registered formats. The data may come from another application and is
// untrusted: read it only through GetGlobalData's copy, never trusting its size or content.
//
// A drop target gets one for the duration of a callback (COleDropTarget); it reads nothing
// once the callback has returned. Window thread only.
class COleDataObject
{
public:
    struct Impl;

    // Holds no data: every format is absent.
    COleDataObject();
    // Internal to the framework layer: reads the data `impl` refers to.
    explicit COleDataObject(std::unique_ptr<Impl> impl);
    ~COleDataObject();
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    bool IsDataAvailable(UINT format) const;
    // A new global block owned by the caller (free it with GlobalFree) holding the bytes of
    // `format` as a clipboard block would hold them (text: UTF-8 and one NUL); null when the
    // format is absent or memory is short.
    HGLOBAL GetGlobalData(UINT format) const;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
