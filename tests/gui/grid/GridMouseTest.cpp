// The grid's mouse gestures driven by real mouse input on the offscreen platform: column
// resizing, header clicks and column drags, double clicks, the rubber band with autoscroll,
// and every way a gesture can end.

#include "GridTestSupport.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridMouse.h"
#include "ombrel/gui/grid/detail/GridTracking.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Ombrel::Test::MouseMove;
using Ombrel::Test::MousePress;
using Ombrel::Test::MouseRelease;

enum MouseField : std::int32_t
{
    kName = 1,
    kValue = 2,
    kNote = 3,
};

class CMouseRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CMouseRecord(std::string name, std::int32_t value, std::string note)
        : m_name(name.c_str()), m_value(value), m_note(note.c_str())
    {
    }
    ~CMouseRecord() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    std::int32_t GetNumber() const { return m_value; }
    CString GetNote() const { return m_note; }

private:
    CString m_name;
    std::int32_t m_value = 0;
    CString m_note;
};

OMBREL_BEGIN_FIELD_MAP(CMouseRecord)
    OMBREL_FIELD_READ_ONLY(kName, "Name", &CMouseRecord::GetName)
    OMBREL_FIELD_READ_ONLY(kValue, "Value", &CMouseRecord::GetNumber)
    OMBREL_FIELD_READ_ONLY(kNote, "Note", &CMouseRecord::GetNote)
OMBREL_END_FIELD_MAP()

// Three 80-pixel columns over 40 rows in a 300 x 200 grid.
class GridMouseTest : public ::testing::Test
{
protected:
    static constexpr int kColumnWidth = 80;
    static constexpr int kRowCount = 40;

    void SetUp() override
    {
        ASSERT_TRUE(grid.Create(WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 1));
        header = new CHeader(true);
        header->AddColumn(new CColumn(kName, "Name", kColumnWidth));
        header->AddColumn(new CColumn(kValue, "Value", kColumnWidth));
        header->AddColumn(new CColumn(kNote, "Note", kColumnWidth));
        header->SetCanMoveScrollableColumns(true);
        grid.SetHeader(header);
        grid.EnableMultipleSelection(true);
        for (int i = 0; i < kRowCount; ++i) {
            const std::string note = i == 7 ? std::string(40, 'W') : "n";
            records.push_back(std::make_unique<CMouseRecord>("row " + std::to_string(i), i, note));
            grid.Add(records.back().get());
        }
        grid.UpdateLayout();
        Ombrel::Test::ShowAndActivate(grid);
    }

    void TearDown() override
    {
        if (IsWindow(&grid))
            grid.DestroyWindow();
    }

    CGridMouse& Mouse() { return CGrid::FindImpl(&grid)->GetMouse(); }
    const GridTracking& Tracking() { return CGrid::FindImpl(&grid)->GetTracking(); }

    int HeaderMiddle() const { return header->GetHeight() / 2; }
    // A point in the header cell of the column at visible index `index`, `dx` from its left.
    CPoint InCell(int index, int dx) const
    {
        return CPoint(index * kColumnWidth + dx, HeaderMiddle());
    }
    CPoint RowCenter(int position)
    {
        return grid.GetRowRect(grid.GetRowAt(position, ROW_NORMAL)).CenterPoint();
    }
    // Visible drag images the size of a header cell (the platform shows them as input-
    // transparent top-level windows).
    int DragImagesShown() const
    {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowFlags().testFlag(Qt::WindowTransparentForInput) &&
                window->size() == QSize(kColumnWidth, header->GetHeight()))
                ++count;
        }
        return count;
    }
    std::vector<std::int32_t> VisibleOrder() const
    {
        std::vector<std::int32_t> order;
        for (int i = 0; i < header->GetVisibleColumnCount(); ++i)
            order.push_back(header->GetVisibleColumn(i)->GetFieldId());
        return order;
    }

    CGrid grid;
    CHeader* header = nullptr;
    std::vector<std::unique_ptr<CMouseRecord>> records;
};

TEST_F(GridMouseTest, BorderDraggedPastTheLeftEdgeLeavesTwoPixels)
{
    const CPoint border(kColumnWidth - 1, HeaderMiddle());
    MousePress(grid, border);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Resizing);
    MouseMove(grid, CPoint(kColumnWidth + 30, HeaderMiddle()), Qt::LeftButton);
    EXPECT_EQ(header->GetColumnById(kName)->GetWidth(), kColumnWidth + 30);
    MouseMove(grid, CPoint(-50, HeaderMiddle()), Qt::LeftButton);
    MouseRelease(grid, CPoint(-50, HeaderMiddle()));
    EXPECT_EQ(header->GetColumnById(kName)->GetWidth(), CGridMouse::kMinimumColumnWidth);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Idle);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GridMouseTest, FourPixelsAreStillAClickAndFiveStartAColumnDrag)
{
    // Moved 4 pixels: a click, which sorts by the column.
    MousePress(grid, InCell(1, 20));
    MouseMove(grid, InCell(1, 24), Qt::LeftButton);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Pressed);
    MouseRelease(grid, InCell(1, 24));
    ASSERT_EQ(header->GetSortCount(), 1);
    EXPECT_EQ(header->GetSort(0).GetFieldId(), kValue);

    // Moved 5 pixels: a drag, which sorts nothing and moves the column where it is dropped.
    MousePress(grid, InCell(0, 20));
    MouseMove(grid, InCell(0, 25), Qt::LeftButton);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::DraggingColumn);
    MouseMove(grid, InCell(2, 60), Qt::LeftButton);
    EXPECT_EQ(Tracking().dropIndex, 3) << "the right half of the last column drops after it";
    MouseRelease(grid, InCell(2, 60));
    EXPECT_EQ(VisibleOrder(), (std::vector<std::int32_t>{kValue, kNote, kName}));
    EXPECT_EQ(header->GetSort(0).GetFieldId(), kValue);
    EXPECT_FALSE(header->GetSort(0).IsDescending()) << "the drag must not count as a click";
    EXPECT_EQ(Tracking().dropIndex, -1);
}

TEST_F(GridMouseTest, ColumnsMoveOnlyWhereTheHeaderAllowsIt)
{
    header->SetCanMoveScrollableColumns(false);
    MousePress(grid, InCell(0, 20));
    MouseMove(grid, InCell(1, 60), Qt::LeftButton);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Idle);
    MouseRelease(grid, InCell(1, 60));
    EXPECT_EQ(VisibleOrder(), (std::vector<std::int32_t>{kName, kValue, kNote}));
    EXPECT_EQ(header->GetSortCount(), 0);
}

TEST_F(GridMouseTest, HeaderClicksFollowTheSortRules)
{
    auto click = [&](int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Ombrel::Test::Click(grid, InCell(index, 30), Qt::LeftButton, modifiers);
    };
    click(0);
    click(0);
    ASSERT_EQ(header->GetSortCount(), 1);
    EXPECT_TRUE(header->GetSort(0).IsDescending()) << "a second click toggles the only level";

    header->SetMultiSortEnabled(true);
    click(1, Qt::ControlModifier);
    ASSERT_EQ(header->GetSortCount(), 2);
    EXPECT_EQ(header->GetSort(1).GetFieldId(), kValue);
    EXPECT_TRUE(header->GetSort(1).IsDescending()) << "a new level takes the last one's direction";

    click(2);
    ASSERT_EQ(header->GetSortCount(), 1);
    EXPECT_EQ(header->GetSort(0).GetFieldId(), kNote);
    EXPECT_TRUE(header->GetSort(0).IsDescending()) << "a plain click keeps level 0's direction";

    // Shift clears every level, even from a column that is not sorted.
    click(1, Qt::ShiftModifier);
    EXPECT_EQ(header->GetSortCount(), 0);
}

TEST_F(GridMouseTest, DoubleClickOnABorderFitsTheWidestCell)
{
    const CPoint border(3 * kColumnWidth - 1, HeaderMiddle());
    const int optimal = grid.GetOptimalWidth(kNote);
    ASSERT_GT(optimal, kColumnWidth) << "row 7's note is wider than the column";
    Ombrel::Test::DoubleClick(grid, border);
    EXPECT_EQ(header->GetColumnById(kNote)->GetWidth(), optimal);
}

TEST_F(GridMouseTest, DoubleClickOnARowTogglesItsExpansion)
{
    CMouseRecord child("child", 0, "c");
    CGridItem* parent = grid.GetRowAt(0, ROW_NORMAL);
    grid.Add(&child, parent);
    ASSERT_FALSE(grid.IsExpanded(parent));
    const CPoint onText(kColumnWidth + 10, RowCenter(0).y); // away from the expand button
    Ombrel::Test::DoubleClick(grid, onText);
    EXPECT_TRUE(grid.IsExpanded(parent));
    Ombrel::Test::DoubleClick(grid, onText);
    EXPECT_FALSE(grid.IsExpanded(parent));
}

TEST_F(GridMouseTest, RubberBandBelowTheRowsScrollsAndExtendsTheSelection)
{
    // A press within the double-click time of an earlier test's clicks would be a double click.
    Ombrel::Test::PumpFor(std::chrono::milliseconds(GetDoubleClickTime() + 50));
    const CPoint start = RowCenter(1);
    MousePress(grid, start);
    ASSERT_TRUE(Mouse().IsRubberBandActive());
    MouseMove(grid, RowCenter(3), Qt::LeftButton);
    EXPECT_TRUE(grid.IsSelectedAt(1, ROW_NORMAL));
    EXPECT_TRUE(grid.IsSelectedAt(3, ROW_NORMAL));
    EXPECT_FALSE(grid.IsSelectedAt(4, ROW_NORMAL));
    EXPECT_FALSE(Tracking().rubberBand.IsRectEmpty());

    const int top = grid.GetTopRow();
    MouseMove(grid, CPoint(start.x, grid.GetClientRect().bottom + 20), Qt::LeftButton);
    EXPECT_TRUE(Mouse().IsAutoScrolling());
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetTopRow() >= top + 3; }));
    const int last = grid.GetLastVisibleIndex(ROW_NORMAL);
    EXPECT_TRUE(grid.IsSelectedAt(last, ROW_NORMAL)) << "the band follows the rows scrolled in";
    EXPECT_TRUE(grid.IsSelectedAt(1, ROW_NORMAL)) << "the band stays anchored to its first row";
    EXPECT_FALSE(grid.IsSelectedAt(0, ROW_NORMAL));

    MouseRelease(grid, CPoint(start.x, grid.GetClientRect().bottom + 20));
    EXPECT_FALSE(Mouse().IsRubberBandActive());
    EXPECT_FALSE(Mouse().IsAutoScrolling());
    EXPECT_TRUE(Tracking().rubberBand.IsRectEmpty());
}

TEST_F(GridMouseTest, EscapeLostFocusAndDestructionEndAColumnDragCleanly)
{
    MousePress(grid, InCell(0, 20));
    MouseMove(grid, InCell(1, 30), Qt::LeftButton);
    ASSERT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::DraggingColumn);
    ASSERT_EQ(GetCapture(), &grid);
    EXPECT_EQ(DragImagesShown(), 1) << "the dragged header cell follows the pointer";
    Ombrel::Test::Key(grid, Qt::Key_Escape);
    EXPECT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Idle);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(DragImagesShown(), 0);
    EXPECT_EQ(Tracking().trackedFieldId, -2);
    MouseRelease(grid, InCell(1, 30));
    EXPECT_EQ(VisibleOrder(), (std::vector<std::int32_t>{kName, kValue, kNote}));

    // Resizing, then the window goes away mid-gesture.
    MousePress(grid, CPoint(kColumnWidth - 1, HeaderMiddle()));
    ASSERT_EQ(Mouse().GetHeaderState(), CGridMouse::HeaderState::Resizing);
    grid.DestroyWindow();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GridMouseTest, ColumnDragShowsTheDropMarkerAndTheTrackedCell)
{
    grid.MoveWindow(0, 0, 300, 160);
    const int markerX = 2 * kColumnWidth; // before the third column
    const CPoint onMarker(markerX, HeaderMiddle());
    const QImage before = Ombrel::Test::Grab(grid);

    MousePress(grid, InCell(0, 30));
    MouseMove(grid, InCell(2, 10), Qt::LeftButton);
    ASSERT_EQ(Tracking().dropIndex, 2);
    ASSERT_EQ(Tracking().trackedFieldId, kName);
    const QImage during = Ombrel::Test::Grab(grid);
    EXPECT_NE(Ombrel::Test::PixelAt(during, onMarker), Ombrel::Test::PixelAt(before, onMarker))
        << "the drop marker stands on the border where the column would land";
    const CPoint rowPixel(markerX, RowCenter(0).y);
    EXPECT_EQ(Ombrel::Test::PixelAt(during, rowPixel), Ombrel::Test::PixelAt(before, rowPixel))
        << "the marker belongs to the header only";
    const std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(during.save(QString::fromStdString((folder / "column-drag.png").string()), "PNG"));

    MouseRelease(grid, InCell(2, 10));
    EXPECT_EQ(VisibleOrder(), (std::vector<std::int32_t>{kValue, kName, kNote}));
    EXPECT_EQ(DragImagesShown(), 0) << "a drop removes the drag image";
}

// Settings the mouse gestures read, changed from a worker while the window thread serves it.
using GridMouseThreadTest = GridMouseTest;

TEST_F(GridMouseThreadTest, SettingsFromAWorkerGovernTheNextClick)
{
    // Hidden: painting a shown window hands image work to Qt's own thread pool, whose threads
    // ThreadSanitizer cannot see into; the clicks below reach the hidden window all the same.
    grid.ShowWindow(SW_HIDE);
    std::atomic<bool> done{false};
    int optimal = 0;
    std::thread worker([&] {
        grid.SetSortEnabled(false);
        optimal = grid.GetOptimalWidth(kNote);
        grid.AutoSizeColumn(kNote);
        done = true;
    });
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_FALSE(grid.IsSortEnabled());
    EXPECT_EQ(header->GetColumnById(kNote)->GetWidth(), optimal);

    Ombrel::Test::Click(grid, InCell(0, 30));
    EXPECT_EQ(header->GetSortCount(), 0) << "sorting was switched off from the worker";
}

} // namespace
} // namespace Ombrel::GUI
