#pragma once

#include <cstdint>

namespace Ombrel {

// Resident memory of this process in bytes, from /proc/self/statm; 0 where it cannot be read.
// For figures a user or a benchmark reads (memory per row), not for decisions of the program.
std::uint64_t ResidentBytes();

} // namespace Ombrel
