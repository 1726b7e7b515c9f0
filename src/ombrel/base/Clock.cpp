#include "ombrel/base/Clock.h"

#include <chrono>

namespace Ombrel {

std::uint64_t GetTickCount64()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace Ombrel
