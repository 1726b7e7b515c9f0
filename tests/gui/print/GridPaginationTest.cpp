// Cutting a grid into bands and column groups, on synthetic row heights and column edges.
#include "ombrel/gui/print/GridPagination.h"

#include "ombrel/gui/rows/GridTypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace Ombrel::GUI {
namespace {

// Columns of the given widths, edge to edge from x = 0.
std::vector<CRect> Columns(const std::vector<int>& widths)
{
    std::vector<CRect> columns;
    int x = 0;
    for (int width : widths) {
        columns.emplace_back(x, 0, x + width, 20);
        x += width;
    }
    return columns;
}

CGridPagination::Input Grid(CSize band, int headerHeight, int fixedRows, int normalRows,
                            int rowHeight, const std::vector<int>& widths = {100})
{
    CGridPagination::Input input;
    input.bandSize = band;
    input.headerHeight = headerHeight;
    input.columns = Columns(widths);
    input.fixedRows = fixedRows;
    input.normalRows = normalRows;
    input.rowHeight = [rowHeight](int, int) { return rowHeight; };
    return input;
}

std::vector<std::pair<int, int>> BandLines(const CGridPagination& pagination)
{
    std::vector<std::pair<int, int>> lines;
    for (int i = 0; i < pagination.GetBandCount(); ++i)
        lines.emplace_back(pagination.GetBand(i).firstLine, pagination.GetBand(i).endLine);
    return lines;
}

TEST(GridPaginationTest, RowsAreNeverSplitAcrossBands)
{
    // A band of 100 pixels under a 25-pixel header: 3 rows of 20 (85), the fourth would
    // reach 105 and opens the next band, which has no header and takes 5 rows.
    CGridPagination pagination;
    pagination.Start(Grid(CSize(500, 100), 25, 0, 12, 20));
    pagination.Finish();
    EXPECT_EQ(BandLines(pagination),
              (std::vector<std::pair<int, int>>{{0, 3}, {3, 8}, {8, 12}}));
    EXPECT_TRUE(pagination.GetBand(0).withHeader);
    EXPECT_FALSE(pagination.GetBand(1).withHeader);
}

TEST(GridPaginationTest, HeaderRepeatsOnLaterBandsOnlyWhenAskedTo)
{
    CGridPagination::Input input = Grid(CSize(500, 100), 25, 0, 12, 20);
    input.settings.headerOnEveryBand = true;
    CGridPagination pagination;
    pagination.Start(input);
    pagination.Finish();
    ASSERT_EQ(pagination.GetBandCount(), 4); // 3 rows under each header
    for (int i = 0; i < pagination.GetBandCount(); ++i)
        EXPECT_TRUE(pagination.GetBand(i).withHeader) << "band " << i;

    input.settings.headerOnFirstBand = false;
    input.settings.headerOnEveryBand = false;
    pagination.Start(input);
    pagination.Finish();
    EXPECT_EQ(BandLines(pagination), (std::vector<std::pair<int, int>>{{0, 5}, {5, 10}, {10, 12}}));
    EXPECT_FALSE(pagination.GetBand(0).withHeader);
}

TEST(GridPaginationTest, PageCountIsBandsTimesColumnGroups)
{
    // Five columns of 80 in a band 200 wide: groups {0,1}, {2,3}, {4}.
    for (int rows : {1, 7, 50, 333}) {
        CGridPagination pagination;
        pagination.Start(Grid(CSize(200, 100), 0, 0, rows, 10, {80, 80, 80, 80, 80}));
        pagination.Finish();
        const int bands = (rows + 9) / 10;
        EXPECT_EQ(pagination.GetBandCount(), bands) << rows << " rows";
        EXPECT_EQ(pagination.GetColumnGroupCount(), 3);
        EXPECT_EQ(pagination.GetPageCount(), bands * 3);
        // Page order: band by band, left to right within a band.
        int band = -1;
        int group = -1;
        ASSERT_TRUE(pagination.PageToBand(bands * 3 - 2, band, group));
        EXPECT_EQ(band, bands - 1);
        EXPECT_EQ(group, 1);
        EXPECT_FALSE(pagination.PageToBand(bands * 3, band, group));
    }
}

TEST(GridPaginationTest, ColumnsAreNeverSplitAndAWideOneFillsAPageAlone)
{
    CGridPagination pagination;
    pagination.Start(Grid(CSize(200, 100), 0, 0, 1, 10, {50, 120, 260, 30, 30}));
    pagination.Finish();
    ASSERT_EQ(pagination.GetColumnGroupCount(), 3);
    const auto& first = pagination.GetColumnGroup(0);
    const auto& wide = pagination.GetColumnGroup(1);
    const auto& last = pagination.GetColumnGroup(2);
    EXPECT_EQ(first.firstColumn, 0);
    EXPECT_EQ(first.endColumn, 2);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.right, 170);
    EXPECT_EQ(wide.firstColumn, 2);
    EXPECT_EQ(wide.endColumn, 3);
    EXPECT_EQ(wide.right - wide.left, 260);
    EXPECT_EQ(last.firstColumn, 3);
    EXPECT_EQ(last.endColumn, 5);
}

TEST(GridPaginationTest, FixedRowsComeFirstAndNormalRowsContinueInTheSameBand)
{
    CGridPagination pagination;
    pagination.Start(Grid(CSize(100, 100), 0, 3, 4, 20));
    pagination.Finish();
    EXPECT_EQ(BandLines(pagination), (std::vector<std::pair<int, int>>{{0, 5}, {5, 7}}));
    int rowType = 0;
    int position = 0;
    pagination.LineToRow(2, rowType, position);
    EXPECT_EQ(rowType, ROW_FIXED);
    EXPECT_EQ(position, 2);
    pagination.LineToRow(3, rowType, position);
    EXPECT_EQ(rowType, ROW_NORMAL);
    EXPECT_EQ(position, 0);

    // Without the fixed rows the normal rows start at line 0.
    CGridPagination::Input input = Grid(CSize(100, 100), 0, 3, 4, 20);
    input.settings.printFixedRows = false;
    pagination.Start(input);
    pagination.Finish();
    EXPECT_EQ(pagination.GetLineCount(), 4);
    pagination.LineToRow(0, rowType, position);
    EXPECT_EQ(rowType, ROW_NORMAL);
    EXPECT_EQ(position, 0);

    input.settings.printNormalRows = false;
    pagination.Start(input);
    pagination.Finish();
    EXPECT_EQ(pagination.GetPageCount(), 0);
}

// The cut as literally described ("the first row that would overflow ends the band") never
// ends for a row taller than a band: each new band would end before that row again.
TEST(GridPaginationTest, ARowTallerThanTheBandFillsABandAloneInsteadOfStoppingTheCut)
{
    CGridPagination::Input input = Grid(CSize(100, 50), 30, 0, 3, 20);
    input.rowHeight = [](int, int position) { return position == 1 ? 400 : 20; };
    CGridPagination pagination;
    pagination.Start(input);
    pagination.Finish();
    EXPECT_EQ(BandLines(pagination), (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(GridPaginationTest, NothingIsCutWithoutAPositiveZoomOrAPrinter)
{
    EXPECT_EQ(CGridPagination::BandSize(CSize(700, 1000), 0.0), CSize(0, 0));
    EXPECT_EQ(CGridPagination::BandSize(CSize(700, 1000), -1.0), CSize(0, 0));
    EXPECT_EQ(CGridPagination::BandSize(CSize(0, 0), 1.0), CSize(0, 0));
    EXPECT_EQ(CGridPagination::BandSize(CSize(700, 1000), 0.5), CSize(1400, 2000));
    EXPECT_EQ(CGridPagination::BandSize(CSize(700, 1000), 3.0), CSize(233, 333));

    CGridPagination pagination;
    pagination.Start(Grid(CSize(0, 0), 20, 0, 100, 20));
    EXPECT_TRUE(pagination.IsDone());
    EXPECT_EQ(pagination.GetPageCount(), 0);
}

TEST(GridPaginationTest, AGridWithoutRowsPrintsItsHeaderOnOnePage)
{
    CGridPagination pagination;
    pagination.Start(Grid(CSize(200, 100), 20, 0, 0, 20, {80, 80, 80}));
    EXPECT_TRUE(pagination.IsDone());
    EXPECT_EQ(pagination.GetPageCount(), 2);
    EXPECT_TRUE(pagination.GetBand(0).withHeader);
}

TEST(GridPaginationTest, CuttingInStepsGivesTheSameBandsAsCuttingAtOnce)
{
    CGridPagination::Input input = Grid(CSize(300, 400), 24, 5, 10'000, 0);
    input.rowHeight = [](int, int position) { return 15 + position % 7; };
    CGridPagination whole;
    whole.Start(input);
    whole.Finish();

    CGridPagination steps;
    steps.Start(input);
    int calls = 0;
    while (!steps.Continue(777))
        ++calls;
    EXPECT_GT(calls, 10);
    EXPECT_EQ(steps.GetLinesPlaced(), 10'005);
    EXPECT_EQ(BandLines(steps), BandLines(whole));
}

} // namespace
} // namespace Ombrel::GUI
