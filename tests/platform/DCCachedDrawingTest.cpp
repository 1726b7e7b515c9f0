// Drawing that the device context takes short cuts for: patterned straight lines written as
// spans, and single lines of text drawn from kept glyphs. Each short cut must give the pixels
// of the general way.
#include "ombrel/platform/DC.h"

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Pen.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Ombrel;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kWidth = 240;
constexpr int kHeight = 40;

class DCCachedDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight));
        ASSERT_TRUE(m_dc.CreateCompatibleDC(nullptr));
        ASSERT_NE(m_dc.SelectObject(&m_bitmap), nullptr);
        Clear();
    }

    void Clear() { m_dc.FillSolidRect(CRect(0, 0, kWidth, kHeight), kWhite); }

    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(m_dc.GetPixel(x, y));
        return pixels;
    }

    // The x coordinates in row y (or, with `column`, the y coordinates in column x) whose
    // pixel is `color`.
    std::vector<int> Row(int y, COLORREF color) const
    {
        std::vector<int> found;
        for (int x = 0; x < kWidth; ++x)
            if (m_dc.GetPixel(x, y) == color)
                found.push_back(x);
        return found;
    }
    std::vector<int> Column(int x, COLORREF color) const
    {
        std::vector<int> found;
        for (int y = 0; y < kHeight; ++y)
            if (m_dc.GetPixel(x, y) == color)
                found.push_back(y);
        return found;
    }

    void Line(int x0, int y0, int x1, int y1)
    {
        m_dc.MoveTo(x0, y0);
        m_dc.LineTo(x1, y1);
    }

    CBitmap m_bitmap;
    CDC m_dc;
};

TEST_F(DCCachedDrawingTest, PatternedLinesCountTheirPhaseFromTheStartInEveryDirection)
{
    m_dc.SetBkMode(TRANSPARENT);
    CPen dot(PS_DOT, 1, kBlue);
    CPen* previous = m_dc.SelectObject(&dot);
    Line(13, 2, 3, 2); // right to left: 13, 11, ... 5; 3 is the excluded end
    Line(30, 20, 30, 10); // bottom to top: 20, 18, ... 12
    m_dc.SelectObject(previous);
    EXPECT_EQ(Row(2, kBlue), (std::vector<int>{5, 7, 9, 11, 13}));
    EXPECT_EQ(Column(30, kBlue), (std::vector<int>{12, 14, 16, 18, 20}));

    // A dash is six pixels on and two off.
    CPen dash(PS_DASH, 1, kRed);
    previous = m_dc.SelectObject(&dash);
    Line(0, 5, 20, 5);
    m_dc.SelectObject(previous);
    EXPECT_EQ(Row(5, kRed), (std::vector<int>{0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19}));
}

TEST_F(DCCachedDrawingTest, PatternedLinesKeepTheirPhaseAcrossClipHolesAndFillGapsWhenOpaque)
{
    CPen dot(PS_DOT, 1, kBlue);
    CPen* previous = m_dc.SelectObject(&dot);
    m_dc.SaveDC();
    m_dc.ExcludeClipRect(CRect(6, 0, 9, kHeight)); // the region is now two rectangles
    m_dc.SetBkMode(OPAQUE);
    m_dc.SetBkColor(kRed);
    Line(1, 3, 14, 3);
    m_dc.RestoreDC(-1);
    m_dc.SelectObject(previous);
    EXPECT_EQ(Row(3, kBlue), (std::vector<int>{1, 3, 5, 9, 11, 13}));
    EXPECT_EQ(Row(3, kRed), (std::vector<int>{2, 4, 10, 12}));
    EXPECT_EQ(m_dc.GetPixel(7, 3), kWhite); // inside the hole nothing is drawn
}

// The toolkit's own drawing of `text` with its top-left corner at (x, y) in `font`.
QImage ToolkitText(const QString& text, const QFont& font, int x, int y)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
    return image;
}

std::vector<COLORREF> PixelsOf(const QImage& image)
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const QColor color = image.pixelColor(x, y);
            pixels.push_back(RGB(color.red(), color.green(), color.blue()));
        }
    return pixels;
}

TEST_F(DCCachedDrawingTest, SingleLinesLookAsTheToolkitDrawsThemAndMeasureAsTheyAreDrawn)
{
    m_dc.SetBkMode(TRANSPARENT);
    const QFont font = ToQFont(*m_dc.GetCurrentFont());
    // Texts of Latin letters, digits and punctuation are set from glyphs kept per character
    // (kerned pairs included), other texts are shaped whole.
    for (const std::string text : {"-1,234.50", "12:30:05 09/12/2026", "Wavy Tea, AV", "",
                                   "\xC3\x84pfel \xE2\x82\xAC 5", "Yo, T.V. L'Avenue",
                                   "office flat", "Caf\xC3\xA9 \xE2\x80\x94 \xE2\x80\x9Cx\xE2\x80\x9D",
                                   "e\xCC\x81t\xC3\xA9", "\xD7\x90\xD7\x91 12"}) {
        Clear();
        // Without clipping: accents may rise above the line, where the toolkit draws them too.
        CRect box(4, 6, kWidth, 30);
        m_dc.DrawText(CString(text), box, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        EXPECT_EQ(Pixels(), PixelsOf(ToolkitText(QString::fromStdString(text), font, 4, 6)))
            << text;
        // Drawn twice, from what was kept the first time: the same pixels.
        Clear();
        m_dc.DrawText(CString(text), box, DT_SINGLELINE | DT_NOPREFIX);
        const std::vector<COLORREF> first = Pixels();
        Clear();
        m_dc.DrawText(CString(text), box, DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_EQ(Pixels(), first) << text;

        // Right-aligned in a box exactly as wide as the measured text, it lands where
        // left-aligned text does: drawing and measuring agree on the width.
        const int width = m_dc.GetTextExtent(CString(text)).cx;
        CRect exact(4, 6, 4 + width, 30);
        Clear();
        m_dc.DrawText(CString(text), exact, DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX);
        EXPECT_EQ(Pixels(), first) << text;
    }
}

TEST_F(DCCachedDrawingTest, CutTextsFollowTheWidthTheyAreDrawnInto)
{
    m_dc.SetBkMode(TRANSPARENT);
    const QFont font = ToQFont(*m_dc.GetCurrentFont());
    const CString text("A rather long cell value 1234567");
    // Alternating widths: a cut kept for one width must not be drawn into another.
    for (const int width : {60, 100, 60, 140, 100}) {
        CString cut = text;
        CRect measured(0, 0, width, 20);
        m_dc.DrawText(cut, measured, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_NOPREFIX);
        EXPECT_LE(m_dc.GetTextExtent(cut).cx, width);
        // The longest cut that fits, as the toolkit measures it: one more character would not.
        const QString shown = QString::fromUtf8(cut.GetString(), cut.GetLength());
        const qsizetype kept = shown.size() - 1;
        const QString longer = QString::fromUtf8(text.GetString(), text.GetLength()).left(kept + 1) +
                               QChar(0x2026);
        EXPECT_GT(QFontMetrics(font).horizontalAdvance(longer), width) << width;

        Clear();
        CRect box(0, 0, width, 20);
        m_dc.DrawText(text, box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        const std::vector<COLORREF> drawn = Pixels();
        Clear();
        m_dc.DrawText(cut, box, DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_EQ(drawn, Pixels()) << width;
    }
}

TEST_F(DCCachedDrawingTest, TextReachingOutOfItsRectangleIsClippedToIt)
{
    m_dc.SetBkMode(OPAQUE);
    m_dc.SetBkColor(kRed);
    CRect narrow(10, 6, 30, 30);
    m_dc.DrawText("8888888888", narrow, DT_SINGLELINE | DT_NOPREFIX);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (x < 10 || x >= 30 || y < 6 || y >= 30) {
                ASSERT_EQ(m_dc.GetPixel(x, y), kWhite) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(m_dc.GetPixel(10, 6 + 1), kRed); // the opaque background inside
}

// Without an opaque background the glyphs are cut to the rectangle while they are blended:
// inside it they are the pixels of the whole text, outside it nothing changes.
TEST_F(DCCachedDrawingTest, TransparentTextCutToItsRectangleKeepsItsPixelsInside)
{
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.SetTextColor(kBlue);
    const CString text("8888888888 Wavy");
    for (const CRect cut : {CRect(10, 6, 30, 30), CRect(10, 9, kWidth, 14), CRect(13, 8, 41, 12)}) {
        Clear();
        CRect whole(cut.left, cut.top, kWidth, kHeight);
        m_dc.DrawText(text, whole, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        const std::vector<COLORREF> uncut = Pixels();
        Clear();
        CRect box = cut;
        m_dc.DrawText(text, box, DT_SINGLELINE | DT_NOPREFIX);
        const std::vector<COLORREF> drawn = Pixels();
        int inked = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::size_t at = static_cast<std::size_t>(y * kWidth + x);
                const bool inside = cut.PtInRect(CPoint(x, y));
                ASSERT_EQ(drawn[at], inside ? uncut[at] : kWhite) << x << "," << y;
                inked += inside && drawn[at] != kWhite ? 1 : 0;
            }
        }
        EXPECT_GT(inked, 0);
    }
}

} // namespace

// Solid fills are written into the bitmap row by row, with wide stores where the processor has
// them: every width and starting column sets exactly the rectangle's pixels, also where the
// clip splits the rectangle in parts.
TEST_F(DCCachedDrawingTest, SolidFillsSetExactlyTheirRectangleAtEveryWidthAndStart)
{
    for (int left = 0; left < 4; ++left) {
        for (int width = 1; width <= 72; ++width) {
            Clear();
            m_dc.FillSolidRect(CRect(left, 5, left + width, 7), kBlue);
            for (const int y : {4, 5, 6, 7}) {
                std::vector<int> expected;
                for (int x = left; y >= 5 && y < 7 && x < left + width; ++x)
                    expected.push_back(x);
                ASSERT_EQ(Row(y, kBlue), expected) << left << " " << width << " " << y;
            }
        }
    }

    Clear();
    const int saved = m_dc.SaveDC();
    m_dc.ExcludeClipRect(CRect(40, 0, 43, kHeight));
    m_dc.FillSolidRect(CRect(3, 10, 90, 11), kRed);
    m_dc.RestoreDC(saved);
    std::vector<int> expected;
    for (int x = 3; x < 90; ++x)
        if (x < 40 || x >= 43)
            expected.push_back(x);
    EXPECT_EQ(Row(10, kRed), expected);
    EXPECT_TRUE(Row(11, kRed).empty());
}

// Switching between fonts and back (the header's font and the cells' font, column after
// column) finds each font's own measured texts again: a text measures and draws as it did the
// first time in that font.
TEST_F(DCCachedDrawingTest, FontsSwitchedBackAndForthKeepTheirOwnTexts)
{
    LOGFONT description{};
    description.lfHeight = -11;
    CFont small;
    ASSERT_TRUE(small.CreateFontIndirect(description));
    description.lfHeight = -19;
    description.lfWeight = 700;
    CFont large;
    ASSERT_TRUE(large.CreateFontIndirect(description));

    m_dc.SetBkMode(TRANSPARENT);
    const CString text("Quantity 1234");
    CFont* previous = m_dc.SelectObject(&small);
    const CSize smallExtent = m_dc.GetTextExtent(text);
    CRect box(2, 2, kWidth, kHeight);
    Clear();
    m_dc.DrawText(text, box, DT_SINGLELINE | DT_NOPREFIX);
    const std::vector<COLORREF> smallPixels = Pixels();
    m_dc.SelectObject(&large);
    const CSize largeExtent = m_dc.GetTextExtent(text);
    Clear();
    m_dc.DrawText(text, box, DT_SINGLELINE | DT_NOPREFIX);
    const std::vector<COLORREF> largePixels = Pixels();
    ASSERT_GT(largeExtent.cx, smallExtent.cx);

    for (int round = 0; round < 3; ++round) {
        m_dc.SelectObject(&small);
        EXPECT_EQ(m_dc.GetTextExtent(text), smallExtent) << round;
        Clear();
        m_dc.DrawText(text, box, DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_EQ(Pixels(), smallPixels) << round;
        m_dc.SelectObject(&large);
        EXPECT_EQ(m_dc.GetTextExtent(text), largeExtent) << round;
        Clear();
        m_dc.DrawText(text, box, DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_EQ(Pixels(), largePixels) << round;
    }
    m_dc.SelectObject(previous);
}
