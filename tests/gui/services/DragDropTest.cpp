// Drag and drop of rows through real Qt drag events with real QMimeData on the grid's widget
// (the drop-target registration the grid makes), and drags started by the mouse, which run a
// real QDrag. Qt's offscreen platform has a drag that ends at once without a drop (it answers
// "ignored"), so a drag out is checked up to the transport: it starts, ends, and loses nothing.

#include "gui/grid/GridTestSupport.h"
#include "gui/services/DragDropTestSupport.h"
#include "gui/services/ServicesTestSupport.h"

#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/grid/detail/GridDropTarget.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridMouse.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/services/DragDrop.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include "support/Harness.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace Ombrel::GUI {
namespace {

using Testing::DragAndDrop;
using Testing::DragDataOf;
using Testing::ServiceGrid;
using ::testing::ElementsAre;

class DragDropTest : public ::testing::Test
{
protected:
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    static void Allow(CGrid& grid, bool DropSettings::*flag)
    {
        DropSettings settings = *grid.GetDropSettings();
        settings.*flag = true;
        grid.SetDropSettings(settings);
    }
    static const GridTracking& Tracking(CGrid& grid) { return CGrid::FindImpl(&grid)->GetTracking(); }
};

// ---- Within one grid -----------------------------------------------------------------------

TEST_F(DragDropTest, ByDefaultAMoveWithinTheGridIsAcceptedAndMovesTheRow)
{
    ServiceGrid g(0, 5);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    const auto answer = DragAndDrop(g.grid, Testing::LowerPartOf(g.grid, g.Normal(3)), *data);
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(answer.action, Qt::MoveAction);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n1", "n2", "n3", "n0", "n4"));
    EXPECT_THAT(g.Selected(), ElementsAre("N3")); // selected as a paste selects
}

TEST_F(DragDropTest, ByDefaultACopyWithinTheGridIsRefused)
{
    ServiceGrid g(0, 3);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    const CPoint target = Testing::LowerPartOf(g.grid, g.Normal(2));
    // The drag is taken (Ctrl may be let go to move) but refused where the pointer is.
    EXPECT_TRUE(Testing::DragEnter(g.grid, target, *data, Qt::ControlModifier).accepted);
    EXPECT_FALSE(Testing::DragMove(g.grid, target, *data, Qt::ControlModifier).accepted);
    EXPECT_FALSE(Testing::Drop(g.grid, target, *data, Qt::ControlModifier).accepted);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2"));
}

TEST_F(DragDropTest, CtrlCopiesWhenCopyingWithinTheGridIsAllowed)
{
    ServiceGrid g(0, 3);
    Allow(g.grid, &DropSettings::copyWithinGrid);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    const auto answer = DragAndDrop(g.grid, Testing::LowerPartOf(g.grid, g.Normal(2)), *data,
                                    Qt::ControlModifier);
    EXPECT_EQ(answer.action, Qt::CopyAction);
    // The same object in a new row: objects are shared, never duplicated.
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n0"));
    EXPECT_EQ(g.grid.GetDataObject(g.Normal(0)), g.grid.GetDataObject(g.Normal(3)));
}

TEST_F(DragDropTest, WithoutCtrlAMoveIsReportedEvenWhenCopyingIsAllowed)
{
    ServiceGrid g(0, 3);
    Allow(g.grid, &DropSettings::copyWithinGrid);
    const auto data = DragDataOf(g.grid, {g.Normal(2)});
    EXPECT_EQ(Testing::DragEnter(g.grid, Testing::UpperPartOf(g.grid, g.Normal(0)), *data).action,
              Qt::MoveAction);
    Testing::DragLeave(g.grid);
}

TEST_F(DragDropTest, TheWhereInsideTheRowDecidesBeforeAfterOrChild)
{
    struct Case
    {
        CPoint (*at)(CGrid&, CGridItem*);
        std::vector<std::string> names; // visible names afterwards (children expanded)
        int level;                      // of the moved row
    };
    const Case cases[] = {
        {Testing::UpperPartOf, {"n0", "n3", "n1", "n2"}, 0},
        {Testing::LowerPartOf, {"n0", "n1", "n3", "n2"}, 0},
        {Testing::MiddleOf, {"n0", "n1", "n3", "n2"}, 1},
    };
    for (const Case& test : cases) {
        ServiceGrid g(0, 4);
        CGridItem* moved = g.Normal(3);
        const auto data = DragDataOf(g.grid, {moved});
        EXPECT_TRUE(DragAndDrop(g.grid, test.at(g.grid, g.Normal(1)), *data).accepted);
        EXPECT_EQ(g.NormalNames(), test.names);
        EXPECT_EQ(g.grid.GetLevel(moved), test.level);
    }
}

TEST_F(DragDropTest, BelowTheLastRowTheRowsGoToTheEnd)
{
    ServiceGrid g(0, 3, 300);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    const CRect last = g.grid.GetRowRect(g.Normal(2));
    EXPECT_TRUE(DragAndDrop(g.grid, CPoint(20, last.bottom + 30), *data).accepted);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n1", "n2", "n0"));
}

TEST_F(DragDropTest, ARowDroppedOnItsOwnDescendantIsRefused)
{
    ServiceGrid g(0, 2);
    CGridItem* parent = g.Normal(0);
    CGridItem* child = g.AddRow("c", parent);
    CGridItem* grandChild = g.AddRow("gc", child);
    g.grid.Expand(parent, true);
    g.grid.UpdateLayout();
    const auto data = DragDataOf(g.grid, {parent});
    for (CGridItem* target : {parent, child, grandChild}) {
        const CPoint point = Testing::MiddleOf(g.grid, target);
        EXPECT_TRUE(Testing::DragEnter(g.grid, point, *data).accepted);
        EXPECT_FALSE(Testing::DragMove(g.grid, point, *data).accepted);
        EXPECT_FALSE(Testing::Drop(g.grid, point, *data).accepted);
    }
    EXPECT_EQ(g.grid.GetParent(child), parent);
    EXPECT_EQ(g.grid.GetLevel(parent), 0);
}

TEST_F(DragDropTest, DropsIntoARefusedRowTypeAreRefused)
{
    ServiceGrid g(2, 2);
    DropSettings settings = *g.grid.GetDropSettings();
    settings.acceptIntoFixedRows = false;
    g.grid.SetDropSettings(settings);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    EXPECT_FALSE(DragAndDrop(g.grid, Testing::MiddleOf(g.grid, g.Fixed(0)), *data).accepted);
    EXPECT_TRUE(DragAndDrop(g.grid, Testing::LowerPartOf(g.grid, g.Normal(1)), *data).accepted);
    EXPECT_EQ(g.grid.GetRowCount(ROW_FIXED), 2);
}

// ---- Between grids and applications ----------------------------------------------------------

TEST_F(DragDropTest, ByDefaultRowsFromAnotherGridAreRefused)
{
    ServiceGrid source(0, 2);
    ServiceGrid target(0, 2);
    const auto data = DragDataOf(source.grid, {source.Normal(0)});
    const CPoint point = Testing::LowerPartOf(target.grid, target.Normal(1));
    EXPECT_FALSE(Testing::DragEnter(target.grid, point, *data).accepted);
    EXPECT_FALSE(Testing::DragEnter(target.grid, point, *data, Qt::ControlModifier).accepted);
    EXPECT_FALSE(Testing::Drop(target.grid, point, *data).accepted);
    EXPECT_EQ(source.grid.GetRowCount(ROW_NORMAL), 2);
    EXPECT_EQ(target.grid.GetRowCount(ROW_NORMAL), 2);
}

TEST_F(DragDropTest, AllowedMovesFromAnotherGridTakeTheRowsAcross)
{
    ServiceGrid source(0, 3);
    ServiceGrid target(0, 1);
    Allow(target.grid, &DropSettings::moveFromOtherGrid);
    CGridItem* moved = source.Normal(1);
    const auto data = DragDataOf(source.grid, {moved});
    const auto answer = DragAndDrop(target.grid, Testing::LowerPartOf(target.grid, target.Normal(0)), *data);
    EXPECT_EQ(answer.action, Qt::MoveAction);
    EXPECT_THAT(source.NormalNames(), ElementsAre("n0", "n2"));
    EXPECT_THAT(target.NormalNames(), ElementsAre("n0", "n1"));
    EXPECT_TRUE(target.grid.IsValid(moved)); // the row itself moved, not a copy
}

TEST_F(DragDropTest, TextAloneNeverImports)
{
    ServiceGrid g(0, 2);
    QMimeData text;
    text.setText("n9.1\tn9.2\tn9.3");
    EXPECT_FALSE(DragAndDrop(g.grid, Testing::LowerPartOf(g.grid, g.Normal(1)), text).accepted);
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 2);
}

TEST_F(DragDropTest, HostileLocalDataIsRefused)
{
    ServiceGrid g(0, 2);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    for (const QString& format : data->formats()) {
        if (format == "text/plain")
            continue;
        QByteArray bytes = data->data(format);
        for (const qsizetype size : {qsizetype{0}, qsizetype{3}, bytes.size() - 1}) {
            QMimeData damaged;
            damaged.setData(format, bytes.left(size));
            EXPECT_FALSE(DragAndDrop(g.grid, Testing::MiddleOf(g.grid, g.Normal(1)), damaged).accepted);
        }
    }
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1"));
}

// ---- Drop mark and notifications --------------------------------------------------------------

TEST_F(DragDropTest, TheDropMarkShowsWhereRowsWouldLandAndGoesOnLeave)
{
    ServiceGrid g(0, 4);
    const auto data = DragDataOf(g.grid, {g.Normal(0)});
    const CRect row = g.grid.GetRowRect(g.Normal(2));
    Testing::DragEnter(g.grid, Testing::LowerPartOf(g.grid, g.Normal(2)), *data);
    const GridTracking& tracking = Tracking(g.grid);
    EXPECT_FALSE(tracking.dropMarkIsFrame);
    EXPECT_TRUE(tracking.dropMark.PtInRect(CPoint(30, row.bottom)));
    EXPECT_EQ(Ombrel::Test::PixelAt(g.grid, CPoint(30, row.bottom)), g.grid.GetDropSettings()->markColor);

    Testing::DragMove(g.grid, Testing::MiddleOf(g.grid, g.Normal(2)), *data);
    EXPECT_TRUE(tracking.dropMarkIsFrame);
    EXPECT_EQ(tracking.dropMark.top, row.top);

    Testing::DragLeave(g.grid);
    EXPECT_TRUE(tracking.dropMark.IsRectEmpty());
    EXPECT_NE(Ombrel::Test::PixelAt(g.grid, CPoint(30, row.bottom)), g.grid.GetDropSettings()->markColor);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3"));
}

TEST_F(DragDropTest, ADropIsAnnouncedBeforeAndAfterWithItsEffect)
{
    Testing::GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(Testing::kFirstField, "C", 90));
    grid.SetHeader(header);
    std::vector<std::unique_ptr<Testing::CNamedObject>> objects;
    for (const char* name : {"a", "b"}) {
        objects.push_back(std::make_unique<Testing::CNamedObject>(name));
        grid.Add(objects.back().get(), GRID_ROOT);
    }
    grid.UpdateLayout();
    const auto data = DragDataOf(grid, {grid.GetRowAt(0, ROW_NORMAL)});
    window.owner.entries.clear();
    DragAndDrop(grid, Testing::LowerPartOf(grid, grid.GetRowAt(1, ROW_NORMAL)), *data);
    const auto begin = window.owner.Of(GN_BEGINDROP);
    const auto end = window.owner.Of(GN_ENDDROP);
    ASSERT_EQ(begin.size(), 1u);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_NE(begin[0].column.pointerArgument, nullptr);
    EXPECT_EQ(end[0].column.integerArgument, static_cast<int>(DROPEFFECT_MOVE));
}

// ---- Drags started by the mouse ---------------------------------------------------------------

TEST_F(DragDropTest, APressOnASelectedRowKeepsTheSelectionUntilTheReleaseAppliesTheClick)
{
    ServiceGrid g(0, 4);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    const CPoint press = Testing::MiddleOf(g.grid, g.Normal(2));
    Ombrel::Test::MousePress(g.grid, press);
    EXPECT_TRUE(CGrid::FindImpl(&g.grid)->GetMouse().IsRowDragPending());
    EXPECT_FALSE(CGrid::FindImpl(&g.grid)->GetMouse().IsRubberBandActive());
    EXPECT_THAT(g.Selected(), ElementsAre("N1", "N2"));
    Ombrel::Test::MouseRelease(g.grid, press);
    EXPECT_THAT(g.Selected(), ElementsAre("N2"));
    EXPECT_EQ(g.Focus(), (RowPosition{2, ROW_NORMAL}));
}

TEST_F(DragDropTest, AMoveAfterAPressOnASelectedRowRunsARealDragThatLosesNothing)
{
    Testing::GridWindow window;
    ServiceGrid g(0, 4);
    g.grid.SetOwner(&window.owner);
    DropSettings settings = *g.grid.GetDropSettings();
    settings.showDragImage = true;
    g.grid.SetDropSettings(settings);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    const CPoint press = Testing::MiddleOf(g.grid, g.Normal(1));
    Ombrel::Test::MousePress(g.grid, press);
    Ombrel::Test::MouseMove(g.grid, CPoint(press.x, press.y + 30), Qt::LeftButton);
    Ombrel::Test::MouseRelease(g.grid, CPoint(press.x, press.y + 30));

    // The offscreen platform's drag ends at once, as a drag cancelled outside any target.
    const auto begin = window.owner.Of(GN_BEGINDRAG);
    const auto end = window.owner.Of(GN_ENDDRAG);
    ASSERT_EQ(begin.size(), 1u);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].column.integerArgument, static_cast<int>(DROPEFFECT_NONE));
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3"));
    EXPECT_THAT(g.Selected(), ElementsAre("N1"));
    EXPECT_EQ(GetDragImageWindow(), nullptr);
    QImage image;
    QPoint hotSpot;
    EXPECT_FALSE(GetBegunDragImage(image, hotSpot)); // the drag image was ended
    EXPECT_FALSE(CGrid::FindImpl(&g.grid)->GetMouse().IsRubberBandActive());
}

TEST_F(DragDropTest, EscapeDuringAHeldPressCancelsItWithoutChangingTheSelection)
{
    ServiceGrid g(0, 3);
    g.grid.SelectAt(0, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    const CPoint press = Testing::MiddleOf(g.grid, g.Normal(0));
    Ombrel::Test::MousePress(g.grid, press);
    Ombrel::Test::Key(g.grid, Qt::Key_Escape);
    EXPECT_FALSE(CGrid::FindImpl(&g.grid)->GetMouse().IsRowDragPending());
    Ombrel::Test::MouseRelease(g.grid, press);
    EXPECT_THAT(g.Selected(), ElementsAre("N0", "N2"));
}

TEST_F(DragDropTest, ADestroyedGridIsNoLongerADropTarget)
{
    ServiceGrid g(0, 2);
    CGridDropTarget& target = CGrid::FindImpl(&g.grid)->GetDropTarget();
    EXPECT_TRUE(target.IsRegistered());
    g.grid.DestroyWindow();
    EXPECT_FALSE(target.IsRegistered());
}

} // namespace
} // namespace Ombrel::GUI
