#include "ombrel/gui/edit/detail/DateTimeSegments.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace Ombrel::GUI::Detail {

namespace {

int PowerOfTen(int exponent)
{
    int result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

// A two-digit year within kMinimumYear..kMaximumYear where it can be: 70..99 are 1970..1999,
// 00..69 are 2000..2069 (the years past 2038 are brought back into range later).
int ExpandTwoDigitYear(int twoDigits)
{
    return twoDigits >= CDateTimeSegments::kMinimumYear % 100 ? 1900 + twoDigits : 2000 + twoDigits;
}

// What a segment shows of its value: the last two digits of a two-digit year.
int ShownNumber(const CDateTimeSegments::Segment& segment)
{
    return segment.part == CDateTimeSegments::kYear2 ? segment.value % 100 : segment.value;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

CDateTimeSegments::CDateTimeSegments(std::uint32_t partMask,
                                     const Common::CDateSettings::Snapshot& settings)
    : m_partMask(partMask & (kDateParts | kTimeParts))
{
    m_time.wYear = 2000;
    m_time.wMonth = 1;
    m_time.wDay = 1;
    AddDateSegments(m_partMask, settings.dateSeparator, settings.dateOrder);
    AddTimeSegments(m_partMask, settings);
}

void CDateTimeSegments::AddDateSegments(std::uint32_t partMask, const std::string& separator,
                                        std::int32_t order)
{
    // A mask with both year bits shows the four-digit year.
    const std::uint32_t year = (partMask & kYear4) ? kYear4 : (partMask & kYear2);
    std::uint32_t sequence[3] = {kDay, kMonth, year};
    if (order == Common::CDateSettings::kMonthDayYear)
        std::swap(sequence[0], sequence[1]);
    else if (order == Common::CDateSettings::kYearMonthDay)
        std::swap(sequence[0], sequence[2]);
    for (std::uint32_t part : sequence) {
        if (part != 0 && (partMask & part) != 0)
            Add(part, m_segments.empty() ? std::string() : separator);
    }
}

void CDateTimeSegments::AddTimeSegments(std::uint32_t partMask,
                                        const Common::CDateSettings::Snapshot& settings)
{
    const std::size_t dateSegments = m_segments.size();
    for (std::uint32_t part : {kHours, kMinutes, kSeconds, kMilliseconds}) {
        if ((partMask & part) == 0)
            continue;
        std::string separator;
        if (m_segments.size() > dateSegments)
            separator = part == kMilliseconds ? settings.msecSeparator : settings.timeSeparator;
        else if (dateSegments > 0)
            separator = " ";
        Add(part, separator);
    }
}

void CDateTimeSegments::Add(std::uint32_t part, const std::string& separator)
{
    Segment segment;
    segment.part = part;
    segment.separator = separator;
    switch (part) {
    case kYear4: segment = {part, 4, kMinimumYear, kMaximumYear, 2000, 0, separator}; break;
    case kYear2: segment = {part, 2, kMinimumYear, kMaximumYear, 2000, 0, separator}; break;
    case kMonth: segment = {part, 2, 1, 12, 1, 0, separator}; break;
    case kDay: segment = {part, 2, 1, 31, 1, 0, separator}; break;
    case kHours: segment = {part, 2, 0, 23, 0, 0, separator}; break;
    case kMinutes:
    case kSeconds: segment = {part, 2, 0, 59, 0, 0, separator}; break;
    case kMilliseconds: segment = {part, 3, 0, 999, 0, 0, separator}; break;
    default: assert(false && "not a segment bit"); return;
    }
    m_segments.push_back(segment);
}

std::string CDateTimeSegments::GetValueText(int index) const
{
    const Segment& segment = At(index);
    const int width = segment.typedDigits > 0 ? segment.typedDigits : segment.digits;
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, ShownNumber(segment));
    return text;
}

std::string CDateTimeSegments::GetText() const
{
    std::string text;
    for (int index = 0; index < GetCount(); ++index)
        text += At(index).separator + GetValueText(index);
    return text;
}

void CDateTimeSegments::SetActive(int index)
{
    if (m_segments.empty())
        return;
    index = std::clamp(index, 0, GetCount() - 1);
    Segment& previous = m_segments[static_cast<std::size_t>(m_active)];
    // The left segment comes back into its own range; the day is fitted to its month only
    // when the time is read, so that a day typed before its month survives.
    previous.value = std::clamp(previous.value, previous.minimum, previous.maximum);
    previous.typedDigits = 0;
    m_active = index;
    m_segments[static_cast<std::size_t>(m_active)].typedDigits = 0;
}

void CDateTimeSegments::TypeDigit(int digit)
{
    if (m_segments.empty() || digit < 0 || digit > 9)
        return;
    Segment& segment = m_segments[static_cast<std::size_t>(m_active)];
    const int modulus = PowerOfTen(segment.digits);
    int shown = ShownNumber(segment);
    if (segment.typedDigits == 0 || segment.typedDigits >= segment.digits) {
        shown = digit;
        segment.typedDigits = 1;
    } else {
        shown = (shown * 10 + digit) % modulus;
        ++segment.typedDigits;
    }
    segment.value = segment.part == kYear2 ? ExpandTwoDigitYear(shown) : shown;
}

void CDateTimeSegments::StepActive(int delta)
{
    if (m_segments.empty())
        return;
    Segment& segment = m_segments[static_cast<std::size_t>(m_active)];
    const int maximum = MaximumOf(segment);
    const int span = maximum - segment.minimum + 1;
    const int offset = std::clamp(segment.value, segment.minimum, maximum) - segment.minimum;
    segment.value = segment.minimum + ((offset + delta) % span + span) % span;
    segment.typedDigits = 0;
}

void CDateTimeSegments::ActiveToMinimum()
{
    if (m_segments.empty())
        return;
    Segment& segment = m_segments[static_cast<std::size_t>(m_active)];
    segment.value = segment.minimum;
    segment.typedDigits = 0;
}

void CDateTimeSegments::ActiveToMaximum()
{
    if (m_segments.empty())
        return;
    Segment& segment = m_segments[static_cast<std::size_t>(m_active)];
    segment.value = MaximumOf(segment);
    segment.typedDigits = 0;
}

CDateTimeSegments::Segment* CDateTimeSegments::Find(std::uint32_t part)
{
    for (Segment& segment : m_segments) {
        if (segment.part == part || (part == kYear4 && segment.part == kYear2))
            return &segment;
    }
    return nullptr;
}

int CDateTimeSegments::CurrentYear() const
{
    for (const Segment& segment : m_segments) {
        if (segment.part == kYear4 || segment.part == kYear2)
            return std::clamp(segment.value, kMinimumYear, kMaximumYear);
    }
    return m_time.wYear;
}

int CDateTimeSegments::CurrentMonth() const
{
    for (const Segment& segment : m_segments) {
        if (segment.part == kMonth)
            return std::clamp(segment.value, 1, 12);
    }
    return m_time.wMonth;
}

int CDateTimeSegments::MaximumOf(const Segment& segment) const
{
    if (segment.part != kDay)
        return segment.maximum;
    return DaysInMonth(CurrentYear(), CurrentMonth());
}

void CDateTimeSegments::Clamp(Segment& segment) const
{
    segment.value = std::clamp(segment.value, segment.minimum, MaximumOf(segment));
    segment.typedDigits = 0;
}

void CDateTimeSegments::SetTime(const SYSTEMTIME& time)
{
    m_time = time;
    m_time.wYear = static_cast<std::uint16_t>(std::clamp<int>(time.wYear, kMinimumYear, kMaximumYear));
    m_time.wMonth = static_cast<std::uint16_t>(std::clamp<int>(time.wMonth, 1, 12));
    m_time.wDay = static_cast<std::uint16_t>(std::clamp<int>(time.wDay, 1, DaysInMonth(m_time.wYear, m_time.wMonth)));
    for (Segment& segment : m_segments) {
        switch (segment.part) {
        case kYear4:
        case kYear2: segment.value = m_time.wYear; break;
        case kMonth: segment.value = m_time.wMonth; break;
        case kDay: segment.value = m_time.wDay; break;
        case kHours: segment.value = time.wHour; break;
        case kMinutes: segment.value = time.wMinute; break;
        case kSeconds: segment.value = time.wSecond; break;
        case kMilliseconds: segment.value = time.wMilliseconds; break;
        default: break;
        }
        segment.typedDigits = 0;
    }
    // Fields out of range in `time` are brought into range here, not kept as they came.
    Normalize();
}

void CDateTimeSegments::SetDate(const SYSTEMTIME& date)
{
    SYSTEMTIME time = Normalize();
    time.wYear = date.wYear;
    time.wMonth = date.wMonth;
    time.wDay = date.wDay;
    SetTime(time);
}

SYSTEMTIME CDateTimeSegments::Normalize()
{
    // The day last: its maximum depends on the month and year.
    for (Segment& segment : m_segments) {
        if (segment.part != kDay)
            Clamp(segment);
    }
    if (Segment* day = Find(kDay))
        Clamp(*day);
    SYSTEMTIME time = m_time;
    time.wDayOfWeek = 0;
    for (const Segment& segment : m_segments) {
        const auto value = static_cast<std::uint16_t>(segment.value);
        switch (segment.part) {
        case kYear4:
        case kYear2: time.wYear = value; break;
        case kMonth: time.wMonth = value; break;
        case kDay: time.wDay = value; break;
        case kHours: time.wHour = value; break;
        case kMinutes: time.wMinute = value; break;
        case kSeconds: time.wSecond = value; break;
        case kMilliseconds: time.wMilliseconds = value; break;
        default: break;
        }
    }
    // Without a day segment the kept day must still exist in the month shown.
    time.wDay = static_cast<std::uint16_t>(std::min<int>(time.wDay, DaysInMonth(time.wYear, time.wMonth)));
    m_time = time;
    return time;
}

} // namespace Ombrel::GUI::Detail
