#include "ombrel/base/String.h"

#include <gtest/gtest.h>

#include <string>

using Ombrel::CString;

TEST(StringTest, NullPointerReadsAsEmpty)
{
    const CString s(static_cast<const char*>(nullptr));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s, "");
}

TEST(StringTest, FormatHandlesResultsLongerThanAnyFixedBuffer)
{
    const std::string long_text(10000, 'x');
    CString s;
    s.Format("<%s>%d", long_text.c_str(), 42);
    EXPECT_EQ(s.GetLength(), 10004);
    EXPECT_EQ(s.Right(4), "x>42");
    EXPECT_EQ(s.Left(2), "<x");
}

TEST(StringTest, SubstringsClampOutOfRangePositions)
{
    const CString s("abcdef");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(100), "abcdef");
    EXPECT_EQ(s.Mid(4), "ef");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(2, 2), "cd");
    EXPECT_EQ(s.Mid(5, 10), "f");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(9), "abcdef");
    EXPECT_EQ(s.GetAt(6), '\0');
}

TEST(StringTest, FindReportsBytePositionsOrMinusOne)
{
    const CString s("a,b,c");
    EXPECT_EQ(s.Find(','), 1);
    EXPECT_EQ(s.Find(',', 2), 3);
    EXPECT_EQ(s.Find(',', 4), -1);
    EXPECT_EQ(s.Find("b,c"), 2);
    EXPECT_EQ(s.Find("x"), -1);
    EXPECT_EQ(s.Find(',', 99), -1);
    EXPECT_EQ(s.ReverseFind(','), 3);
}

TEST(StringTest, TrimRemovesOnlyTheEdges)
{
    CString s("  \t a b \r\n");
    s.Trim();
    EXPECT_EQ(s, "a b");
    CString t("xxaxx");
    t.TrimLeft("x");
    EXPECT_EQ(t, "axx");
    t.TrimRight("x");
    EXPECT_EQ(t, "a");
    CString blank("   ");
    blank.Trim();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(StringTest, CaseChangeMapsWholeUtf8Characters)
{
    CString s("Straße Ärger ÉCOLE");
    s.MakeUpper();
    EXPECT_EQ(s, "STRAßE ÄRGER ÉCOLE");
    s.MakeLower();
    EXPECT_EQ(s, "straße ärger école");
}

TEST(StringTest, CompareNoCaseFoldsUtf8)
{
    EXPECT_EQ(CString("ÄRGER").CompareNoCase("ärger"), 0);
    EXPECT_LT(CString("apple").CompareNoCase("Banana"), 0);
    EXPECT_GT(CString("apples").CompareNoCase("APPLE"), 0);
    EXPECT_EQ(CString("a").Compare("b"), -1);
}

TEST(StringTest, InvalidUtf8SurvivesCaseChange)
{
    CString s(std::string("a\xC3", 2));  // truncated two-byte sequence
    s.MakeUpper();
    EXPECT_EQ(s.ToStdString(), std::string("A\xC3", 2));
}

TEST(StringTest, ConcatenationAndReplace)
{
    CString s = CString("a") + "b" + CString("c") + 'd';
    EXPECT_EQ(s, "abcd");
    s += "-abcd";
    EXPECT_EQ(s.Replace("bc", "X"), 2);
    EXPECT_EQ(s, "aXd-aXd");
    EXPECT_EQ(s.Replace("", "X"), 0);
    EXPECT_EQ(std::string(s.GetString()), s.ToStdString());
}
