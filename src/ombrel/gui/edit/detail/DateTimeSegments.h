#pragma once

#include "ombrel/base/FileTime.h"
#include "ombrel/common/DateSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Ombrel::GUI::Detail {

// The editable parts of a date-time editor and what typing and stepping do to them; no window.
//
// Segments: one per part of the mask, date parts in the order of the date settings (separated
// by the date separator), then the time parts (time separator; milliseconds after the
// millisecond separator). A segment's value may leave its range only while digits are typed
// into it; it is brought back into range when another segment becomes active and when the
// time is read.
//
// Limits: stepping wraps around (Up on the maximum gives the minimum, Down on the minimum the
// maximum). The day's maximum is the length of the month shown (or, without a month or year
// segment, of the time's own month and year), so that no step shows a day the month lacks.
class CDateTimeSegments
{
public:
    static constexpr std::uint32_t kYear4 = 0x01;
    static constexpr std::uint32_t kYear2 = 0x02;
    static constexpr std::uint32_t kMonth = 0x04;
    static constexpr std::uint32_t kDay = 0x08;
    static constexpr std::uint32_t kHours = 0x10;
    static constexpr std::uint32_t kMinutes = 0x20;
    static constexpr std::uint32_t kSeconds = 0x40;
    static constexpr std::uint32_t kMilliseconds = 0x80;
    static constexpr std::uint32_t kDateParts = 0x0F;
    static constexpr std::uint32_t kTimeParts = 0xF0;
    static constexpr int kMinimumYear = 1970;
    static constexpr int kMaximumYear = 2038;

    struct Segment
    {
        std::uint32_t part = 0; // one of the k* bits
        int digits = 2;         // width of the shown value
        int minimum = 0;
        int maximum = 0;        // for the day: 31; the month's length applies when stepping
        int value = 0;          // the year in full also for the two-digit year
        int typedDigits = 0;    // digits typed since the segment became active, 0..digits
        std::string separator;  // shown before the value
    };

    CDateTimeSegments(std::uint32_t partMask, const Common::CDateSettings::Snapshot& settings);

    std::uint32_t GetPartMask() const { return m_partMask; }
    bool ShowsDate() const { return (m_partMask & kDateParts) != 0; }
    bool ShowsTime() const { return (m_partMask & kTimeParts) != 0; }
    int GetCount() const { return static_cast<int>(m_segments.size()); }
    const Segment& At(int index) const { return m_segments[static_cast<std::size_t>(index)]; }
    // The shown value of a segment: zero-padded to its width, or while typing to the number of
    // digits typed.
    std::string GetValueText(int index) const;
    // Every separator and value, in order.
    std::string GetText() const;

    int GetActive() const { return m_active; }
    // Makes `index` (clamped to the segments) the active segment; typing starts afresh.
    void SetActive(int index);

    // Typing: while fewer digits than the width have been typed the digit is appended (the
    // first one replaces the shown value); after a full width typing starts over with it.
    void TypeDigit(int digit);
    void StepActive(int delta);
    void ActiveToMinimum();
    void ActiveToMaximum();

    // Sets every segment from `time` (the year kept within kMinimumYear..kMaximumYear); parts
    // without a segment keep the values of `time`.
    void SetTime(const SYSTEMTIME& time);
    // Brings every segment into range (the day into its month) and returns the time shown.
    SYSTEMTIME Normalize();
    // Sets the date segments (and the date kept for parts without a segment) from `date`.
    void SetDate(const SYSTEMTIME& date);

private:
    Segment* Find(std::uint32_t part);
    void AddDateSegments(std::uint32_t partMask, const std::string& separator, std::int32_t order);
    void AddTimeSegments(std::uint32_t partMask, const Common::CDateSettings::Snapshot& settings);
    void Add(std::uint32_t part, const std::string& separator);
    // The largest value `segment` may hold: the month's length for the day.
    int MaximumOf(const Segment& segment) const;
    void Clamp(Segment& segment) const;
    int CurrentYear() const;
    int CurrentMonth() const;

    std::uint32_t m_partMask;
    std::vector<Segment> m_segments;
    int m_active = 0;
    SYSTEMTIME m_time; // the parts without a segment
};

// Days in `month` (1..12) of `year`; 31 for a month outside 1..12.
int DaysInMonth(int year, int month);

} // namespace Ombrel::GUI::Detail
