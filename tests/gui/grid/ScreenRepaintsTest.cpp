// Row, cell and position repaints kept by the pacer until the frame and placed on a real
// window's screen then: what is off screen asks for nothing, ranges are cut to the screen, and
// a scroll places what was kept before the pixels move.
#include "ombrel/gui/grid/detail/ScreenRepaints.h"

#include "gui/grid/PumpUntil.h"
#include "gui/rows/RowsTestSupport.h"
#include "support/Harness.h"

#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/detail/RepaintPacer.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/Wnd.h"

#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace Ombrel::GUI::Testing {
namespace {

namespace Harness = Ombrel::Test;

constexpr int kWidth = 300;
constexpr int kHeight = 200;
constexpr int kRowHeight = 20; // ten rows on screen

class CPacedHost final : public IGridLayoutHost
{
public:
    bool CanScrollPixels() const override { return true; }
    void HideTransients() override {}
    bool IsEditing() const override { return false; }
    void OnViewScrolled() override {}
    void FlushPendingRepaints() override { pacer->Flush(); }

    CRepaintPacer* pacer = nullptr;
};

class CPacedOwner final : public IGridRowsOwner
{
public:
    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int, CGridItem*) override {}
    void RepaintRow(CGridItem*) override {}
    void RepaintCell(CGridItem*, int) override {}
    void RepaintPositions(int, int, int) override {}
    void RepaintAll() override {}
    RowPosition GetFocus() const override { return {}; }
    void SetFocus(RowPosition) override {}
    void ClearFocus() override {}
    int GetTopRow() const override { return layout->GetTopRow(); }
    void SetTopRow(int index) override { layout->StoreTopRow(index); }
    void OnRowsEntered(int type, int at, int n) override { layout->OnRowsEntered(type, at, n); }
    void OnRowsLeft(int type, int at, int n) override { layout->OnRowsLeft(type, at, n); }
    void StartLayoutTimer() override {}
    void PostDeferredLayout() override {}
    void UpdateLayout() override { layout->UpdateLayout(); }
    SelectionMode GetSelectionMode() const override { return SelectionMode::Multiple; }
    std::vector<CSortInfo> GetHeaderSortLevels() const override { return {}; }
    void OnRowChanged(CGridItem*, int) override {}

    CGridLayout* layout = nullptr;
};

// Routes the frame timer to the pacer and scrolling to the layout, and records every paint's
// update rectangles.
class CPacedGridWindow final : public CWnd
{
public:
    void OnVScroll(UINT code, UINT position) override { layout->OnVScroll(code, position); }
    void OnTimer(UINT_PTR id) override
    {
        if (id == TimerId(GridTimer::Frame))
            pacer->OnFrameTimer();
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        painted.insert(painted.end(), dc.GetUpdateRects().begin(), dc.GetUpdateRects().end());
        layout->OnPaint();
    }

    bool PaintedWhole(const CRect& rect) const
    {
        for (const CRect& update : painted) {
            if (update.left <= rect.left && update.top <= rect.top &&
                update.right >= rect.right && update.bottom >= rect.bottom)
                return true;
        }
        return false;
    }
    bool PaintedAnyOf(const CRect& rect) const
    {
        CRect common;
        for (const CRect& update : painted) {
            if (common.IntersectRect(update, rect))
                return true;
        }
        return false;
    }

    CGridLayout* layout = nullptr;
    CRepaintPacer* pacer = nullptr;
    std::vector<CRect> painted;
};

class ScreenRepaintsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.layout = &layout;
        window.layout = &layout;
        window.pacer = &pacer;
        host.pacer = &pacer;
        ASSERT_TRUE(window.CreateEx(0, nullptr, "paced grid", WS_POPUP,
                                    CRect(0, 0, kWidth, kHeight), nullptr, 0));
        ASSERT_TRUE(layout.ApplyMeasuredRowHeight(ROW_NORMAL, kRowHeight));
        for (int i = 0; i < 100; ++i) {
            m_objects.push_back(std::make_unique<CTestObject>());
            rows.Add(m_objects.back().get(), GRID_ROOT, GRID_LAST);
        }
        layout.UpdateLayout();
        Harness::ShowAndActivate(window);
        ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
        Harness::PumpFor(std::chrono::milliseconds(50));
        window.painted.clear();
    }
    void TearDown() override { window.DestroyWindow(); }

    CGridItem* RowAt(int position) { return rows.GetRowAt(position, ROW_NORMAL); }
    // Slots firstSlot..lastSlot of the screen across the normal area (the client area, which
    // the vertical scroll bar narrows).
    CRect Band(int firstSlot, int lastSlot) const
    {
        const CRect area = layout.GetNormalArea();
        return CRect(area.left, area.top + firstSlot * kRowHeight, area.right,
                     area.top + (lastSlot + 1) * kRowHeight);
    }
    // A first repaint after a quiet spell goes at once (the bottom left pixel, out of every
    // band the tests look at); what follows within its frame is kept for the timer.
    void StartFrame() { pacer.Add(kFramePixel); }
    static constexpr CRect kFramePixel{0, kHeight - 1, 1, kHeight};
    // Waits for the frame that hands over what was kept, then for a paint showing `expected`.
    // Whatever the frame invalidated is painted in that pass or before it.
    void PumpFrameUntilPainted(const CRect& expected)
    {
        ASSERT_TRUE(PumpUntil([&] { return !pacer.HasPending(); }));
        ASSERT_TRUE(PumpUntil([&] { return window.PaintedWhole(expected); }));
    }

    std::deque<std::unique_ptr<CTestObject>> m_objects; // outlive the rows that show them
    CPacedGridWindow window;
    GridOptions options;
    CPacedHost host;
    CPacedOwner owner;
    CGridLayout layout{window, rows, options, host};
    CGridRows rows{owner};
    CScreenRepaints screen{layout, rows};
    CRepaintPacer pacer{window, &screen};
};

TEST_F(ScreenRepaintsTest, KeptRepaintsOffScreenAskForNothingAndRowsArePlacedWhereTheyAreAtTheFrame)
{
    StartFrame();
    pacer.AddRow(RowAt(50), CRepaintPacer::kWholeRow);
    pacer.AddPositions(ROW_NORMAL, 40, 90);
    EXPECT_TRUE(pacer.HasPending());
    ASSERT_TRUE(PumpUntil([&] { return !pacer.HasPending(); }));
    // A marker handed over after the frame is painted no earlier than what the frame asked for.
    const CRect marker(1, kHeight - 1, 2, kHeight);
    pacer.Add(marker);
    PumpFrameUntilPainted(marker);
    EXPECT_FALSE(window.PaintedAnyOf(Band(0, 8)));

    // Kept while at slot 7, shown at slot 2 when the frame comes: painted there, not at 7.
    Harness::PumpFor(std::chrono::milliseconds(40));
    StartFrame();
    CGridItem* moving = RowAt(7);
    pacer.AddRow(moving, CRepaintPacer::kWholeRow);
    pacer.AddRow(moving, CRepaintPacer::kWholeRow); // a repeat adds nothing
    rows.Move(moving, RowAt(2), GRID_ROOT, true);
    ASSERT_EQ(rows.GetVisibleIndex(moving), 2);
    PumpFrameUntilPainted(Band(2, 2));
    EXPECT_FALSE(window.PaintedAnyOf(Band(7, 7)));
}

TEST_F(ScreenRepaintsTest, PositionRangesAreCutToTheScreenAndMerged)
{
    StartFrame();
    pacer.AddPositions(ROW_NORMAL, 3, 2); // either order
    pacer.AddPositions(ROW_NORMAL, 500, 4);
    pacer.AddPositions(ROW_NORMAL, 70, 80);
    PumpFrameUntilPainted(Band(2, 9));
    EXPECT_FALSE(window.PaintedAnyOf(Band(0, 1)));
}

TEST_F(ScreenRepaintsTest, ScrollingPlacesKeptRepaintsBeforeThePixelsMove)
{
    StartFrame();
    pacer.AddRow(RowAt(5), CRepaintPacer::kWholeRow);
    window.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    ASSERT_EQ(layout.GetTopRow(), 1);
    // The row was at slot 5 and moved up one slot with the pixels; had it been placed after
    // the top row changed, the moved rectangle would land on slot 3.
    PumpFrameUntilPainted(Band(4, 4));
    EXPECT_FALSE(window.PaintedAnyOf(Band(3, 3)));
}

TEST_F(ScreenRepaintsTest, CellRepaintsCoverTheirColumnOnly)
{
    CHeader header(false);
    header.AddColumn(new CColumn(1, "first", 100));
    header.AddColumn(new CColumn(2, "second", 120));
    options.header = &header;
    layout.UpdateLayout();
    Harness::PumpFor(std::chrono::milliseconds(60));
    const CRect cell = layout.GetVisibleCellRect(RowAt(4), 2);
    ASSERT_FALSE(cell.IsRectEmpty());
    window.painted.clear();
    StartFrame();
    pacer.AddRow(RowAt(4), 2);
    PumpFrameUntilPainted(cell);
    EXPECT_FALSE(window.PaintedAnyOf(CRect(0, cell.top, 100, cell.bottom)));
    options.header = nullptr;
}

} // namespace
} // namespace Ombrel::GUI::Testing
