// Layout, scrolling and hit-testing against a real window on the offscreen platform: the rows
// report to an owner that forwards to the layout, as the grid does, and the window routes its
// scroll, wheel, timer, size and paint messages to the layout.
#include "ombrel/gui/grid/detail/GridLayout.h"

#include "gui/grid/PumpUntil.h"
#include "gui/rows/RowsTestSupport.h"
#include "support/Harness.h"

#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/Wnd.h"

#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace Ombrel::GUI::Testing {
namespace {

namespace Harness = Ombrel::Test;

class CLayoutHost final : public IGridLayoutHost
{
public:
    bool CanScrollPixels() const override { return pixelScrolling; }
    void HideTransients() override { ++transientHides; }
    bool IsEditing() const override { return editing; }
    void OnViewScrolled() override { ++viewScrolls; }
    void FlushPendingRepaints() override {}

    bool pixelScrolling = true;
    bool editing = false;
    int transientHides = 0;
    int viewScrolls = 0;
};

// The grid's side of the rows, reduced to what the layout takes part in.
class CLayoutOwner final : public IGridRowsOwner
{
public:
    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int, CGridItem*) override {}
    void RepaintRow(CGridItem*) override {}
    void RepaintCell(CGridItem*, int) override {}
    void RepaintPositions(int, int, int) override {}
    void RepaintAll() override {}
    RowPosition GetFocus() const override { return focus; }
    void SetFocus(RowPosition newFocus) override { focus = newFocus; }
    void ClearFocus() override { focus = RowPosition{}; }
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
    RowPosition focus;
};

// Routes what the grid window routes to its layout and records the painted update bounds.
class CLayoutWindow final : public CWnd
{
public:
    void OnVScroll(UINT code, UINT position) override { layout->OnVScroll(code, position); }
    void OnHScroll(UINT code, UINT position) override { layout->OnHScroll(code, position); }
    bool OnMouseWheel(UINT flags, short delta, CPoint point) override
    {
        return layout->OnMouseWheel(flags, delta, point);
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id == CGridLayout::kEnsureVisibleTimer)
            layout->OnEnsureVisibleTimer();
    }
    void OnSize(UINT type, int cx, int cy) override
    {
        CWnd::OnSize(type, cx, cy);
        layout->OnSize(type, cx, cy);
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        painted.push_back(dc.GetUpdateBounds());
        layout->OnPaint();
    }

    CGridLayout* layout = nullptr;
    std::vector<CRect> painted;
};

constexpr int kWidth = 300;
constexpr int kRowHeight = 20;

class GridLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.layout = &layout;
        window.layout = &layout;
    }

    void TearDown() override { window.DestroyWindow(); }

    void CreateWindow(int height)
    {
        ASSERT_TRUE(
            window.CreateEx(0, nullptr, "grid", WS_POPUP, CRect(0, 0, kWidth, height), nullptr, 0));
    }

    CGridItem* Add(CGridItem* parent = GRID_ROOT)
    {
        m_objects.push_back(std::make_unique<CTestObject>());
        return rows.Add(m_objects.back().get(), parent, GRID_LAST);
    }

    // `count` normal rows of kRowHeight in a window `height` high, whose normal area (without
    // a header) has the same height.
    void MakeRows(int count, int height = 200)
    {
        CreateWindow(height);
        ASSERT_TRUE(layout.ApplyMeasuredRowHeight(ROW_NORMAL, kRowHeight));
        for (int i = 0; i < count; ++i)
            Add();
        layout.UpdateLayout();
        if (!options.header) {
            ASSERT_EQ(layout.GetNormalArea().Height(), height);
        }
    }

    void VScroll(UINT code, UINT at = 0) { window.SendMessage(WM_VSCROLL, MAKEWPARAM(code, at)); }
    void HScroll(UINT code, UINT at = 0) { window.SendMessage(WM_HSCROLL, MAKEWPARAM(code, at)); }

    // Widths of the fixed column and then of the scrolling ones.
    void MakeHeader(std::initializer_list<int> widths, int fixedCount)
    {
        m_header = std::make_unique<CHeader>(false);
        int fieldId = 1;
        for (const int width : widths)
            m_header->AddColumn(new CColumn(fieldId++, "column", width));
        m_header->SetFixedColumnCount(fixedCount);
        options.header = m_header.get();
    }

    void ShowAndSettle()
    {
        Harness::ShowAndActivate(window);
        ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
        Harness::PumpFor(std::chrono::milliseconds(50));
        window.painted.clear();
    }

    std::deque<std::unique_ptr<CTestObject>> m_objects; // outlive the rows that show them
    std::unique_ptr<CHeader> m_header;
    CLayoutWindow window;
    GridOptions options;
    CLayoutHost host;
    CLayoutOwner owner;
    // Declared before the rows it only refers to at construction, so that it outlives them.
    CGridLayout layout{window, rows, options, host};
    CGridRows rows{owner};
};

TEST_F(GridLayoutTest, VerticalCommandsStopAtTheLastFullPage)
{
    MakeRows(100);
    EXPECT_EQ(layout.CountRowsThatFit(99, false, 200), 10);
    EXPECT_EQ(layout.GetPageRowCount(), 10);

    ASSERT_TRUE(layout.SetTopRow(89));
    VScroll(SB_LINEDOWN);
    EXPECT_EQ(layout.GetTopRow(), 90);
    VScroll(SB_LINEDOWN);
    EXPECT_EQ(layout.GetTopRow(), 90);

    layout.SetTopRow(85);
    VScroll(SB_PAGEDOWN);
    EXPECT_EQ(layout.GetTopRow(), 90);
    VScroll(SB_BOTTOM);
    EXPECT_EQ(layout.GetTopRow(), 91);
    layout.UpdateLayout(); // the page from row 91 is 9 rows, which lets the bar reach 91
    EXPECT_EQ(window.GetScrollPos(SB_VERT), 91);
    VScroll(SB_PAGEDOWN); // never moves the view back up
    EXPECT_EQ(layout.GetTopRow(), 91);

    layout.SetTopRow(90);
    VScroll(SB_PAGEUP); // the old top row becomes the last row
    EXPECT_EQ(layout.GetTopRow(), 81);
    VScroll(SB_TOP);
    EXPECT_EQ(layout.GetTopRow(), 0);
    VScroll(SB_LINEUP);
    VScroll(SB_PAGEUP);
    EXPECT_EQ(layout.GetTopRow(), 0);

    VScroll(SB_THUMBTRACK, 50);
    EXPECT_EQ(layout.GetTopRow(), 50);
    layout.UpdateLayout();
    SCROLLINFO info;
    ASSERT_TRUE(window.GetScrollInfo(SB_VERT, &info));
    EXPECT_EQ(std::make_tuple(info.nMax, info.nPage, info.nPos), std::make_tuple(99, 10u, 50));
    VScroll(SB_THUMBPOSITION, 100); // outside the sequence
    EXPECT_EQ(layout.GetTopRow(), 50);
    // Every command hides the tooltips, also one that moved nothing.
    EXPECT_EQ(host.transientHides, 11);
}

TEST_F(GridLayoutTest, PagesMoveAtLeastOneRowWhenRowsAreTallerThanTheArea)
{
    MakeRows(5, 200);
    for (int i = 0; i < 5; ++i)
        layout.SetRowHeight(rows.GetRowAt(i, ROW_NORMAL), 150);
    VScroll(SB_PAGEDOWN);
    EXPECT_EQ(layout.GetTopRow(), 1);
    VScroll(SB_PAGEUP);
    EXPECT_EQ(layout.GetTopRow(), 0);
    layout.OnPaint();
    layout.EnsureVisible(3);
    EXPECT_EQ(layout.GetTopRow(), 3);
}

TEST_F(GridLayoutTest, SetTopRowRefusesPositionsOutsideTheSequence)
{
    EXPECT_FALSE(layout.SetTopRow(0)); // no window yet
    MakeRows(10);
    EXPECT_FALSE(layout.SetTopRow(10));
    EXPECT_FALSE(layout.SetTopRow(-1));
    EXPECT_TRUE(layout.ScrollToRow(rows.GetRowAt(9, ROW_NORMAL)));
    EXPECT_EQ(layout.GetTopRow(), 9);
    EXPECT_FALSE(layout.ScrollToRow(GRID_ROOT));

    // Removing rows below the top clamps it through the rows' owner.
    rows.RemoveAt(9, ROW_NORMAL);
    EXPECT_EQ(layout.GetTopRow(), 8);
    rows.RemoveAll(ROW_ALL_TYPES);
    EXPECT_EQ(layout.GetTopRow(), -1);
    Add();
    EXPECT_EQ(layout.GetTopRow(), 0);
}

TEST_F(GridLayoutTest, WheelSendsLineOrPageCommands)
{
    MakeRows(100);
    layout.SetTopRow(40);
    Harness::Wheel(window, CPoint(10, 10), 120);
    EXPECT_EQ(layout.GetTopRow(), 37);
    Harness::Wheel(window, CPoint(10, 10), -240);
    EXPECT_EQ(layout.GetTopRow(), 43);

    options.wheelScrollLines = -1;
    Harness::Wheel(window, CPoint(10, 10), 120);
    EXPECT_EQ(layout.GetTopRow(), 34); // one page up
    Harness::Wheel(window, CPoint(10, 10), -120);
    EXPECT_EQ(layout.GetTopRow(), 43);

    host.editing = true;
    EXPECT_FALSE(layout.OnMouseWheel(0, -120, CPoint()));
    EXPECT_EQ(layout.GetTopRow(), 43);
}

TEST_F(GridLayoutTest, ScrollingMovesPixelsAndRepaintsOnlyTheUncoveredBand)
{
    MakeRows(100, 210); // the row at the bottom is cut in half
    ShowAndSettle();
    const CRect area = layout.GetNormalArea();

    VScroll(SB_LINEDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
    // The uncovered band, and the cut row, which now shows whole.
    EXPECT_EQ(window.painted.front().top, 180);
    EXPECT_EQ(host.viewScrolls, 1);

    window.painted.clear();
    host.pixelScrolling = false; // e.g. a background image is set
    VScroll(SB_LINEDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
    EXPECT_EQ(window.painted.front().top, area.top);
    EXPECT_EQ(window.painted.front().bottom, area.bottom);
}

TEST_F(GridLayoutTest, LayoutRepaintsFromTheSmallestChangedPosition)
{
    MakeRows(5);
    ShowAndSettle();
    rows.RemoveAt(3, ROW_NORMAL);
    Add();
    layout.UpdateLayout();
    ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
    EXPECT_EQ(window.painted.front().top, 3 * kRowHeight);

    // Nothing changed since: another layout repaints nothing.
    window.painted.clear();
    layout.UpdateLayout();
    Harness::PumpFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(window.painted.empty());
}

TEST_F(GridLayoutTest, EnsureVisibleWaitsForTheTimerUntilAPaintSetsImmediate)
{
    MakeRows(100);
    layout.SetTopRow(30);
    ASSERT_FALSE(layout.IsImmediate());
    layout.EnsureVisible(60);
    layout.EnsureVisible(rows.GetRowAt(10, ROW_NORMAL)); // the last request wins
    EXPECT_EQ(layout.GetTopRow(), 30);
    ASSERT_TRUE(PumpUntil([&] { return layout.GetTopRow() != 30; }));
    EXPECT_EQ(layout.GetTopRow(), 10);

    layout.OnPaint();
    layout.EnsureVisible(15); // already in view: nothing moves, the flag stays
    EXPECT_EQ(layout.GetTopRow(), 10);
    EXPECT_TRUE(layout.IsImmediate());
    layout.EnsureVisible(70); // becomes the last whole row at once
    EXPECT_EQ(layout.GetTopRow(), 61);
    EXPECT_FALSE(layout.IsImmediate());
    layout.EnsureVisible(80);
    EXPECT_EQ(layout.GetTopRow(), 61);
    ASSERT_TRUE(PumpUntil([&] { return layout.GetTopRow() != 61; }));
    EXPECT_EQ(layout.GetTopRow(), 71);
}

TEST_F(GridLayoutTest, TallerWindowMovesTheTopRowUpToFillTheLastPage)
{
    MakeRows(100);
    layout.SetTopRow(95);
    Harness::ShowAndActivate(window);
    window.MoveWindow(0, 0, kWidth, 400);
    ASSERT_TRUE(PumpUntil([&] { return layout.GetNormalArea().Height() == 400; }));
    EXPECT_EQ(layout.GetTopRow(), 80);
    EXPECT_EQ(layout.GetPageRowCount(), 20);
}

TEST_F(GridLayoutTest, AreasStackHeaderFixedRowsSeparatorAndNormalRows)
{
    MakeHeader({100, 100}, 0);
    CreateWindow(200);
    layout.ApplyMeasuredRowHeight(ROW_FIXED, kRowHeight);
    layout.ApplyMeasuredRowHeight(ROW_NORMAL, kRowHeight);
    CGridItem* fixed0 = Add(GRID_FIXED_ROOT);
    CGridItem* fixed1 = Add(GRID_FIXED_ROOT);
    for (int i = 0; i < 20; ++i)
        Add();
    layout.UpdateLayout();
    const int right = window.GetClientRect().right;

    EXPECT_EQ(layout.GetHeaderArea(), CRect(0, 0, right, 20));
    EXPECT_EQ(layout.GetRowsArea(ROW_FIXED), CRect(0, 20, right, 60));
    EXPECT_EQ(layout.GetSeparatorArea(), CRect(0, 60, right, 62));
    EXPECT_EQ(layout.GetRowsArea(ROW_NORMAL).top, 62);
    EXPECT_EQ(layout.GetRowsArea(ROW_DETACHED), CRect());

    EXPECT_EQ(layout.HitTestRow(5, 59), fixed1);
    EXPECT_EQ(layout.HitTestRow(5, 60), nullptr); // separator band
    EXPECT_EQ(layout.HitTestRow(5, 62), rows.GetRowAt(0, ROW_NORMAL));
    EXPECT_EQ(layout.HitTestRow(5, 10), nullptr); // header
    EXPECT_EQ(layout.GetRowRect(fixed0), CRect(0, 20, right, 40));

    options.showHeader = false;
    options.showSeparator = false;
    EXPECT_EQ(layout.GetRowsArea(ROW_FIXED), CRect(0, 0, right, 40));
    EXPECT_EQ(layout.GetRowsArea(ROW_NORMAL).top, 40);
    rows.RemoveAll(ROW_FIXED);
    options.showSeparator = true;
    EXPECT_TRUE(layout.GetSeparatorArea().IsRectEmpty()); // no fixed rows, no band
    EXPECT_EQ(layout.GetRowsArea(ROW_NORMAL).top, 0);
}

TEST_F(GridLayoutTest, RowRectsFollowRowHeightsAndCoverOnlyRowsOnScreen)
{
    CreateWindow(210);
    CGridItem* row = Add();
    EXPECT_EQ(row->GetHeight(), 14);
    // A measured height becomes the container's default and every row's height.
    EXPECT_TRUE(layout.ApplyMeasuredRowHeight(ROW_NORMAL, kRowHeight));
    EXPECT_FALSE(layout.ApplyMeasuredRowHeight(ROW_NORMAL, 0));
    EXPECT_EQ(row->GetHeight(), kRowHeight);
    for (int i = 1; i < 20; ++i)
        EXPECT_EQ(Add()->GetHeight(), kRowHeight);
    EXPECT_EQ(rows.GetContainer(ROW_FIXED).GetDefaultRowHeight(), 14);

    layout.SetTopRow(5);
    EXPECT_EQ(layout.GetLastVisibleIndex(ROW_NORMAL), 15); // cut by the area's bottom
    EXPECT_EQ(layout.GetPageRowCount(), 10);
    const int right = window.GetClientRect().right;
    EXPECT_EQ(layout.GetRowRectAt(5, ROW_NORMAL), CRect(0, 0, right, 20));
    EXPECT_EQ(layout.GetRowRectAt(15, ROW_NORMAL), CRect(0, 200, right, 210));
    EXPECT_EQ(layout.GetFullRowRectAt(15, ROW_NORMAL), CRect(0, 200, right, 220));
    EXPECT_TRUE(layout.GetRowRectAt(4, ROW_NORMAL).IsRectEmpty());
    EXPECT_TRUE(layout.GetRowRectAt(16, ROW_NORMAL).IsRectEmpty());
    EXPECT_TRUE(layout.GetRowRect(GRID_LAST).IsRectEmpty());
    EXPECT_EQ(layout.GetPositionsRect(ROW_NORMAL, 3, 6), CRect(0, 0, right, 40));

    layout.SetRowHeight(rows.GetRowAt(5, ROW_NORMAL), 40);
    layout.SetRowHeight(rows.GetRowAt(5, ROW_NORMAL), -5); // refused
    EXPECT_EQ(layout.GetRowRectAt(6, ROW_NORMAL).top, 40);
    EXPECT_EQ(layout.GetLastVisibleIndex(ROW_NORMAL), 14);
}

TEST_F(GridLayoutTest, HorizontalCommandsAlignColumnsWithTheFixedBoundary)
{
    // Fixed column 0..50, then five columns of 100: header x 50..550, client 300 wide.
    MakeHeader({50, 100, 100, 100, 100, 100}, 1);
    MakeRows(3);
    ASSERT_EQ(window.GetClientRect().Width(), kWidth);
    EXPECT_EQ(window.GetScrollLimit(SB_HORZ), 250);

    HScroll(SB_LINERIGHT); // the column at the boundary ends at it
    EXPECT_EQ(layout.GetHorzPosition(), 100);
    HScroll(SB_LINERIGHT);
    EXPECT_EQ(layout.GetHorzPosition(), 200);
    HScroll(SB_LINELEFT); // its left edge is at the boundary: the previous column comes in
    EXPECT_EQ(layout.GetHorzPosition(), 100);
    HScroll(SB_THUMBTRACK, 130);
    HScroll(SB_LINELEFT); // the column cut by the boundary comes in whole
    EXPECT_EQ(layout.GetHorzPosition(), 100);

    HScroll(SB_LEFT);
    HScroll(SB_PAGERIGHT); // the column cut by the right edge starts at the boundary
    EXPECT_EQ(layout.GetHorzPosition(), 200);
    HScroll(SB_RIGHT);
    EXPECT_EQ(layout.GetHorzPosition(), 250);
    HScroll(SB_PAGELEFT); // the column at the boundary ends at the right edge
    EXPECT_EQ(layout.GetHorzPosition(), 50);

    // Cells: the fixed column stays, the others move; the header takes the first 20 pixels.
    CGridItem* row = rows.GetRowAt(0, ROW_NORMAL);
    EXPECT_EQ(layout.GetCellRect(row, 1), CRect(0, 20, 50, 40));
    EXPECT_EQ(layout.GetCellRect(row, 2), CRect(0, 20, 100, 40));
    EXPECT_EQ(layout.GetVisibleCellRect(row, 2), CRect(50, 20, 100, 40));
    EXPECT_EQ(layout.GetCellRect(row, 4).right, kWidth);
    EXPECT_TRUE(layout.GetCellRect(row, 99).IsRectEmpty());
    EXPECT_EQ(layout.HitTestColumn(60, 0)->GetFieldId(), 2);
    EXPECT_EQ(host.transientHides, 9);

    options.header = nullptr;
    HScroll(SB_LEFT); // without a header only the tooltips go
    EXPECT_EQ(host.transientHides, 10);
    EXPECT_EQ(layout.GetHorzPosition(), 50);
}

TEST_F(GridLayoutTest, ColumnBordersAreFoundFromEitherSide)
{
    MakeHeader({100, 80, 120}, 0);
    MakeRows(3);
    auto border = [&](int x) {
        const CColumn* column = layout.HitTestColumnBorder(CPoint(x, 5));
        return column ? column->GetFieldId() : -1;
    };
    EXPECT_EQ(border(97), 1);  // inside the first column, near its right edge
    EXPECT_EQ(border(102), 1); // just inside the second column: still the first's border
    EXPECT_EQ(border(104), -1);
    EXPECT_EQ(border(50), -1);
    EXPECT_EQ(border(1), -1); // the first column has no border on its left
    EXPECT_EQ(border(177), 2);
}

TEST_F(GridLayoutTest, ExpandButtonToggleKeepsTheFocusOnItsRow)
{
    MakeHeader({100, 100}, 0);
    CreateWindow(200);
    layout.ApplyMeasuredRowHeight(ROW_NORMAL, kRowHeight);
    CGridItem* first = Add();
    Add(first);
    Add(first);
    CGridItem* second = Add();
    CGridItem* grandchild = Add(Add(second));
    CGridItem* last = Add();
    layout.UpdateLayout();
    const int headerBottom = 20;
    owner.focus = RowPosition{2, ROW_NORMAL}; // `last`

    // Level 0: the square from x 0 to 20 across the row.
    EXPECT_EQ(layout.GetExpandButtonRect(first), CRect(0, headerBottom, 20, headerBottom + 20));
    EXPECT_FALSE(layout.OnExpandButtonPress(CPoint(25, headerBottom + 5)));
    EXPECT_TRUE(layout.GetExpandButtonRect(last).IsRectEmpty()); // no children
    EXPECT_TRUE(layout.OnExpandButtonPress(CPoint(5, headerBottom + 5)));
    EXPECT_TRUE(rows.IsExpanded(first));
    EXPECT_EQ(owner.focus, (RowPosition{4, ROW_NORMAL}));
    EXPECT_EQ(rows.GetRowAt(4, ROW_NORMAL), last);

    // The child of `second` sits one level in: its button is the next square.
    layout.OnExpandButtonPress(CPoint(5, headerBottom + 3 * 20 + 5));
    CGridItem* child = rows.GetParent(grandchild);
    EXPECT_EQ(layout.GetExpandButtonRect(child).left, 20);
    EXPECT_EQ(layout.HitTestExpandButton(CPoint(25, headerBottom + 4 * 20 + 5)), child);

    // A focus on a row that goes out of view is cleared.
    owner.focus = RowPosition{1, ROW_NORMAL};
    EXPECT_TRUE(layout.OnExpandButtonPress(CPoint(5, headerBottom + 5)));
    EXPECT_FALSE(rows.IsExpanded(first));
    EXPECT_TRUE(owner.focus.IsNone());

    // Every row gets a button when asked; none react without the tree option.
    options.buttonsOnAllRows = true;
    EXPECT_FALSE(layout.GetExpandButtonRect(last).IsRectEmpty());
    options.paintOptions &= ~0x2000u;
    EXPECT_FALSE(layout.OnExpandButtonPress(CPoint(5, headerBottom + 5)));
}

} // namespace
} // namespace Ombrel::GUI::Testing
