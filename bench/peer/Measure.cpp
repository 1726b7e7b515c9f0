#include "Measure.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace OmbrelBench {

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t ProcessCpuNs()
{
    timespec now{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0)
        return 0;
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t MinorFaults()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return usage.ru_minflt;
}

double ElapsedMs(std::int64_t startNs, std::int64_t endNs)
{
    return static_cast<double>(endNs - startNs) / 1e6;
}

double Quantile(std::vector<double> samples, double q)
{
    if (samples.empty())
        return std::numeric_limits<double>::quiet_NaN();
    const double clamped = std::clamp(q, 0.0, 1.0);
    // Nearest rank: the smallest sample with at least q of all samples at or below it.
    auto rank = static_cast<std::size_t>(std::ceil(clamped * static_cast<double>(samples.size())));
    const std::size_t index = rank == 0 ? 0 : rank - 1;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index),
                     samples.end());
    return samples[index];
}

} // namespace OmbrelBench
