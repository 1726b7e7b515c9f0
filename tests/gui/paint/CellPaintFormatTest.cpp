// The standard cell paint format drawing into a memory bitmap, for cells of a real grid: colours
// of selected, focused, sorted and recently changed cells, frames, grid lines, tree marks,
// images, text placement and the background picture.
#include "ombrel/gui/paint/CellPaintFormat.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/Blend.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/LinePaintFormat.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/Messages.h"
#include "ombrel/platform/SystemColors.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Ombrel::GUI {
namespace {

using namespace PaintTesting;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kGreen = 0x00C000;
constexpr COLORREF kSelection = 0xB46464;
constexpr COLORREF kFocus = 0xB46464;
constexpr COLORREF kSortColumn = 0xB496B4;
constexpr COLORREF kLines = 0x808080;

class CellPaintFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(grid.Create(WS_POPUP, CRect(0, 0, 240, 120), nullptr, 1));
        header = new CHeader(true);
        header->AddColumn(new CColumn(kNameField, "Name", 100));
        header->AddColumn(new CColumn(kAmountField, "Amount", 60));
        grid.SetHeader(header);
        parent = grid.Add(&parentObject);
        child = grid.Add(&childObject, parent);
        ASSERT_NE(parent, nullptr);
        ASSERT_NE(child, nullptr);
    }

    void TearDown() override { grid.DestroyWindow(); }

    // The context the line paint format gives a cell of `row` (at `position`) over `rect`,
    // on a white line with black text.
    CellPaintContext Cell(CGridItem* row, std::int32_t fieldId, const CRect& rect,
                          const CRect& lineRect = CRect(0, 0, 160, 14))
    {
        LinePaintContext line;
        line.textColor = kBlack;
        line.backgroundColor = kWhite;
        line.rect = lineRect;
        line.updateRect = lineRect;
        line.highlight = *grid.GetHighlightSettings();
        line.rowType = ROW_NORMAL;
        line.position = grid.GetVisibleIndex(row);
        line.row = row;
        line.grid = &grid;
        line.focusIndex = grid.GetFocusIndex();
        line.focusType = grid.GetFocusType();
        return CLinePaintFormat::MakeCellContext(line, header->GetColumnById(fieldId), rect);
    }

    void Paint(CellPaintContext context, CCanvas& canvas, std::uint32_t flags)
    {
        format.Paint(context, canvas.DC(), flags);
    }

    // One red 8 x 8 image at index 0.
    void MakeImages()
    {
        std::vector<std::uint32_t> red(8 * 8, 0xFFFF0000);
        ASSERT_TRUE(pixels.CreateBitmap(8, 8, 1, 32, red.data()));
        ASSERT_TRUE(images.Create(8, 8, ILC_COLOR32, 1, 1));
        ASSERT_EQ(images.Add(&pixels, static_cast<CBitmap*>(nullptr)), 0);
    }

    CPaintSample parentObject{"parent", 7};
    CPaintSample childObject{"child", 12345};
    CGrid grid;
    CHeader* header = nullptr;
    CGridItem* parent = nullptr;
    CGridItem* child = nullptr;
    CCellPaintFormat format;
    CBitmap pixels;
    CImageList images;
};

// ---- Colours -------------------------------------------------------------------------------

TEST_F(CellPaintFormatTest, BackgroundTakesSelectionSortAndFocusInThatOrder)
{
    ASSERT_TRUE(grid.Select(parent));
    ASSERT_TRUE(grid.SetFocus(0, ROW_NORMAL));
    grid.SetSortInfo(0, CSortInfo(kAmountField, false));
    const CRect rect(100, 0, 160, 14);

    CCanvas selectedOnly(160, 14, kBlack);
    Paint(Cell(parent, kAmountField, rect), selectedOnly, PaintCellBackground | PaintSelectionColor);
    EXPECT_EQ(selectedOnly.At(130, 7), Blend(kWhite, kSelection, 60));

    CCanvas all(160, 14, kBlack);
    const std::uint32_t layers =
        PaintCellBackground | PaintSelectionColor | PaintSortColumnColor | PaintFocusColor;
    Paint(Cell(parent, kAmountField, rect), all, layers);
    const COLORREF expected =
        Blend(Blend(Blend(kWhite, kSelection, 60), kSortColumn, 50), kFocus, 30);
    EXPECT_EQ(all.At(130, 7), expected);
    EXPECT_EQ(all.At(99, 7), kBlack); // nothing outside the cell

    // The name column is no sort level; the unselected child is neither selected nor focused.
    EXPECT_EQ(format.GetBackgroundColor(Cell(parent, kNameField, CRect(0, 0, 100, 14)), layers),
              Blend(Blend(kWhite, kSelection, 60), kFocus, 30));
    grid.Expand(parent);
    EXPECT_EQ(format.GetBackgroundColor(Cell(child, kNameField, CRect(0, 0, 100, 14)), layers),
              kWhite);
    // Without the cell background bit nothing is filled.
    CCanvas none(160, 14, kBlack);
    Paint(Cell(parent, kAmountField, rect), none, layers & ~PaintCellBackground);
    EXPECT_EQ(none.At(130, 7), kBlack);
}

TEST_F(CellPaintFormatTest, RecentChangeHighlightsAndSchedulesTheNextFadeStep)
{
    parent->MarkFieldChanged(kAmountField);
    const CellPaintContext context = Cell(parent, kAmountField, CRect(100, 0, 160, 14));
    const COLORREF highlighted = format.GetBackgroundColor(context, PaintHighlight);
    // Just changed: close to the full alpha of 150 over white (green and blue 105 at 150).
    EXPECT_EQ(GetRValue(highlighted), 0xFF);
    EXPECT_GE(GetGValue(highlighted), 105);
    EXPECT_LE(GetGValue(highlighted), 115);
    EXPECT_EQ(GetBValue(highlighted), GetGValue(highlighted));
    EXPECT_EQ(format.GetBackgroundColor(context, 0), kWhite);
    EXPECT_EQ(format.GetTextColor(context, PaintHighlight), kBlack); // style 8: text unchanged
    EXPECT_EQ(format.GetBackgroundColor(Cell(parent, kNameField, CRect(0, 0, 100, 14)),
                                        PaintHighlight),
              kWhite); // another field of the row did not change

    CCanvas canvas(160, 14, kWhite);
    Paint(context, canvas, PaintHighlight);
    const std::int64_t fadeStep = parent->GetNextRepaintTime() - GetGridTime();
    EXPECT_GT(fadeStep, 0);
    EXPECT_LE(fadeStep, 30);

    // A steady style asks again only when the highlight ends.
    grid.GetHighlightSettings()->style = HighlightSettings::BackgroundOpaque;
    Paint(Cell(parent, kAmountField, CRect(100, 0, 160, 14)), canvas, PaintHighlight);
    EXPECT_GT(parent->GetNextRepaintTime() - GetGridTime(), 1000);
}

// ---- Frames and lines ----------------------------------------------------------------------

TEST_F(CellPaintFormatTest, FocusFrameDotsStartAtEvenCoordinates)
{
    ASSERT_TRUE(grid.SetFocus(0, ROW_NORMAL));
    CCanvas canvas(160, 14, kWhite);
    // The first cell, starting at an odd x.
    Paint(Cell(parent, kNameField, CRect(11, 0, 61, 14)), canvas, PaintFocusFrame);
    for (int x = 12; x < 61; ++x) {
        ASSERT_EQ(canvas.At(x, 0), x % 2 == 0 ? kFocus : kWhite) << x;
        ASSERT_EQ(canvas.At(x, 13), x % 2 == 0 ? kFocus : kWhite) << x;
    }
    // Left edge of the row's first cell: dotted from the top.
    EXPECT_EQ(canvas.At(11, 2), kFocus);
    EXPECT_EQ(canvas.At(11, 3), kWhite);
    // Not the last cell: no right edge.
    EXPECT_EQ(canvas.At(60, 2), kWhite);

    // The last cell of a line that ends with it has the right edge.
    CCanvas last(160, 14, kWhite);
    Paint(Cell(parent, kAmountField, CRect(100, 0, 160, 14)), last, PaintFocusFrame);
    EXPECT_EQ(last.At(159, 4), kFocus);
    EXPECT_EQ(last.At(100, 4), kWhite);

    grid.Expand(parent); // a row without focus has no frame
    CCanvas other(160, 14, kWhite);
    Paint(Cell(child, kNameField, CRect(11, 0, 61, 14)), other, PaintFocusFrame);
    EXPECT_EQ(other.CountInRow(0, 0, 160, kFocus), 0);
}

TEST_F(CellPaintFormatTest, SelectionFrameLeavesOutEdgesSharedWithSelectedNeighbours)
{
    ASSERT_TRUE(grid.Select(parent));
    CellPaintContext context = Cell(parent, kNameField, CRect(0, 0, 100, 14));
    CCanvas alone(160, 14, kWhite);
    Paint(context, alone, PaintSelectionFrame);
    EXPECT_EQ(alone.CountInRow(0, 0, 100, kSelection), 100);
    EXPECT_EQ(alone.CountInRow(13, 0, 100, kSelection), 100);
    EXPECT_EQ(alone.At(0, 6), kSelection);   // first cell: left edge
    EXPECT_EQ(alone.At(99, 6), kWhite);      // not the last cell

    context.previousSelected = true;
    context.nextSelected = true;
    CCanvas inBlock(160, 14, kWhite);
    Paint(context, inBlock, PaintSelectionFrame);
    EXPECT_EQ(inBlock.CountInRow(0, 1, 100, kSelection), 0);
    EXPECT_EQ(inBlock.CountInRow(13, 1, 100, kSelection), 0);
    EXPECT_EQ(inBlock.At(0, 6), kSelection);
}

TEST_F(CellPaintFormatTest, GridLinesAreDottedFromEvenCoordinatesSoNeighboursJoin)
{
    grid.GetAppearance()->drawHorizontalLines = true;
    grid.GetAppearance()->drawVerticalLines = true;
    const std::uint32_t lines = PaintHorizontalLines | PaintVerticalLines;
    const CRect lineRect(0, 3, 160, 17);
    CCanvas canvas(160, 20, kWhite);
    Paint(Cell(parent, kNameField, CRect(5, 3, 41, 17), lineRect), canvas, lines);
    Paint(Cell(parent, kAmountField, CRect(41, 3, 77, 17), lineRect), canvas, lines);

    for (int x = 6; x < 77; ++x) {
        ASSERT_EQ(canvas.At(x, 16), x % 2 == 0 ? kLines : kWhite) << "x " << x;
    }
    EXPECT_EQ(canvas.At(5, 16), kWhite);
    for (int y = 3; y < 17; ++y) {
        ASSERT_EQ(canvas.At(40, y), y % 2 == 0 ? kLines : kWhite) << "y " << y;
    }

    // Either switch alone keeps its lines off.
    grid.GetAppearance()->drawHorizontalLines = false;
    CCanvas switchedOff(160, 20, kWhite);
    Paint(Cell(parent, kNameField, CRect(5, 3, 41, 17), lineRect), switchedOff,
          PaintHorizontalLines);
    EXPECT_EQ(switchedOff.CountInRow(16, 0, 160, kLines), 0);
}

// ---- Tree marks ------------------------------------------------------------------------------

TEST_F(CellPaintFormatTest, TreeButtonShowsPlusWhenCollapsedAndMinusWhenExpanded)
{
    ASSERT_EQ(grid.GetHierarchyColumn(), kNameField);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const std::uint32_t buttons = PaintTreeIndent | PaintTreeButtons;

    CCanvas collapsed(160, 14, kWhite);
    Paint(Cell(parent, kNameField, CRect(0, 0, 100, 14)), collapsed, buttons);
    // Square from (3, 3) to (11, 11), sign in (5..9, 5..9) through the middle 7.
    EXPECT_EQ(collapsed.At(3, 3), grey);
    EXPECT_EQ(collapsed.At(11, 11), grey);
    EXPECT_EQ(collapsed.At(12, 12), kWhite);
    EXPECT_EQ(collapsed.At(5, 7), kBlack);
    EXPECT_EQ(collapsed.At(9, 7), kBlack);
    EXPECT_EQ(collapsed.At(7, 5), kBlack);
    EXPECT_EQ(collapsed.At(4, 7), kWhite);

    grid.Expand(parent);
    CCanvas expanded(160, 14, kWhite);
    Paint(Cell(parent, kNameField, CRect(0, 0, 100, 14)), expanded, buttons);
    EXPECT_EQ(expanded.At(5, 7), kBlack);
    EXPECT_EQ(expanded.At(7, 5), kWhite);

    // A row without children has no button, unless every row shows one; buttons of deeper
    // rows move right by the cell height per level.
    CCanvas leaf(160, 14, kWhite);
    Paint(Cell(child, kNameField, CRect(0, 0, 100, 14)), leaf, buttons);
    EXPECT_EQ(leaf.At(17, 3), kWhite);
    grid.SetButtonsOnAllRows(true);
    Paint(Cell(child, kNameField, CRect(0, 0, 100, 14)), leaf, buttons);
    EXPECT_EQ(leaf.At(17, 3), grey);
    EXPECT_EQ(leaf.At(21, 5), kBlack); // plus: a row without children is never expanded

    // Only the tree column carries marks.
    CCanvas amount(160, 14, kWhite);
    Paint(Cell(parent, kAmountField, CRect(100, 0, 160, 14)), amount, buttons);
    EXPECT_EQ(amount.At(103, 3), kWhite);
}

TEST_F(CellPaintFormatTest, TreeLinesJoinALastChildToItsParentsButton)
{
    grid.Expand(parent);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    CCanvas canvas(160, 14, kWhite);
    Paint(Cell(child, kNameField, CRect(0, 0, 100, 14)), canvas,
          PaintTreeIndent | PaintTreeLines);
    // e = 7: down from the top to the middle (last child), then right to 27 (no button).
    EXPECT_EQ(canvas.At(7, 4), grey);
    EXPECT_EQ(canvas.At(7, 12), kWhite);
    EXPECT_EQ(canvas.At(25, 6), grey);
    EXPECT_EQ(canvas.At(27, 6), kWhite);

    // A second child makes the first one continue the line to the bottom.
    CPaintSample second{"second", 1};
    CGridItem* sibling = grid.Add(&second, parent);
    ASSERT_NE(sibling, nullptr);
    CCanvas notLast(160, 14, kWhite);
    Paint(Cell(child, kNameField, CRect(0, 0, 100, 14)), notLast,
          PaintTreeIndent | PaintTreeLines);
    EXPECT_EQ(notLast.At(7, 12), grey);
    grid.Remove(sibling);
}

// ---- Text and images -------------------------------------------------------------------------

TEST_F(CellPaintFormatTest, AutomaticAlignmentPutsNumbersRightAndTextLeft)
{
    grid.Expand(parent);
    CCanvas canvas(300, 20, kWhite);
    Paint(Cell(child, kAmountField, CRect(100, 0, 260, 20), CRect(0, 0, 260, 20)), canvas,
          PaintCellText);
    const auto number = InkExtent(canvas, CRect(100, 0, 260, 20), kWhite);
    ASSERT_GE(number.first, 0);
    EXPECT_GT(number.first, 180);
    EXPECT_LE(number.second, 258);

    CCanvas name(300, 20, kWhite);
    Paint(Cell(parent, kNameField, CRect(0, 0, 100, 20), CRect(0, 0, 260, 20)), name,
          PaintCellText);
    const auto left = InkExtent(name, CRect(0, 0, 100, 20), kWhite);
    ASSERT_GE(left.first, 0);
    EXPECT_LT(left.first, 10);
}

TEST_F(CellPaintFormatTest, TreeIndentAndImageMoveTheTextAndWidenThePreferredWidth)
{
    grid.Expand(parent);
    CCanvas canvas(300, 20, kWhite);
    CellPaintContext context = Cell(child, kNameField, CRect(0, 0, 100, 14));
    const int text = canvas.DC().GetTextExtent(CString("child")).cx;
    EXPECT_EQ(format.GetPreferredWidth(context, canvas.DC(), 0), text + 4);
    // Level 1: two cell heights of indent.
    EXPECT_EQ(format.GetPreferredWidth(context, canvas.DC(), PaintTreeIndent), text + 4 + 28);
    EXPECT_EQ(format.GetTextRect(context, PaintTreeIndent).left, 30);

    MakeImages();
    context.imageList = &images;
    context.imageIndex = 0;
    EXPECT_EQ(format.GetImageRect(context, PaintTreeIndent | PaintCellImage), CRect(28, 0, 42, 14));
    EXPECT_EQ(format.GetPreferredWidth(context, canvas.DC(), PaintTreeIndent | PaintCellImage),
              text + 4 + 28 + 14);
    // An index the list does not hold reserves nothing.
    context.imageIndex = 1;
    EXPECT_EQ(format.GetTextRect(context, PaintTreeIndent | PaintCellImage).left, 30);
}

TEST_F(CellPaintFormatTest, ImagesAreCentredAtOwnSizeOrStretchedInsideAOnePixelMargin)
{
    MakeImages();
    constexpr COLORREF kRed = 0x0000FF;

    CellPaintContext context = Cell(parent, kAmountField, CRect(100, 0, 160, 14));
    context.imageList = &images;
    context.imageIndex = 0;
    CCanvas own(160, 14, kWhite);
    Paint(context, own, PaintCellImage);
    EXPECT_EQ(own.At(100, 3), kRed); // 8 x 8 at (100, 3): centred in 14 rows
    EXPECT_EQ(own.At(107, 10), kRed);
    EXPECT_EQ(own.At(108, 5), kWhite);

    context.stretchImages = true;
    CCanvas stretched(160, 14, kWhite);
    Paint(context, stretched, PaintCellImage);
    EXPECT_EQ(stretched.At(101, 1), kRed); // 14 x 14 less a pixel on every side
    EXPECT_EQ(stretched.At(112, 12), kRed);
    EXPECT_EQ(stretched.At(113, 13), kWhite);

    context.imageIndex = 3;
    CCanvas missing(160, 14, kWhite);
    Paint(context, missing, PaintCellImage);
    EXPECT_EQ(missing.CountInRow(7, 100, 160, kRed), 0);
}

// ---- Overlays ----------------------------------------------------------------------------------

TEST_F(CellPaintFormatTest, TrackingRectangleIsBlendedAndFramedInsideTheUpdateArea)
{
    CellPaintContext context = Cell(parent, kAmountField, CRect(100, 0, 160, 14));
    context.trackingRect = CRect(105, 2, 120, 10);
    context.updateRect = CRect(100, 0, 112, 14);
    CCanvas canvas(160, 14, kWhite);
    Paint(context, canvas, PaintTrackingRect);
    EXPECT_EQ(canvas.At(105, 9), 0xB4B4B4u); // frame
    EXPECT_EQ(canvas.At(106, 3), Blend(kWhite, 0xB4B4B4, 128));
    EXPECT_EQ(canvas.At(104, 2), kWhite);
    EXPECT_EQ(canvas.At(113, 3), kWhite); // outside the update area
}

TEST_F(CellPaintFormatTest, BackgroundPictureShowsThroughUnderTheLayers)
{
    ASSERT_TRUE(grid.Select(parent));
    CBitmap picture;
    ASSERT_TRUE(picture.CreateCompatibleBitmap(nullptr, 4, 4));
    CellPaintContext context = Cell(parent, kAmountField, CRect(100, 0, 160, 14));
    context.backgroundImage.bitmap = &picture;
    context.backgroundImage.rect = CRect(0, 0, 120, 14);
    const std::uint32_t flags = PaintCellBackground | PaintSelectionColor;

    // The green canvas stands for the picture the paint pass copied in first.
    CCanvas clear(160, 14, kGreen);
    Paint(context, clear, flags);
    EXPECT_EQ(clear.At(110, 7), Blend(kGreen, kSelection, 60));
    EXPECT_EQ(clear.At(130, 7), Blend(kWhite, kSelection, 60));

    context.backgroundImage.alpha = 100;
    CCanvas tinted(160, 14, kGreen);
    Paint(context, tinted, flags);
    EXPECT_EQ(tinted.At(110, 7), Blend(Blend(kGreen, kWhite, 100), kSelection, 60));

    context.backgroundImage.alpha = 255;
    CCanvas covered(160, 14, kGreen);
    Paint(context, covered, flags);
    EXPECT_EQ(covered.At(110, 7), Blend(kWhite, kSelection, 60));
}

} // namespace
} // namespace Ombrel::GUI
