// Grid operations called from worker threads: carried to the window thread and answered as
// there; neutral answers without waiting once the window is gone.

#include "GridTestSupport.h"
#include "gui/rows/RowsTestSupport.h"

#include "ombrel/base/Archive.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>
#include <stdexcept>

namespace Ombrel::GUI {
namespace {

using Testing::CTestObject;
using Testing::GridWindow;
using ::testing::ElementsAre;

// Runs `work` on a new thread while this (the window) thread keeps handling messages.
template <class Work>
auto OnWorker(Work work)
{
    auto result = std::async(std::launch::async, std::move(work));
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] {
        return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }));
    return result.get();
}

// One line per query, so that answers from two threads compare as text.
std::string Survey(CGrid& grid, const std::vector<CGridItem*>& rows)
{
    std::ostringstream out;
    out << "counts " << grid.GetRowCount(ROW_FIXED) << ' ' << grid.GetRowCount(ROW_NORMAL) << '\n';
    for (CGridItem* row : rows) {
        const CRect rect = grid.GetRowRect(row);
        out << grid.IsValid(row) << grid.IsVisible(row) << grid.IsExpanded(row)
            << grid.HasChildren(row) << grid.IsSelected(row) << ' ' << grid.GetRowType(row) << ' '
            << grid.GetLevel(row) << ' ' << grid.GetVisibleIndex(row) << ' '
            << grid.GetParent(row) << ' ' << grid.GetDataObject(row) << ' ' << rect.left << ','
            << rect.top << ',' << rect.right << ',' << rect.bottom << ' '
            << grid.GetNextRow(row, true) << '\n';
    }
    for (int i = 0; i < 4; ++i)
        out << grid.GetRowAt(i, ROW_NORMAL) << ' ' << grid.IsSelectedAt(i, ROW_NORMAL) << '\n';
    std::vector<CGridItem*> selected;
    grid.GetSelectedRows(ROW_ALL_TYPES, selected);
    out << "selected " << grid.GetSelectedCount() << ' ' << selected.size() << '\n';
    out << "focus " << grid.GetFocusIndex() << ' ' << grid.GetFocusType() << '\n';
    out << "top " << grid.GetTopRow() << " page " << grid.GetPageRowCount() << '\n';
    const CRect area = grid.GetRowsArea(ROW_NORMAL);
    out << "area " << area.top << ' ' << area.bottom << '\n';
    out << "hit " << grid.HitTestRow(5, area.top + 1) << '\n';
    out << "options " << grid.GetPaintOptions() << ' ' << grid.GetDoubleBuffer() << ' '
        << grid.IsSeparatorShown() << ' ' << grid.GetSeparatorThickness() << ' '
        << grid.IsSelectionEnabled() << grid.IsMultipleSelectionEnabled() << ' '
        << grid.GetSortedTypes() << ' ' << grid.GetCustomDraw() << ' '
        << grid.GetAppearance() << '\n';
    return out.str();
}

TEST(GridThreadTest, AWorkerGetsTheAnswersOfTheWindowThread)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject fixed("fixed"), a("a"), b("b"), c("c");
    std::vector<CGridItem*> rows;
    rows.push_back(grid.Add(&fixed, GRID_FIXED_ROOT));
    rows.push_back(grid.Add(&a));
    // Rows added from the worker are valid handles on the window thread.
    rows.push_back(OnWorker([&] { return grid.Add(&b, rows[1]); }));
    rows.push_back(OnWorker([&] { return grid.Add(&c); }));
    ASSERT_NE(rows[2], nullptr);
    EXPECT_TRUE(grid.IsValid(rows[2]));
    OnWorker([&] { grid.Expand(rows[1]); });
    EXPECT_TRUE(grid.IsExpanded(rows[1]));
    EXPECT_TRUE(OnWorker([&] { return grid.SelectAt(1, ROW_NORMAL); }));
    EXPECT_TRUE(OnWorker([&] { return grid.SetFocus(2, ROW_NORMAL); }));
    grid.UpdateLayout();

    const std::string here = Survey(grid, rows);
    const std::string there = OnWorker([&] { return Survey(grid, rows); });
    EXPECT_EQ(here, there);
    EXPECT_EQ(grid.GetFocusIndex(), 2);
    EXPECT_TRUE(grid.IsSelected(rows[2]));

    // Output arrays filled on the window thread arrive complete.
    std::vector<CGridItem*> all = OnWorker([&] {
        std::vector<CGridItem*> out;
        grid.GetAllRows(ROW_ALL_TYPES, out);
        return out;
    });
    EXPECT_THAT(all, ElementsAre(rows[0], rows[1], rows[2], rows[3]));
    EXPECT_TRUE(OnWorker([&] { return grid.Remove(rows[3]); }));
    EXPECT_FALSE(grid.IsValid(rows[3]));
}

TEST(GridThreadTest, CallsToAGoneWindowReturnNeutralResultsWithoutWaiting)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject a("a");
    CGridItem* row = grid.Add(&a);
    grid.SetFocus(0, ROW_NORMAL);
    grid.DestroyWindow();

    // The window thread does not handle messages while the worker runs: a call that waited
    // for it would never return.
    auto answers = std::async(std::launch::async, [&] {
        std::ostringstream out;
        CTestObject b("b");
        out << grid.Add(&b) << ' ' << grid.GetRowCount(ROW_NORMAL) << ' '
            << grid.GetVisibleIndex(row) << ' ' << grid.GetFocusIndex() << ' '
            << grid.GetTopRow() << ' ' << grid.GetLevel(row) << ' ' << grid.IsValid(row) << ' '
            << grid.GetHeader() << ' ' << grid.GetElapsedSinceChange(0, ROW_NORMAL, 1) << ' '
            << grid.GetRowRect(row).IsRectEmpty() << ' ' << grid.GetFont() << ' '
            << grid.PostAdd(&b);
        grid.UpdateLayout();
        return out.str();
    });
    ASSERT_EQ(answers.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(answers.get(), "0 0 -1 -1 -1 -1 0 0 -1 1 0 0");
}

TEST(GridThreadTest, WhatTheWindowThreadThrowsReachesTheWorker)
{
    GridWindow window;
    CGrid& grid = window.grid;
    CTestObject a("a");
    a.Put(3, Common::CValue(std::int32_t{5}));
    CGridItem* row = grid.Add(&a);
    a.MakeFieldThrow(3);

    const bool threw = OnWorker([&] {
        try {
            grid.GetFieldValue(row, 3);
        } catch (const std::exception&) {
            return true;
        }
        return false;
    });
    EXPECT_TRUE(threw);
    // The window thread is unharmed and answers the next call.
    EXPECT_EQ(OnWorker([&] { return grid.GetRowCount(ROW_NORMAL); }), 1);
}

TEST(GridThreadTest, HeaderChangedOnAWorkerIsAnsweredOnTheWindowThread)
{
    GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    grid.SetHeader(header);
    OnWorker([&] { return header->AddColumn(new CColumn(9, "Nine", 50)); });
    ASSERT_EQ(window.owner.Codes().size(), 1u);
    EXPECT_EQ(window.owner.entries[0].Code(), static_cast<UINT>(GN_COLUMNADDED));
    EXPECT_EQ(window.owner.entries[0].column.column, header->GetColumnById(9));
    EXPECT_EQ(grid.GetHierarchyColumn(), 9);
}

TEST(GridThreadTest, PostedAdditionsArriveInTheOrderTheyWerePosted)
{
    GridWindow window;
    CGrid& grid = window.grid;
    std::vector<std::unique_ptr<CTestObject>> objects;
    for (int i = 0; i < 20; ++i)
        objects.push_back(std::make_unique<CTestObject>(std::to_string(i)));
    OnWorker([&] {
        for (auto& object : objects)
            EXPECT_TRUE(grid.PostAdd(object.get()));
        return 0;
    });
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetRowCount(ROW_NORMAL) == 20; }));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(grid.GetDataObject(grid.GetRowAt(i, ROW_NORMAL)), objects[i].get());
}

TEST(GridThreadTest, AddManyFromAWorkerLoadsASortedBurstAndAnnouncesEveryRow)
{
    GridWindow window;
    CGrid& grid = window.grid;
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(1, "Value", 80));
    grid.SetHeader(header);
    grid.SetSortInfo(0, CSortInfo(1, false), true);
    CTestObject present("present");
    present.Put(1, Common::CValue(std::int32_t{50}));
    grid.Add(&present);

    // Values in reverse order, one of them equal to the present row's: it goes after it.
    std::vector<std::unique_ptr<CTestObject>> objects;
    std::vector<Common::CDataObject*> burst;
    for (int i = 0; i < 100; ++i) {
        objects.push_back(std::make_unique<CTestObject>(std::to_string(i)));
        objects.back()->Put(1, Common::CValue(std::int32_t{99 - i}));
        burst.push_back(objects.back().get());
    }
    window.owner.entries.clear();
    const std::vector<CGridItem*> added = OnWorker([&] { return grid.AddMany(burst); });

    ASSERT_EQ(added.size(), burst.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        ASSERT_TRUE(grid.IsValid(added[i]));
        EXPECT_EQ(grid.GetDataObject(added[i]), burst[i]);
    }
    ASSERT_EQ(grid.GetRowCount(ROW_NORMAL), 101);
    for (int position = 0; position < 101; ++position) {
        const int expected = position <= 50 ? position : position - 1;
        EXPECT_EQ(grid.GetFieldValue(grid.GetRowAt(position, ROW_NORMAL), 1),
                  Common::CValue(std::int32_t{expected}))
            << "position " << position;
    }
    EXPECT_EQ(grid.GetRowAt(50, ROW_NORMAL), grid.FindRow(&present));
    EXPECT_EQ(window.owner.Of(GN_ROWADDED).size(), burst.size());
    // Changes reach rows made in bulk as they reach any other row.
    objects[0]->Set(1, Common::CValue(std::int32_t{-1}));
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetRowAt(0, ROW_NORMAL) == added[0]; }));

    // A parent that is no row of this grid refuses the whole burst.
    EXPECT_TRUE(OnWorker([&] { return grid.AddMany(burst, GRID_FIRST); }).empty());
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 101);
}

TEST(GridThreadTest, StoredStateFromAWorkerMatchesTheWindowThread)
{
    GridWindow window;
    CGrid& grid = window.grid;
    grid.SetPaintOptions(0x1234);
    CArchive here(CArchive::store);
    grid.Serialize(here);
    const std::vector<std::uint8_t> there = OnWorker([&] {
        CArchive archive(CArchive::store);
        grid.Serialize(archive);
        return archive.GetBuffer();
    });
    EXPECT_EQ(here.GetBuffer(), there);
}

TEST(GridThreadTest, ManyWorkersAddAndRemoveConcurrently)
{
    GridWindow window;
    CGrid& grid = window.grid;
    constexpr int kWorkers = 4;
    constexpr int kRowsEach = 50;
    std::vector<std::unique_ptr<CTestObject>> objects;
    for (int i = 0; i < kWorkers * kRowsEach; ++i)
        objects.push_back(std::make_unique<CTestObject>(std::to_string(i)));
    std::vector<std::future<int>> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.push_back(std::async(std::launch::async, [&, w] {
            int kept = 0;
            for (int i = 0; i < kRowsEach; ++i) {
                CGridItem* row = grid.Add(objects[w * kRowsEach + i].get());
                if (i % 2 == 0)
                    grid.Remove(row);
                else
                    kept += grid.IsValid(row) ? 1 : 0;
            }
            return kept;
        }));
    }
    int kept = 0;
    for (auto& worker : workers) {
        ASSERT_TRUE(Ombrel::Test::PumpUntil([&] {
            return worker.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        }));
        kept += worker.get();
    }
    EXPECT_EQ(kept, kWorkers * kRowsEach / 2);
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), kept);
}

TEST(GridThreadTest, AWorkerReadsTheFontThroughTheWindow)
{
    GridWindow window;
    CGrid& grid = window.grid;
    EXPECT_EQ(OnWorker([&] { return grid.GetFont(); }), nullptr);
    LOGFONT description;
    description.lfHeight = -20;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(description));
    grid.SetFont(&font);
    EXPECT_EQ(OnWorker([&] { return grid.GetFont(); }), &font);
    grid.SetFont(nullptr);
}

} // namespace
} // namespace Ombrel::GUI
