// The formats without options: bool, the two pass-through string formats and the empty format.
#include <gtest/gtest.h>

#include "ombrel/common/BoolFormat.h"
#include "ombrel/common/DefaultMfcStringFormat.h"
#include "ombrel/common/DefaultStlStringFormat.h"
#include "ombrel/common/EmptyFormat.h"

using namespace Ombrel;
using namespace Ombrel::Common;

TEST(BoolFormatTest, FormatsTrueAndFalse)
{
    const CBoolFormat format;
    EXPECT_EQ(format.FormatStl(true), "true");
    EXPECT_EQ(format.Format(false), "false");
    EXPECT_EQ(format.FormatStl(CValue(true)), "true");
}

TEST(BoolFormatTest, OnlyTrueIgnoringCaseAndBlanksParsesAsTrue)
{
    const CBoolFormat format;
    for (const char* text : {" TRUE\r\n", "tRuE", "t r u e"})
    {
        bool parsed = false;
        EXPECT_TRUE(format.ParseStl(text, parsed));
        EXPECT_TRUE(parsed) << text;
    }
    for (const char* text : {"yes", "1", "", "truely"})
    {
        bool parsed = true;
        EXPECT_TRUE(format.Parse(CString(text), parsed));
        EXPECT_FALSE(parsed) << text;
    }
}

TEST(DefaultStlStringFormatTest, PassesStringsThrough)
{
    const CDefaultStlStringFormat format;
    EXPECT_EQ(format.FormatStl(std::string(" a b ")), " a b ");
    EXPECT_EQ(format.Format(std::string("x")), "x");
    std::string parsed;
    EXPECT_TRUE(format.Parse(CString("from framework"), parsed));
    EXPECT_EQ(parsed, "from framework");
    CValue value;
    EXPECT_TRUE(format.ParseStl("text", value));
    EXPECT_EQ(value.GetType(), vtStlString);
    EXPECT_EQ(value.GetStdString(), "text");
    // Its slots for the framework string stay inert.
    CString untouched = "keep";
    EXPECT_FALSE(format.ParseStl("x", untouched));
    EXPECT_EQ(untouched, "keep");
}

TEST(DefaultMfcStringFormatTest, PassesStringsThrough)
{
    const CDefaultMfcStringFormat format;
    EXPECT_EQ(format.Format(CString("abc")), "abc");
    EXPECT_EQ(format.FormatStl(CString("")), "");
    CString parsed;
    EXPECT_TRUE(format.ParseStl("from standard", parsed));
    EXPECT_EQ(parsed, "from standard");
    CValue value;
    EXPECT_TRUE(format.Parse(CString("text"), value));
    EXPECT_EQ(value.GetType(), vtMfcString);
    EXPECT_EQ(value.GetString(), "text");
}

TEST(EmptyFormatTest, ShowsNothingAndAcceptsNothing)
{
    const CEmptyFormat format(vtOpaque);
    EXPECT_EQ(format.GetValueType(), vtOpaque);
    EXPECT_EQ(format.FormatStl(CValue(OpaqueValue{3})), "");
    EXPECT_EQ(format.Format(CValue(OpaqueValue{3})), "");
    CValue value(std::int32_t{4});
    EXPECT_FALSE(format.ParseStl("4", value));
    EXPECT_FALSE(format.Parse(CString("4"), value));
    EXPECT_EQ(value.GetLong(), 4);
    EXPECT_EQ(CEmptyFormat().GetValueType(), vtEmpty);
}
