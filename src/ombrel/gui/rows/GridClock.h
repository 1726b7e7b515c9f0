#pragma once

#include <cstdint>

namespace Ombrel::GUI {

// The grid clock: milliseconds since the clock's first use in the process, from the platform's
// monotonic tick count. Change times and scheduled repaints are measured with it.
std::int64_t GetGridTime();

} // namespace Ombrel::GUI
