// The in-place tooltip after a real hover: a truncated cell shows its whole text exactly over
// the cell, a cell that fits shows none; and a rendered picture of it.

#include "TooltipTestSupport.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/CustomDraw.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/services/InPlaceTooltipCtrl.h"
#include "ombrel/platform/SystemColors.h"

#include "support/Harness.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <filesystem>

namespace Ombrel::GUI {
namespace {

using Testing::kLongText;

class InPlaceTooltipCtrlTest : public Testing::TooltipGridTest
{
};

TEST_F(InPlaceTooltipCtrlTest, ATruncatedCellShowsItsWholeTextOverTheCell)
{
    ASSERT_EQ(grid->GetTooltipKind(), TooltipInPlace) << "the default kind";
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    EXPECT_STREQ(InPlaceCtrl()->GetText().GetString(), kLongText);

    const CRect cell = CellRect(1);
    CRect shown;
    InPlaceCtrl()->GetWindowRect(&shown);
    // It starts where the cell's paint format puts the text (after the tree indent and the
    // margin) and spans the cell's height.
    CellPaintContext context;
    ASSERT_TRUE(CGrid::FindImpl(grid.get())->MakeCellContext(grid->GetRowAt(1, ROW_NORMAL),
                                                             Testing::kTextField, context));
    const CRect textRect = grid->GetCustomDraw()
                               ->GetCellPaintFormat(context.column, context)
                               ->GetTextRect(context, grid->GetPaintOptions());
    ASSERT_GT(textRect.left, cell.left);
    EXPECT_EQ(shown.TopLeft(), ScreenPoint(textRect.TopLeft()));
    EXPECT_EQ(shown.Height(), cell.Height()) << "at least one row high";
    EXPECT_GT(shown.Width(), cell.Width()) << "wide enough for the whole text";
    EXPECT_EQ(CWnd::GetFocus(), grid.get()) << "showing takes neither activation nor focus";
}

TEST_F(InPlaceTooltipCtrlTest, ACellThatFitsShowsNone)
{
    Ombrel::Test::MouseMove(*grid, CellCenter(0));
    Ombrel::Test::PumpFor(std::chrono::milliseconds(kDelayMs * 6));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
    EXPECT_FALSE(IsShown(CursorCtrl())) << "kind 1 never falls back to the cursor tooltip";

    // With kind 2 the same cell gets the tooltip at the cursor instead.
    ASSERT_TRUE(grid->SetTooltipKind(TooltipInPlaceElseAtCursor));
    ASSERT_TRUE(HoverUntilShown(CellCenter(2), CursorCtrl()));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
}

TEST_F(InPlaceTooltipCtrlTest, AColumnWideEnoughForTheTextShowsNone)
{
    CreateGrid(CPoint(100, 100), 500);
    grid->GetHeader()->GetColumnById(Testing::kTextField)->SetWidth(480);
    grid->UpdateLayout();
    Ombrel::Test::MouseMove(*grid, CellCenter(1));
    Ombrel::Test::PumpFor(std::chrono::milliseconds(kDelayMs * 6));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
}

TEST_F(InPlaceTooltipCtrlTest, ShowIsRefusedForAnEmptyTextAndBeforeCreation)
{
    CInPlaceTooltipCtrl control(false);
    CellPaintContext cell;
    EXPECT_FALSE(control.Show(*grid, cell)) << "no window yet";
    ASSERT_TRUE(control.Create(grid.get()));
    EXPECT_FALSE(control.Show(*grid, cell)) << "a context without a row has no text";
    EXPECT_FALSE(control.IsWindowVisible());
}

// Saves the grid with the in-place tooltip composed over it where the screen shows it, as
// screenshots/tooltip.png below the working directory (docs/images/tooltip.png is a copy).
TEST_F(InPlaceTooltipCtrlTest, ScreenshotOfAnInPlaceTooltipOverATruncatedCell)
{
    ASSERT_TRUE(HoverUntilShown(CellCenter(3), InPlaceCtrl()));
    InPlaceCtrl()->UpdateWindow();
    QImage picture = Ombrel::Test::Grab(*grid);
    const QImage tooltip = Ombrel::Test::Grab(*InPlaceCtrl());
    CRect gridRect;
    CRect tipRect;
    grid->GetWindowRect(&gridRect);
    InPlaceCtrl()->GetWindowRect(&tipRect);
    {
        QPainter painter(&picture);
        painter.drawImage(QPoint(tipRect.left - gridRect.left, tipRect.top - gridRect.top), tooltip);
    }
    // The tooltip's background lies over the cell, past the column's right edge.
    const TooltipSettings& settings = *grid->GetInPlaceTooltipSettings();
    const CPoint beyondColumn(kColumnWidth + 10, CellRect(3).top + 1);
    const QRgb pixel = picture.pixel(beyondColumn.x, beyondColumn.y);
    EXPECT_EQ(RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)), settings.backgroundColor);

    const std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "tooltip.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG"));
}

} // namespace
} // namespace Ombrel::GUI
