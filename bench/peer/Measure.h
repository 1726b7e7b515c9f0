#pragma once

// Clocks, resident memory and summaries of samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace OmbrelBench {

// Monotonic time in nanoseconds.
std::int64_t NowNs();

// CPU time used so far by all threads of this process, in nanoseconds. Beside the wall clock
// it shows how much of a wall-clock figure other processes on the machine took.
std::int64_t ProcessCpuNs();

// Minor page faults of this process so far (pages the kernel had to map on first touch).
std::int64_t MinorFaults();

// Milliseconds between two NowNs (or two ProcessCpuNs) readings.
double ElapsedMs(std::int64_t startNs, std::int64_t endNs);


// The q-quantile (0..1) of `samples`, nearest rank; NaN when there are none.
double Quantile(std::vector<double> samples, double q);

} // namespace OmbrelBench
