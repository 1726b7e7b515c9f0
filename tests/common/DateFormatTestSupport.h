#pragma once

#include "ombrel/common/DateSettings.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/Serializer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Pins the C library's time zone to UTC and the process-wide date settings to their defaults
// for each test, and puts both back afterwards.
class DateFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* zone = std::getenv("TZ"))
            m_savedZone = zone;
        UseZone("UTC0");
        UseSettings(Ombrel::Common::CDateSettings::kDayMonthYear, "/");
    }

    void TearDown() override
    {
        if (m_savedZone)
            setenv("TZ", m_savedZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        UseSettings(Ombrel::Common::CDateSettings::kDayMonthYear, "/");
    }

    // A POSIX zone description, e.g. "CET-1" (one hour east of UTC, no daylight saving).
    static void UseZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

    static void UseSettings(std::int32_t order, const std::string& dateSeparator)
    {
        auto& settings = Ombrel::Common::CDateSettings::GetInstance();
        settings.SetDateOrder(order);
        settings.SetDateSeparator(dateSeparator);
    }

private:
    std::optional<std::string> m_savedZone;
};

// Restores `format` from a record of version 2 and checks that it is refused with `message`.
inline void ExpectNewerVersionRefused(Ombrel::Common::CFormat& format, const char* message)
{
    Ombrel::Common::CSerializer newer(true);
    newer.SetData("\x02\0\0\0\0\0\0\0", 8);
    try {
        format.Serialize(newer);
        ADD_FAILURE() << "no exception";
    } catch (const Ombrel::Common::CSerializer::BadVersionException& e) {
        EXPECT_STREQ(e.what(), message);
    }
}
