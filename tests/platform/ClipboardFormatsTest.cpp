#include "ombrel/platform/Clipboard.h"

#include <future>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Ombrel::Test {
namespace {

TEST(ClipboardFormatsTest, SameNameGivesSameIdentifierAndCaseMakesADifferentName)
{
    UINT format = RegisterClipboardFormat("Ombrel.Test.Format.A");
    EXPECT_GE(format, kFirstRegisteredClipboardFormat);
    EXPECT_LE(format, kLastRegisteredClipboardFormat);
    EXPECT_EQ(format, RegisterClipboardFormat("Ombrel.Test.Format.A"));
    EXPECT_NE(format, RegisterClipboardFormat("ombrel.test.format.a"));
    EXPECT_NE(format, RegisterClipboardFormat("Ombrel.Test.Format.B"));
}

TEST(ClipboardFormatsTest, NullEmptyAndOverlongNamesAreRefused)
{
    EXPECT_EQ(RegisterClipboardFormat(nullptr), 0u);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    const std::string longest(kMaxClipboardFormatName, 'n');
    EXPECT_NE(RegisterClipboardFormat(longest.c_str()), 0u);
    const std::string overlong(kMaxClipboardFormatName + 1, 'n');
    EXPECT_EQ(RegisterClipboardFormat(overlong.c_str()), 0u);
}

TEST(ClipboardFormatsTest, NameOfRegisteredFormatIsCopiedAndTruncatedToTheBuffer)
{
    UINT format = RegisterClipboardFormat("Ombrel.Test.Named");
    char name[64] = {};
    EXPECT_EQ(GetClipboardFormatName(format, name, sizeof name), 17);
    EXPECT_STREQ(name, "Ombrel.Test.Named");

    char small[7];
    EXPECT_EQ(GetClipboardFormatName(format, small, sizeof small), 6);
    EXPECT_STREQ(small, "Ombrel");

    EXPECT_EQ(GetClipboardFormatName(CF_TEXT, name, sizeof name), 0);
    EXPECT_EQ(GetClipboardFormatName(kLastRegisteredClipboardFormat, name, sizeof name), 0)
        << "an identifier not handed out yet has no name";
    EXPECT_EQ(GetClipboardFormatName(format, name, 0), 0);
    EXPECT_EQ(GetClipboardFormatName(format, nullptr, 64), 0);
}

TEST(ClipboardFormatsThreadTest, ThreadsRegisteringOneNameGetOneIdentifier)
{
    std::vector<std::future<UINT>> results;
    for (int i = 0; i < 8; ++i) {
        results.push_back(std::async(std::launch::async, [i] {
            // Interleave registrations of other names with the shared one.
            RegisterClipboardFormat(("Ombrel.Test.Thread." + std::to_string(i)).c_str());
            return RegisterClipboardFormat("Ombrel.Test.Concurrent");
        }));
    }
    const UINT expected = RegisterClipboardFormat("Ombrel.Test.Concurrent");
    for (auto& result : results)
        EXPECT_EQ(result.get(), expected);
    char name[64];
    GetClipboardFormatName(expected, name, sizeof name);
    EXPECT_STREQ(name, "Ombrel.Test.Concurrent");
}

} // namespace
} // namespace Ombrel::Test
