#pragma once

// The workloads, run the same way on either side. Results are written as "key value" lines,
// which the table maker reads back from the child process that ran them.

#include <cstdio>
#include <string>

namespace OmbrelBench {

class IPeerSide;

struct WorkloadOptions
{
    int rowCount = 10000;
    int updateSeconds = 10;
    // Page-down walks longer than this many pages are sampled: kPageRuns runs of consecutive
    // pages spread evenly over the rows.
    int maxPages = 1000;
    // Only the bulk load and its first frame.
    bool loadOnly = false;
    // Where to write the first frame, and the frame at the end of the updates, as PNG files;
    // empty: nowhere.
    std::string firstFramePath;
    std::string lastFramePath;
};

constexpr int kPageRuns = 10;

// Runs, in this order: bulk load until the first frame, resident memory, full repaint,
// page-down walk, sustained updates (last: it changes the data).
void RunWorkloads(IPeerSide& side, const WorkloadOptions& options, std::FILE* out);

} // namespace OmbrelBench
