#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Ombrel::Viewer {

// ISO 8601 text as a file time (100-nanosecond intervals since 1601-01-01 00:00:00 UTC), the
// value the grid's 64-bit date format shows.
struct IsoDateTime
{
    std::int64_t fileTime = 0;
    bool hasTime = false;      // a time of day was given
    bool hasFraction = false;  // and a fraction of a second
};

// Reads "YYYY-MM-DD", optionally followed by "T" or a blank and "HH:MM", ":SS", a fraction
// after "." or ",", and "Z" or an offset "+HH:MM" / "-HH:MM" (the time is then moved to UTC).
// Empty for anything else, for dates that do not exist and for years before 1601 or after 9999.
std::optional<IsoDateTime> ParseIsoDateTime(std::string_view text);

} // namespace Ombrel::Viewer
