#include "ombrel/gui/rows/GridClock.h"

#include "ombrel/base/Clock.h"

namespace Ombrel::GUI {

std::int64_t GetGridTime()
{
    // Initialised on first use; thread-safe by the language's rules for local statics.
    static const std::uint64_t start = GetTickCount64();
    return static_cast<std::int64_t>(GetTickCount64() - start);
}

} // namespace Ombrel::GUI
