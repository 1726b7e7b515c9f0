#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ombrel/gui/rows/SortKey.h"

namespace Ombrel::GUI {
namespace {

using Common::CValue;

CSortKey KeyOf(const CValue& value)
{
    CSortKey key;
    key.Assign(value);
    return key;
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Values of every kind, with the edges where a widening or a byte order could go wrong.
std::vector<CValue> SampleValues()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<CValue> values = {
        CValue(),
        CValue(static_cast<char>(-5)), CValue(static_cast<char>(7)),
        CValue(static_cast<unsigned char>(0)), CValue(static_cast<unsigned char>(250)),
        CValue(static_cast<short>(-30000)), CValue(static_cast<short>(12)),
        CValue(static_cast<unsigned short>(65535)), CValue(static_cast<unsigned short>(1)),
        CValue(std::numeric_limits<std::int32_t>::min()), CValue(std::int32_t{-1}),
        CValue(std::int32_t{0}), CValue(std::numeric_limits<std::int32_t>::max()),
        CValue(std::uint32_t{0}), CValue(std::numeric_limits<std::uint32_t>::max()),
        CValue(std::numeric_limits<std::int64_t>::min()), CValue(std::int64_t{-2}),
        CValue(std::numeric_limits<std::int64_t>::max()),
        CValue(false), CValue(true),
        CValue(-1.5f), CValue(0.25f), CValue(static_cast<float>(nan)),
        CValue(-0.0), CValue(0.0), CValue(1e300), CValue(-1e-300), CValue(nan),
        CValue(Common::OpaqueValue{3}), CValue(Common::OpaqueValue{0xFFFFFFFFu}),
    };
    // Text around the inline limit, with common prefixes and bytes above 0x7F, which order
    // after ASCII.
    const std::vector<std::string> texts = {
        "", "a", "ab", "abc", "Row 0000001", "Row 0000002",
        std::string(14, 'x'), std::string(15, 'x'), std::string(14, 'x') + "a",
        std::string(40, 'y'), std::string(40, 'y') + "z", "\xC3\xA9t\xC3\xA9", "zzz",
    };
    for (const std::string& text : texts) {
        values.emplace_back(text);
        values.emplace_back(CString(text.c_str(), static_cast<int>(text.size())));
    }
    return values;
}

// Among keys of one kind, prefixes order as the keys do: a greater prefix means a greater key,
// and equal keys have equal prefixes (text may still differ past its first eight bytes).
void ExpectPrefixesAgree(const CSortKey& a, const CSortKey& b)
{
    const auto prefixA = a.OrderPrefix();
    const auto prefixB = b.OrderPrefix();
    if (a.GetType() != b.GetType() || !prefixA || !prefixB)
        return;
    const int order = Sign(a.Compare(b));
    if (*prefixA != *prefixB)
        EXPECT_EQ(order, *prefixA > *prefixB ? 1 : -1) << "kind " << int(a.GetType());
    else if (!a.IsText())
        EXPECT_EQ(order, 0) << "kind " << int(a.GetType());
}

TEST(SortKeyTest, OrdersAndMatchesEveryPairAsTheValuesThemselvesDo)
{
    const std::vector<CValue> values = SampleValues();
    for (const CValue& a : values) {
        const CSortKey keyA = KeyOf(a);
        EXPECT_EQ(keyA.GetType(), a.GetType());
        for (const CValue& b : values) {
            const CSortKey keyB = KeyOf(b);
            ASSERT_EQ(Sign(keyA.Compare(keyB)), Sign(a.Compare(b)))
                << "kinds " << a.GetType() << " and " << b.GetType() << ": "
                << a.GetStdString() << " / " << b.GetStdString();
            ASSERT_EQ(keyA.Equals(b), a == b) << a.GetType() << " / " << b.GetType();
            ExpectPrefixesAgree(keyA, keyB);
        }
    }
}

TEST(SortKeyTest, LongTextSurvivesCopiesMovesAndBorrowing)
{
    const std::string longText(100, 'q');
    CSortKey owner = KeyOf(CValue(longText + "1"));
    CSortKey copy = owner;
    CSortKey moved = std::move(copy);
    copy = moved; // a moved-from key takes a new value
    const CSortKey& same = copy;
    copy = same; // and keeps it when assigned to itself
    const CSortKey borrowed = owner.Borrow();
    {
        const CSortKey borrowedCopy = borrowed; // owns its own text
        EXPECT_EQ(borrowedCopy.Compare(owner), 0);
    }
    CSortKey later = KeyOf(CValue(longText + "2"));
    EXPECT_LT(owner.Compare(later), 0);
    EXPECT_LT(borrowed.Compare(later), 0);
    EXPECT_EQ(copy.Compare(moved), 0);
    EXPECT_TRUE(moved.Equals(CValue(longText + "1")));
    // Reassigning a key frees its old text; a short value then lives inline.
    owner.Assign(CValue(std::string("short")));
    EXPECT_TRUE(owner.Equals(CValue(std::string("short"))));
    owner.Clear();
    EXPECT_TRUE(owner.IsEmpty());
    EXPECT_TRUE(copy.Equals(CValue(longText + "1")));
}

TEST(SortKeyTest, RandomNumbersOrderAsTheirValues)
{
    std::mt19937_64 random(3);
    for (int round = 0; round < 20000; ++round) {
        const auto a = static_cast<std::int64_t>(random());
        const auto b = static_cast<std::int64_t>(random() >> (round % 60));
        ASSERT_EQ(Sign(KeyOf(CValue(a)).Compare(KeyOf(CValue(b)))), Sign(CValue(a).Compare(CValue(b))));
        const double x = std::ldexp(static_cast<double>(a), -(round % 80));
        const double y = -std::ldexp(static_cast<double>(b), -(round % 30));
        ASSERT_EQ(Sign(KeyOf(CValue(x)).Compare(KeyOf(CValue(y)))), Sign(CValue(x).Compare(CValue(y))));
        ExpectPrefixesAgree(KeyOf(CValue(a)), KeyOf(CValue(b)));
        ExpectPrefixesAgree(KeyOf(CValue(x)), KeyOf(CValue(y)));
        ExpectPrefixesAgree(KeyOf(CValue(x)), KeyOf(CValue(-0.0)));
    }
}

} // namespace
} // namespace Ombrel::GUI
