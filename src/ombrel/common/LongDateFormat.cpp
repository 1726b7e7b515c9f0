#include "ombrel/common/LongDateFormat.h"

#include "ombrel/common/DateFormatText.h"
#include "ombrel/common/DateSettings.h"
#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace Text = DateFormatText;

namespace {

constexpr std::int32_t kVersion = 1;

// Years typed with two digits: 70-99 are 1970-1999, 0-38 are 2000-2038; 39-69 stay as typed
// and then fail, because no 32-bit count of seconds reaches them.
int ExpandTwoDigitYear(int year)
{
    if (year >= 100)
        return year;
    if (year > 69)
        return 1900 + year;
    if (year <= 38)
        return 2000 + year;
    return year;
}

} // namespace

CLongDateFormat::CLongDateFormat(std::int32_t flags) : CFormat(vtLong), m_flags(flags) {}

CLongDateFormat::~CLongDateFormat() = default;

CString CLongDateFormat::Format(std::int32_t value, void* context) const
{
    return CString(FormatStl(value, context));
}

bool CLongDateFormat::Parse(const CString& text, std::int32_t& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CLongDateFormat::FormatStl(std::int32_t value, void*) const
{
    Text::CalendarFields fields;
    if (!Text::LocalFieldsFromSeconds(value, fields))
        return {};
    const CDateSettings::Snapshot settings = CDateSettings::GetInstance().GetSnapshot();
    return Text::JoinWithBlank(Text::FormatDatePart(m_flags, fields, settings),
                               Text::FormatClockPart(m_flags, fields, settings.timeSeparator));
}

bool CLongDateFormat::ParseStl(const std::string& text, std::int32_t& out, void*) const
{
    const std::string_view digits = Text::CutToDigits(text);
    if (digits.empty())
        return false;
    const CDateSettings::Snapshot settings = CDateSettings::GetInstance().GetSnapshot();
    const Text::DateTimeTokens tokens =
        Text::SplitDateAndTime(digits, settings, (m_flags & Text::kDatePartMask) != 0);

    Text::CalendarFields fields; // 2000-01-01 00:00:00
    Text::ReadDateFigures(tokens.date, m_flags, settings, fields);
    fields.year = ExpandTwoDigitYear(fields.year);
    Text::ReadClockFigures(tokens.time, m_flags, settings, fields);

    std::int32_t seconds = 0;
    if (!Text::SecondsFromLocalFields(fields, seconds))
        return false;
    out = seconds;
    return true;
}

bool CLongDateFormat::IsDateTime() const { return true; }

CFormat* CLongDateFormat::Clone() const { return new CLongDateFormat(*this); }

std::string CLongDateFormat::GetClassName() const { return "Common::CLongDateFormat"; }

bool CLongDateFormat::IsSerializable() const { return true; }

void CLongDateFormat::Serialize(CSerializer& serializer)
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

} // namespace Ombrel::Common
