#include "ombrel/common/LongMsecTimeFormat.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "ombrel/common/DateFormatText.h"
#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

using DateFormatText::Printf;

namespace {

constexpr std::int32_t kVersion = 1;
constexpr std::int32_t kUnitMask = 31;
constexpr std::int32_t kTimeUnitMask = 30;

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;

// The units from the smallest up, with their length; bits as in Flags.
struct Unit
{
    std::int32_t flag;
    std::int64_t milliseconds;
};
constexpr Unit kUnitsSmallestFirst[] = {{CLongMsecTimeFormat::kMilliseconds, 1},
                                        {CLongMsecTimeFormat::kSeconds, kMsPerSecond},
                                        {CLongMsecTimeFormat::kMinutes, kMsPerMinute},
                                        {CLongMsecTimeFormat::kHours, kMsPerHour},
                                        {CLongMsecTimeFormat::kDays, kMsPerDay}};

// The figure of a unit: its total, or the remainder within the next larger unit when that
// unit is shown too (minutes under hours: 0-59).
long long Figure(std::int64_t total, bool largerShown, std::int64_t perLarger)
{
    return largerShown ? total % perLarger : total;
}

// True when no unselected unit lies between two selected ones.
bool IsContiguous(std::int32_t units)
{
    if (units == 0)
        return true;
    const std::uint32_t run = static_cast<std::uint32_t>(units) >> std::countr_zero(
                                  static_cast<std::uint32_t>(units));
    return (run & (run + 1)) == 0;
}

// A figure too large for any 32-bit total; reading stops growing there.
constexpr std::int64_t kFigureLimit = std::int64_t{1} << 32;

std::int64_t ReadFigure(std::string_view digits)
{
    std::int64_t value = 0;
    for (char ch : digits) {
        value = value * 10 + (ch - '0');
        if (value >= kFigureLimit)
            return kFigureLimit;
    }
    return value;
}

// The runs of digits of `text`, left to right.
std::vector<std::string_view> DigitRuns(std::string_view text)
{
    std::vector<std::string_view> runs;
    std::size_t pos = 0;
    while ((pos = text.find_first_of("0123456789", pos)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_not_of("0123456789", pos), text.size());
        runs.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return runs;
}

// Reads the sign, then keeps the span from the first to the last digit with
// every character that cannot belong to a time text removed.
std::string CleanTimeText(std::string_view text, bool& negative)
{
    const std::size_t start = text.find_first_of("0123456789-");
    text = start == std::string_view::npos ? std::string_view{} : text.substr(start);
    negative = !text.empty() && text.front() == '-';
    const std::size_t first = text.find_first_of("0123456789");
    if (first == std::string_view::npos)
        return {};
    std::string cleaned;
    for (char ch : text.substr(first, text.find_last_of("0123456789") - first + 1)) {
        if (std::string_view("0123456789.,:;/ \t").find(ch) != std::string_view::npos)
            cleaned += ch;
    }
    return cleaned;
}

} // namespace

CLongMsecTimeFormat::CLongMsecTimeFormat(std::int32_t flags, bool leadingZeros,
                                         const std::string& timeSuffix,
                                         const std::string& daySuffix)
    : CFormat(vtLong), m_flags(flags), m_leadingZeros(leadingZeros), m_timeSuffix(timeSuffix),
      m_daySuffix(daySuffix)
{
}

CLongMsecTimeFormat::~CLongMsecTimeFormat() = default;

CString CLongMsecTimeFormat::Format(std::int32_t value, void* context) const
{
    return CString(FormatStl(value, context));
}

bool CLongMsecTimeFormat::Parse(const CString& text, std::int32_t& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CLongMsecTimeFormat::FormatTimeFigures(std::int64_t magnitude) const
{
    const std::int32_t units = m_flags & kUnitMask;
    const long long h = Figure(magnitude / kMsPerHour, units & kDays, 24);
    const long long m = Figure(magnitude / kMsPerMinute, units & kHours, 60);
    const long long s = Figure(magnitude / kMsPerSecond, units & kMinutes, 60);
    const long long ms = Figure(magnitude, units & kSeconds, 1000);
    const bool pad = m_leadingZeros;

    switch (units & kTimeUnitMask) {
    case kHours:
        return Printf(pad ? "%.2lld" : "%lld", h);
    case kMinutes:
        return Printf(pad ? "%.2lld" : "%lld", m);
    case kHours | kMinutes:
        // Without padding a zero hour prints as nothing, leaving ":05".
        return Printf(pad ? "%.2lld:%.2lld" : "%.lld:%.2lld", h, m);
    case kSeconds:
        return Printf(pad ? "%.2lld" : "%lld", s);
    case kMinutes | kSeconds:
        return Printf(pad ? "%.2lld:%.2lld" : "%lld:%.2lld", m, s);
    case kHours | kMinutes | kSeconds:
        if (pad)
            return Printf("%.2lld:%.2lld:%.2lld", h, m, s);
        return h != 0 ? Printf("%lld:%.2lld:%.2lld", h, m, s) : Printf("%lld:%.2lld", m, s);
    case kMilliseconds:
        return Printf(pad ? "%.3lld" : "%lld", ms);
    case kSeconds | kMilliseconds:
        if (pad)
            return Printf("%.2lld.%.3lld", s, ms);
        return s != 0 ? Printf("%lld.%.3lld", s, ms) : Printf("%lld", ms);
    case kMinutes | kSeconds | kMilliseconds:
        if (pad)
            return Printf("%.2lld:%.2lld.%.3lld", m, s, ms);
        return m != 0 ? Printf("%lld:%.2lld.%.3lld", m, s, ms) : Printf("%lld.%.3lld", s, ms);
    case kHours | kMinutes | kSeconds | kMilliseconds:
        if (pad)
            return Printf("%.2lld:%.2lld:%.2lld.%.3lld", h, m, s, ms);
        if (h != 0)
            return Printf("%lld:%.2lld:%.2lld.%.3lld", h, m, s, ms);
        return m != 0 ? Printf("%lld:%.2lld.%.3lld", m, s, ms) : Printf("%lld.%.3lld", s, ms);
    default:
        return {};
    }
}

std::string CLongMsecTimeFormat::FormatStl(std::int32_t value, void*) const
{
    const std::int64_t magnitude = value < 0 ? -std::int64_t{value} : std::int64_t{value};
    const std::int32_t units = m_flags & kUnitMask;
    const std::int64_t days = magnitude / kMsPerDay;

    std::string dayText;
    if ((units & kDays) && (m_leadingZeros || days != 0 || m_flags == kDays))
        dayText = Printf("%lld", static_cast<long long>(days)) + m_daySuffix;
    std::string timeText = FormatTimeFigures(magnitude);
    if (!timeText.empty())
        timeText += m_timeSuffix;
    std::string text = DateFormatText::JoinWithBlank(std::move(dayText), timeText);

    // The sign goes only where the smallest shown unit has a non-zero total, so a value that
    // shows as zero never reads "-0".
    if (value < 0 && !text.empty()) {
        const auto smallest = std::find_if(
            std::begin(kUnitsSmallestFirst), std::end(kUnitsSmallestFirst),
            [units](const Unit& unit) { return (units & unit.flag) != 0; });
        if (smallest != std::end(kUnitsSmallestFirst) && magnitude / smallest->milliseconds != 0)
            text.insert(text.begin(), '-');
    }
    return text;
}

bool CLongMsecTimeFormat::ParseStl(const std::string& text, std::int32_t& out, void*) const
{
    const std::int32_t units = m_flags & kUnitMask;
    if (!IsContiguous(units))
        return false;

    bool negative = false;
    const std::string cleaned = CleanTimeText(text, negative);
    // A blank separates a leading day count; without days every run belongs to the time.
    const std::size_t blank = (units & kDays) ? cleaned.find_first_of(" \t") : std::string::npos;
    const std::string_view dayFigure =
        blank == std::string::npos ? std::string_view{} : std::string_view(cleaned).substr(0, blank);
    const std::string_view timeText =
        blank == std::string::npos ? std::string_view(cleaned)
                                   : std::string_view(cleaned).substr(blank + 1);

    const std::vector<std::string_view> runs = DigitRuns(timeText);
    auto run = runs.rbegin();
    std::int64_t total = 0;
    for (const Unit& unit : kUnitsSmallestFirst) {
        if (!(units & unit.flag))
            continue;
        std::int64_t figure = 0;
        if (unit.flag == kDays && !dayFigure.empty()) {
            const auto dayRuns = DigitRuns(dayFigure);
            figure = dayRuns.empty() ? 0 : ReadFigure(dayRuns.front());
        } else if (run != runs.rend()) {
            figure = ReadFigure(*run++);
        }
        total += figure * unit.milliseconds;
    }
    if (negative)
        total = -total;
    if (total < INT32_MIN || total > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(total);
    return true;
}

bool CLongMsecTimeFormat::IsDateTime() const { return true; }

CFormat* CLongMsecTimeFormat::Clone() const { return new CLongMsecTimeFormat(*this); }

std::string CLongMsecTimeFormat::GetClassName() const { return "Common::CLongMsecTimeFormat"; }

bool CLongMsecTimeFormat::IsSerializable() const { return true; }

void CLongMsecTimeFormat::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring()) {
        serializer.Store(kVersion);
        serializer.Store(m_flags);
        serializer.Store(m_leadingZeros);
        serializer.Store(m_daySuffix);
        serializer.Store(m_timeSuffix);
        return;
    }
    std::int32_t version = 0;
    serializer.Restore(version);
    if (version > kVersion)
        throw CSerializer::BadVersionException(
            "CLongMsecTimeFormat doesn't support current version and can't be deserialized.");
    if (version <= 0)
        return;
    // Read everything first, so that a short record leaves the options as they were.
    std::int32_t flags = 0;
    bool leadingZeros = false;
    std::string daySuffix;
    std::string timeSuffix;
    serializer.Restore(flags);
    serializer.Restore(leadingZeros);
    serializer.Restore(daySuffix);
    serializer.Restore(timeSuffix);
    m_flags = flags;
    m_leadingZeros = leadingZeros;
    m_daySuffix = std::move(daySuffix);
    m_timeSuffix = std::move(timeSuffix);
}

std::int32_t CLongMsecTimeFormat::GetFlags() const { return m_flags; }

} // namespace Ombrel::Common
