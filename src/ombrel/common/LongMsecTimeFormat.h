#pragma once

#include <cstdint>
#include <string>

#include "ombrel/base/String.h"
#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Shows a long holding a signed count of milliseconds (a duration or a time of day) in the
// units Flags selects: 1 days, 2 hours, 4 minutes, 8 seconds, 16 milliseconds.
//
// Without LeadingZeros the largest shown figure has no padding and leading zero figures are
// dropped ("2:03.004"); with it every figure is padded and kept ("00:02:03.004"). DaySuffix
// follows the day count, TimeSuffix the time text. Unit selections other than the contiguous
// runs of hours..milliseconds show no time text.
class CLongMsecTimeFormat : public CFormat
{
public:
    static constexpr std::int32_t kDays = 1;
    static constexpr std::int32_t kHours = 2;
    static constexpr std::int32_t kMinutes = 4;
    static constexpr std::int32_t kSeconds = 8;
    static constexpr std::int32_t kMilliseconds = 16;
    static constexpr std::int32_t kDefaultFlags = kHours | kMinutes | kSeconds | kMilliseconds;

    explicit CLongMsecTimeFormat(std::int32_t flags = kDefaultFlags, bool leadingZeros = false,
                                 const std::string& timeSuffix = std::string(),
                                 const std::string& daySuffix = std::string());
    CLongMsecTimeFormat(const CLongMsecTimeFormat& other) = default;
    CLongMsecTimeFormat& operator=(const CLongMsecTimeFormat& other) = default;
    ~CLongMsecTimeFormat() override;

    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CString Format(std::int32_t value, void* context = nullptr) const override;
    bool Parse(const CString& text, std::int32_t& out, void* context = nullptr) const override;
    std::string FormatStl(std::int32_t value, void* context = nullptr) const override;
    // Assigns the runs of digits from the right to the selected units, smallest first; a
    // blank separates a leading day count. Fails when the selected units are not contiguous
    // (for example minutes and milliseconds without seconds) or when the total does not fit
    // in 32 bits.
    bool ParseStl(const std::string& text, std::int32_t& out,
                  void* context = nullptr) const override;

    bool IsDateTime() const override;
    CFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    // Record: version 1, Flags (32-bit), LeadingZeros (byte), DaySuffix, TimeSuffix (strings).
    void Serialize(CSerializer& serializer) override;

    virtual std::int32_t GetFlags() const;

private:
    std::string FormatTimeFigures(std::int64_t magnitude) const;

    std::int32_t m_flags = kDefaultFlags;
    bool m_leadingZeros = false;
    std::string m_timeSuffix;
    std::string m_daySuffix;
};

} // namespace Ombrel::Common
