// Side-by-side benchmark of the Ombrel grid and Qt's model/view (QStandardItemModel +
// QSortFilterProxyModel with dynamic sorting + QTreeView) doing the same work on the same data.
//
// Without arguments it runs every workload at 10 000, 100 000 and 1 000 000 rows and prints a
// Markdown table. Each (side, row count) runs in a child process of its own (this program with
// --child), so that resident memory is measured in a fresh process and one side's heap never
// weighs on the other's times.
//
//   ombrel_bench_peer [--sizes 10000,100000] [--seconds 10] [--pages 1000] [--limit-ms 20000]
//                     [--shots DIR]   (first frames as DIR/<side>-<rows>.png, frames after
//                                      the updates as DIR/<side>-<rows>-after-updates.png)
//   ombrel_bench_peer --child ombrel|ombrel-addmany|qt|qt-rowwise ROWS [same options]

#include <QApplication>
#include <QtGlobal>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Measure.h"
#include "OmbrelPeer.h"
#include "QtPeer.h"
#include "Workloads.h"

namespace {

using namespace OmbrelBench;
using Results = std::map<std::string, double>;

struct Options
{
    std::vector<int> sizes{10000, 100000, 1000000};
    int updateSeconds = 10;
    int maxPages = 1000;
    int rowWiseLimitMs = 20000;
    std::string shotFolder; // empty: no pictures
    std::string childSide; // empty: the parent
    int childRows = 0;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--sizes" && hasValue) {
            options.sizes.clear();
            std::stringstream list(argv[++i]);
            for (std::string item; std::getline(list, item, ',');)
                options.sizes.push_back(std::atoi(item.c_str()));
        } else if (argument == "--seconds" && hasValue) {
            options.updateSeconds = std::atoi(argv[++i]);
        } else if (argument == "--pages" && hasValue) {
            options.maxPages = std::atoi(argv[++i]);
        } else if (argument == "--limit-ms" && hasValue) {
            options.rowWiseLimitMs = std::atoi(argv[++i]);
        } else if (argument == "--shots" && hasValue) {
            options.shotFolder = argv[++i];
        } else if (argument == "--child" && i + 2 < argc) {
            options.childSide = argv[++i];
            options.childRows = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "unknown or incomplete argument: %s\n", argument.c_str());
            return false;
        }
    }
    for (int size : options.sizes)
        if (size < kProbeCount + 1) {
            std::fprintf(stderr, "row counts must be above %d\n", kProbeCount);
            return false;
        }
    return options.updateSeconds > 0 && options.maxPages >= kPageRuns;
}

// ---- Child: one side, one row count ------------------------------------------------------

int RunChild(int argc, char** argv, const Options& options)
{
    QApplication application(argc, argv);
    std::unique_ptr<IPeerSide> side;
    WorkloadOptions workload;
    workload.rowCount = options.childRows;
    workload.updateSeconds = options.updateSeconds;
    workload.maxPages = options.maxPages;
    if (!options.shotFolder.empty()) {
        const std::string stem = options.shotFolder + "/" + options.childSide + "-" +
                                 std::to_string(options.childRows);
        workload.firstFramePath = stem + ".png";
        workload.lastFramePath = stem + "-after-updates.png";
    }
    if (options.childSide == "ombrel") {
        side = CreateOmbrelSide(OmbrelLoadMode::AddPerObject);
    } else if (options.childSide == "ombrel-addmany") {
        side = CreateOmbrelSide(OmbrelLoadMode::AddMany);
        workload.loadOnly = true;
    } else if (options.childSide == "qt") {
        side = CreateQtSide(QtLoadMode::AttachAfterFilling, 0);
    } else if (options.childSide == "qt-rowwise") {
        side = CreateQtSide(QtLoadMode::RowWiseIntoSortedProxy, options.rowWiseLimitMs);
        workload.loadOnly = true;
    } else {
        std::fprintf(stderr, "unknown side: %s\n", options.childSide.c_str());
        return 2;
    }
    RunWorkloads(*side, workload, stdout);
    std::fflush(stdout);
    // Tearing down a million rows is no workload: leave without it.
    std::_Exit(0);
}

// ---- Parent: children, machine, table -----------------------------------------------------

std::string SelfPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    return std::string(path, static_cast<std::size_t>(length));
}

// Runs a child and reads its "key value" lines; `failure` is set when it did not end well.
Results RunSide(const Options& options, const std::string& side, int rows, std::string& failure)
{
    std::ostringstream command;
    command << '\'' << SelfPath() << "' --child " << side << ' ' << rows << " --seconds "
            << options.updateSeconds << " --pages " << options.maxPages << " --limit-ms "
            << options.rowWiseLimitMs;
    if (!options.shotFolder.empty())
        command << " --shots '" << options.shotFolder << '\'';
    std::fprintf(stderr, "running %s at %d rows ...\n", side.c_str(), rows);
    const std::int64_t start = NowNs();
    Results results;
    FILE* pipe = popen(command.str().c_str(), "r");
    if (pipe == nullptr) {
        failure = "could not start";
        return results;
    }
    char key[64];
    double value = 0;
    while (std::fscanf(pipe, "%63s %lf", key, &value) == 2)
        results[key] = value;
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failure = WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                                      : "exit status " + std::to_string(WEXITSTATUS(status));
    std::fprintf(stderr, "  %s at %d rows took %.1f s%s%s\n", side.c_str(), rows,
                 ElapsedMs(start, NowNs()) / 1000.0, failure.empty() ? "" : ": ",
                 failure.c_str());
    return results;
}

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown";
}

double MemoryGiB()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string label;
    double kilobytes = 0;
    meminfo >> label >> kilobytes;
    return kilobytes / (1024.0 * 1024.0);
}

std::string Number(double value, int decimals)
{
    if (std::isnan(value))
        return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

struct Cell
{
    bool present = false;
    double value = 0;
    std::string text;
};

Cell Read(const Results& results, const std::string& key, int decimals)
{
    const auto found = results.find(key);
    if (found == results.end())
        return {false, 0, "—"};
    return {true, found->second, Number(found->second, decimals)};
}

// How many times better Ombrel does: the peer's figure over Ombrel's for costs, the reverse
// for rates.
std::string Advantage(const Cell& ombrel, const Cell& qt, bool higherIsBetter)
{
    if (!ombrel.present || !qt.present || ombrel.value <= 0 || qt.value <= 0)
        return "—";
    const double ratio = higherIsBetter ? ombrel.value / qt.value : qt.value / ombrel.value;
    return Number(ratio, ratio < 10 ? 2 : 1) + "×";
}

struct SizeResults
{
    int rows = 0;
    Results ombrel, ombrelAddMany, qt, qtRowWise;
};

// One line of the table: a figure both sides report under the same keys.
struct Figure
{
    const char* label;
    const char* key;
    const char* cpuKey; // the CPU time over the same span; null when the figure has none
    int decimals;
    bool higherIsBetter;
    bool rowWiseQt; // the Qt figure comes from the row-wise load
    bool addManyOmbrel = false; // the Ombrel figure comes from the load in one AddMany call
};

constexpr Figure kFigures[] = {
    {"1. Bulk load + first frame (ms); Qt: appendRow into the sorted proxy", "load_ms",
     "load_cpu_ms", 0, false, true},
    {"1b. Bulk load + first frame (ms); Qt: fill the model, then attach the proxy", "load_ms",
     "load_cpu_ms", 0, false, false},
    {"1c. Bulk load + first frame (ms); Ombrel: one AddMany call; Qt: as 1b", "load_ms",
     "load_cpu_ms", 0, false, false, true},
    {"2. Sustained updates, applied per second", "updates_per_s", nullptr, 0, true, false},
    {"2. Change-to-repaint latency, median (ms)", "latency_median_ms", nullptr, 2, false, false},
    {"2. Change-to-repaint latency, 99th percentile (ms)", "latency_p99_ms", nullptr, 2, false,
     false},
    {"3. Full repaint, 1280×800 (ms)", "repaint_ms", "repaint_cpu_ms", 2, false, false},
    {"4. Page-down to the bottom, per page (ms)", "page_ms", "page_cpu_ms", 2, false, false},
    {"5. Resident memory per row (bytes)", "bytes_per_row", nullptr, 0, false, false},
    {"5c. Resident memory per row (bytes); Ombrel loaded with AddMany", "bytes_per_row",
     nullptr, 0, false, false, true},
};

std::string WithCpu(const Cell& wall, const Cell& cpu)
{
    return cpu.present ? wall.text + " (CPU " + cpu.text + ")" : wall.text;
}

void PrintFigure(const Figure& figure, const SizeResults& size, const Options& options)
{
    const Results& qtResults = figure.rowWiseQt ? size.qtRowWise : size.qt;
    const Results& ombrelResults = figure.addManyOmbrel ? size.ombrelAddMany : size.ombrel;
    const Cell ombrel = Read(ombrelResults, figure.key, figure.decimals);
    const Cell qt = Read(qtResults, figure.key, figure.decimals);
    std::string label = figure.label;
    if (figure.cpuKey != nullptr && std::string(figure.key) == "page_ms" &&
        Read(size.ombrel, "page_sampled", 0).value != 0)
        label += ", sampled";
    std::string ombrelText = ombrel.text;
    std::string qtText = qt.text;
    std::string wallAdvantage = Advantage(ombrel, qt, figure.higherIsBetter);
    std::string cpuAdvantage = "";
    if (figure.cpuKey != nullptr) {
        const Cell ombrelCpu = Read(ombrelResults, figure.cpuKey, figure.decimals);
        const Cell qtCpu = Read(qtResults, figure.cpuKey, figure.decimals);
        ombrelText = WithCpu(ombrel, ombrelCpu);
        qtText = WithCpu(qt, qtCpu);
        cpuAdvantage = Advantage(ombrelCpu, qtCpu, figure.higherIsBetter);
    }
    const Cell complete = Read(qtResults, "load_complete", 0);
    if (figure.rowWiseQt && complete.present && complete.value == 0) {
        qtText = "gave up after " + Number(options.rowWiseLimitMs, 0) + " ms at " +
                 Read(qtResults, "loaded_rows", 0).text + " rows";
        wallAdvantage = cpuAdvantage = "Qt did not finish";
    }
    std::printf("| %s | %d | %s | %s | %s | %s |\n", label.c_str(), size.rows,
                ombrelText.c_str(), qtText.c_str(), wallAdvantage.c_str(), cpuAdvantage.c_str());
}

void PrintTable(const std::vector<SizeResults>& all, const Options& options)
{
    std::printf("Ombrel advantage: how many times better Ombrel does (Qt's time, latency or "
                "memory over Ombrel's; Ombrel's rate over Qt's); below 1, Qt does better. "
                "Times are wall-clock, with the process's CPU time over the same span in "
                "brackets.\n\n");
    std::printf("| Workload | Rows | Ombrel | Qt model/view | Ombrel advantage (wall) "
                "| Ombrel advantage (CPU) |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const SizeResults& size : all)
        for (const Figure& figure : kFigures)
            PrintFigure(figure, size, options);
}

void PrintDetails(const std::vector<SizeResults>& all)
{
    std::printf("\nDetails. Update cores: CPU time of the window thread and both workers over "
                "the update period, per second. Latency samples: probe changes seen painted; "
                "probes waiting: probe changes handed over but not yet painted when the period "
                "ended. Page faults: minor page faults per frame (fresh memory the kernel maps "
                "on first touch) during the repaints and the page walk.\n\n");
    std::printf("| Rows | Side | Page p99 (ms) | Pages timed / to bottom | Rows per page "
                "| Page faults per repaint / page | Update cores | Latency samples "
                "| Probes waiting |\n");
    std::printf("|---:|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const SizeResults& size : all) {
        for (const auto& [name, results] :
             {std::pair<const char*, const Results*>{"Ombrel", &size.ombrel},
              std::pair<const char*, const Results*>{"Qt", &size.qt}}) {
            std::printf("| %d | %s | %s | %s / %s | %s | %s / %s | %s | %s | %s |\n", size.rows,
                        name, Read(*results, "page_p99_ms", 2).text.c_str(),
                        Read(*results, "pages_timed", 0).text.c_str(),
                        Read(*results, "pages_total", 0).text.c_str(),
                        Read(*results, "page_rows", 0).text.c_str(),
                        Read(*results, "repaint_faults", 0).text.c_str(),
                        Read(*results, "page_faults", 0).text.c_str(),
                        Read(*results, "updates_cores", 2).text.c_str(),
                        Read(*results, "latency_samples", 0).text.c_str(),
                        Read(*results, "probes_unpainted", 0).text.c_str());
        }
    }
}

int RunParent(const Options& options)
{
    const std::int64_t start = NowNs();
    std::vector<SizeResults> all;
    std::vector<std::string> failures;
    for (int rows : options.sizes) {
        SizeResults size;
        size.rows = rows;
        for (auto [side, target] : {std::pair<const char*, Results*>{"ombrel", &size.ombrel},
                                    std::pair<const char*, Results*>{"ombrel-addmany",
                                                                     &size.ombrelAddMany},
                                    std::pair<const char*, Results*>{"qt", &size.qt},
                                    std::pair<const char*, Results*>{"qt-rowwise",
                                                                     &size.qtRowWise}}) {
            std::string failure;
            *target = RunSide(options, side, rows, failure);
            if (!failure.empty())
                failures.push_back(std::string(side) + " at " + std::to_string(rows) +
                                   " rows: " + failure);
        }
        all.push_back(std::move(size));
    }
    std::printf("Machine: %u cores (nproc), %s, %.1f GiB RAM, Qt %s, platform %s\n\n",
                std::thread::hardware_concurrency(), CpuModel().c_str(), MemoryGiB(), qVersion(),
                std::getenv("QT_QPA_PLATFORM"));
    PrintTable(all, options);
    PrintDetails(all);
    for (const std::string& failure : failures)
        std::printf("\nFailed: %s\n", failure.c_str());
    std::printf("\nUpdates ran %d s per side and size; page walks longer than %d pages were "
                "sampled in %d runs; the row-wise Qt load gave up after %d ms. Total %.0f s.\n",
                options.updateSeconds, options.maxPages, kPageRuns, options.rowWiseLimitMs,
                ElapsedMs(start, NowNs()) / 1000.0);
    return failures.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Figures are taken without a display, the same way on every machine.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Options options;
    if (!ParseOptions(argc, argv, options))
        return 2;
    if (!options.childSide.empty())
        return RunChild(argc, argv, options);
    return RunParent(options);
}
