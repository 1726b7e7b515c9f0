#pragma once

#include <cstdint>

namespace Ombrel {

// Calendar fields of a point in time, in the platform's SYSTEMTIME layout. Which zone the
// fields are in depends on the function that filled them.
struct SYSTEMTIME
{
    std::uint16_t wYear = 0;         // 1601 to 30827 for file-time conversion
    std::uint16_t wMonth = 0;        // 1 to 12
    std::uint16_t wDayOfWeek = 0;    // 0 Sunday to 6 Saturday; ignored on input
    std::uint16_t wDay = 0;          // 1 to the length of the month
    std::uint16_t wHour = 0;         // 0 to 23
    std::uint16_t wMinute = 0;       // 0 to 59
    std::uint16_t wSecond = 0;       // 0 to 59
    std::uint16_t wMilliseconds = 0; // 0 to 999

    friend bool operator==(const SYSTEMTIME&, const SYSTEMTIME&) = default;
};

// A file time counts 100-nanosecond intervals since 1601-01-01 00:00:00 UTC.
constexpr std::uint64_t kFileTimeTicksPerMillisecond = 10'000;
constexpr std::uint64_t kFileTimeTicksPerSecond = 10'000'000;
// The file time of 1970-01-01 00:00:00 UTC, where C library time counts from.
constexpr std::uint64_t kFileTimeUnixEpoch = 116'444'736'000'000'000;

// UTC calendar fields to a file time. False, leaving `fileTime` unchanged, when a field is
// out of range or the day does not exist in that month (February 29 of a common year).
bool SystemTimeToFileTime(const SYSTEMTIME& systemTime, std::uint64_t& fileTime);
// A file time to UTC calendar fields, day of week included. False for file times of 2^63
// and above, as the platform refuses them.
bool FileTimeToSystemTime(std::uint64_t fileTime, SYSTEMTIME& systemTime);

// Local-time conversions through the C library and its current time zone.
//
// Seconds since 1970-01-01 UTC to local calendar fields; false when the C library cannot
// represent the result.
bool SecondsToLocalSystemTime(std::int64_t seconds, SYSTEMTIME& localTime);
// Local calendar fields to seconds since 1970-01-01 UTC. Out-of-range fields are normalised
// the way the C library does (month 13 is January of the next year); milliseconds and the
// day of week are ignored. False when the time cannot be represented.
bool LocalSystemTimeToSeconds(const SYSTEMTIME& localTime, std::int64_t& seconds);
// The same two conversions for file times, keeping milliseconds.
bool FileTimeToLocalSystemTime(std::uint64_t fileTime, SYSTEMTIME& localTime);
bool LocalSystemTimeToFileTime(const SYSTEMTIME& localTime, std::uint64_t& fileTime);

// The current time as a file time.
std::uint64_t GetSystemTimeAsFileTime();

} // namespace Ombrel
