#include "ombrel/common/DateFormatText.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

#include "ombrel/base/FileTime.h"

namespace Ombrel::Common::DateFormatText {

namespace {

constexpr std::string_view kDigits = "0123456789";

// Pieces of `text` between characters of `separators`, left to right (empty pieces kept). An
// empty text has no pieces, so that a missing token leaves every figure at its default.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> pieces;
    if (text.empty())
        return pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find_first_of(separators, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return pieces;
        start = end + 1;
    }
}

bool Contains(std::string_view token, std::string_view characters)
{
    return token.find_first_of(characters) != std::string_view::npos;
}

// Assigns pieces from the right-hand end to the selected targets, in the order given.
struct FigureTarget
{
    bool selected;
    int* field;
};

template <std::size_t N>
void AssignFromRight(const std::vector<std::string_view>& pieces,
                     const FigureTarget (&targets)[N])
{
    auto piece = pieces.rbegin();
    for (const FigureTarget& target : targets) {
        if (!target.selected)
            continue;
        if (piece == pieces.rend())
            return;
        *target.field = ConvertDecimal(*piece++);
    }
}

// The platform's 16-bit calendar fields; false when a field cannot be held, which no valid
// time has and which would otherwise wrap into a valid-looking one.
bool ToSystemTime(const CalendarFields& f, SYSTEMTIME& st)
{
    for (int field : {f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond}) {
        if (field < 0 || field > 0xFFFF)
            return false;
    }
    st = {};
    st.wYear = static_cast<std::uint16_t>(f.year);
    st.wMonth = static_cast<std::uint16_t>(f.month);
    st.wDay = static_cast<std::uint16_t>(f.day);
    st.wHour = static_cast<std::uint16_t>(f.hour);
    st.wMinute = static_cast<std::uint16_t>(f.minute);
    st.wSecond = static_cast<std::uint16_t>(f.second);
    st.wMilliseconds = static_cast<std::uint16_t>(f.millisecond);
    return true;
}

CalendarFields FromSystemTime(const SYSTEMTIME& st)
{
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace

std::string Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

namespace {

// One figure of a date or time: its value and the least number of digits it shows.
struct Figure
{
    std::int32_t value = 0;
    int digits = 0;
};

// `figure` zero-padded to its digits, as "%.Nd" pads it (a minus sign before the digits).
void AppendFigure(std::string& text, Figure figure)
{
    std::int64_t value = figure.value;
    if (value < 0) {
        text += '-';
        value = -value;
    }
    char digits[24];
    const char* const end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    const auto count = static_cast<int>(end - digits);
    text.append(static_cast<std::size_t>(std::max(0, figure.digits - count)), '0');
    text.append(digits, static_cast<std::size_t>(count));
}

// The figures joined by `separator`. Cells format a date or a time for every new row they
// show: the text is built in one pass, without reading a format string twice.
std::string JoinFigures(std::string_view separator, std::initializer_list<Figure> figures)
{
    std::string text;
    bool first = true;
    for (const Figure figure : figures) {
        if (!first)
            text += separator;
        first = false;
        AppendFigure(text, figure);
    }
    return text;
}

} // namespace

std::string JoinWithBlank(std::string first, const std::string& second)
{
    if (!first.empty() && !second.empty())
        first += ' ';
    first += second;
    return first;
}

std::string FormatDatePart(std::int32_t flags, const CalendarFields& f,
                           const CDateSettings::Snapshot& settings)
{
    const std::string_view sep = settings.dateSeparator.c_str(); // up to a first zero byte, as ever
    const int yy = f.year % 100;
    const bool yearFirst = settings.dateOrder == CDateSettings::kYearMonthDay;
    const bool monthFirst = settings.dateOrder == CDateSettings::kMonthDayYear;
    switch (flags & kDatePartMask) {
    case 1:
        return JoinFigures(sep, {{f.year, 4}});
    case 2:
        return JoinFigures(sep, {{yy, 2}});
    case 4:
        return JoinFigures(sep, {{f.month, 2}});
    case 5:
        return yearFirst ? JoinFigures(sep, {{f.year, 4}, {f.month, 2}})
                         : JoinFigures(sep, {{f.month, 2}, {f.year, 4}});
    case 6:
        return yearFirst ? JoinFigures(sep, {{yy, 2}, {f.month, 2}})
                         : JoinFigures(sep, {{f.month, 2}, {yy, 2}});
    case 8:
        return JoinFigures(sep, {{f.day, 2}});
    case 12:
        return settings.dateOrder == CDateSettings::kDayMonthYear
                   ? JoinFigures(sep, {{f.day, 2}, {f.month, 2}})
                   : JoinFigures(sep, {{f.month, 2}, {f.day, 2}});
    case 13:
        if (yearFirst)
            return JoinFigures(sep, {{f.year, 4}, {f.month, 2}, {f.day, 2}});
        if (monthFirst)
            return JoinFigures(sep, {{f.month, 2}, {f.day, 2}, {f.year, 4}});
        return JoinFigures(sep, {{f.day, 2}, {f.month, 2}, {f.year, 4}});
    case 14:
        if (yearFirst)
            return JoinFigures(sep, {{yy, 2}, {f.month, 2}, {f.day, 2}});
        if (monthFirst)
            return JoinFigures(sep, {{f.month, 2}, {f.day, 2}, {yy, 2}});
        return JoinFigures(sep, {{f.day, 2}, {f.month, 2}, {yy, 2}});
    default:
        return {};
    }
}

std::string FormatClockPart(std::int32_t flags, const CalendarFields& f,
                            const std::string& separator)
{
    const std::string_view sep = separator.c_str(); // up to a first zero byte, as ever
    switch (flags & (kHourFlag | kMinuteFlag | kSecondFlag)) {
    case kHourFlag:
        return JoinFigures(sep, {{f.hour, 2}});
    case kMinuteFlag:
        return JoinFigures(sep, {{f.minute, 2}});
    case kHourFlag | kMinuteFlag:
        return JoinFigures(sep, {{f.hour, 2}, {f.minute, 2}});
    case kSecondFlag:
        return JoinFigures(sep, {{f.second, 2}});
    case kMinuteFlag | kSecondFlag:
        return JoinFigures(sep, {{f.minute, 2}, {f.second, 2}});
    case kHourFlag | kMinuteFlag | kSecondFlag:
        return JoinFigures(sep, {{f.hour, 2}, {f.minute, 2}, {f.second, 2}});
    default:
        return {};
    }
}

std::int32_t ConvertDecimal(std::string_view text)
{
    const std::size_t first = text.find_first_of("0123456789-");
    const std::size_t last = text.find_last_of(kDigits);
    if (first == std::string_view::npos || last == std::string_view::npos || last < first)
        return 0;
    std::string cleaned;
    for (char ch : text.substr(first, last - first + 1)) {
        if (ch == '-' || (ch >= '0' && ch <= '9'))
            cleaned += ch;
    }
    std::size_t pos = 0;
    const bool negative = cleaned[pos] == '-';
    if (negative)
        ++pos;
    std::uint32_t magnitude = 0; // unsigned, so that overflow wraps as two's complement
    for (; pos < cleaned.size() && cleaned[pos] >= '0' && cleaned[pos] <= '9'; ++pos)
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(cleaned[pos] - '0');
    if (negative)
        magnitude = 0u - magnitude;
    return static_cast<std::int32_t>(magnitude);
}

std::string_view CutToDigits(std::string_view text)
{
    const std::size_t first = text.find_first_of(kDigits);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_of(kDigits) - first + 1);
}

DateTimeTokens SplitDateAndTime(std::string_view text, const CDateSettings::Snapshot& settings,
                                bool singleIsDate)
{
    const std::size_t blank = text.find_first_of(" \t");
    const std::string_view first = text.substr(0, blank);
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view{} : text.substr(blank + 1);

    const std::string dateSet = settings.dateSeparator + "/";
    const std::string timeSet = settings.timeSeparator + settings.msecSeparator + ":.,";

    // The date role is decided first, so a token that holds both kinds of separator (a date
    // separator of ".") is read as the date.
    const bool firstIsDate = Contains(first, dateSet);
    const bool restIsDate = !firstIsDate && Contains(rest, dateSet);
    const bool firstIsTime = !firstIsDate && Contains(first, timeSet);
    const bool restIsTime = !restIsDate && !firstIsTime && Contains(rest, timeSet);

    if (firstIsDate || firstIsTime || restIsDate || restIsTime) {
        const bool dateIsFirst = firstIsDate || (!restIsDate && !firstIsTime);
        return dateIsFirst ? DateTimeTokens{first, rest} : DateTimeTokens{rest, first};
    }
    if (!rest.empty() || singleIsDate)
        return {first, rest};
    return {rest, first};
}

void ReadDateFigures(std::string_view token, std::int32_t flags,
                     const CDateSettings::Snapshot& settings, CalendarFields& fields)
{
    const auto pieces = SplitAt(token, settings.dateSeparator + "/");
    const bool year = (flags & kYearFlags) != 0;
    const bool month = (flags & kMonthFlag) != 0;
    const bool day = (flags & kDayFlag) != 0;
    switch (settings.dateOrder) {
    case CDateSettings::kMonthDayYear:
        AssignFromRight(pieces, {{year, &fields.year}, {day, &fields.day}, {month, &fields.month}});
        break;
    case CDateSettings::kYearMonthDay:
        AssignFromRight(pieces, {{day, &fields.day}, {month, &fields.month}, {year, &fields.year}});
        break;
    default:
        AssignFromRight(pieces, {{year, &fields.year}, {month, &fields.month}, {day, &fields.day}});
        break;
    }
}

void ReadClockFigures(std::string_view token, std::int32_t flags,
                      const CDateSettings::Snapshot& settings, CalendarFields& fields)
{
    const std::size_t fraction = token.find_last_of(settings.msecSeparator + ".,");
    token = token.substr(0, fraction);
    const auto pieces = SplitAt(token, settings.timeSeparator + ":");
    AssignFromRight(pieces, {{(flags & kSecondFlag) != 0, &fields.second},
                             {(flags & kMinuteFlag) != 0, &fields.minute},
                             {(flags & kHourFlag) != 0, &fields.hour}});
}

bool LocalFieldsFromSeconds(std::int32_t seconds, CalendarFields& fields)
{
    SYSTEMTIME local;
    if (seconds < 0 || !SecondsToLocalSystemTime(seconds, local))
        return false;
    fields = FromSystemTime(local);
    return true;
}

bool SecondsFromLocalFields(const CalendarFields& fields, std::int32_t& seconds)
{
    SYSTEMTIME local;
    std::int64_t result = 0;
    if (!ToSystemTime(fields, local) || !LocalSystemTimeToSeconds(local, result))
        return false;
    // Times before 1970 cannot be shown, and times after early 2038 do not fit the field.
    if (result < 0 || result > INT32_MAX)
        return false;
    seconds = static_cast<std::int32_t>(result);
    return true;
}

bool FieldsFromFileTime(std::uint64_t fileTime, CalendarFields& fields)
{
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(fileTime, utc))
        return false;
    fields = FromSystemTime(utc);
    return true;
}

bool FileTimeFromFields(const CalendarFields& fields, std::uint64_t& fileTime)
{
    SYSTEMTIME utc;
    return ToSystemTime(fields, utc) && SystemTimeToFileTime(utc, fileTime);
}

} // namespace Ombrel::Common::DateFormatText
