#pragma once

// Building blocks shared by the date and time formats: calendar fields, the date and clock
// templates, the decimal conversion of figures, and the splitting of a typed date-time text
// into its date and time tokens. Internal to ombrel_common; not part of the public interface.

#include "ombrel/common/DateSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Ombrel::Common::DateFormatText {

// Masks of the flag word shared by the date formats.
constexpr std::int32_t kDatePartMask = 0x0F;
constexpr std::int32_t kYearFlags = 0x03; // four-digit (1) or two-digit (2) year
constexpr std::int32_t kMonthFlag = 0x04;
constexpr std::int32_t kDayFlag = 0x08;
constexpr std::int32_t kHourFlag = 0x10;
constexpr std::int32_t kMinuteFlag = 0x20;
constexpr std::int32_t kSecondFlag = 0x40;
constexpr std::int32_t kMillisecondFlag = 0x80;

// One point in time broken into calendar fields. After a successful conversion from a time
// value: month 1-12, day 1-31, hour 0-23, minute and second 0-59, millisecond 0-999. Parsing
// fills it from text and may leave any field out of range; the conversions back check them.
struct CalendarFields
{
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// printf into a std::string of any length.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "a b" when both are present, else whichever is present.
std::string JoinWithBlank(std::string first, const std::string& second);

// The date part selected by flags & kDatePartMask, laid out by the settings' order and
// date separator; empty for a selection that shows nothing.
std::string FormatDatePart(std::int32_t flags, const CalendarFields& fields,
                           const CDateSettings::Snapshot& settings);

// Hours, minutes and seconds selected by flags & 0x70, joined by `separator`; empty for 0 and
// for the gap selection 0x50.
std::string FormatClockPart(std::int32_t flags, const CalendarFields& fields,
                            const std::string& separator);

// The integer formats' decimal reading of a figure: everything before the first of
// "0123456789-" and after the last digit is dropped, other characters in between are removed,
// then an optional sign and the leading digits are read, wrapping in 32 bits. No digit gives 0.
std::int32_t ConvertDecimal(std::string_view text);

// The span from the first digit to the last digit; empty when there is no digit.
std::string_view CutToDigits(std::string_view text);

// The date and time tokens of a text already cut to its digits. A token holding a date
// separator (the settings' one or "/") is the date, a token holding a time separator (the
// settings' time and millisecond separators or ":.,") is the time, and the other token takes
// the remaining role. With no separator at all, two tokens are date then time, and a single
// token is the date when `singleIsDate`, else the time. Either token may be empty.
struct DateTimeTokens
{
    std::string_view date;
    std::string_view time;
};
DateTimeTokens SplitDateAndTime(std::string_view text, const CDateSettings::Snapshot& settings,
                                bool singleIsDate);

// Reads the year, month and day figures the flags select from the right-hand end of a date
// token, in the reverse of the order the settings lay them out. Unselected or missing figures
// keep the values already in `fields`.
void ReadDateFigures(std::string_view token, std::int32_t flags,
                     const CDateSettings::Snapshot& settings, CalendarFields& fields);

// Drops any fraction of a second, then reads seconds, minutes and hours (each when selected)
// from the right-hand end of a time token.
void ReadClockFigures(std::string_view token, std::int32_t flags,
                      const CDateSettings::Snapshot& settings, CalendarFields& fields);

// Local broken-down time of a count of seconds since 1970-01-01 UTC, through the C library's
// current time zone. Negative counts fail.
bool LocalFieldsFromSeconds(std::int32_t seconds, CalendarFields& fields);

// The reverse, normalising out-of-range fields as the C library does (month 13 is January of
// the next year); fails for a negative field or one above 65535, and unless the result lies
// in 0..INT32_MAX. Milliseconds are ignored.
bool SecondsFromLocalFields(const CalendarFields& fields, std::int32_t& seconds);

// UTC calendar fields of a file time (100-nanosecond intervals since 1601-01-01 UTC); file
// times at or above 2^63 fail.
bool FieldsFromFileTime(std::uint64_t fileTime, CalendarFields& fields);

// The reverse; fails for any field out of its range (year 1601-30827, a day the month lacks,
// hour 24, second 60, millisecond 1000 …).
bool FileTimeFromFields(const CalendarFields& fields, std::uint64_t& fileTime);

} // namespace Ombrel::Common::DateFormatText
