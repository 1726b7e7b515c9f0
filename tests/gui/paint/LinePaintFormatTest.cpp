// The standard line paint format on a real grid: which cells it hands to the custom draw, with
// which rectangles, and that a cell never paints outside its part of the update area.
#include "ombrel/gui/paint/LinePaintFormat.h"

#include "ombrel/common/DoubleFormat.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/platform/Messages.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Ombrel::GUI {
namespace {

using namespace PaintTesting;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kMarker = 0x3366CC;

// Records the cells it is given and floods far beyond each one, so that clipping shows.
class CFloodingCustomDraw : public CCustomDraw
{
public:
    CFloodingCustomDraw() : CCustomDraw(false) {}

    void DrawCell(CellPaintContext& context, CDC& dc, std::uint32_t) override
    {
        cells.push_back(context);
        dc.FillSolidRect(CRect(-1000, -1000, 1000, 1000), kMarker);
    }

    std::vector<CellPaintContext> cells;
};

class LinePaintFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(grid.Create(WS_POPUP, CRect(0, 0, 240, 100), nullptr, 1));
        header = new CHeader(true);
        header->AddColumn(new CColumn(kNameField, "Name", 100));
        header->AddColumn(new CColumn(kAmountField, "Amount", 60));
        header->AddColumn(new CColumn(kPriceField, "Price", 40, CColumn::AlignAuto, true, -1, -1,
                                      new Common::CDoubleFormat(2, true)));
        grid.SetHeader(header);
        row = grid.Add(&object);
        ASSERT_NE(row, nullptr);
    }

    void TearDown() override { grid.DestroyWindow(); }

    LinePaintContext Line(const CRect& update)
    {
        LinePaintContext line;
        line.backgroundColor = kWhite;
        line.rect = CRect(0, 0, 240, 14);
        line.updateRect = update;
        line.rowType = ROW_NORMAL;
        line.position = 0;
        line.row = row;
        line.grid = &grid;
        return line;
    }

    CPaintSample object{"name", 12345};
    CGrid grid;
    CHeader* header = nullptr;
    CGridItem* row = nullptr;
    CLinePaintFormat format;
};

TEST_F(LinePaintFormatTest, EveryColumnThenTheRestOfTheLineGetACell)
{
    CFloodingCustomDraw draw;
    CCanvas canvas(240, 14, kWhite);
    LinePaintContext line = Line(CRect(0, 0, 240, 14));
    format.Paint(line, canvas.DC(), kAllPaintOptions, &draw);

    ASSERT_EQ(draw.cells.size(), 4u);
    EXPECT_EQ(draw.cells[0].column, header->GetColumnById(kNameField));
    EXPECT_EQ(draw.cells[0].rect, CRect(0, 0, 100, 14));
    EXPECT_TRUE(draw.cells[0].isFirstCell);
    EXPECT_FALSE(draw.cells[2].isLastCell); // the rest of the line follows
    EXPECT_EQ(draw.cells[3].column, nullptr);
    EXPECT_EQ(draw.cells[3].rect, CRect(200, 0, 240, 14));
    EXPECT_TRUE(draw.cells[3].isLastCell);
    // The column's own value format wins; otherwise the field's (none here).
    EXPECT_EQ(draw.cells[2].format, header->GetColumnById(kPriceField)->GetFormat());
    EXPECT_EQ(draw.cells[1].format, nullptr);
}

TEST_F(LinePaintFormatTest, OnlyCellsInTheUpdateAreaArePaintedAndOnlyThere)
{
    CFloodingCustomDraw draw;
    CCanvas canvas(240, 14, kWhite);
    LinePaintContext line = Line(CRect(120, 0, 130, 14));
    format.Paint(line, canvas.DC(), kAllPaintOptions, &draw);

    ASSERT_EQ(draw.cells.size(), 1u);
    // The cell keeps its whole rectangle; drawing is clipped to the update area.
    EXPECT_EQ(draw.cells[0].rect, CRect(100, 0, 160, 14));
    EXPECT_EQ(canvas.At(119, 5), kWhite);
    EXPECT_EQ(canvas.At(120, 5), kMarker);
    EXPECT_EQ(canvas.At(129, 13), kMarker);
    EXPECT_EQ(canvas.At(130, 5), kWhite);

    // The device context's clip region is back as it was.
    canvas.DC().FillSolidRect(CRect(0, 0, 240, 14), 0x000000);
    EXPECT_EQ(canvas.At(5, 5), 0x000000u);
}

TEST_F(LinePaintFormatTest, APartialRepaintDrawsWhatAFullPaintDraws)
{
    CCustomDraw draw(false);
    const std::uint32_t flags = PaintCellText | PaintCellBackground;
    CCanvas full(240, 14, kWhite);
    LinePaintContext whole = Line(CRect(0, 0, 240, 14));
    format.Paint(whole, full.DC(), flags, &draw);

    CCanvas part(240, 14, kWhite);
    LinePaintContext band = Line(CRect(135, 0, 160, 14));
    format.Paint(band, part.DC(), flags, &draw);

    int inked = 0;
    for (int x = 135; x < 160; ++x) {
        for (int y = 0; y < 14; ++y) {
            ASSERT_EQ(part.At(x, y), full.At(x, y)) << x << "," << y;
            inked += IsInk(full.At(x, y), kWhite) ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 0); // the band crosses the right-aligned number
}

// A paint hands every line the columns it read once; the cells must come out as the columns
// themselves describe them, and the line must not keep or replace the paint's snapshot.
TEST_F(LinePaintFormatTest, CellsFromThePaintsSnapshotAreTheCellsTheColumnsDescribe)
{
    CFloodingCustomDraw draw;
    CCanvas canvas(240, 14, kWhite);
    const PaintSnapshot snapshot = PaintSnapshot::Take(grid);
    LinePaintContext line = Line(CRect(0, 0, 240, 14));
    line.snapshot = &snapshot;
    format.Paint(line, canvas.DC(), kAllPaintOptions, &draw);
    EXPECT_EQ(line.snapshot, &snapshot);

    ASSERT_EQ(draw.cells.size(), 4u);
    const LinePaintContext unshared = Line(CRect(0, 0, 240, 14));
    for (const CellPaintContext& cell : draw.cells) {
        const CellPaintContext direct =
            CLinePaintFormat::MakeCellContext(unshared, cell.column, cell.rect);
        EXPECT_EQ(cell.snapshot, &snapshot);
        EXPECT_EQ(cell.column, direct.column);
        EXPECT_EQ(cell.columnFieldId, direct.columnFieldId);
        EXPECT_EQ(cell.format, direct.format);
        EXPECT_EQ(cell.imageIndex, direct.imageIndex);
        EXPECT_EQ(cell.isFirstCell, direct.isFirstCell);
        EXPECT_EQ(cell.isLastCell, direct.isLastCell);
    }
    EXPECT_EQ(draw.cells[2].format, header->GetColumnById(kPriceField)->GetFormat());
}

} // namespace
} // namespace Ombrel::GUI
