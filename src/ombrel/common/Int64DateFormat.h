#pragma once

#include <cstdint>
#include <string>

#include "ombrel/base/String.h"
#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Shows a 64-bit file time (100-nanosecond intervals since 1601-01-01 00:00:00 UTC) as a UTC
// date and time, without conversion to local time.
//
// The date part of Flags is that of CLongDateFormat (Flags & 0x0F, laid out by CDateSettings).
// The time part is Flags & 0xF0 with fixed separators: 0x10 hours, 0x20 minutes, 0x40 seconds,
// 0x80 milliseconds and their contiguous combinations ("%.2d:%.2d:%.2d.%.3d" for 0xF0).
// Negative values (file times at or above 2^63) show as empty text.
class CInt64DateFormat : public CFormat
{
public:
    static constexpr std::int32_t kDefaultFlags = 14;

    explicit CInt64DateFormat(std::int32_t flags = kDefaultFlags);
    CInt64DateFormat(const CInt64DateFormat& other) = default;
    CInt64DateFormat& operator=(const CInt64DateFormat& other) = default;
    ~CInt64DateFormat() override;

    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CString Format(std::int64_t value, void* context = nullptr) const override;
    bool Parse(const CString& text, std::int64_t& out, void* context = nullptr) const override;
    std::string FormatStl(std::int64_t value, void* context = nullptr) const override;
    // Reads a UTC date and time with an optional fraction of a second after the first "." or
    // ","; parts the flags do not select keep 2000-01-01 01:00:00.000. With Flags exactly 0x80
    // and no fraction mark the whole text is the millisecond count. Fails for a field out of
    // its calendar range (month 13, day 32, hour 24, millisecond 1000, year before 1601).
    bool ParseStl(const std::string& text, std::int64_t& out,
                  void* context = nullptr) const override;

    bool IsDateTime() const override;
    CFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    // Record: version 1, then Flags (32-bit).
    void Serialize(CSerializer& serializer) override;

    virtual std::int32_t GetFlags() const;

private:
    std::int32_t m_flags = kDefaultFlags;
};

} // namespace Ombrel::Common
