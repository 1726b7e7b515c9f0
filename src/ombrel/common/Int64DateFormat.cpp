#include "ombrel/common/Int64DateFormat.h"

#include "ombrel/common/DateFormatText.h"
#include "ombrel/common/DateSettings.h"
#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace Text = DateFormatText;

namespace {

constexpr std::int32_t kVersion = 1;
constexpr std::int32_t kClockMask = 0xF0;

// Years typed with two digits: 0-69 are 2000-2069, 70-99 are 1970-1999.
int ExpandTwoDigitYear(int year)
{
    if (year >= 100)
        return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

std::string FormatClockPart(std::int32_t flags, const Text::CalendarFields& f)
{
    switch (flags & kClockMask) {
    case 0x10:
        return Text::Printf("%.2d", f.hour);
    case 0x20:
        return Text::Printf("%.2d", f.minute);
    case 0x30:
        return Text::Printf("%.2d:%.2d", f.hour, f.minute);
    case 0x40:
        return Text::Printf("%.2d", f.second);
    case 0x60:
        return Text::Printf("%.2d:%.2d", f.minute, f.second);
    case 0x70:
        return Text::Printf("%.2d:%.2d:%.2d", f.hour, f.minute, f.second);
    case 0x80:
        return Text::Printf("%.3d", f.millisecond);
    case 0xC0:
        return Text::Printf("%.2d.%.3d", f.second, f.millisecond);
    case 0xE0:
        return Text::Printf("%.2d:%.2d.%.3d", f.minute, f.second, f.millisecond);
    case 0xF0:
        return Text::Printf("%.2d:%.2d:%.2d.%.3d", f.hour, f.minute, f.second, f.millisecond);
    default:
        return {};
    }
}

// Up to three digits after the fraction mark, weighted 100, 10 and 1 milliseconds; stops at
// the first non-digit.
int ReadMilliseconds(std::string_view fraction)
{
    int milliseconds = 0;
    int weight = 100;
    for (std::size_t i = 0; i < fraction.size() && weight > 0; ++i, weight /= 10) {
        if (fraction[i] < '0' || fraction[i] > '9')
            break;
        milliseconds += (fraction[i] - '0') * weight;
    }
    return milliseconds;
}

// Position of the mark before a fraction of a second: the first "." or ",". When the date
// separator is one of those characters and the flags show a date, a mark counts only after a
// time separator, so that "07.03.2010 14:05:09.250" keeps its date.
std::size_t FindFractionMark(std::string_view text, std::int32_t flags,
                             const CDateSettings::Snapshot& settings)
{
    const std::string dateSet = settings.dateSeparator + "/";
    const bool dateShown = (flags & Text::kDatePartMask) != 0;
    const std::size_t clock = text.find_first_of(settings.timeSeparator + ":");
    for (std::size_t pos = text.find_first_of(".,"); pos != std::string_view::npos;
         pos = text.find_first_of(".,", pos + 1)) {
        const bool isDateSeparator = dateSet.find(text[pos]) != std::string::npos;
        if (!isDateSeparator || !dateShown || (clock != std::string_view::npos && clock < pos))
            return pos;
    }
    return std::string_view::npos;
}

} // namespace

CInt64DateFormat::CInt64DateFormat(std::int32_t flags) : CFormat(vtInt64), m_flags(flags) {}

CInt64DateFormat::~CInt64DateFormat() = default;

CString CInt64DateFormat::Format(std::int64_t value, void* context) const
{
    return CString(FormatStl(value, context));
}

bool CInt64DateFormat::Parse(const CString& text, std::int64_t& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CInt64DateFormat::FormatStl(std::int64_t value, void*) const
{
    Text::CalendarFields fields;
    if (!Text::FieldsFromFileTime(static_cast<std::uint64_t>(value), fields))
        return {};
    const CDateSettings::Snapshot settings = CDateSettings::GetInstance().GetSnapshot();
    return Text::JoinWithBlank(Text::FormatDatePart(m_flags, fields, settings),
                               FormatClockPart(m_flags, fields));
}

bool CInt64DateFormat::ParseStl(const std::string& text, std::int64_t& out, void*) const
{
    const CDateSettings::Snapshot settings = CDateSettings::GetInstance().GetSnapshot();
    std::string_view digits = Text::CutToDigits(text);
    Text::CalendarFields fields;
    fields.hour = 1; // the default time of day of this format is 01:00:00

    const std::size_t mark = FindFractionMark(digits, m_flags, settings);
    if (mark != std::string_view::npos) {
        fields.millisecond = ReadMilliseconds(digits.substr(mark + 1));
        digits = digits.substr(0, mark);
    } else if (m_flags == Text::kMillisecondFlag) {
        fields.millisecond = Text::ConvertDecimal(digits);
        digits = {};
    }

    if (!digits.empty()) {
        const Text::DateTimeTokens tokens =
            Text::SplitDateAndTime(digits, settings, (m_flags & Text::kDatePartMask) != 0);
        Text::ReadDateFigures(tokens.date, m_flags, settings, fields);
        fields.year = ExpandTwoDigitYear(fields.year);
        Text::ReadClockFigures(tokens.time, m_flags, settings, fields);
    }

    std::uint64_t fileTime = 0;
    if (!Text::FileTimeFromFields(fields, fileTime))
        return false;
    out = static_cast<std::int64_t>(fileTime);
    return true;
}

bool CInt64DateFormat::IsDateTime() const { return true; }

CFormat* CInt64DateFormat::Clone() const { return new CInt64DateFormat(*this); }

std::string CInt64DateFormat::GetClassName() const { return "Common::CInt64DateFormat"; }

bool CInt64DateFormat::IsSerializable() const { return true; }

void CInt64DateFormat::Serialize(CSerializer& serializer)
{
    // Version 1 holds the option flags alone.
    if (SerializeVersion(serializer, kVersion) <= 0)
        return;
    if (!serializer.IsRestoring()) {
        serializer.Store(m_flags);
        return;
    }
    std::int32_t flags = 0;
    serializer.Restore(flags);
    m_flags = flags;
}

std::int32_t CInt64DateFormat::GetFlags() const { return m_flags; }

} // namespace Ombrel::Common
