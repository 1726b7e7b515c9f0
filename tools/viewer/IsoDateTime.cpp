#include "IsoDateTime.h"

#include <charconv>
#include <chrono>

namespace Ombrel::Viewer {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochOffsetSeconds = 11'644'473'600;

// Reads exactly `digits` decimal digits at `at`, advancing it.
bool ReadNumber(std::string_view text, std::size_t& at, std::size_t digits, int& out)
{
    if (at + digits > text.size())
        return false;
    for (std::size_t index = at; index < at + digits; ++index)
        if (text[index] < '0' || text[index] > '9')
            return false;
    std::from_chars(text.data() + at, text.data() + at + digits, out);
    at += digits;
    return true;
}

bool Expect(std::string_view text, std::size_t& at, char wanted)
{
    if (at >= text.size() || text[at] != wanted)
        return false;
    ++at;
    return true;
}

struct TimeOfDay
{
    std::int64_t ticks = 0;
    bool hasFraction = false;
};

std::optional<TimeOfDay> ReadTime(std::string_view text, std::size_t& at)
{
    int hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, at, 2, hour) || !Expect(text, at, ':') || !ReadNumber(text, at, 2, minute))
        return std::nullopt;
    if (at < text.size() && text[at] == ':' && !(++at, ReadNumber(text, at, 2, second)))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    TimeOfDay time{((hour * 60 + minute) * 60 + second) * kTicksPerSecond};
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        ++at;
        std::int64_t scale = kTicksPerSecond / 10;
        const std::size_t start = at;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
            time.ticks += (text[at] - '0') * scale;  // digits below 100 ns add nothing
        if (at == start)
            return std::nullopt;
        time.hasFraction = true;
    }
    return time;
}

// "Z", "+HH:MM", "-HH:MM", "+HHMM" or nothing: the offset to subtract, in ticks.
std::optional<std::int64_t> ReadOffset(std::string_view text, std::size_t& at)
{
    if (at == text.size())
        return 0;
    if (text[at] == 'Z' || text[at] == 'z') {
        ++at;
        return 0;
    }
    if (text[at] != '+' && text[at] != '-')
        return std::nullopt;
    const int sign = text[at++] == '-' ? -1 : 1;
    int hours = 0, minutes = 0;
    if (!ReadNumber(text, at, 2, hours))
        return std::nullopt;
    if (at < text.size() && text[at] == ':')
        ++at;
    if (at < text.size() && !ReadNumber(text, at, 2, minutes))
        return std::nullopt;
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return sign * (hours * 60 + minutes) * 60 * kTicksPerSecond;
}

} // namespace

std::optional<IsoDateTime> ParseIsoDateTime(std::string_view text)
{
    std::size_t at = 0;
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text, at, 4, year) || !Expect(text, at, '-') || !ReadNumber(text, at, 2, month) ||
        !Expect(text, at, '-') || !ReadNumber(text, at, 2, day))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || year < 1601)
        return std::nullopt;
    const std::int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
    IsoDateTime result;
    result.fileTime = (days * 86'400 + kEpochOffsetSeconds) * kTicksPerSecond;
    if (at == text.size())
        return result;
    if (text[at] != 'T' && text[at] != 't' && text[at] != ' ')
        return std::nullopt;
    ++at;
    const auto time = ReadTime(text, at);
    const auto offset = time ? ReadOffset(text, at) : std::nullopt;
    if (!time || !offset || at != text.size())
        return std::nullopt;
    result.fileTime += time->ticks - *offset;
    result.hasTime = true;
    result.hasFraction = time->hasFraction;
    if (result.fileTime < 0)
        return std::nullopt;
    return result;
}

} // namespace Ombrel::Viewer
