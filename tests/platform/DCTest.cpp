#include "ombrel/platform/DC.h"

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Pen.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QDir>
#include <QPainter>
#include <QtPrintSupport/QPrinter>

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Ombrel;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A memory device context on a white 64 x 48 bitmap.
class DCTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bitmap.CreateCompatibleBitmap(nullptr, 64, 48));
        ASSERT_TRUE(m_dc.CreateCompatibleDC(nullptr));
        ASSERT_NE(m_dc.SelectObject(&m_bitmap), nullptr);
        m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
    }

    COLORREF Pixel(int x, int y) const { return m_dc.GetPixel(x, y); }

    // The x coordinates in row y whose pixel is not white.
    std::vector<int> InkInRow(int y) const
    {
        std::vector<int> xs;
        for (int x = 0; x < 64; ++x) {
            if (Pixel(x, y) != kWhite) {
                xs.push_back(x);
            }
        }
        return xs;
    }

    // The bounding box of every non-white pixel (empty when there is none).
    CRect InkBounds() const
    {
        CRect box;
        bool any = false;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (Pixel(x, y) == kWhite) {
                    continue;
                }
                const CRect one(x, y, x + 1, y + 1);
                any ? static_cast<void>(box.UnionRect(box, one)) : static_cast<void>(box = one);
                any = true;
            }
        }
        return box;
    }

    CBitmap m_bitmap;
    CDC m_dc;
};

TEST_F(DCTest, FillSolidRectExcludesRightAndBottomEdgesAndKeepsColourAsBackground)
{
    m_dc.FillSolidRect(CRect(10, 5, 20, 8), kRed);
    EXPECT_EQ(Pixel(10, 5), kRed);
    EXPECT_EQ(Pixel(19, 7), kRed);
    EXPECT_EQ(Pixel(20, 7), kWhite);
    EXPECT_EQ(Pixel(19, 8), kWhite);
    EXPECT_EQ(Pixel(9, 5), kWhite);
    EXPECT_EQ(m_dc.GetBkColor(), kRed);
}

TEST_F(DCTest, LineToStopsBeforeItsEndPointInEveryDirection)
{
    m_dc.MoveTo(5, 10);
    EXPECT_TRUE(m_dc.LineTo(15, 10));
    EXPECT_EQ(InkInRow(10), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(m_dc.GetCurrentPosition(), CPoint(15, 10));

    m_dc.MoveTo(30, 20);
    m_dc.LineTo(30, 17); // upwards: 20, 19, 18
    EXPECT_EQ(Pixel(30, 20), kBlack);
    EXPECT_EQ(Pixel(30, 18), kBlack);
    EXPECT_EQ(Pixel(30, 17), kWhite);

    m_dc.MoveTo(40, 30);
    m_dc.LineTo(44, 34); // diagonal: (40,30) .. (43,33)
    EXPECT_EQ(Pixel(40, 30), kBlack);
    EXPECT_EQ(Pixel(43, 33), kBlack);
    EXPECT_EQ(Pixel(44, 34), kWhite);
    EXPECT_EQ(Pixel(41, 30), kWhite);
}

TEST_F(DCTest, DottedPensSetEveryOtherPixelFromTheLineStart)
{
    m_dc.SetBkMode(TRANSPARENT);
    for (const UINT style : {PS_DOT, PS_ALTERNATE}) {
        m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
        CPen pen(style, 1, kBlue);
        CPen* old = m_dc.SelectObject(&pen);
        m_dc.MoveTo(3, 4);
        m_dc.LineTo(13, 4);
        m_dc.MoveTo(20, 1);
        m_dc.LineTo(20, 8);
        m_dc.SelectObject(old);
        EXPECT_EQ(InkInRow(4), (std::vector<int>{3, 5, 7, 9, 11})) << "style " << style;
        EXPECT_EQ(InkInRow(3), (std::vector<int>{20}));
        EXPECT_EQ(InkInRow(2), (std::vector<int>{}));
        EXPECT_EQ(Pixel(20, 1), kBlue);
        EXPECT_EQ(Pixel(20, 7), kBlue);
        EXPECT_EQ(Pixel(20, 8), kWhite);
    }
}

TEST_F(DCTest, OpaqueModeFillsTheGapsOfDottedLinesWithTheBackgroundColour)
{
    CPen pen(PS_DOT, 1, kBlue);
    m_dc.SelectObject(&pen);
    m_dc.SetBkColor(kRed); // OPAQUE is the initial mode
    m_dc.MoveTo(0, 0);
    m_dc.LineTo(4, 0);
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(1, 0), kRed);
    EXPECT_EQ(Pixel(2, 0), kBlue);
    EXPECT_EQ(Pixel(3, 0), kRed);
    EXPECT_EQ(Pixel(4, 0), kWhite);
}

TEST_F(DCTest, RectangleFramesInsideAndFillsWithTheBrush)
{
    CBrush brush(kRed);
    m_dc.SelectObject(&brush);
    EXPECT_TRUE(m_dc.Rectangle(10, 10, 20, 16));
    EXPECT_EQ(Pixel(10, 10), kBlack);
    EXPECT_EQ(Pixel(19, 15), kBlack);
    EXPECT_EQ(Pixel(19, 10), kBlack);
    EXPECT_EQ(Pixel(10, 15), kBlack);
    EXPECT_EQ(Pixel(20, 15), kWhite);
    EXPECT_EQ(Pixel(11, 11), kRed);
    EXPECT_EQ(Pixel(18, 14), kRed);

    CPen nullPen;
    ASSERT_TRUE(nullPen.CreateStockObject(NULL_PEN));
    m_dc.SelectObject(&nullPen);
    m_dc.Rectangle(30, 30, 35, 35); // fill covers 30..33
    EXPECT_EQ(Pixel(33, 33), kRed);
    EXPECT_EQ(Pixel(34, 33), kWhite);
    EXPECT_EQ(Pixel(33, 34), kWhite);
}

TEST_F(DCTest, Draw3dRectGivesBothFarCornersToTheBottomRightColour)
{
    m_dc.Draw3dRect(CRect(2, 2, 12, 8), kRed, kBlue);
    EXPECT_EQ(Pixel(2, 2), kRed);
    EXPECT_EQ(Pixel(10, 2), kRed);
    EXPECT_EQ(Pixel(11, 2), kBlue); // top-right corner
    EXPECT_EQ(Pixel(2, 7), kBlue);  // bottom-left corner
    EXPECT_EQ(Pixel(11, 7), kBlue);
    EXPECT_EQ(Pixel(5, 5), kWhite);
    EXPECT_EQ(Pixel(12, 2), kWhite);
}

TEST_F(DCTest, PolygonFillsItsInsideWithTheBrush)
{
    CBrush brush(kBlue);
    m_dc.SelectObject(&brush);
    const CPoint triangle[] = {{10, 30}, {30, 30}, {20, 40}};
    EXPECT_TRUE(m_dc.Polygon(triangle, 3));
    EXPECT_EQ(Pixel(20, 33), kBlue);
    EXPECT_EQ(Pixel(10, 30), kBlack);
    EXPECT_EQ(Pixel(5, 35), kWhite);
    EXPECT_FALSE(m_dc.Polygon(triangle, 1));
}

TEST_F(DCTest, ClipRectanglesLimitDrawingAndSaveRestoreBringsThemBack)
{
    EXPECT_EQ(m_dc.IntersectClipRect(CRect(10, 10, 30, 30)), SIMPLEREGION);
    const int level = m_dc.SaveDC();
    EXPECT_EQ(m_dc.ExcludeClipRect(CRect(15, 15, 20, 20)), COMPLEXREGION);
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kRed);
    EXPECT_EQ(Pixel(9, 12), CLR_INVALID); // outside the clip region: not readable either
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(16, 16), CLR_INVALID);

    EXPECT_TRUE(m_dc.RestoreDC(level));
    CRect box;
    EXPECT_EQ(m_dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(10, 10, 30, 30));
    EXPECT_EQ(Pixel(16, 16), kWhite);    // the excluded hole was not painted
    EXPECT_FALSE(m_dc.RestoreDC(level)); // that level is gone

    m_dc.SelectClipRgn(nullptr);
    EXPECT_EQ(Pixel(9, 12), kWhite);
    EXPECT_TRUE(m_dc.RectVisible(CRect(0, 0, 1, 1)));
}

// Clip changes reach what is drawn through the painter as well as what is written straight
// into the bitmap, also when the clip changed several times with nothing drawn in between.
TEST_F(DCTest, EveryClipChangeHoldsForShapesDrawnThroughThePainter)
{
    const CPoint everything[] = {{-8, -8}, {72, -8}, {72, 56}, {-8, 56}};
    CBrush blue(kBlue);
    CBrush red(kRed);
    const int outer = m_dc.SaveDC();
    m_dc.IntersectClipRect(CRect(10, 10, 30, 30));
    const int inner = m_dc.SaveDC();
    m_dc.IntersectClipRect(CRect(20, 20, 40, 40));
    EXPECT_TRUE(m_dc.RestoreDC(inner));
    CBrush* previous = m_dc.SelectObject(&blue);
    m_dc.Polygon(everything, 4);
    EXPECT_TRUE(m_dc.RestoreDC(outer)); // pixels outside a clip region do not read
    EXPECT_EQ(InkBounds(), CRect(10, 10, 30, 30));
    EXPECT_EQ(Pixel(10, 10), kBlue);
    EXPECT_EQ(Pixel(29, 29), kBlue);

    m_dc.SaveDC();
    m_dc.ExcludeClipRect(CRect(0, 0, 64, 24));
    m_dc.FillSolidRect(CRect(0, 40, 64, 48), kBlack); // straight into the bitmap
    m_dc.SelectObject(&red);
    m_dc.Polygon(everything, 4);
    EXPECT_TRUE(m_dc.RestoreDC(-1));
    EXPECT_EQ(Pixel(15, 23), kBlue); // above the clip: as before
    EXPECT_EQ(Pixel(15, 24), kRed);
    EXPECT_EQ(Pixel(0, 47), kRed);
    EXPECT_EQ(Pixel(0, 0), kWhite);
    m_dc.SelectObject(previous);
}

TEST_F(DCTest, RestoreDCReturnsPenColoursAndModeOfTheSavedLevel)
{
    CPen red(PS_SOLID, 1, kRed);
    const int first = m_dc.SaveDC();
    CPen* stock = m_dc.SelectObject(&red);
    m_dc.SetTextColor(kBlue);
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.SaveDC();
    EXPECT_TRUE(m_dc.RestoreDC(first));
    EXPECT_EQ(m_dc.GetCurrentPen(), stock);
    EXPECT_EQ(m_dc.GetTextColor(), kBlack);
    EXPECT_EQ(m_dc.GetBkMode(), OPAQUE);
    EXPECT_FALSE(m_dc.RestoreDC(-1));
}

TEST_F(DCTest, ViewportOriginMovesDrawingButNotTheClipRegion)
{
    m_dc.IntersectClipRect(CRect(0, 0, 20, 20));
    m_dc.SetViewportOrg(10, 10);
    m_dc.FillSolidRect(CRect(0, 0, 20, 20), kRed); // device 10..29, clipped at 20
    m_dc.SetViewportOrg(0, 0);
    EXPECT_EQ(Pixel(9, 9), kWhite);
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(19, 19), kRed);
    m_dc.SelectClipRgn(nullptr);
    EXPECT_EQ(Pixel(20, 20), kWhite);
}

TEST_F(DCTest, BitBltCopiesBetweenBitmapsAndWithinOneBitmap)
{
    CBitmap sourceBitmap;
    ASSERT_TRUE(sourceBitmap.CreateCompatibleBitmap(&m_dc, 8, 8));
    CDC source;
    source.CreateCompatibleDC(&m_dc);
    source.SelectObject(&sourceBitmap);
    source.FillSolidRect(CRect(0, 0, 8, 8), kBlue);
    source.SetPixel(1, 1, kRed);

    EXPECT_TRUE(m_dc.BitBlt(20, 20, 8, 8, &source, 0, 0, SRCCOPY));
    EXPECT_EQ(Pixel(21, 21), kRed);
    EXPECT_EQ(Pixel(27, 27), kBlue);
    EXPECT_EQ(Pixel(28, 28), kWhite);

    // Overlapping move to the right inside the same bitmap.
    EXPECT_TRUE(m_dc.BitBlt(22, 20, 8, 8, &m_dc, 20, 20, SRCCOPY));
    EXPECT_EQ(Pixel(23, 21), kRed);
    EXPECT_EQ(Pixel(29, 27), kBlue);

    CDC unattached;
    EXPECT_FALSE(m_dc.BitBlt(0, 0, 4, 4, &unattached, 0, 0, SRCCOPY));
    EXPECT_FALSE(m_dc.BitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
}

TEST_F(DCTest, AlphaBlendSolidUsesTheExactChannelFormulaInsideTheClip)
{
    m_dc.IntersectClipRect(CRect(0, 0, 10, 10));
    EXPECT_TRUE(m_dc.AlphaBlendSolid(CRect(0, 0, 20, 20), kRed, 150));
    // (255 * 105 + 0 * 150) / 255 = 105 = 0x69 for green and blue; red stays 255.
    EXPECT_EQ(Pixel(5, 5), 0x6969FFu);
    m_dc.SelectClipRgn(nullptr);
    EXPECT_EQ(Pixel(15, 15), kWhite);
    EXPECT_TRUE(m_dc.AlphaBlendSolid(CRect(0, 0, 10, 10), kBlue, 0));
    EXPECT_EQ(Pixel(5, 5), 0x6969FFu);
}

TEST_F(DCTest, AlphaBlendFromAnotherDCMixesAtTheConstantAlpha)
{
    CBitmap sourceBitmap;
    sourceBitmap.CreateCompatibleBitmap(nullptr, 1, 1);
    CDC source;
    source.CreateCompatibleDC(nullptr);
    source.SelectObject(&sourceBitmap);
    source.SetPixel(0, 0, kBlack);
    BLENDFUNCTION half;
    half.SourceConstantAlpha = 128;
    EXPECT_TRUE(m_dc.AlphaBlend(0, 0, 10, 10, &source, 0, 0, 1, 1, half));
    const COLORREF mixed = Pixel(9, 9);
    EXPECT_NEAR(GetRValue(mixed), 127, 1);
    EXPECT_EQ(Pixel(10, 10), kWhite);
}

TEST_F(DCTest, GradientFillRunsFromTheUpperLeftColourAndRejectsBadIndices)
{
    const TRIVERTEX corners[] = {{0, 0, 0xFF00, 0, 0, 0}, {32, 4, 0, 0, 0xFF00, 0}};
    const GRADIENT_RECT rect{0, 1};
    EXPECT_TRUE(m_dc.GradientFill(corners, 2, &rect, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(Pixel(0, 0), kRed);
    EXPECT_GT(GetBValue(Pixel(31, 3)), 240);
    EXPECT_LT(GetRValue(Pixel(31, 3)), 15);
    EXPECT_EQ(Pixel(32, 0), kWhite);
    EXPECT_EQ(Pixel(0, 4), kWhite);

    const GRADIENT_RECT outside{0, 2};
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
    EXPECT_FALSE(m_dc.GradientFill(corners, 2, &outside, 1, GRADIENT_FILL_RECT_V));
    EXPECT_FALSE(m_dc.GradientFill(corners, 2, &rect, 1, GRADIENT_FILL_TRIANGLE));
    EXPECT_EQ(Pixel(0, 0), kWhite);
}

TEST_F(DCTest, TransparentBltStretchesAndSkipsTheKeyColour)
{
    CBitmap sourceBitmap;
    sourceBitmap.CreateCompatibleBitmap(nullptr, 2, 1);
    CDC source;
    source.CreateCompatibleDC(nullptr);
    source.SelectObject(&sourceBitmap);
    const COLORREF key = RGB(0xED, 0xEE, 0xEA);
    source.SetPixel(0, 0, key);
    source.SetPixel(1, 0, kBlue);
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kRed);
    EXPECT_TRUE(m_dc.TransparentBlt(0, 0, 20, 10, &source, 0, 0, 2, 1, key));
    EXPECT_EQ(Pixel(5, 5), kRed);   // key colour: the old pixel shows
    EXPECT_EQ(Pixel(15, 5), kBlue); // stretched tenfold
    EXPECT_EQ(Pixel(19, 9), kBlue);
    EXPECT_EQ(Pixel(20, 9), kRed);
}

TEST_F(DCTest, FocusRectangleDrawnTwiceLeavesNoTrace)
{
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), RGB(10, 200, 30));
    m_dc.DrawFocusRect(CRect(5, 5, 25, 15));
    int changed = 0;
    for (int x = 5; x < 25; ++x) {
        changed += Pixel(x, 5) != RGB(10, 200, 30);
    }
    EXPECT_EQ(changed, 10); // every other pixel of the top edge
    m_dc.DrawFocusRect(CRect(5, 5, 25, 15));
    for (int x = 0; x < 30; ++x) {
        ASSERT_EQ(Pixel(x, 5), RGB(10, 200, 30)) << x;
        ASSERT_EQ(Pixel(x, 14), RGB(10, 200, 30)) << x;
    }
}

TEST_F(DCTest, FrameControlsDrawTickedAndUntickedCheckBoxesDifferently)
{
    const CRect box(2, 2, 18, 18);
    EXPECT_TRUE(m_dc.DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK));
    const QImage unticked = GetImage(m_bitmap).copy(2, 2, 16, 16);
    EXPECT_TRUE(m_dc.DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
    const QImage ticked = GetImage(m_bitmap).copy(2, 2, 16, 16);
    EXPECT_NE(ticked, unticked);
    EXPECT_EQ(Pixel(30, 30), kWhite);

    EXPECT_TRUE(m_dc.DrawFrameControl(CRect(30, 2, 46, 18), DFC_SCROLL, DFCS_SCROLLCOMBOBOX));
    EXPECT_FALSE(InkInRow(10).empty());
    EXPECT_FALSE(m_dc.DrawFrameControl(box, DFC_CAPTION, 0));
}

TEST_F(DCTest, EndEllipsisShortensTextThatDoesNotFitAndEndsInEllipsis)
{
    CString text("A rather long cell value");
    CRect narrow(0, 0, 40, 20);
    m_dc.DrawText(text, narrow, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_NOPREFIX);
    ASSERT_GT(text.GetLength(), 3);
    EXPECT_EQ(text.Right(3), "\xE2\x80\xA6");
    EXPECT_EQ(text.Left(1), "A");
    EXPECT_LE(m_dc.GetTextExtent(text).cx, 40);

    CString fits("Hi");
    CRect wide(0, 0, 60, 20);
    m_dc.DrawText(fits, wide, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_EQ(fits, "Hi");
}

TEST_F(DCTest, DrawTextKeepsItsInkInsideTheRectangleAndHonoursAlignment)
{
    m_dc.SetBkMode(TRANSPARENT);
    CRect cell(10, 10, 50, 30);
    m_dc.DrawText("WWWWWWWWWWWWWWWWWWWW", cell, DT_SINGLELINE | DT_VCENTER);
    const CRect ink = InkBounds();
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 50);

    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
    m_dc.SetBkMode(TRANSPARENT);
    CRect right(0, 0, 60, 40);
    m_dc.DrawText("ii", right, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const CRect rightInk = InkBounds();
    EXPECT_GT(rightInk.left, 45);
    EXPECT_GT(rightInk.top, 20);
}

TEST_F(DCTest, TextDrawnAgainGivesTheSamePixelsAndIsMeasuredInTheSelectedFont)
{
    // The second drawing reuses the measured and shaped text of the first.
    const auto snapshot = [this] {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                pixels.push_back(Pixel(x, y));
        return pixels;
    };
    m_dc.SetBkMode(TRANSPARENT);
    CRect box(0, 0, 60, 40);
    m_dc.DrawText("Wig", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const std::vector<COLORREF> first = snapshot();
    const CRect smallInk = InkBounds();
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
    m_dc.DrawText("Wig", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    EXPECT_EQ(snapshot(), first);

    // The same text in a larger font is measured again: right-aligned, it still ends at the
    // box's right edge and its ink is wider.
    LOGFONT description;
    description.lfHeight = -24;
    CFont large;
    ASSERT_TRUE(large.CreateFontIndirect(description));
    CFont* previous = m_dc.SelectObject(&large);
    m_dc.FillSolidRect(CRect(0, 0, 64, 48), kWhite);
    m_dc.DrawText("Wig", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    const CRect largeInk = InkBounds();
    EXPECT_GT(largeInk.Width(), smallInk.Width());
    EXPECT_LE(largeInk.right, 60);
    EXPECT_GE(largeInk.right, 56);
    m_dc.SelectObject(previous);
}

TEST_F(DCTest, CalcRectMeasuresWithoutDrawingAndStripsPrefixMarks)
{
    const CSize extent = m_dc.GetTextExtent("File");
    CRect rect(5, 5, 5, 5);
    const int height = m_dc.DrawText("&File", rect, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(rect, CRect(5, 5, 5 + extent.cx, 5 + extent.cy));
    EXPECT_EQ(height, extent.cy);
    EXPECT_TRUE(InkBounds().IsRectEmpty());

    CRect ampersands(0, 0, 0, 0);
    m_dc.DrawText("a&&b", ampersands, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(ampersands.Width(), m_dc.GetTextExtent("a&b").cx);

    CRect twoLines(0, 0, 0, 0);
    EXPECT_EQ(m_dc.DrawText("one\ntwo", twoLines, DT_CALCRECT), 2 * extent.cy);
}

TEST_F(DCTest, TextMetricsFollowTheSelectedFont)
{
    LOGFONT description;
    description.lfHeight = -20;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(description));
    CFont* previous = m_dc.SelectObject(&font);
    ASSERT_NE(previous, nullptr);
    TEXTMETRIC metrics;
    ASSERT_TRUE(m_dc.GetTextMetrics(&metrics));
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 20);
    EXPECT_EQ(m_dc.GetTextExtent("x").cy, metrics.tmHeight);
    EXPECT_EQ(m_dc.SelectObject(previous), &font);

    description.lfHeight = 30; // a cell height
    CFont cell;
    cell.CreateFontIndirect(description);
    m_dc.SelectObject(&cell);
    m_dc.GetTextMetrics(&metrics);
    EXPECT_NEAR(metrics.tmHeight, 30, 1);
}

TEST_F(DCTest, LinesReachingFarOutsideTheSurfaceKeepTheirVisiblePixelsAndPhase)
{
    m_dc.SetBkMode(TRANSPARENT);
    CPen dots(PS_DOT, 1, kBlue);
    m_dc.SelectObject(&dots);
    m_dc.MoveTo(-100000001, 5); // odd start: the dots fall on odd x
    m_dc.LineTo(100000000, 5);
    EXPECT_EQ(Pixel(0, 5), kWhite);
    EXPECT_EQ(Pixel(1, 5), kBlue);
    EXPECT_EQ(Pixel(63, 5), kBlue);

    CPen solid(PS_SOLID, 1, kRed);
    m_dc.SelectObject(&solid);
    m_dc.MoveTo(-2000000000, -2000000000);
    m_dc.LineTo(2000000000, 2000000000);
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(10, 11), kWhite);
    EXPECT_EQ(Pixel(40, 40), kRed);
}

TEST_F(DCTest, ExtremeRectanglesAreClampedInsteadOfOverflowing)
{
    m_dc.FillSolidRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, kRed);
    EXPECT_EQ(Pixel(0, 0), kWhite); // the rectangle ends just before 0
    m_dc.FillSolidRect(CRect(INT32_MIN, 0, INT32_MAX, 1), kBlue);
    EXPECT_EQ(Pixel(63, 0), kBlue);
    m_dc.Draw3dRect(INT32_MAX - 5, 0, INT32_MAX, 10, kRed, kRed);
    m_dc.SetViewportOrg(INT32_MAX, INT32_MAX);
    m_dc.OffsetViewportOrg(INT32_MAX, INT32_MAX);
    CRect text(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    m_dc.DrawText("x", text, DT_CALCRECT);
    EXPECT_FALSE(m_dc.StretchBlt(0, 0, 8, 8, &m_dc, 0, 0, 1, 1, SRCCOPY)); // source off its bitmap
}

TEST(DCLifetimeTest, UnattachedOrBitmaplessDCsDrawNothingAndRefuseBitmapsInUse)
{
    CDC nothing;
    EXPECT_FALSE(nothing.LineTo(5, 5));
    EXPECT_EQ(nothing.GetPixel(0, 0), CLR_INVALID);
    EXPECT_EQ(nothing.GetSafeHdc(), nullptr);

    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    EXPECT_FALSE(memory.Rectangle(0, 0, 5, 5)); // no bitmap yet
    EXPECT_FALSE(memory.CreateCompatibleDC(nullptr));

    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, 4, 4);
    CBitmap* stock = memory.SelectObject(&bitmap);
    ASSERT_NE(stock, nullptr);
    CDC other;
    other.CreateCompatibleDC(nullptr);
    EXPECT_EQ(other.SelectObject(&bitmap), nullptr);
    EXPECT_FALSE(bitmap.DeleteObject());
    EXPECT_EQ(memory.SelectObject(stock), &bitmap);
    EXPECT_NE(other.SelectObject(&bitmap), nullptr);
}

TEST(DCLifetimeTest, DestroyingASelectedBitmapStopsTheDCDrawingIntoIt)
{
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    {
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(nullptr, 4, 4);
        memory.SelectObject(&bitmap);
        EXPECT_TRUE(memory.LineTo(3, 3));
    }
    EXPECT_FALSE(memory.LineTo(0, 0));
    EXPECT_EQ(memory.GetCurrentBitmap()->GetSize(), CSize(1, 1));
}

TEST(BitmapTest, CreationChecksSizesBeforeAllocatingAndReadsPixelData)
{
    CBitmap bitmap;
    EXPECT_FALSE(bitmap.CreateBitmap(0, 5, 1, 32, nullptr));
    EXPECT_FALSE(
        bitmap.CreateBitmap(CBitmap::kMaxDimension, CBitmap::kMaxDimension, 1, 32, nullptr));
    EXPECT_FALSE(bitmap.CreateBitmap(2, 2, 1, 8, nullptr));

    // Two 24-bit pixels in a row padded to 8 bytes: blue, then red.
    const unsigned char rows[] = {255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0};
    ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 24, rows));
    std::uint32_t pixels[4] = {};
    EXPECT_EQ(bitmap.GetBitmapBits(sizeof(pixels), pixels), sizeof(pixels));
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[1], 0xFFFF0000u);
    EXPECT_EQ(bitmap.GetBitmapBits(6, pixels), 6u);
}

} // namespace

namespace {

TEST(PrinterDCTest, PrinterPageReportsItsResolutionAndPaper)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::temp().filePath(QStringLiteral("ombrel-printer-dc-test.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&printer);
    ASSERT_TRUE(painter.isActive());
    CDC dc;
    AttachPainter(dc, &painter);
    EXPECT_TRUE(dc.IsPrinting());
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), printer.resolution());
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), printer.width());
    EXPECT_GE(dc.GetDeviceCaps(PHYSICALWIDTH), dc.GetDeviceCaps(HORZRES));
    EXPECT_GE(dc.GetDeviceCaps(PHYSICALOFFSETX), 0);
    EXPECT_NEAR(dc.GetDeviceCaps(PHYSICALWIDTH) * 254 / (10 * dc.GetDeviceCaps(LOGPIXELSX)), 210,
                1);                            // A4 paper is 210 mm wide
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID); // paper cannot be read back
    dc.FillSolidRect(CRect(0, 0, 100, 100), kRed);
    AttachPainter(dc, nullptr);
    EXPECT_FALSE(dc.IsPrinting());
    painter.end();
}

} // namespace
