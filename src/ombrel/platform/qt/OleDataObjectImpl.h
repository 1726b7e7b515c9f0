#pragma once

// Internal to the framework layer: what a COleDataObject reads, the MIME data of a drag event.

#include "ombrel/platform/OleDataObject.h"

#include <QPointer>
#include <QMimeData>

namespace Ombrel {

struct COleDataObject::Impl
{
    // The event's data; Qt may drop it when the drag ends, so it is held weakly.
    QPointer<const QMimeData> data;
};

} // namespace Ombrel
