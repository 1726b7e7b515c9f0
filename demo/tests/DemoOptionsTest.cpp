// The demonstration's command line.

#include "DemoOptions.h"

#include <gtest/gtest.h>

namespace Ombrel::Demo {
namespace {

bool Parse(std::vector<CString> arguments, DemoOptions& options, std::string& error)
{
    return ParseDemoOptions(arguments, options, error);
}

TEST(DemoOptionsTest, NoArgumentsGiveTenObjectsAndNothingElse)
{
    DemoOptions options;
    options.objectCount = 3; // overwritten by a successful parse
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.objectCount, 10);
    EXPECT_FALSE(options.liveUpdates);
    EXPECT_EQ(options.quitAfterSeconds, 0.0);
    EXPECT_TRUE(options.screenshotPath.empty());
    EXPECT_FALSE(options.showHelp);
}

TEST(DemoOptionsTest, ReadsEveryOption)
{
    DemoOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--objects", "100000", "--live", "--quit-after", "2.5", "--screenshot", "/tmp/x.png",
                       "--new-window", "--drag-preview"},
                      options, error))
        << error;
    EXPECT_TRUE(options.newWindow);
    EXPECT_TRUE(options.dragPreview);
    EXPECT_EQ(options.objectCount, 100000);
    EXPECT_TRUE(options.liveUpdates);
    EXPECT_DOUBLE_EQ(options.quitAfterSeconds, 2.5);
    EXPECT_EQ(options.screenshotPath, "/tmp/x.png");
    EXPECT_FALSE(options.editBeforeScreenshot);
    ASSERT_TRUE(Parse({"--screenshot-edit", "/tmp/edit.png"}, options, error)) << error;
    EXPECT_EQ(options.screenshotPath, "/tmp/edit.png");
    EXPECT_TRUE(options.editBeforeScreenshot);
    ASSERT_TRUE(Parse({"--help"}, options, error));
    EXPECT_TRUE(options.showHelp);
}

TEST(DemoOptionsTest, RefusesBadValuesAndKeepsTheOptionsUnchanged)
{
    const std::vector<std::vector<CString>> refused = {
        {"--objects"},
        {"--objects", "0"},
        {"--objects", "-3"},
        {"--objects", "12abc"},
        {"--objects", "99999999999999999999"},
        {"--objects", "10000001"},
        {"--quit-after", "0"},
        {"--quit-after", "soon"},
        {"--quit-after", "nan"},
        {"--quit-after", "1e9"},
        {"--screenshot"},
        {"--screenshot", ""},
        {"--screenshot-edit"},
        {"--screenshot-edit", ""},
        {"--colour"},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments.front().GetString() + std::string(" ") +
                     (arguments.size() > 1 ? arguments[1].GetString() : ""));
        DemoOptions options;
        options.objectCount = 42;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(options.objectCount, 42);
    }
}

// A refusal names the real limit, and the limit itself is accepted.
TEST(DemoOptionsTest, MessagesStateTheLimitsThatApply)
{
    DemoOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--quit-after", "86400.001"}, options, error));
    EXPECT_NE(error.find("above 0 and at most 86400,"), std::string::npos) << error;
    EXPECT_TRUE(Parse({"--quit-after", "86400"}, options, error)) << error;
    EXPECT_DOUBLE_EQ(options.quitAfterSeconds, DemoOptions::kMaxQuitAfterSeconds);

    EXPECT_FALSE(Parse({"--objects", "10000001"}, options, error));
    EXPECT_NE(error.find("from 1 to 10000000,"), std::string::npos) << error;
    EXPECT_TRUE(Parse({"--objects", "10000000"}, options, error)) << error;

    const std::string usage = DemoUsage();
    EXPECT_NE(usage.find("(1 to 10000000)"), std::string::npos) << usage;
    EXPECT_NE(usage.find("at most 86400)"), std::string::npos) << usage;
}

} // namespace
} // namespace Ombrel::Demo
