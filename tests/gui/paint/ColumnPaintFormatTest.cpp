// Header cells and the header strip drawn by the standard column and header paint formats into
// a memory bitmap: button face and frame, title alignment, sort marks, drop mark.
#include "ombrel/gui/paint/ColumnPaintFormat.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/HeaderPaintFormat.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/platform/SystemColors.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Ombrel::GUI {
namespace {

using namespace PaintTesting;

class ColumnPaintFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        header.AddColumn(new CColumn(1, "", 60));
        header.AddColumn(new CColumn(2, "Ab", 80, CColumn::AlignAuto));
        header.AddColumn(new CColumn(3, "Ab", 80, CColumn::AlignRight, true, -1, 0));
    }

    ColumnPaintContext Cell(std::int32_t fieldId, const CRect& rect)
    {
        ColumnPaintContext context;
        context.rect = rect;
        context.updateRect = rect;
        context.header = &header;
        context.column = header.GetColumnById(fieldId);
        context.textColor = 0x000000;
        return context;
    }

    // Ink of the cell, on its button face, inside `band`.
    std::pair<int, int> Ink(const CCanvas& canvas, const CRect& band)
    {
        return InkExtent(canvas, band, GetSysColor(COLOR_BTNFACE));
    }

    CHeader header{false};
    CColumnPaintFormat format;
};

TEST_F(ColumnPaintFormatTest, CellIsARaisedButtonLitWhileTracked)
{
    CCanvas canvas(200, 20, 0x000000);
    ColumnPaintContext context = Cell(1, CRect(0, 0, 60, 20));
    format.Paint(context, canvas.DC(), kAllPaintOptions);
    EXPECT_EQ(canvas.At(30, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(59, 19), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(60, 10), 0x000000u);

    context.state = HeaderCellTracked;
    format.Paint(context, canvas.DC(), kAllPaintOptions);
    EXPECT_EQ(canvas.At(30, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(ColumnPaintFormatTest, AutomaticAlignmentKeepsTitlesLeft)
{
    CCanvas automatic(200, 20, 0);
    ColumnPaintContext left = Cell(2, CRect(0, 0, 160, 20));
    format.Paint(left, automatic.DC(), kAllPaintOptions);
    const auto ink = Ink(automatic, CRect(1, 1, 159, 19));
    ASSERT_GE(ink.first, 0);
    EXPECT_LT(ink.first, 12);

    CCanvas right(200, 20, 0);
    ColumnPaintContext alignedRight = Cell(3, CRect(0, 0, 160, 20));
    format.Paint(alignedRight, right.DC(), kAllPaintOptions);
    EXPECT_GT(Ink(right, CRect(1, 1, 159, 19)).first, 100);
}

TEST_F(ColumnPaintFormatTest, SortedColumnShowsAnArrowAndItsLevelAmongSeveral)
{
    const CRect rect(0, 0, 160, 20);
    const CRect markArea(120, 1, 159, 19);
    CCanvas unsorted(200, 20, 0);
    ColumnPaintContext context = Cell(2, rect);
    format.Paint(context, unsorted.DC(), kAllPaintOptions);
    EXPECT_EQ(Ink(unsorted, markArea).first, -1);

    header.SetSort(0, CSortInfo(2, false));
    CCanvas ascending(200, 20, 0);
    format.Paint(context, ascending.DC(), kAllPaintOptions);
    const auto arrow = Ink(ascending, markArea);
    ASSERT_GE(arrow.first, 0);

    // Ascending points up: its topmost ink row is narrower than its lowest.
    const auto widthsAtEnds = [&](const CCanvas& canvas) {
        std::vector<int> widths;
        for (int y = 1; y < 19; ++y) {
            const auto row = Ink(canvas, CRect(markArea.left, y, markArea.right, y + 1));
            if (row.first >= 0)
                widths.push_back(row.second - row.first);
        }
        return std::make_pair(widths.front(), widths.back());
    };
    const auto up = widthsAtEnds(ascending);
    EXPECT_LT(up.first, up.second);

    header.SetSort(0, CSortInfo(2, true));
    CCanvas descending(200, 20, 0);
    format.Paint(context, descending.DC(), kAllPaintOptions);
    const auto down = widthsAtEnds(descending);
    EXPECT_GT(down.first, down.second);

    // With two levels the mark grows by the level number, left of the arrow.
    header.SetSort(1, CSortInfo(1, false));
    ASSERT_EQ(header.GetSortCount(), 2);
    CCanvas numbered(200, 20, 0);
    format.Paint(context, numbered.DC(), kAllPaintOptions);
    EXPECT_LT(Ink(numbered, markArea).first, arrow.first);
}

TEST_F(ColumnPaintFormatTest, HeaderStripEndsWithAButtonFaceAndShowsTheDropMark)
{
    CCustomDraw draw(false);
    CHeaderPaintFormat strip;
    CCanvas canvas(300, 20, 0);
    HeaderPaintContext context;
    context.rect = CRect(0, 0, 300, 20);
    context.updateRect = context.rect;
    context.header = &header;
    strip.Paint(context, canvas.DC(), kAllPaintOptions, &draw);
    EXPECT_EQ(canvas.At(280, 10), GetSysColor(COLOR_BTNFACE)); // right of the last column
    EXPECT_EQ(canvas.At(30, 10), GetSysColor(COLOR_BTNFACE));
    constexpr COLORREF kDrop = 0xFF8080;
    EXPECT_NE(canvas.At(60, 10), kDrop);

    // Before the second column, at its left edge x = 60: the bar covers 59 to 61.
    context.dropIndex = 1;
    strip.Paint(context, canvas.DC(), kAllPaintOptions, &draw);
    EXPECT_EQ(canvas.At(59, 10), kDrop);
    EXPECT_EQ(canvas.At(61, 19), kDrop);
    EXPECT_NE(canvas.At(62, 10), kDrop);
    EXPECT_NE(canvas.At(58, 10), kDrop);

    // After the last column: its right edge, 220.
    context.dropIndex = 3;
    CCanvas after(300, 20, 0);
    strip.Paint(context, after.DC(), kAllPaintOptions, &draw);
    EXPECT_EQ(after.At(220, 5), kDrop);
    context.dropIndex = 4; // beyond the columns: nothing
    CCanvas beyond(300, 20, 0);
    strip.Paint(context, beyond.DC(), kAllPaintOptions, &draw);
    EXPECT_EQ(beyond.CountInRow(5, 0, 300, kDrop), 0);
}

} // namespace
} // namespace Ombrel::GUI
