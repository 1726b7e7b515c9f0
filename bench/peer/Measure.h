#pragma once

// Clocks, resident memory and summaries of samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace OmbrelBench {

// Monotonic time in nanoseconds.
std::int64_t NowNs();

// Milliseconds between two NowNs readings.
double ElapsedMs(std::int64_t startNs, std::int64_t endNs);

// Resident set size of this process in bytes (/proc/self/statm), or 0 when unreadable.
std::size_t ResidentBytes();

// The q-quantile (0..1) of `samples`, nearest rank; NaN when there are none.
double Quantile(std::vector<double> samples, double q);

} // namespace OmbrelBench
