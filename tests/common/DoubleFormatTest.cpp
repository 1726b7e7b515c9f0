#include "ombrel/common/DoubleFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ombrel/common/FloatFormat.h"
#include "ombrel/common/Serializer.h"

using namespace Ombrel;
using namespace Ombrel::Common;

namespace {

struct FormatCase
{
    double value;
    const char* text;
};

double ParseDouble(const CDoubleFormat& format, const std::string& text)
{
    double parsed = -1;
    EXPECT_TRUE(format.ParseStl(text, parsed)) << text;
    return parsed;
}

std::vector<char> Stored(CFormat& format)
{
    CSerializer writer(false);
    format.Serialize(writer);
    std::vector<char> bytes(static_cast<std::size_t>(writer.GetSize()));
    writer.GetData(bytes.data());
    return bytes;
}

void RestoreFrom(CFormat& format, const std::vector<char>& bytes)
{
    CSerializer reader(true);
    reader.SetData(bytes.data(), static_cast<int>(bytes.size()));
    format.Serialize(reader);
}

} // namespace

TEST(DoubleFormatTest, DefaultsWriteFixedNotationWithDecimalComma)
{
    const CDoubleFormat format;
    const FormatCase cases[] = {
        {1234.5, "1 234,5"},   {-0.25, "-0,25"},          {2.0, "2"},
        {1234567.891, "1 234 567,891"}, {0.0004, "0"},   {999.9996, "1 000"},
        {0.0, "0"},           {1e-11, "0"},              {std::nan(""), "0"},
        {-1e12, "-1 000 000 000 000"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(format.FormatStl(c.value), c.text) << c.value;
    EXPECT_EQ(format.Format(1234.5), "1 234,5");
}

TEST(DoubleFormatTest, ExtremeMagnitudesUseExponentNotation)
{
    const CDoubleFormat format;
    EXPECT_EQ(format.FormatStl(1e13), "1e+013");
    EXPECT_EQ(format.FormatStl(1.23e13), "1.23e+013");
    EXPECT_EQ(format.FormatStl(5e-10), "5e-010");
    EXPECT_EQ(format.FormatStl(-5e-10), "-5e-010");
    EXPECT_EQ(format.FormatStl(1e300), "1e+300");
    EXPECT_EQ(CDoubleFormat(0).FormatStl(2.5e15), "2e+015");
    // Too negative for a 64-bit integer part: exponent notation instead of an overflow.
    EXPECT_EQ(format.FormatStl(-1e300), "-1e+300");
    EXPECT_EQ(format.FormatStl(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(DoubleFormatTest, OptionsShapeTheText)
{
    EXPECT_EQ(CDoubleFormat(2, true).FormatStl(2.0), "2,00");
    EXPECT_EQ(CDoubleFormat(2, true).FormatStl(0.0), "0");
    EXPECT_EQ(CDoubleFormat(3, false, true, '$').FormatStl(-5.5), "$-5,5");
    EXPECT_EQ(CDoubleFormat(3, false, false).FormatStl(0.00000000001), "");
    EXPECT_EQ(CDoubleFormat(3, false, true, 0, '%').FormatStl(0.00000000001), "0%");
    EXPECT_EQ(CDoubleFormat(0).FormatStl(0.1), "0");
    EXPECT_EQ(CDoubleFormat(0).FormatStl(0.5), "1");
    EXPECT_EQ(CDoubleFormat(3, false, true, 0, 0, 0).FormatStl(1234567.0), "1234567");
    EXPECT_EQ(CDoubleFormat(9, true).FormatStl(0.5), "0,500000000");
    // A prefix outside 32..127 is not written.
    EXPECT_EQ(CDoubleFormat(3, false, true, '\x1F').FormatStl(1.0), "1");
}

TEST(DoubleFormatTest, PrecisionIsHeldToItsRange)
{
    EXPECT_EQ(CDoubleFormat(12).GetPrecision(), 9);
    EXPECT_EQ(CDoubleFormat(-1).GetPrecision(), 0);
    EXPECT_EQ(CFloatFormat(12).GetPrecision(), 6);
    EXPECT_EQ(CFloatFormat(-1).GetPrecision(), 0);
}

TEST(DoubleFormatTest, HostileRestoredPrecisionIsClamped)
{
    CDoubleFormat format;
    RestoreFrom(format, {1, 0, 0, 0, static_cast<char>(200), 1, 0, 0, 0, ' '});
    EXPECT_EQ(format.GetPrecision(), 0);
    RestoreFrom(format, {1, 0, 0, 0, 100, 1, 1, 0, 0, ' '});
    EXPECT_EQ(format.GetPrecision(), 9);
    EXPECT_EQ(format.FormatStl(0.5), "0,500000000");
}

TEST(DoubleFormatTest, OptionsRoundTripWithShowZeroBeforeTrailingZeros)
{
    CDoubleFormat format(4, true, false, '$', '%', '.');
    const std::vector<char> bytes = Stored(format);
    EXPECT_EQ(bytes, (std::vector<char>{1, 0, 0, 0, 4, 0, 1, '$', '%', '.'}));
    CDoubleFormat restored;
    RestoreFrom(restored, bytes);
    EXPECT_EQ(Stored(restored), bytes);
    EXPECT_EQ(restored.FormatStl(-1234.5), "$-1.234,5000%");
}

TEST(DoubleFormatTest, ParsingKeepsOnlyNumberCharacters)
{
    const CDoubleFormat format;
    EXPECT_EQ(ParseDouble(format, "1 234,5"), 1234.5);
    EXPECT_EQ(ParseDouble(format, ",5"), 0.5);
    EXPECT_EQ(ParseDouble(format, "$-5,5"), -5.5);
    EXPECT_EQ(ParseDouble(format, "abc"), 0.0);
    EXPECT_EQ(ParseDouble(format, "-"), 0.0);
    EXPECT_EQ(ParseDouble(format, "1,5e3"), 1500.0);
    EXPECT_EQ(ParseDouble(format, "2D2"), 200.0);
    EXPECT_EQ(ParseDouble(format, "1.5E-2 kg"), 0.015);
    EXPECT_EQ(ParseDouble(format, "1e"), 1.0);
    EXPECT_EQ(ParseDouble(format, "1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDouble(format, "1e-999"), 0.0);
    // A point used as group separator is removed after the first comma became the point.
    EXPECT_EQ(ParseDouble(CDoubleFormat(3, false, true, 0, 0, '.'), "1.234.567,5"), 12345675.0);
}

TEST(DoubleFormatTest, FormattedTextParsesBack)
{
    const CDoubleFormat format;
    for (double value : {0.125, -1234567.5, 99.999, 1e12})
        EXPECT_EQ(ParseDouble(format, format.FormatStl(value)), value);
}

TEST(FloatFormatTest, UsesFloatConstants)
{
    const CFloatFormat format;
    EXPECT_EQ(format.FormatStl(1234.5f), "1 234,5");
    EXPECT_EQ(format.FormatStl(1e10f), "1e+010");
    EXPECT_EQ(format.FormatStl(8e9f), "8 000 000 000");
    EXPECT_EQ(format.FormatStl(5e-7f), "5e-007");
    EXPECT_EQ(format.FormatStl(5e-8f), "0");
    EXPECT_EQ(CFloatFormat(6, true).FormatStl(0.5f), "0,500000");
}

TEST(FloatFormatTest, ParsesIntoFloatWithoutOverflow)
{
    const CFloatFormat format;
    float parsed = 0;
    EXPECT_TRUE(format.ParseStl("1 234,5", parsed));
    EXPECT_EQ(parsed, 1234.5f);
    EXPECT_TRUE(format.ParseStl("1e300", parsed));
    EXPECT_EQ(parsed, std::numeric_limits<float>::infinity());
    EXPECT_TRUE(format.ParseStl("-1e300", parsed));
    EXPECT_EQ(parsed, -std::numeric_limits<float>::infinity());
}
