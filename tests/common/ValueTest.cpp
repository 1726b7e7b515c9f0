#include "ombrel/common/Value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>
#include <utility>

using namespace Ombrel;
using namespace Ombrel::Common;

TEST(ValueTest, EachConstructorSetsItsKind)
{
    EXPECT_EQ(CValue().GetType(), vtEmpty);
    EXPECT_EQ(CValue(CString("a")).GetType(), vtMfcString);
    EXPECT_EQ(CValue(std::string("a")).GetType(), vtStlString);
    EXPECT_EQ(CValue('a').GetType(), vtChar);
    EXPECT_EQ(CValue(static_cast<unsigned char>(1)).GetType(), vtUChar);
    EXPECT_EQ(CValue(static_cast<short>(1)).GetType(), vtShort);
    EXPECT_EQ(CValue(static_cast<unsigned short>(1)).GetType(), vtUShort);
    EXPECT_EQ(CValue(std::int32_t{1}).GetType(), vtLong);
    EXPECT_EQ(CValue(std::uint32_t{1}).GetType(), vtULong);
    EXPECT_EQ(CValue(std::int64_t{1}).GetType(), vtInt64);
    EXPECT_EQ(CValue(true).GetType(), vtBool);
    EXPECT_EQ(CValue(1.0f).GetType(), vtFloat);
    EXPECT_EQ(CValue(1.0).GetType(), vtDouble);
    EXPECT_EQ(CValue(OpaqueValue{7}).GetType(), vtOpaque);
}

TEST(ValueTest, GettersOfAnotherKindGiveNeutralResults)
{
    const CValue value(std::int64_t{-1});
    EXPECT_EQ(value.GetInt64(), -1);
    EXPECT_EQ(value.GetLong(), 0);
    EXPECT_EQ(value.GetULong(), 0u);
    EXPECT_EQ(value.GetDouble(), 0.0);
    EXPECT_FALSE(value.GetBool());
    EXPECT_TRUE(value.GetStdString().empty());
    EXPECT_TRUE(value.GetString().IsEmpty());
    EXPECT_EQ(static_cast<std::uint32_t>(value.GetOpaque()), 0u);
}

TEST(ValueTest, CopiesOwnTheirStrings)
{
    CValue original(std::string("first"));
    CValue copy(original);
    original.SetStdString("changed");
    EXPECT_EQ(copy.GetStdString(), "first");

    CValue assigned;
    assigned = copy;
    copy.Clear();
    EXPECT_EQ(assigned.GetStdString(), "first");

    CValue moved(std::move(assigned));
    EXPECT_EQ(moved.GetStdString(), "first");
    EXPECT_TRUE(assigned.IsEmpty());
}

TEST(ValueTest, SettingAnotherKindReplacesTheString)
{
    CValue value(CString("text"));
    value.SetLong(5);
    EXPECT_EQ(value.GetType(), vtLong);
    EXPECT_EQ(value.GetLong(), 5);
    EXPECT_TRUE(value.GetString().IsEmpty());
    value.SetString("again");
    EXPECT_EQ(value.GetString(), "again");
}

TEST(ValueTest, ValuesOfDifferentKindsAreNeitherEqualNorOrdered)
{
    const CValue a(std::int32_t{1});
    const CValue b(std::int64_t{1});
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a > b);
    EXPECT_FALSE(b > a);
    EXPECT_TRUE(CValue() == CValue());
}

TEST(ValueTest, OrderingFollowsTheSignednessOfTheKind)
{
    EXPECT_TRUE(CValue(std::int32_t{1}) > CValue(std::int32_t{-1}));
    EXPECT_TRUE(CValue(std::uint32_t{0xFFFFFFFFu}) > CValue(std::uint32_t{1}));
    EXPECT_TRUE(CValue(static_cast<char>(1)) > CValue(static_cast<char>(-1)));
    EXPECT_TRUE(CValue(static_cast<unsigned char>(200)) > CValue(static_cast<unsigned char>(1)));
    EXPECT_TRUE(CValue(OpaqueValue{0x80000000u}) > CValue(OpaqueValue{1}));
    EXPECT_TRUE(CValue(std::int64_t{-5}) < CValue(std::int64_t{3}));
    EXPECT_TRUE(CValue(true) > CValue(false));
}

TEST(ValueTest, StringsCompareByteWiseWithPrefixSmaller)
{
    EXPECT_TRUE(CValue(std::string("ab")) < CValue(std::string("abc")));
    EXPECT_TRUE(CValue(CString("b")) > CValue(CString("abc")));
    EXPECT_TRUE(CValue(CString("x")) == CValue(CString("x")));
    // A string that was never assigned reads as empty and equals an empty string.
    CValue unset(std::string{});
    EXPECT_TRUE(unset == CValue(std::string()));
}

TEST(ValueTest, NotANumberIsNeitherEqualNorGreater)
{
    const CValue nan(std::nan(""));
    EXPECT_FALSE(nan == nan);
    EXPECT_FALSE(nan > CValue(1.0));
    EXPECT_FALSE(CValue(1.0) > nan);
}

// Sorting asks Compare instead of > both ways: the two must never disagree, for any kind,
// for text with bytes above 0x7F, for NaN and across kinds.
TEST(ValueTest, CompareAgreesWithTheOrderingOperators)
{
    const std::vector<CValue> values = {
        CValue(),  CValue(std::int32_t{-1}), CValue(std::int32_t{1}), CValue(std::int64_t{1}),
        CValue(std::uint32_t{0xFFFFFFFFu}), CValue(static_cast<char>(-1)), CValue(static_cast<char>(1)),
        CValue(true), CValue(false), CValue(std::nan("")), CValue(0.5), CValue(-0.5), CValue(1.5f),
        CValue(std::string("ab")), CValue(std::string("abc")), CValue(std::string("\xC3\xA9")),
        CValue(CString("b")), CValue(CString("")), CValue(OpaqueValue{0x80000000u}), CValue(OpaqueValue{1}),
    };
    for (const CValue& left : values)
        for (const CValue& right : values) {
            const int expected = left > right ? 1 : right > left ? -1 : 0;
            const int order = left.Compare(right);
            EXPECT_EQ((order > 0) - (order < 0), expected)
                << "kinds " << left.GetType() << " and " << right.GetType();
        }
}
