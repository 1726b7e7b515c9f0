#include "Workloads.h"

#include <algorithm>
#include <vector>

#include "Measure.h"
#include "PeerSide.h"
#include "RowData.h"
#include "UpdateLoad.h"

#include "ombrel/base/ProcessMemory.h"

namespace OmbrelBench {

namespace {

constexpr std::uint32_t kDataSeed = 20261208u;
constexpr int kRepaintWarmUps = 3;
constexpr int kRepaints = 20;

// Wall-clock and process CPU time from one start.
struct Stopwatch
{
    std::int64_t wallStart = NowNs();
    std::int64_t cpuStart = ProcessCpuNs();

    double WallMs() const { return ElapsedMs(wallStart, NowNs()); }
    double CpuMs() const { return ElapsedMs(cpuStart, ProcessCpuNs()); }
};

double Mean(const std::vector<double>& samples)
{
    double total = 0;
    for (double sample : samples)
        total += sample;
    return samples.empty() ? 0 : total / static_cast<double>(samples.size());
}

void Put(std::FILE* out, const char* key, double value)
{
    std::fprintf(out, "%s %.6g\n", key, value);
    std::fflush(out);
}

void SaveFrame(const IPeerSide& side, const std::string& path)
{
    if (!path.empty() && !side.SaveGrab(path.c_str()))
        std::fprintf(stderr, "could not write %s\n", path.c_str());
}

// Load in random key order, then everything the side has deferred, then one full frame.
void RunLoad(IPeerSide& side, const std::vector<RowValues>& rows, const WorkloadOptions& options,
             std::FILE* out)
{
    const std::uint64_t residentBefore = Ombrel::ResidentBytes();
    const Stopwatch stopwatch;
    side.Load(rows);
    side.ProcessEvents();
    side.Grab();
    const double wallMs = stopwatch.WallMs();
    const double cpuMs = stopwatch.CpuMs();
    SaveFrame(side, options.firstFramePath);
    side.ProcessEvents();
    const std::uint64_t residentAfter = Ombrel::ResidentBytes();
    const int loaded = side.GetLoadedRowCount();
    Put(out, "load_ms", wallMs);
    Put(out, "load_cpu_ms", cpuMs);
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
    std::vector<double> wallSamples;
    std::vector<double> cpuSamples;
    const std::int64_t faultsBefore = MinorFaults();
    for (int i = 0; i < kRepaints; ++i) {
        const Stopwatch stopwatch;
        side.Grab();
        wallSamples.push_back(stopwatch.WallMs());
        cpuSamples.push_back(stopwatch.CpuMs());
    }
    Put(out, "repaint_ms", Quantile(wallSamples, 0.5));
    Put(out, "repaint_cpu_ms", Quantile(cpuSamples, 0.5));
    Put(out, "repaint_faults", static_cast<double>(MinorFaults() - faultsBefore) / kRepaints);
}

// Times `pages` page-downs from the current position, each followed by a full frame; the
// events the scroll leaves behind are handled outside the time. Returns the pages walked.
int WalkPages(IPeerSide& side, int pages, std::vector<double>& wallSamples,
              std::vector<double>& cpuSamples, std::int64_t& faults)
{
    int walked = 0;
    while (walked < pages) {
        const Stopwatch stopwatch;
        const std::int64_t faultsBefore = MinorFaults();
        if (!side.PageDown())
            break;
        side.Grab();
        wallSamples.push_back(stopwatch.WallMs());
        cpuSamples.push_back(stopwatch.CpuMs());
        faults += MinorFaults() - faultsBefore;
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
    std::vector<double> cpuSamples;
    std::int64_t faults = 0;
    const bool sampled = totalPages > maxPages;
    if (!sampled) {
        WalkPages(side, totalPages + 1, samples, cpuSamples, faults);
    } else {
        const int perRun = maxPages / kPageRuns;
        for (int run = 0; run < kPageRuns; ++run) {
            const std::int64_t top =
                static_cast<std::int64_t>(rowCount - pageRows) * run / kPageRuns;
            side.SetTopRow(static_cast<int>(top));
            side.ProcessEvents();
            side.Grab(); // the frame at the jump's target is not part of the walk
            WalkPages(side, perRun, samples, cpuSamples, faults);
        }
    }
    Put(out, "page_rows", pageRows);
    Put(out, "pages_total", totalPages);
    Put(out, "pages_timed", static_cast<double>(samples.size()));
    Put(out, "page_sampled", sampled ? 1 : 0);
    if (!samples.empty()) {
        Put(out, "page_ms", Mean(samples));
        Put(out, "page_cpu_ms", Mean(cpuSamples));
        Put(out, "page_faults", static_cast<double>(faults) / static_cast<double>(samples.size()));
        Put(out, "page_p99_ms", Quantile(samples, 0.99));
    }
}

void RunUpdates(IPeerSide& side, int rowCount, int seconds, std::FILE* out)
{
    side.SetTopRow(0); // the probes sort first
    side.ProcessEvents();
    CUpdateLoad load(rowCount, side.GetUpdateTarget());
    side.SetUpdateLoad(&load);
    const Stopwatch stopwatch;
    load.Start();
    side.RunEventLoopFor(seconds * 1000);
    const std::int64_t applied = load.GetAppliedCount();
    const double wallMs = stopwatch.WallMs();
    const double cpuMs = stopwatch.CpuMs();
    const std::vector<double> latencies = load.GetLatenciesMs();
    const int unpainted = load.GetUnpaintedProbeCount();
    load.Stop();
    side.SetUpdateLoad(nullptr);
    Put(out, "updates_per_s", static_cast<double>(applied) / (wallMs / 1000.0));
    // Cores kept busy by the window thread and both workers together (at most 2 here).
    Put(out, "updates_cores", cpuMs / wallMs);
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
    if (!options.lastFramePath.empty()) {
        side.ProcessEvents(); // the changes still in flight when the workers stopped
        side.Grab();
        SaveFrame(side, options.lastFramePath);
    }
}

} // namespace OmbrelBench
