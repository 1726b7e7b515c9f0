#include "ombrel/platform/SystemMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace Ombrel {
namespace {

// Sets XCURSOR_SIZE for one test and puts the session's value back afterwards.
class CursorSizeVariable
{
public:
    explicit CursorSizeVariable(const char* value)
    {
        if (const char* old = std::getenv("XCURSOR_SIZE"))
            m_saved = old;
        setenv("XCURSOR_SIZE", value, 1);
    }
    ~CursorSizeVariable()
    {
        if (m_saved)
            setenv("XCURSOR_SIZE", m_saved->c_str(), 1);
        else
            unsetenv("XCURSOR_SIZE");
    }
    CursorSizeVariable(const CursorSizeVariable&) = delete;
    CursorSizeVariable& operator=(const CursorSizeVariable&) = delete;

private:
    std::optional<std::string> m_saved;
};

TEST(SystemMetricsTest, VirtualScreenSurroundsEveryScreen)
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect geometry = screen->geometry();
        EXPECT_GE(geometry.left(), left);
        EXPECT_GE(geometry.top(), top);
        EXPECT_LE(geometry.right(), left + width - 1);
        EXPECT_LE(geometry.bottom(), top + height - 1);
    }
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), static_cast<int>(QGuiApplication::screens().size()));
    EXPECT_LE(GetSystemMetrics(SM_CXSCREEN), width);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

TEST(SystemMetricsTest, CursorSizeFollowsTheSessionsCursorTheme)
{
    {
        CursorSizeVariable size("48");
        EXPECT_EQ(GetSystemMetrics(SM_CXCURSOR), 48);
        EXPECT_EQ(GetSystemMetrics(SM_CYCURSOR), 48);
    }
    for (const char* unusable : {"", "abc", "0", "-5", "100000", "32px"}) {
        CursorSizeVariable size(unusable);
        const int fallback = GetSystemMetrics(SM_CYCURSOR);
        EXPECT_GT(fallback, 0) << "XCURSOR_SIZE=" << unusable;
        EXPECT_LE(fallback, 512) << "XCURSOR_SIZE=" << unusable;
    }
}

} // namespace
} // namespace Ombrel
