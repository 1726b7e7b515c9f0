// What reaches paper: bands painted through the grid's paint formats, with the header where
// the switches put it and without the screen-only steps.
#include "ombrel/gui/print/GridPageRenderer.h"

#include "PrintTestSupport.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <gtest/gtest.h>

#include <QImage>

namespace Ombrel::GUI {
namespace {

using Testing::CPrintedGridWindow;

constexpr COLORREF kEven = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kOdd = RGB(0xFF, 0xFF, 0xFF);

class GridPageRendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GridAppearance appearance = *window.grid.GetAppearance();
        appearance.evenBackground = kEven;
        appearance.oddBackground = kOdd;
        window.grid.SetAppearance(appearance);
    }

    // Cuts the grid into bands 200 pixels high and renders band `band`, first column group.
    QImage Band(int band, const PrintSettings& settings = {})
    {
        CGridPagination pagination;
        pagination.Start(CGridPageRenderer::Describe(window.grid, settings, CSize(1000, 200)));
        pagination.Finish();
        CBitmap bitmap;
        EXPECT_TRUE(CGridPageRenderer(window.grid).RenderBand(pagination, band, 0, bitmap));
        return GetImage(bitmap).copy();
    }

    COLORREF Pixel(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

    int HeaderHeight() { return window.grid.GetHeader()->GetHeight(); }

    CPrintedGridWindow window{60};
};

TEST_F(GridPageRendererTest, TheHeaderRepeatsOnLaterBandsOnlyWhenThatSwitchIsOn)
{
    // A blank spot in the header strip, right of the "Name" title.
    const int x = 110;
    const int y = HeaderHeight() / 2;
    const COLORREF header = Pixel(Band(0), x, y);
    EXPECT_NE(header, kEven);
    EXPECT_NE(Pixel(Band(1), x, y), header);

    PrintSettings repeat;
    repeat.headerOnEveryBand = true;
    EXPECT_EQ(Pixel(Band(1, repeat), x, y), header);
}

TEST_F(GridPageRendererTest, SelectionAndFocusDoNotReachPaper)
{
    window.grid.SelectAt(0, ROW_NORMAL, true);
    window.grid.SetFocus(0, ROW_NORMAL);
    const QImage band = Band(0);
    // Row 0 (even) right under the header, at a blank spot of its name cell.
    EXPECT_EQ(Pixel(band, 110, HeaderHeight() + 3), kEven);
}

TEST_F(GridPageRendererTest, EveryColumnGroupIsAsWideAsItsColumns)
{
    CGridPagination pagination;
    // 150 pixels across: Name (120) alone, then Amount and City (100 each) one per group.
    pagination.Start(CGridPageRenderer::Describe(window.grid, PrintSettings{}, CSize(150, 200)));
    pagination.Finish();
    ASSERT_EQ(pagination.GetColumnGroupCount(), 3);
    for (int group = 0; group < 3; ++group) {
        CBitmap bitmap;
        ASSERT_TRUE(CGridPageRenderer(window.grid).RenderBand(pagination, 0, group, bitmap));
        EXPECT_EQ(bitmap.GetSize(), CSize(group == 0 ? 120 : 100, 200));
    }
}

} // namespace
} // namespace Ombrel::GUI
