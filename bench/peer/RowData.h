#pragma once

// The rows both grids show: a six-field record like the demo's, generated the same way for
// both sides so that each does the same work on the same data.

#include <cstdint>
#include <string>
#include <vector>

namespace OmbrelBench {

// Column order, shared by both sides (the Qt model's column index, Ombrel's field id - 1).
enum Column : int
{
    kNameColumn = 0,
    kQuantityColumn = 1,
    kVolumeColumn = 2,
    kPriceColumn = 3,
    kDateColumn = 4,
    kCityColumn = 5,
    kColumnCount = 6,
};

// Column widths in pixels, the same on both sides so that each paints the same cells.
constexpr int kColumnWidths[kColumnCount] = {220, 160, 200, 200, 200, 200};

// The first kProbeCount records are the latency probes: their quantities are negative, so they
// sort above every other row and stay on screen while the top of the grid is shown. A probe
// change gives its record a new, more negative quantity, which moves it to the very top.
constexpr int kProbeCount = 16;

struct RowValues
{
    std::string name;       // unique: "Row 0000042"
    std::int32_t quantity;  // first sort level, ascending; about eight rows share each value
    std::int64_t volume;
    double price;
    std::int32_t date;      // seconds since 1970-01-01 UTC, a date between 2000 and 2019
    std::string city;
};

// Quantities of ordinary records are drawn from [0, KeyRange(count)).
std::int32_t KeyRange(int count);

// `count` records in random key order (the order in which they are loaded).
std::vector<RowValues> MakeRowValues(int count, std::uint32_t seed);

} // namespace OmbrelBench
