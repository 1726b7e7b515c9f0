#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Ombrel::Common {

// The process-wide order of day, month and year and the separators that every date and time
// format reads at each conversion, so changing them changes the text of all such formats at
// once. The host sets them once at start-up; they are still guarded by a lock because formats
// may run on any thread.
class CDateSettings
{
public:
    // Values of DateOrder.
    static constexpr std::int32_t kDayMonthYear = 0;
    static constexpr std::int32_t kMonthDayYear = 1;
    static constexpr std::int32_t kYearMonthDay = 2;

    // One consistent reading of every setting, taken once per conversion so that a text is
    // never built from a mix of old and new settings.
    struct Snapshot
    {
        std::int32_t dateOrder = kDayMonthYear;
        std::string dateSeparator = "/";
        std::string timeSeparator = ":";
        std::string msecSeparator = ".";
    };

    CDateSettings();
    ~CDateSettings();
    CDateSettings(const CDateSettings&) = delete;
    CDateSettings& operator=(const CDateSettings&) = delete;

    // The instance the formats read; created on first use, destroyed at process exit.
    static CDateSettings& GetInstance();

    // An order outside kDayMonthYear..kYearMonthDay is ignored.
    void SetDateOrder(std::int32_t order);
    std::int32_t GetDateOrder() const;

    void SetDateSeparator(const std::string& separator);
    std::string GetDateSeparator() const;
    std::string GetTimeSeparator() const;
    std::string GetMsecSeparator() const;

    Snapshot GetSnapshot() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Common
