#include "SoakDriver.h"

#include "TestClass.h"

#include "ombrel/base/ProcessMemory.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/rows/RowFilter.h"


#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <iterator>
#include <random>
#include <thread>

namespace Ombrel::Demo {
namespace {

constexpr UINT_PTR kStepTimer = 1;
constexpr UINT_PTR kReportTimer = 2;

// Steps between the window thread's heavier actions (a step is kStepMs).
constexpr std::uint64_t kCopyEvery = 20;   // select a row and copy it
constexpr std::uint64_t kMoveEvery = 70;   // cut a row and paste it back
constexpr std::uint64_t kFilterEvery = 50; // switch the filter on or off
constexpr std::uint64_t kSortEvery = 100;  // change the sort levels

// How long the churn worker rests between two objects.
constexpr std::chrono::milliseconds kChurnPause{2};

// Hides the rows of one city, so that switching it on takes a fifth of the rows out of the
// visible sequence and switching it off brings them back.
class CCityFilter final : public GUI::IRowFilter
{
public:
    bool IsHidden(GUI::CGrid*, GUI::CGridItem*, Common::CDataObject* object) override
    {
        const auto* row = dynamic_cast<const CTestClass*>(object);
        return row != nullptr && row->GetSomeEnum() == CTestClass::kTokio;
    }
};

// The sort setups the driver cycles through; NoField as the second level leaves it out.
struct SortSetup
{
    GUI::CSortInfo first;
    GUI::CSortInfo second;
};

const SortSetup kSortSetups[] = {
    {GUI::CSortInfo(CTestClass::kLongField, false), GUI::CSortInfo(CTestClass::kInt64Field, true)},
    {GUI::CSortInfo(CTestClass::kDoubleField, true), GUI::CSortInfo(Common::NoField, false)},
    {GUI::CSortInfo(CTestClass::kCityField, false), GUI::CSortInfo(CTestClass::kLongField, true)},
    {GUI::CSortInfo(CTestClass::kNameField, false), GUI::CSortInfo(Common::NoField, false)},
};

} // namespace

struct CSoakDriver::Impl
{
    explicit Impl(GUI::CGrid& g) : grid(g) {}

    GUI::CGrid& grid;
    CCityFilter filter;
    std::mt19937 chance{20261209}; // window thread only; a fixed seed repeats a run's actions
    std::thread worker;
    std::atomic<bool> stopping = false;
    std::atomic<bool> workerDone = false;
    bool running = false;
    std::chrono::steady_clock::time_point started;

    // Counts: the window thread's own, and the worker's (atomic, read by the report).
    std::uint64_t steps = 0;
    std::uint64_t scrolls = 0;
    std::uint64_t copies = 0;
    std::uint64_t moves = 0;
    std::uint64_t filterSwitches = 0;
    std::uint64_t sorts = 0;
    std::atomic<std::uint64_t> created = 0;
    std::atomic<std::uint64_t> deleted = 0;
    std::atomic<std::uint64_t> changed = 0;
    std::uint64_t firstResident = 0;

    void Step();
    void Scroll();
    void CopyRandomRow();
    void MoveRandomRow();
    void SwitchFilter();
    void NextSort();
    void Report(const char* when);
    void Churn();
    int RandomRow();
};

int CSoakDriver::Impl::RandomRow()
{
    const int rows = grid.GetRowCount(GUI::ROW_NORMAL);
    return rows > 0 ? static_cast<int>(chance() % static_cast<unsigned>(rows)) : -1;
}

void CSoakDriver::Impl::Step()
{
    ++steps;
    Scroll();
    if (steps % kCopyEvery == 0)
        CopyRandomRow();
    if (steps % kMoveEvery == 0)
        MoveRandomRow();
    if (steps % kFilterEvery == 0)
        SwitchFilter();
    if (steps % kSortEvery == 0)
        NextSort();
}

void CSoakDriver::Impl::Scroll()
{
    const int row = RandomRow();
    if (row >= 0 && grid.SetTopRow(row))
        ++scrolls;
}

void CSoakDriver::Impl::CopyRandomRow()
{
    const int row = RandomRow();
    if (row < 0)
        return;
    grid.ClearSelection();
    grid.SelectAt(row, GUI::ROW_NORMAL, true);
    if (grid.Copy())
        ++copies;
}

// Cut puts a row on the clipboard; the paste that follows moves it to the focused row (in a
// sorted grid it settles at its sorted place again).
void CSoakDriver::Impl::MoveRandomRow()
{
    const int row = RandomRow();
    const int target = RandomRow();
    if (row < 0 || target < 0)
        return;
    grid.ClearSelection();
    grid.SelectAt(row, GUI::ROW_NORMAL, true);
    grid.SetFocus(target, GUI::ROW_NORMAL);
    if (grid.Cut() && grid.Paste())
        ++moves;
}

void CSoakDriver::Impl::SwitchFilter()
{
    grid.SetFilter(grid.GetFilter() == nullptr ? &filter : nullptr);
    grid.RefreshFilter();
    ++filterSwitches;
}

void CSoakDriver::Impl::NextSort()
{
    const SortSetup& setup = kSortSetups[sorts % std::size(kSortSetups)];
    grid.ClearSort();
    grid.SetSortInfo(0, setup.first, false);
    if (setup.second.GetFieldId() != Common::NoField)
        grid.SetSortInfo(1, setup.second, false);
    grid.Resort();
    ++sorts;
}

void CSoakDriver::Impl::Report(const char* when)
{
    const std::uint64_t resident = ResidentBytes();
    const auto minutes =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count() /
        60.0;
    std::printf("soak %s %.1f min: resident %llu MB; rows %d; scrolls %llu, copies %llu, moves %llu, "
                "filter switches %llu, sorts %llu; worker: created %llu, changed %llu, deleted %llu\n",
                when, minutes, static_cast<unsigned long long>(resident >> 20),
                grid.GetRowCount(GUI::ROW_NORMAL), static_cast<unsigned long long>(scrolls),
                static_cast<unsigned long long>(copies), static_cast<unsigned long long>(moves),
                static_cast<unsigned long long>(filterSwitches), static_cast<unsigned long long>(sorts),
                static_cast<unsigned long long>(created.load()),
                static_cast<unsigned long long>(changed.load()),
                static_cast<unsigned long long>(deleted.load()));
    std::fflush(stdout);
}

// The worker's objects live only here; each Add and each deletion waits for the window thread.
void CSoakDriver::Impl::Churn()
{
    std::mt19937 churnRandom(7);
    std::deque<std::unique_ptr<CTestClass>> pool;
    std::uint64_t serial = 0;
    while (!stopping) {
        CString name;
        name.Format("churn %llu", static_cast<unsigned long long>(++serial));
        auto object = std::make_unique<CTestClass>(name, static_cast<std::int32_t>(churnRandom() % 1000),
                                                   static_cast<std::int64_t>(churnRandom()),
                                                   (churnRandom() % 10000) / 100.0);
        if (grid.Add(object.get()) != nullptr)
            ++created;
        pool.push_back(std::move(object));
        pool[churnRandom() % pool.size()]->SetSomeLong(static_cast<std::int32_t>(churnRandom() % 1000));
        ++changed;
        if (pool.size() > static_cast<std::size_t>(kChurnPoolSize)) {
            pool.pop_front(); // announces its destruction: the grid removes its row first
            ++deleted;
        }
        std::this_thread::sleep_for(kChurnPause);
    }
    deleted += pool.size();
    pool.clear();
    workerDone = true;
}

CSoakDriver::CSoakDriver(GUI::CGrid& grid) : m_impl(std::make_unique<Impl>(grid)) {}

CSoakDriver::~CSoakDriver()
{
    Stop();
}

bool CSoakDriver::Start()
{
    Impl& impl = *m_impl;
    if (impl.running || !CreateMessageOnly(nullptr))
        return false;
    impl.running = true;
    impl.started = std::chrono::steady_clock::now();
    SetTimer(kStepTimer, kStepMs);
    SetTimer(kReportTimer, kReportMs);
    impl.Report("start");
    impl.worker = std::thread([&impl] { impl.Churn(); });
    return true;
}

void CSoakDriver::Stop()
{
    Impl& impl = *m_impl;
    if (!impl.running)
        return;
    impl.running = false;
    impl.stopping = true;
    // The worker may be waiting for this thread to add or remove a row.
    while (!impl.workerDone)
        PumpMessagesFor(10);
    impl.worker.join();
    if (IsWindow(this)) {
        KillTimer(kStepTimer);
        KillTimer(kReportTimer);
        DestroyWindow();
    }
    if (impl.grid.GetFilter() == &impl.filter)
        impl.grid.SetFilter(nullptr);
    impl.Report("end");
}

void CSoakDriver::OnTimer(UINT_PTR id)
{
    if (id == kStepTimer)
        m_impl->Step();
    else if (id == kReportTimer)
        m_impl->Report("at");
    else
        CWnd::OnTimer(id);
}

} // namespace Ombrel::Demo
