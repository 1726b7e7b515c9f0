#pragma once

#include <cstdint>
#include <string>

namespace OmbrelViewerBench {

// What one side measured: from the start of the load to the end of the first frame that shows
// the sorted rows, and the resident memory this added per row.
struct SideResult
{
    std::uint64_t rows = 0;
    double loadMs = 0;
    double bytesPerRow = 0;
};

// The window both sides show, as large as a typical desktop table.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;

// Each side runs in a process of its own (the memory figure needs that) and needs the
// application object of its toolkit, which these functions create. `sortColumn` names the
// column both sides sort by.
SideResult RunOmbrelSide(int argc, char** argv, const std::string& path, const std::string& sortColumn);
SideResult RunQtSide(int argc, char** argv, const std::string& path, const std::string& sortColumn);

} // namespace OmbrelViewerBench
