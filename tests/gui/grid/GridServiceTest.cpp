// Services plugged into a grid window: they see input before the grid and may take it, hear
// the window's lifecycle and stored state, and answer the layout's host calls.

#include "GridTestSupport.h"
#include "gui/rows/RowsTestSupport.h"

#include "ombrel/base/Archive.h"
#include "ombrel/gui/grid/GridService.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Testing::CTestObject;
using ::testing::Contains;
using ::testing::ElementsAre;

constexpr std::int32_t kNameField = 1;

// Records what the grid tells it; takes the messages it is told to take.
class CRecordingService final : public IGridService
{
public:
    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        messages.push_back(message);
        if (message == WM_TIMER)
            timers.push_back(wParam);
        if (message != takenMessage)
            return false;
        result = 0;
        return true;
    }

    void OnWindowCreated() override { calls.push_back("created"); }
    void OnWindowDestroying() override
    {
        calls.push_back("destroying");
        rowsWhenDestroying = grid ? grid->GetRowCount(ROW_NORMAL) : -1;
    }
    void OnStateStored(CArchive&) override { calls.push_back("stored"); }
    void OnStateRestored(CArchive&) override { calls.push_back("restored"); }
    void OnViewScrolled() override { calls.push_back("scrolled"); }
    void HideTransients() override { ++transientHides; }
    bool IsEditing() const override { return editing; }
    void OnCellChanged(CGridItem* row, std::int32_t fieldId) override
    {
        changes.emplace_back(row, fieldId);
    }

    CGrid* grid = nullptr;
    UINT takenMessage = 0;
    bool editing = false;
    std::vector<UINT> messages;
    std::vector<WPARAM> timers;
    std::vector<std::string> calls;
    std::vector<std::pair<CGridItem*, std::int32_t>> changes;
    int rowsWhenDestroying = -1;
    int transientHides = 0;
};

// A grid with one column and ten rows, and a recording service registered before the window
// exists.
class GridServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        service.grid = &grid;
        Impl().AddService(&service);
        ASSERT_TRUE(grid.Create(WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 120), nullptr, 1));
        auto* header = new CHeader(true);
        header->AddColumn(new CColumn(kNameField, "Name", 150));
        grid.SetHeader(header);
        for (int i = 0; i < 10; ++i) {
            objects.push_back(std::make_unique<CTestObject>("row " + std::to_string(i)));
            grid.Add(objects.back().get());
        }
        grid.UpdateLayout();
    }

    void TearDown() override
    {
        if (IsWindow(&grid))
            grid.DestroyWindow();
    }

    CGridImpl& Impl() { return *CGrid::FindImpl(&grid); }

    CPoint CenterOfRow(int position)
    {
        const CRect rect = grid.GetRowRect(grid.GetRowAt(position, ROW_NORMAL));
        return rect.CenterPoint();
    }

    CGrid grid;
    CRecordingService service;
    std::vector<std::unique_ptr<CTestObject>> objects;
};

TEST_F(GridServiceTest, ServiceSeesTheClickBeforeTheGridAndMayTakeIt)
{
    Ombrel::Test::ShowAndActivate(grid);
    Ombrel::Test::Click(grid, CenterOfRow(2));
    EXPECT_THAT(service.messages, Contains(WM_LBUTTONDOWN));
    EXPECT_TRUE(grid.IsSelectedAt(2, ROW_NORMAL));

    service.takenMessage = WM_LBUTTONDOWN;
    Ombrel::Test::Click(grid, CenterOfRow(4));
    EXPECT_FALSE(grid.IsSelectedAt(4, ROW_NORMAL)) << "a taken press must not reach the grid";
    EXPECT_TRUE(grid.IsSelectedAt(2, ROW_NORMAL));

    service.takenMessage = 0;
    Impl().RemoveService(&service);
    service.messages.clear();
    Ombrel::Test::Click(grid, CenterOfRow(4));
    EXPECT_TRUE(service.messages.empty()) << "a removed service hears nothing";
    EXPECT_TRUE(grid.IsSelectedAt(4, ROW_NORMAL));
}

TEST_F(GridServiceTest, ServicesAreAskedInRegistrationOrderAndTheFirstTakerWins)
{
    CRecordingService second;
    second.takenMessage = WM_KEYDOWN;
    Impl().AddService(&second);
    Impl().AddService(&second); // registered once only
    Ombrel::Test::ShowAndActivate(grid);
    Ombrel::Test::Key(grid, Qt::Key_Down);
    EXPECT_THAT(service.messages, Contains(WM_KEYDOWN));
    EXPECT_EQ(std::count(second.messages.begin(), second.messages.end(), WM_KEYDOWN), 1);

    service.takenMessage = WM_KEYDOWN;
    second.messages.clear();
    Ombrel::Test::Key(grid, Qt::Key_Down);
    EXPECT_EQ(std::count(second.messages.begin(), second.messages.end(), WM_KEYDOWN), 0);
    Impl().RemoveService(&second);
}

TEST_F(GridServiceTest, ServiceTimersReachTheServiceAndGridTimersStayTheGrids)
{
    ASSERT_NE(grid.SetTimer(TimerId(GridTimer::Hover), 10), 0u);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] {
        return std::count(service.timers.begin(), service.timers.end(), TimerId(GridTimer::Hover)) > 0;
    }));
    grid.KillTimer(TimerId(GridTimer::Hover));
}

TEST_F(GridServiceTest, LifecycleCallsComeInOrderAroundTheWindow)
{
    EXPECT_THAT(service.calls, ElementsAre("created"));

    CArchive store(CArchive::store);
    grid.Serialize(store);
    CArchive load(store.GetBuffer(), CArchive::load);
    grid.Serialize(load);

    grid.DestroyWindow();
    EXPECT_THAT(service.calls, ElementsAre("created", "stored", "restored", "destroying"));
    EXPECT_EQ(service.rowsWhenDestroying, 0) << "rows are removed before services wind down";
}

TEST_F(GridServiceTest, HostCallsReachTheServices)
{
    Ombrel::Test::ShowAndActivate(grid);
    service.calls.clear();
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_THAT(service.calls, Contains("scrolled"));
    EXPECT_GT(service.transientHides, 0) << "a scroll command closes transient windows";

    // While a service edits, the wheel does not scroll.
    const int top = grid.GetTopRow();
    service.editing = true;
    Ombrel::Test::Wheel(grid, CenterOfRow(top), -120);
    Ombrel::Test::PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(grid.GetTopRow(), top);
    service.editing = false;
    Ombrel::Test::Wheel(grid, CenterOfRow(top), -120);
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetTopRow() != top; }));
}

TEST_F(GridServiceTest, ChangeFromAWorkerReachesTheServiceOnTheWindowThread)
{
    CGridItem* row = grid.GetRowAt(3, ROW_NORMAL);
    std::thread worker([&] { objects[3]->Set(kNameField, Common::CValue(std::int32_t{5})); });
    worker.join();
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return !service.changes.empty(); }));
    EXPECT_EQ(service.changes.front(), std::make_pair(row, kNameField));
}

} // namespace
} // namespace Ombrel::GUI
