#pragma once

#include <cstddef>

namespace Ombrel::GUI {

// Changes the process-wide dispatcher holds for its owner thread and has not handed to rows
// yet. For tests and diagnostics: the figure is stale as soon as it is read while other
// threads notify.
std::size_t GetDispatcherPendingCount();

} // namespace Ombrel::GUI
