#include "ombrel/platform/Font.h"

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QFont>
#include <QString>

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

using namespace Ombrel;

namespace {

LOGFONT SampleDescription()
{
    LOGFONT description;
    description.lfHeight = -17;
    description.lfWeight = FW_BOLD;
    description.lfItalic = 1;
    description.lfUnderline = 1;
    description.lfStrikeOut = 0;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = NONANTIALIASED_QUALITY;
    description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(description.lfFaceName, "DejaVu Sans");
    return description;
}

TEST(FontTest, DescriptionKeepsThePlatformByteLayout)
{
    LOGFONT description;
    description.lfHeight = -12;
    description.lfWeight = 700;
    description.lfItalic = 1;
    description.lfPitchAndFamily = 0x22;
    std::strcpy(description.lfFaceName, "Ab");
    unsigned char bytes[sizeof(LOGFONT)];
    std::memcpy(bytes, &description, sizeof bytes);
    EXPECT_EQ(sizeof bytes, 60u);
    const unsigned char height[] = {0xF4, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, height, 4), 0);
    EXPECT_EQ(bytes[16], 0xBC); // 700 = 0x2BC, little-endian
    EXPECT_EQ(bytes[17], 0x02);
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[27], 0x22);
    EXPECT_EQ(bytes[28], 'A');
    EXPECT_EQ(bytes[29], 'b');
    EXPECT_EQ(bytes[30], 0);
}

TEST(FontTest, DescriptionSurvivesTheRoundTripThroughAFont)
{
    const LOGFONT in = SampleDescription();
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(in));
    LOGFONT out;
    std::memset(static_cast<void*>(&out), 0xAB, sizeof out);
    EXPECT_EQ(font.GetLogFont(&out), static_cast<int>(sizeof(LOGFONT)));
    EXPECT_EQ(std::memcmp(&in, &out, sizeof(LOGFONT)), 0);

    CFont copy = font;
    LOGFONT copied;
    copy.GetLogFont(copied);
    EXPECT_EQ(std::memcmp(&in, &copied, sizeof(LOGFONT)), 0);

    CFont empty;
    EXPECT_EQ(empty.GetLogFont(&out), 0);
    EXPECT_EQ(empty.GetSafeHandle(), nullptr);
}

TEST(FontTest, QtFontRoundTripKeepsSizeWeightStyleAndFace)
{
    CFont font;
    font.CreateFontIndirect(SampleDescription());
    const QFont qtFont = ToQFont(font);
    EXPECT_EQ(qtFont.pixelSize(), 17);
    EXPECT_TRUE(qtFont.bold());
    EXPECT_TRUE(qtFont.italic());
    EXPECT_TRUE(qtFont.underline());
    EXPECT_EQ(qtFont.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);

    LOGFONT back;
    ASSERT_TRUE(FromQFont(qtFont).GetLogFont(back));
    const LOGFONT in = SampleDescription();
    EXPECT_EQ(back.lfHeight, in.lfHeight);
    EXPECT_EQ(back.lfWeight, in.lfWeight);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(back.lfUnderline, 1);
    EXPECT_EQ(back.lfStrikeOut, 0);
    EXPECT_EQ(back.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_STREQ(back.lfFaceName, "DejaVu Sans");
}

TEST(FontTest, LongFaceNamesAreCutAtACharacterBoundary)
{
    QFont qtFont;
    qtFont.setFamilies({QString(20, QChar(0x00C4))}); // 40 bytes of two-byte characters
    qtFont.setPixelSize(12);
    LOGFONT description;
    ASSERT_TRUE(FromQFont(qtFont).GetLogFont(description));
    const std::size_t length = std::strlen(description.lfFaceName);
    EXPECT_EQ(length, 30u); // 15 whole characters; 31 would split one
    EXPECT_EQ(QString::fromUtf8(description.lfFaceName), QString(15, QChar(0x00C4)));
}

TEST(FontTest, HostileDescriptionsGiveADrawableFont)
{
    LOGFONT description;
    description.lfHeight = INT_MIN;
    description.lfWeight = INT_MAX;
    description.lfWidth = INT_MAX;
    std::memset(description.lfFaceName, 'x', sizeof description.lfFaceName); // no terminator
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(description));
    const QFont qtFont = ToQFont(font);
    EXPECT_GT(qtFont.pixelSize(), 0);
    EXPECT_LE(qtFont.pixelSize(), 2048);
    EXPECT_EQ(qtFont.families().value(0), QString(32, QLatin1Char('x')));

    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, 8, 8);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&font);
    TEXTMETRIC metrics;
    EXPECT_TRUE(dc.GetTextMetrics(&metrics));
    CRect rect(0, 0, 8, 8);
    dc.DrawText("x", rect, DT_SINGLELINE | DT_END_ELLIPSIS);
}

TEST(FontTest, PointFontsUseTheDeviceResolution)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, "DejaVu Sans"));
    LOGFONT description;
    font.GetLogFont(description);
    EXPECT_EQ(description.lfHeight, -16); // 12 pt at 96 dots per inch
    EXPECT_FALSE(font.CreatePointFont(0, "DejaVu Sans"));
}

TEST(FontTest, DefaultGuiFontIsTheApplicationFont)
{
    const CFont* font = GetDefaultGuiFont();
    ASSERT_NE(font, nullptr);
    LOGFONT description;
    ASSERT_TRUE(font->GetLogFont(description));
    EXPECT_LT(description.lfHeight, 0);
    EXPECT_EQ(ToQFont(*font).family(), QFont().family());
}

} // namespace
