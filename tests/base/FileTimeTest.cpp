#include "ombrel/base/FileTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace Ombrel {
namespace {

SYSTEMTIME Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int ms = 0)
{
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    t.wMilliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

// Runs the local-time tests in a known zone and restores the caller's zone afterwards.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            m_old = old;
            m_hadOld = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld) {
            setenv("TZ", m_old.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

TEST(FileTimeTest, KnownInstantsHaveTheirFileTimes)
{
    std::uint64_t ft = 1;
    ASSERT_TRUE(SystemTimeToFileTime(Make(1601, 1, 1), ft));
    EXPECT_EQ(ft, 0u);
    ASSERT_TRUE(SystemTimeToFileTime(Make(1970, 1, 1), ft));
    EXPECT_EQ(ft, 116444736000000000u);
    ASSERT_TRUE(SystemTimeToFileTime(Make(2000, 2, 29, 23, 59, 59, 999), ft));
    EXPECT_EQ(ft, 116444736000000000u + (951868799ull * 1000 + 999) * 10000);
}

TEST(FileTimeTest, InvalidFieldsAreRefusedAndLeaveTheOutputAlone)
{
    const SYSTEMTIME invalid[] = {Make(2001, 13, 1),      Make(2001, 1, 32),
                                  Make(2001, 1, 1, 24),   Make(2001, 1, 1, 0, 60),
                                  Make(2001, 1, 1, 0, 0, 60), Make(2001, 1, 1, 0, 0, 0, 1000),
                                  Make(2001, 2, 29),      Make(1900, 2, 29),
                                  Make(2001, 4, 31),      Make(1600, 12, 31),
                                  Make(2001, 0, 1),       Make(2001, 1, 0)};
    for (const SYSTEMTIME& t : invalid) {
        std::uint64_t ft = 77;
        EXPECT_FALSE(SystemTimeToFileTime(t, ft)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
        EXPECT_EQ(ft, 77u);
    }
    std::uint64_t ft = 0;
    EXPECT_TRUE(SystemTimeToFileTime(Make(2000, 2, 29), ft));
}

TEST(FileTimeTest, FileTimeToSystemTimeInvertsAndNamesTheWeekday)
{
    const SYSTEMTIME samples[] = {Make(1601, 1, 1), Make(1969, 12, 31, 23, 59, 59, 999),
                                  Make(2000, 2, 29, 12, 30, 15, 250), Make(2100, 3, 1),
                                  Make(30827, 12, 31, 23, 59, 59, 999)};
    for (const SYSTEMTIME& t : samples) {
        std::uint64_t ft = 0;
        ASSERT_TRUE(SystemTimeToFileTime(t, ft));
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(ft, back));
        SYSTEMTIME expected = t;
        expected.wDayOfWeek = back.wDayOfWeek;
        EXPECT_EQ(back, expected);
    }
    SYSTEMTIME t;
    ASSERT_TRUE(FileTimeToSystemTime(0, t));
    EXPECT_EQ(t.wDayOfWeek, 1); // Monday
    ASSERT_TRUE(FileTimeToSystemTime(116444736000000000u, t));
    EXPECT_EQ(t.wDayOfWeek, 4); // Thursday
    EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000ull, t));
}

TEST(FileTimeTest, LocalConversionsFollowTheCurrentZone)
{
    ScopedTimeZone zone("UTC-2"); // POSIX sign: two hours east of UTC
    SYSTEMTIME local;
    ASSERT_TRUE(FileTimeToLocalSystemTime(116444736000000000u + 5000, local));
    EXPECT_EQ(local, (SYSTEMTIME{1970, 1, 4, 1, 2, 0, 0, 0}));

    std::uint64_t ft = 0;
    ASSERT_TRUE(LocalSystemTimeToFileTime(Make(1970, 1, 1, 2, 0, 0, 7), ft));
    EXPECT_EQ(ft, 116444736000000000u + 70000);

    // Out-of-range local fields are normalised: month 13 is January of the next year.
    std::int64_t seconds = 0;
    ASSERT_TRUE(LocalSystemTimeToSeconds(Make(1969, 13, 1, 2), seconds));
    EXPECT_EQ(seconds, 0);
    // One second before 1970 in UTC is a valid result, not the C library's error value.
    ASSERT_TRUE(LocalSystemTimeToSeconds(Make(1970, 1, 1, 1, 59, 59), seconds));
    EXPECT_EQ(seconds, -1);
}

} // namespace
} // namespace Ombrel
