#include "Workloads.h"

#include <algorithm>
#include <vector>

#include "Measure.h"
#include "PeerSide.h"
#include "RowData.h"
#include "UpdateLoad.h"

namespace OmbrelBench {

namespace {

constexpr std::uint32_t kDataSeed = 20261208u;
constexpr int kRepaintWarmUps = 3;
constexpr int kRepaints = 20;

void Put(std::FILE* out, const char* key, double value)
{
    std::fprintf(out, "%s %.6g\n", key, value);
    std::fflush(out);
}

// Load in random key order, then everything the side has deferred, then one full frame.
void RunLoad(IPeerSide& side, const std::vector<RowValues>& rows, const WorkloadOptions& options,
             std::FILE* out)
{
    const std::size_t residentBefore = ResidentBytes();
    const std::int64_t start = NowNs();
    side.Load(rows);
    side.ProcessEvents();
    side.Grab();
    const std::int64_t end = NowNs();
    if (!options.firstFramePath.empty() && !side.SaveGrab(options.firstFramePath.c_str()))
        std::fprintf(stderr, "could not write %s\n", options.firstFramePath.c_str());
    side.ProcessEvents();
    const std::size_t residentAfter = ResidentBytes();
    const int loaded = side.GetLoadedRowCount();
    Put(out, "load_ms", ElapsedMs(start, end));
    Put(out, "load_complete", side.IsLoadComplete() ? 1 : 0);
    Put(out, "loaded_rows", loaded);
    if (loaded > 0 && residentAfter >= residentBefore)
        Put(out, "bytes_per_row",
            static_cast<double>(residentAfter - residentBefore) / static_cast<double>(loaded));
}

void RunRepaint(IPeerSide& side, std::FILE* out)
{
    side.SetTopRow(0);
    side.ProcessEvents();
    for (int i = 0; i < kRepaintWarmUps; ++i)
        side.Grab();
    std::vector<double> samples;
    for (int i = 0; i < kRepaints; ++i) {
        const std::int64_t start = NowNs();
        side.Grab();
        samples.push_back(ElapsedMs(start, NowNs()));
    }
    Put(out, "repaint_ms", Quantile(samples, 0.5));
}

// Times `pages` page-downs from the current position, each followed by a full frame; the
// events the scroll leaves behind are handled outside the time. Returns the pages walked.
int WalkPages(IPeerSide& side, int pages, std::vector<double>& samples)
{
    int walked = 0;
    while (walked < pages) {
        const std::int64_t start = NowNs();
        if (!side.PageDown())
            break;
        side.Grab();
        samples.push_back(ElapsedMs(start, NowNs()));
        ++walked;
        side.ProcessEvents();
    }
    return walked;
}

void RunPageDown(IPeerSide& side, int rowCount, int maxPages, std::FILE* out)
{
    side.SetTopRow(0);
    side.ProcessEvents();
    const int pageRows = std::max(1, side.GetPageRowCount());
    const int totalPages = (std::max(0, rowCount - pageRows) + pageRows - 1) / pageRows;
    std::vector<double> samples;
    const bool sampled = totalPages > maxPages;
    if (!sampled) {
        WalkPages(side, totalPages + 1, samples);
    } else {
        const int perRun = maxPages / kPageRuns;
        for (int run = 0; run < kPageRuns; ++run) {
            const std::int64_t top =
                static_cast<std::int64_t>(rowCount - pageRows) * run / kPageRuns;
            side.SetTopRow(static_cast<int>(top));
            side.ProcessEvents();
            side.Grab(); // the frame at the jump's target is not part of the walk
            WalkPages(side, perRun, samples);
        }
    }
    double total = 0;
    for (double sample : samples)
        total += sample;
    Put(out, "page_rows", pageRows);
    Put(out, "pages_total", totalPages);
    Put(out, "pages_timed", static_cast<double>(samples.size()));
    Put(out, "page_sampled", sampled ? 1 : 0);
    if (!samples.empty()) {
        Put(out, "page_ms", total / static_cast<double>(samples.size()));
        Put(out, "page_p99_ms", Quantile(samples, 0.99));
    }
}

void RunUpdates(IPeerSide& side, int rowCount, int seconds, std::FILE* out)
{
    side.SetTopRow(0); // the probes sort first
    side.ProcessEvents();
    CUpdateLoad load(rowCount, side.GetUpdateTarget());
    side.SetUpdateLoad(&load);
    const std::int64_t start = NowNs();
    load.Start();
    side.RunEventLoopFor(seconds * 1000);
    const std::int64_t applied = load.GetAppliedCount();
    const std::int64_t end = NowNs();
    const std::vector<double> latencies = load.GetLatenciesMs();
    const int unpainted = load.GetUnpaintedProbeCount();
    load.Stop();
    side.SetUpdateLoad(nullptr);
    Put(out, "updates_per_s", static_cast<double>(applied) / (ElapsedMs(start, end) / 1000.0));
    Put(out, "latency_samples", static_cast<double>(latencies.size()));
    Put(out, "probes_unpainted", unpainted);
    if (!latencies.empty()) {
        Put(out, "latency_median_ms", Quantile(latencies, 0.5));
        Put(out, "latency_p99_ms", Quantile(latencies, 0.99));
    }
}

} // namespace

void RunWorkloads(IPeerSide& side, const WorkloadOptions& options, std::FILE* out)
{
    const std::vector<RowValues> rows = MakeRowValues(options.rowCount, kDataSeed);
    RunLoad(side, rows, options, out);
    if (options.loadOnly || !side.IsLoadComplete())
        return;
    RunRepaint(side, out);
    RunPageDown(side, options.rowCount, options.maxPages, out);
    RunUpdates(side, options.rowCount, options.updateSeconds, out);
}

} // namespace OmbrelBench
