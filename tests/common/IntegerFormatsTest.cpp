#include "ombrel/common/IntegerFormats.h"

#include <gtest/gtest.h>

#include <limits>

#include "ombrel/common/Serializer.h"

using namespace Ombrel;
using namespace Ombrel::Common;

namespace {

template <class TFormat, class T>
void ExpectParse(const TFormat& format, const std::string& text, T expected)
{
    T parsed{};
    EXPECT_TRUE(format.ParseStl(text, parsed)) << '"' << text << '"';
    EXPECT_EQ(parsed, expected) << '"' << text << '"';
    // The CString slot delegates to the same rules.
    T viaFramework{};
    EXPECT_TRUE(format.Parse(CString(text), viaFramework));
    EXPECT_EQ(viaFramework, expected);
}

template <class T, class TFormat>
void ExpectParseFails(const TFormat& format, const std::string& text)
{
    T parsed = T(42);
    EXPECT_FALSE(format.ParseStl(text, parsed)) << '"' << text << '"';
    EXPECT_EQ(parsed, T(42)) << "output changed by a failed parse of \"" << text << '"';
}

} // namespace

TEST(IntegerFormatsTest, DecimalTextIsGroupedBySeparator)
{
    const CLongFormat format;
    EXPECT_EQ(format.FormatStl(std::int32_t{0}), "0");
    EXPECT_EQ(format.FormatStl(std::int32_t{999}), "999");
    EXPECT_EQ(format.FormatStl(std::int32_t{1000}), "1 000");
    EXPECT_EQ(format.FormatStl(std::int32_t{-1234}), "-1 234");
    EXPECT_EQ(format.FormatStl(std::numeric_limits<std::int32_t>::min()), "-2 147 483 648");
    EXPECT_EQ(format.Format(std::int32_t{1234567}), "1 234 567");
    EXPECT_EQ(CLongFormat(fmDecimal, true, 0).FormatStl(std::int32_t{1234567}), "1234567");
    EXPECT_EQ(CLongFormat(fmDecimal, true, '\x80').FormatStl(std::int32_t{1234567}), "1234567");
    EXPECT_EQ(CULongFormat().FormatStl(std::uint32_t{4294967295u}), "4 294 967 295");
    EXPECT_EQ(CInt64Format().FormatStl(std::numeric_limits<std::int64_t>::min()), "-9 223 372 036 854 775 808");
    EXPECT_EQ(CUShortFormat(fmDecimal, true, '.').FormatStl(static_cast<unsigned short>(65535)), "65.535");
}

TEST(IntegerFormatsTest, ShowZeroFalseHidesOnlyZero)
{
    const CLongFormat format(fmDecimal, false);
    EXPECT_EQ(format.FormatStl(std::int32_t{0}), "");
    EXPECT_EQ(format.FormatStl(std::int32_t{5}), "5");
    EXPECT_EQ(CLongFormat(fmHex, false).FormatStl(std::int32_t{0}), "");
}

TEST(IntegerFormatsTest, HexTextIsUpperCaseAtTheTypeWidth)
{
    EXPECT_EQ(CLongFormat(fmHex).FormatStl(std::int32_t{255}), "0xFF");
    EXPECT_EQ(CLongFormat(fmHex).FormatStl(std::int32_t{0}), "0x0");
    EXPECT_EQ(CLongFormat(fmHex, true, ' ', true, true).FormatStl(std::int32_t{255}), "0x000000FF");
    EXPECT_EQ(CLongFormat(fmHex, true, ' ', false).FormatStl(std::int32_t{-1}), "FFFFFFFF");
    EXPECT_EQ(CShortFormat(fmHex).FormatStl(short{-1}), "0xFFFF");
    EXPECT_EQ(CShortFormat(fmHex).FormatStl(short{0x1A}), "0x001A");
    EXPECT_EQ(CInt64Format(fmHex).FormatStl(std::int64_t{-1}), "0xFFFFFFFFFFFFFFFF");
    // Any non-zero mode formats as hexadecimal.
    EXPECT_EQ(CLongFormat(7).FormatStl(std::int32_t{10}), "0xA");
}

TEST(IntegerFormatsTest, DecimalParsingIsLenient)
{
    const CLongFormat format;
    ExpectParse(format, "  1 234 567 EUR", std::int32_t{1234567});
    ExpectParse(format, "abc", std::int32_t{0});
    ExpectParse(format, "", std::int32_t{0});
    ExpectParse(format, "12-3", std::int32_t{12});
    ExpectParse(format, "-1 234", std::int32_t{-1234});
    ExpectParse(format, "0X1F", std::int32_t{1});  // only the lower-case "0x" switches to hex
    // 32-bit arithmetic wraps rather than failing.
    ExpectParse(format, "4294967297", std::int32_t{1});
    ExpectParse(CULongFormat(), "4294967295", std::uint32_t{4294967295u});
    ExpectParse(CInt64Format(), "-9 223 372 036 854 775 808", std::numeric_limits<std::int64_t>::min());
}

TEST(IntegerFormatsTest, HexParsingAcceptsPrefixAnywhereAndChecksRange)
{
    for (std::int32_t mode : {fmDecimal, fmHex})
        ExpectParse(CLongFormat(mode), "0x1f", std::int32_t{31});
    ExpectParse(CLongFormat(fmHex), "ff", std::int32_t{255});
    ExpectParse(CLongFormat(fmHex), "0xFFFFFFFF", std::int32_t{-1});
    ExpectParse(CLongFormat(fmHex), "0", std::int32_t{0});
    ExpectParse(CInt64Format(fmHex), "0x00000000000000001", std::int64_t{1});
    ExpectParse(CInt64Format(fmHex), "FFFFFFFFFFFFFFFF", std::int64_t{-1});
    ExpectParseFails<std::int64_t>(CInt64Format(fmHex), "1FFFFFFFFFFFFFFFF");
    ExpectParseFails<std::int32_t>(CLongFormat(), "0x1G");
    ExpectParseFails<std::int32_t>(CLongFormat(), "0x100000000");
    ExpectParseFails<short>(CShortFormat(fmHex), "10000");
    ExpectParse(CShortFormat(fmHex), "FFFF", short{-1});
}

TEST(IntegerFormatsTest, ShortKindsRejectValuesAbove65535)
{
    ExpectParseFails<short>(CShortFormat(), "70000");
    ExpectParse(CShortFormat(), "-5", short{-5});
    ExpectParse(CUShortFormat(), "65535", static_cast<unsigned short>(65535));
    ExpectParseFails<unsigned short>(CUShortFormat(), "65536");
}

TEST(IntegerFormatsTest, CharacterFamilyFormatsByMode)
{
    EXPECT_EQ(CCharFormat().FormatStl('A'), "A");
    EXPECT_EQ(CCharFormat().FormatStl('\0'), "");
    EXPECT_EQ(CCharFormat(fmDecimal).FormatStl(static_cast<char>(-128)), "-128");
    EXPECT_EQ(CUCharFormat(fmDecimal).FormatStl(static_cast<unsigned char>(255)), "255");
    EXPECT_EQ(CUCharFormat(fmHex).FormatStl(static_cast<unsigned char>(10)), "0x0A");
    EXPECT_EQ(CCharFormat(fmHex, true, false, false).FormatStl(static_cast<char>(-1)), "FF");
    EXPECT_EQ(CCharFormat(7).FormatStl('A'), "");
    // ShowZero is kept but never hides anything in this family.
    EXPECT_EQ(CUCharFormat(fmDecimal, false).FormatStl(static_cast<unsigned char>(0)), "0");
}

TEST(IntegerFormatsTest, CharacterFamilyParsesByMode)
{
    ExpectParse(CCharFormat(), "Abc", 'A');
    ExpectParse(CCharFormat(), "", '\0');
    const CUCharFormat decimal(fmDecimal);
    ExpectParse(decimal, "255", static_cast<unsigned char>(255));
    ExpectParse(decimal, "0007", static_cast<unsigned char>(7));
    ExpectParse(decimal, "", static_cast<unsigned char>(0));
    ExpectParseFails<unsigned char>(decimal, "256");
    ExpectParseFails<unsigned char>(decimal, "-1");
    ExpectParseFails<unsigned char>(decimal, "1000");
    ExpectParseFails<unsigned char>(decimal, " 5");
    ExpectParseFails<char>(CCharFormat(fmDecimal), "0x41");
    ExpectParse(CCharFormat(fmDecimal), "-100", static_cast<char>(-100));
    ExpectParse(CCharFormat(fmHex), "0x41", 'A');
    ExpectParseFails<char>(CCharFormat(fmHex), "100");
}

TEST(IntegerFormatsTest, OptionsRoundTripInTheirStoredLayout)
{
    CLongFormat wide(fmHex, false, '.', false, true);
    CSerializer writer(false);
    wide.Serialize(writer);
    std::vector<char> bytes(static_cast<std::size_t>(writer.GetSize()));
    writer.GetData(bytes.data());
    EXPECT_EQ(bytes, (std::vector<char>{1, 0, 0, 0, 1, 0, 0, 0, 0, '.', 0, 1}));

    CLongFormat restored;
    CSerializer reader(true);
    reader.SetData(bytes.data(), static_cast<int>(bytes.size()));
    restored.Serialize(reader);
    EXPECT_EQ(restored.GetMode(), fmHex);
    EXPECT_FALSE(restored.GetShowZero());
    EXPECT_EQ(restored.GetSeparator(), '.');
    EXPECT_FALSE(restored.GetHexPrefix());
    EXPECT_TRUE(restored.GetHexZeroPad());

    CUCharFormat character(fmHex, false, true, false);
    CSerializer characterWriter(false);
    character.Serialize(characterWriter);
    std::vector<char> characterBytes(static_cast<std::size_t>(characterWriter.GetSize()));
    characterWriter.GetData(characterBytes.data());
    EXPECT_EQ(characterBytes, (std::vector<char>{1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}));
}

TEST(IntegerFormatsTest, TruncatedOptionsLeaveTheFormatUnchanged)
{
    const std::vector<char> truncated = {1, 0, 0, 0, 1, 0, 0, 0, 0};
    CLongFormat format;
    CSerializer reader(true);
    reader.SetData(truncated.data(), static_cast<int>(truncated.size()));
    EXPECT_THROW(format.Serialize(reader), CSerializer::SerializationException);
    EXPECT_EQ(format.GetMode(), fmDecimal);
    EXPECT_TRUE(format.GetShowZero());
}
