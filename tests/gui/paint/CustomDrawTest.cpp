#include "ombrel/gui/paint/CustomDraw.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/SystemColors.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Ombrel::GUI {
namespace {

using PaintTesting::CCanvas;

class CCountingCellFormat : public CCellPaintFormat
{
public:
    void Paint(CellPaintContext&, CDC&, std::uint32_t) override { ++paints; }
    int paints = 0;
};

// Records the header cells the standard header paint format hands out.
class CRecordingCustomDraw : public CCustomDraw
{
public:
    CRecordingCustomDraw() : CCustomDraw(false) {}

    struct Cell
    {
        CColumn* column;
        CRect rect;
        int state;
    };

    void DrawColumn(ColumnPaintContext& context, CDC&, std::uint32_t) override
    {
        cells.push_back({context.column, context.rect, context.state});
    }
    std::vector<Cell> cells;
};

TEST(CustomDrawTest, HeaderHeightIsTwentyWithoutFontOrDeviceContext)
{
    CCustomDraw draw(false);
    CCanvas canvas(10, 10, 0xFFFFFF);
    HeaderPaintContext context;
    EXPECT_EQ(draw.GetHeaderHeight(context, &canvas.DC()), 20);
    context.font = CPaintDefaults::Get().GetFont();
    EXPECT_EQ(draw.GetHeaderHeight(context, nullptr), 20);
}

TEST(CustomDrawTest, HeightsFollowTheFontMetricsAndRestoreTheFont)
{
    CCustomDraw draw(false);
    CCanvas canvas(10, 10, 0xFFFFFF);
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(180, "", &canvas.DC()));
    CFont* before = canvas.DC().GetCurrentFont();

    TEXTMETRIC metrics;
    CFont* previous = canvas.DC().SelectObject(&font);
    ASSERT_TRUE(canvas.DC().GetTextMetrics(&metrics));
    canvas.DC().SelectObject(previous);

    HeaderPaintContext context;
    context.font = &font;
    EXPECT_EQ(draw.GetHeaderHeight(context, &canvas.DC()),
              metrics.tmHeight + metrics.tmInternalLeading + 4);
    EXPECT_EQ(draw.GetRowHeight(&font, &canvas.DC()),
              metrics.tmHeight + metrics.tmInternalLeading / 2);
    EXPECT_EQ(canvas.DC().GetCurrentFont(), before);
    // Without a device context the row height is measured on the screen's.
    EXPECT_GT(draw.GetRowHeight(&font, nullptr), 0);
    CFont notCreated;
    EXPECT_EQ(draw.GetRowHeight(nullptr, &canvas.DC()), 0);
    EXPECT_EQ(draw.GetRowHeight(&notCreated, &canvas.DC()), 0);
}

TEST(CustomDrawTest, CellsOfAColumnWithoutOwnFormatUseTheDefault)
{
    CCustomDraw draw(false);
    CellPaintContext context;
    CColumn plain(1, "Plain", 50);
    EXPECT_EQ(draw.GetCellPaintFormat(&plain, context), CPaintDefaults::Get().GetCellPaintFormat());
    EXPECT_EQ(draw.GetCellPaintFormat(nullptr, context), CPaintDefaults::Get().GetCellPaintFormat());

    auto* own = new CCountingCellFormat;
    CColumn special(2, "Special", 50, CColumn::AlignAuto, true, -1, -1, nullptr, own);
    EXPECT_EQ(draw.GetCellPaintFormat(&special, context), own);

    CCanvas canvas(10, 10, 0xFFFFFF);
    context.column = &special;
    draw.DrawCell(context, canvas.DC(), 0x7FFFF);
    EXPECT_EQ(own->paints, 1);
}

TEST(CustomDrawTest, HeaderStripIsPaintedCellByCellThenTheRest)
{
    CRecordingCustomDraw draw;
    CHeader header(false);
    header.AddColumn(new CColumn(1, "One", 40));
    header.AddColumn(new CColumn(2, "Two", 30));
    header.AddColumn(new CColumn(3, "Hidden", 30));
    header.HideColumn(3);
    CCanvas canvas(120, 20, 0xFFFFFF);

    HeaderPaintContext context;
    context.header = &header;
    context.rect = CRect(0, 0, 120, 20);
    context.updateRect = context.rect;
    context.trackedFieldId = 2;
    context.trackedPressed = true;
    draw.DrawHeader(context, canvas.DC(), 0x7FFFF);

    ASSERT_EQ(draw.cells.size(), 3u);
    EXPECT_EQ(draw.cells[0].column, header.GetColumnById(1));
    EXPECT_EQ(draw.cells[0].rect, CRect(0, 0, 40, 20));
    EXPECT_EQ(draw.cells[0].state, HeaderCellNormal);
    EXPECT_EQ(draw.cells[1].rect, CRect(40, 0, 70, 20));
    EXPECT_EQ(draw.cells[1].state, HeaderCellPressed);
    EXPECT_EQ(draw.cells[2].column, nullptr);
    EXPECT_EQ(draw.cells[2].rect, CRect(70, 0, 120, 20));
}

TEST(PaintDefaultsTest, OneSetOfDefaultsWithTheDefaultAppearanceAndAFont)
{
    CPaintDefaults& defaults = CPaintDefaults::Get();
    EXPECT_EQ(&defaults, &CPaintDefaults::Get());
    EXPECT_EQ(defaults.GetAppearance(), GridAppearance());
    ASSERT_NE(defaults.GetFont(), nullptr);
    EXPECT_NE(defaults.GetFont()->GetSafeHandle(), nullptr);
    EXPECT_NE(defaults.GetFont(), GetDefaultGuiFont()); // a copy, not the platform's own
    // The grid never deletes the default custom draw.
    auto* customDraw = dynamic_cast<CCustomDraw*>(defaults.GetCustomDraw());
    ASSERT_NE(customDraw, nullptr);
    EXPECT_FALSE(customDraw->IsAutoDelete());
}

} // namespace
} // namespace Ombrel::GUI
