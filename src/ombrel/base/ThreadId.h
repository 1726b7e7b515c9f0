#pragma once

#include <cstdint>

namespace Ombrel {

// Identifier of the calling thread, unique among the live threads of the process and never 0.
std::uint32_t GetCurrentThreadId();
// Identifier of this process.
std::uint32_t GetCurrentProcessId();

} // namespace Ombrel
