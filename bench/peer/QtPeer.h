#pragma once

// The Qt peer: QStandardItemModel + a sorting QSortFilterProxyModel (dynamic sort on, two
// sort levels) + QTreeView, as a Qt developer would show the same rows.

#include <memory>

#include "PeerSide.h"

namespace OmbrelBench {

enum class QtLoadMode
{
    // appendRow on the source model, one row at a time, while the proxy is sorted and shown;
    // gives up after `rowWiseLimitMs` (the proxy's per-insert cost grows with its size).
    RowWiseIntoSortedProxy,
    // Fills the source model first and then attaches it to the proxy, which sorts once.
    AttachAfterFilling,
};

std::unique_ptr<IPeerSide> CreateQtSide(QtLoadMode mode, int rowWiseLimitMs);

} // namespace OmbrelBench
