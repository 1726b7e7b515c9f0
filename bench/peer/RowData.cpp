#include "RowData.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

namespace OmbrelBench {

namespace {

constexpr std::array<const char*, 12> kCities = {
    "Amsterdam", "Berlin",  "Lisbon", "London", "Madrid", "Oslo",
    "Paris",     "Prague",  "Rome",   "Vienna", "Warsaw", "Zurich",
};

} // namespace

std::int32_t KeyRange(int count)
{
    return std::max(1, count / 8);
}

std::vector<RowValues> MakeRowValues(int count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    std::vector<RowValues> rows(static_cast<std::size_t>(std::max(0, count)));
    char name[32];
    for (int i = 0; i < count; ++i) {
        RowValues& row = rows[static_cast<std::size_t>(i)];
        std::snprintf(name, sizeof name, "Row %07d", i);
        row.name = name;
        row.quantity = i < kProbeCount ? -1 - i : key(random);
        row.volume = static_cast<std::int64_t>(random()) << 8;
        row.price = static_cast<double>(random()) / 7.0;
        row.date = 946684800 + static_cast<std::int32_t>(random() % 630720000u);
        row.city = kCities[random() % kCities.size()];
    }
    return rows;
}

} // namespace OmbrelBench
