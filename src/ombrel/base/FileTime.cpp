#include "ombrel/base/FileTime.h"

#include <chrono>
#include <ctime>
#include <limits>

namespace Ombrel {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::uint64_t kTicksPerDay = kFileTimeTicksPerSecond * kSecondsPerDay;
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;
constexpr std::uint64_t kLargestFileTime = 0x7FFF'FFFF'FFFF'FFFFull;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date (negative before it), after
// H. Hinnant's days_from_civil.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day)
{
    days += 719'468;
    const std::int64_t era = (days >= 0 ? days : days - 146'096) / 146'097;
    const std::int64_t dayOfEra = days - era * 146'097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

constexpr std::int64_t kDaysFrom1601To1970 = -DaysFromCivil(kFirstYear, 1, 1);
static_assert(static_cast<std::uint64_t>(kDaysFrom1601To1970) * kTicksPerDay == kFileTimeUnixEpoch,
              "the calendar arithmetic and kFileTimeUnixEpoch must agree");

bool IsValid(const SYSTEMTIME& t)
{
    return t.wYear >= kFirstYear && t.wYear <= kLastYear && t.wMonth >= 1 && t.wMonth <= 12 &&
           t.wDay >= 1 && t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 &&
           t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

SYSTEMTIME FromBrokenDown(const std::tm& tm, int milliseconds)
{
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(tm.tm_year + 1900);
    t.wMonth = static_cast<std::uint16_t>(tm.tm_mon + 1);
    t.wDayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
    t.wDay = static_cast<std::uint16_t>(tm.tm_mday);
    t.wHour = static_cast<std::uint16_t>(tm.tm_hour);
    t.wMinute = static_cast<std::uint16_t>(tm.tm_min);
    t.wSecond = static_cast<std::uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec); // leap second
    t.wMilliseconds = static_cast<std::uint16_t>(milliseconds);
    return t;
}

} // namespace

bool SystemTimeToFileTime(const SYSTEMTIME& systemTime, std::uint64_t& fileTime)
{
    if (!IsValid(systemTime)) {
        return false;
    }
    const std::int64_t days =
        DaysFromCivil(systemTime.wYear, systemTime.wMonth, systemTime.wDay) + kDaysFrom1601To1970;
    const std::int64_t seconds = days * kSecondsPerDay + systemTime.wHour * 3600 +
                                 systemTime.wMinute * 60 + systemTime.wSecond;
    fileTime = static_cast<std::uint64_t>(seconds) * kFileTimeTicksPerSecond +
               systemTime.wMilliseconds * kFileTimeTicksPerMillisecond;
    return true;
}

bool FileTimeToSystemTime(std::uint64_t fileTime, SYSTEMTIME& systemTime)
{
    if (fileTime > kLargestFileTime) {
        return false;
    }
    const auto days = static_cast<std::int64_t>(fileTime / kTicksPerDay);
    const std::uint64_t ticksOfDay = fileTime % kTicksPerDay;
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    const std::uint64_t secondsOfDay = ticksOfDay / kFileTimeTicksPerSecond;
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wDayOfWeek = static_cast<std::uint16_t>((days + 1) % 7); // 1601-01-01 was a Monday
    t.wHour = static_cast<std::uint16_t>(secondsOfDay / 3600);
    t.wMinute = static_cast<std::uint16_t>(secondsOfDay / 60 % 60);
    t.wSecond = static_cast<std::uint16_t>(secondsOfDay % 60);
    t.wMilliseconds =
        static_cast<std::uint16_t>(ticksOfDay % kFileTimeTicksPerSecond / kFileTimeTicksPerMillisecond);
    systemTime = t;
    return true;
}

bool SecondsToLocalSystemTime(std::int64_t seconds, SYSTEMTIME& localTime)
{
    if (seconds < std::numeric_limits<std::time_t>::min() ||
        seconds > std::numeric_limits<std::time_t>::max()) {
        return false;
    }
    const auto time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&time, &tm) || tm.tm_year + 1900 < 0 || tm.tm_year + 1900 > 0xFFFF) {
        return false;
    }
    localTime = FromBrokenDown(tm, 0);
    return true;
}

bool LocalSystemTimeToSeconds(const SYSTEMTIME& localTime, std::int64_t& seconds)
{
    std::tm tm{};
    tm.tm_year = localTime.wYear - 1900;
    tm.tm_mon = localTime.wMonth - 1;
    tm.tm_mday = localTime.wDay;
    tm.tm_hour = localTime.wHour;
    tm.tm_min = localTime.wMinute;
    tm.tm_sec = localTime.wSecond;
    tm.tm_isdst = -1;
    // mktime sets tm_wday only on success; -1 alone cannot tell failure from one second
    // before 1970.
    tm.tm_wday = -1;
    const std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1) && tm.tm_wday == -1) {
        return false;
    }
    seconds = static_cast<std::int64_t>(result);
    return true;
}

bool FileTimeToLocalSystemTime(std::uint64_t fileTime, SYSTEMTIME& localTime)
{
    if (fileTime > kLargestFileTime) {
        return false;
    }
    const auto ticksSince1970 = static_cast<std::int64_t>(fileTime) -
                                static_cast<std::int64_t>(kFileTimeUnixEpoch);
    // Floor division, so that times before 1970 keep a non-negative millisecond part.
    const auto ticksPerSecond = static_cast<std::int64_t>(kFileTimeTicksPerSecond);
    std::int64_t seconds = ticksSince1970 / ticksPerSecond;
    std::int64_t rest = ticksSince1970 % ticksPerSecond;
    if (rest < 0) {
        rest += ticksPerSecond;
        --seconds;
    }
    SYSTEMTIME t;
    if (!SecondsToLocalSystemTime(seconds, t)) {
        return false;
    }
    t.wMilliseconds = static_cast<std::uint16_t>(rest / static_cast<std::int64_t>(kFileTimeTicksPerMillisecond));
    localTime = t;
    return true;
}

bool LocalSystemTimeToFileTime(const SYSTEMTIME& localTime, std::uint64_t& fileTime)
{
    if (localTime.wMilliseconds >= 1000) {
        return false;
    }
    std::int64_t seconds = 0;
    if (!LocalSystemTimeToSeconds(localTime, seconds)) {
        return false;
    }
    const auto epochSeconds = static_cast<std::int64_t>(kFileTimeUnixEpoch / kFileTimeTicksPerSecond);
    const auto maxSeconds = static_cast<std::int64_t>(kLargestFileTime / kFileTimeTicksPerSecond) - 1;
    if (seconds < -epochSeconds || seconds > maxSeconds - epochSeconds) {
        return false;
    }
    fileTime = static_cast<std::uint64_t>(seconds + epochSeconds) * kFileTimeTicksPerSecond +
               localTime.wMilliseconds * kFileTimeTicksPerMillisecond;
    return true;
}

std::uint64_t GetSystemTimeAsFileTime()
{
    using namespace std::chrono;
    const auto ticks =
        duration_cast<duration<std::int64_t, std::ratio<1, 10'000'000>>>(
            system_clock::now().time_since_epoch())
            .count();
    return kFileTimeUnixEpoch + static_cast<std::uint64_t>(ticks);
}

} // namespace Ombrel
