#pragma once

#include <cstdint>

namespace Ombrel {

// The grid clock: milliseconds of a monotonic clock, never going backwards. Change times and
// scheduled repaints are measured with it; its zero is arbitrary.
std::uint64_t GetTickCount64();

} // namespace Ombrel
