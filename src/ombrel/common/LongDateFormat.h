#pragma once

#include <cstdint>
#include <string>

#include "ombrel/base/String.h"
#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Shows a long holding seconds since 1970-01-01 00:00:00 UTC as a local date and time.
//
// Flags select the parts: the date part is Flags & 0x0F (1 four-digit year, 2 two-digit year,
// 4 month, 5 month and four-digit year, 6 month and two-digit year, 8 day, 12 day and month,
// 13 full date with four-digit year, 14 full date with two-digit year), the time part is
// Flags & 0x70 (0x10 hours, 0x20 minutes, 0x40 seconds and their contiguous combinations).
// The order of day, month and year and the separators come from CDateSettings at each call.
// Negative values and values that the local-time conversion rejects show as empty text.
class CLongDateFormat : public CFormat
{
public:
    static constexpr std::int32_t kDefaultFlags = 14;

    explicit CLongDateFormat(std::int32_t flags = kDefaultFlags);
    CLongDateFormat(const CLongDateFormat& other) = default;
    CLongDateFormat& operator=(const CLongDateFormat& other) = default;
    ~CLongDateFormat() override;

    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CString Format(std::int32_t value, void* context = nullptr) const override;
    bool Parse(const CString& text, std::int32_t& out, void* context = nullptr) const override;
    std::string FormatStl(std::int32_t value, void* context = nullptr) const override;
    // Reads a local date and time; true only when the result is a representable time
    // (1970 to 2038). Parts the flags do not select keep 2000-01-01 00:00:00.
    bool ParseStl(const std::string& text, std::int32_t& out,
                  void* context = nullptr) const override;

    bool IsDateTime() const override;
    CFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    // Record: version 1, then Flags (32-bit).
    void Serialize(CSerializer& serializer) override;

    // The parts shown (see above); the date editor shows the same parts.
    std::int32_t GetFlags() const { return m_flags; }

private:
    std::int32_t m_flags = kDefaultFlags;
};

} // namespace Ombrel::Common
