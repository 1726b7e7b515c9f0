// Loads one table file in the viewer and in Qt's model/view (QStandardItemModel, a sorting
// proxy, QTableView), each in a child process of its own, and prints the two side by side as a
// Markdown table: time from the start of the load to the first frame of the sorted rows, and
// resident memory per row. Both sides read the file with the same readers and find the same
// column kinds, so the difference is what each does with the rows.
//
// Usage: ombrel_bench_viewer FILE [SORT_COLUMN]
//        ombrel_bench_viewer --side ombrel|qt FILE SORT_COLUMN   (the child processes)

#include "ViewerBenchSide.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace OmbrelViewerBench;

void PrintSide(const SideResult& result)
{
    std::printf("rows=%llu load_ms=%.1f bytes_per_row=%.0f\n", static_cast<unsigned long long>(result.rows),
                result.loadMs, result.bytesPerRow);
}

// Runs this program as the child for `side` and reads its figures.
bool RunChild(const std::string& self, const std::string& side, const std::string& path, const std::string& sort,
              SideResult& result)
{
    const std::string command = "'" + self + "' --side " + side + " '" + path + "' '" + sort + "'";
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr)
        return false;
    unsigned long long rows = 0;
    const int read = std::fscanf(child, "rows=%llu load_ms=%lf bytes_per_row=%lf", &rows, &result.loadMs,
                                 &result.bytesPerRow);
    result.rows = rows;
    return pclose(child) == 0 && read == 3;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 5 && std::string(argv[1]) == "--side") {
        int childArgc = 1;
        const std::string side = argv[2];
        const SideResult result = side == "qt" ? RunQtSide(childArgc, argv, argv[3], argv[4])
                                               : RunOmbrelSide(childArgc, argv, argv[3], argv[4]);
        PrintSide(result);
        return result.rows > 0 ? 0 : 1;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Usage: ombrel_bench_viewer FILE [SORT_COLUMN]\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string sort = argc == 3 ? argv[2] : "";
    SideResult ombrel, qt;
    // The shell that runs a child would read /proc/self/exe as itself: resolve it here.
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || !RunChild(self, "ombrel", path, sort, ombrel) || !RunChild(self, "qt", path, sort, qt)) {
        std::fprintf(stderr, "ombrel_bench_viewer: a side failed on %s\n", path.c_str());
        return 1;
    }
    std::printf("| Workload (%llu rows, sorted on %s) | Ombrel view | Qt model/view | Advantage |\n",
                static_cast<unsigned long long>(ombrel.rows), sort.empty() ? "the first column" : sort.c_str());
    std::printf("|---|---:|---:|---:|\n");
    std::printf("| Load and first frame | %.0f ms | %.0f ms | %.1fx |\n", ombrel.loadMs, qt.loadMs, qt.loadMs / ombrel.loadMs);
    std::printf("| Resident memory per row | %.0f B | %.0f B | %.1fx |\n", ombrel.bytesPerRow, qt.bytesPerRow,
                ombrel.bytesPerRow > 0 ? qt.bytesPerRow / ombrel.bytesPerRow : 0.0);
    return 0;
}
