#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "gui/grid/PumpUntil.h"
#include "gui/rows/RowsTestSupport.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/detail/DispatcherDiagnostics.h"
#include "ombrel/platform/MessageLoop.h"

namespace Ombrel::GUI::Testing {
namespace {

using Common::CValue;

TEST(DispatcherThreadTest, DestroyOnAWorkerReturnsAfterTheRowsLeftEveryGrid)
{
    CTestOwner owner;
    CGridRows rows(owner);
    CTestOwner otherOwner;
    CGridRows other(otherOwner);
    auto* doomed = new CTestObject("doomed");
    CTestObject child("child");
    CGridItem* row = rows.Add(doomed, GRID_ROOT, GRID_LAST);
    rows.Add(&child, row, GRID_LAST);
    other.Add(doomed, GRID_FIXED_ROOT, GRID_LAST);
    auto* pooled = new CGridItem(); // a row of no grid is deleted with its object
    pooled->SetDataObject(doomed);

    std::atomic<bool> returned = false;
    std::thread worker([&] {
        doomed->Set(1, CValue(std::int32_t{1})); // posted before the destruction
        delete doomed;
        returned = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 0);
    EXPECT_EQ(other.GetRowCount(ROW_FIXED), 0);
    EXPECT_EQ(owner.CountOf(GN_ROWREMOVED), 2);
    EXPECT_FALSE(CDispatcher::GetInstance().HasObject(&child));
    EXPECT_FALSE(CItemContainer::GetPool().IsRegistered(pooled));
    PumpMessages(); // a late update finds no row
    EXPECT_EQ(CheckRows(rows), "");
    EXPECT_EQ(CheckRows(other), "");
}

// A worker that notifies without pause while the owner thread is busy elsewhere: the queue
// holds each changed (object, field) once, however many changes were made, and one round then
// tells every row of its last change.
TEST(DispatcherThreadTest, AWorkerNotifyingWithoutPauseQueuesEachChangedFieldOnce)
{
    CTestOwner owner;
    CGridRows rows(owner);
    std::vector<std::unique_ptr<CTestObject>> objects;
    for (int i = 0; i < 4; ++i) {
        objects.push_back(std::make_unique<CTestObject>("o" + std::to_string(i)));
        rows.Add(objects.back().get(), GRID_ROOT, GRID_LAST);
    }
    ASSERT_TRUE(PumpUntil([&] { return GetDispatcherPendingCount() == 0; }));
    owner.notifications.clear();

    std::thread worker([&] {
        for (int i = 0; i < 100'000; ++i)
            objects[static_cast<std::size_t>(i % 4)]->NotifyUpdate(1 + (i / 4) % 2);
    });
    worker.join();
    EXPECT_EQ(GetDispatcherPendingCount(), 8u);
    ASSERT_TRUE(PumpUntil([&] { return owner.CountOf(GN_ROWUPDATED) == 8; }));
    PumpMessages();
    EXPECT_EQ(owner.CountOf(GN_ROWUPDATED), 8);
    EXPECT_EQ(GetDispatcherPendingCount(), 0u);
}

// Four workers change the sort fields of 10 000 objects and destroy some of them while the
// window thread delivers; afterwards every order, count, set and registry entry must agree.
TEST(RowsStressThreadTest, LiveChangesAndDestructionsKeepEveryInvariant)
{
    constexpr int kWorkers = 4;
    constexpr int kObjects = 10'000;
    constexpr int kChildren = 4; // every fifth object is a parent of the next four
    constexpr int kChangesPerWorker = 6'000;
    CTestOwner owner;
    owner.headerLevels = {{1, false}, {2, true}};
    CGridRows rows(owner);
    rows.Resort();

    std::vector<CTestObject*> objects;
    std::mt19937 random(11);
    for (int i = 0; i < kObjects; ++i) {
        auto* object = new CTestObject("o" + std::to_string(i));
        object->Put(1, CValue(static_cast<std::int32_t>(random() % 100)));
        object->Put(2, CValue(static_cast<double>(random() % 1000)));
        objects.push_back(object);
    }
    CGridItem* parent = nullptr;
    for (int i = 0; i < kObjects; ++i) {
        const bool isParent = i % (kChildren + 1) == 0;
        CGridItem* topParent = i % 50 == 0 ? GRID_FIXED_ROOT : GRID_ROOT;
        CGridItem* row = rows.Add(objects[static_cast<std::size_t>(i)],
                                  isParent ? topParent : parent, GRID_LAST);
        ASSERT_NE(row, nullptr);
        if (isParent)
            parent = row;
    }
    // Half the parents open, so children are both shown and hidden.
    for (CGridItem* root : {GRID_ROOT, GRID_FIXED_ROOT}) {
        std::vector<CGridItem*> top;
        rows.GetChildren(root, top);
        for (std::size_t i = 0; i < top.size(); i += 2)
            rows.Expand(top[i], true, false);
    }
    ASSERT_EQ(CheckRows(rows, true), "");

    // Each worker owns a slice of the objects and destroys a tenth of them as it goes.
    std::atomic<int> running = kWorkers;
    std::vector<std::vector<CTestObject*>> destroyed(kWorkers);
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            std::mt19937 local(static_cast<unsigned>(100 + w));
            const int first = w * (kObjects / kWorkers);
            const int count = kObjects / kWorkers;
            std::vector<CTestObject*> mine(objects.begin() + first,
                                           objects.begin() + first + count);
            for (int change = 0; change < kChangesPerWorker; ++change) {
                if (mine.empty())
                    break;
                const std::size_t pick = local() % mine.size();
                CTestObject* object = mine[pick];
                if (change % 10 == 9) {
                    mine.erase(mine.begin() + static_cast<std::ptrdiff_t>(pick));
                    destroyed[static_cast<std::size_t>(w)].push_back(object);
                    delete object;
                } else if (change % 2 == 0) {
                    object->Set(1, CValue(static_cast<std::int32_t>(local() % 100)));
                } else {
                    object->Set(2, CValue(static_cast<double>(local() % 1000)));
                }
            }
            --running;
        });
    }
    ASSERT_TRUE(PumpUntil([&] { return running.load() == 0; }, std::chrono::minutes(4)));
    for (std::thread& worker : workers)
        worker.join();
    for (int round = 0; round < 20; ++round)
        PumpMessages();

    EXPECT_EQ(CheckRows(rows, true), "");
    std::set<CTestObject*> gone;
    for (const auto& list : destroyed)
        gone.insert(list.begin(), list.end());
    CDispatcher& dispatcher = CDispatcher::GetInstance();
    std::size_t shownRows = 0;
    for (CTestObject* object : objects) {
        if (gone.contains(object)) {
            EXPECT_FALSE(dispatcher.HasObject(object));
            continue;
        }
        std::vector<CGridItem*> found;
        dispatcher.GetRows(object, found);
        for (CGridItem* row : found)
            EXPECT_TRUE(rows.IsValid(row));
        shownRows += found.size();
    }
    std::vector<CGridItem*> all;
    rows.GetAllRows(ROW_ALL_TYPES, all);
    EXPECT_EQ(shownRows, all.size());
    EXPECT_LT(all.size(), static_cast<std::size_t>(kObjects));

    rows.RemoveAll(ROW_ALL_TYPES);
    for (CTestObject* object : objects) {
        if (!gone.contains(object))
            delete object;
    }
    EXPECT_TRUE(CItemContainer::GetPool().GetRegisteredRows().IsEmpty());
}

TEST(RowsStressThreadTest, EmptyingAndRefillingWhileObjectsChangeAndDie)
{
    // The window thread empties the sorted grid (every binding leaves the registry in one pass)
    // and loads it again in bursts while workers change and destroy the objects it shows.
    constexpr int kWorkers = 3;
    constexpr int kObjects = 3'000;
    constexpr int kChangesPerWorker = 3'000;
    CTestOwner owner;
    owner.headerLevels = {{1, false}};
    CGridRows rows(owner);
    rows.Resort();

    std::mutex aliveLock; // a worker takes an object out of `alive` before destroying it
    std::set<CTestObject*> alive;
    std::vector<CTestObject*> objects;
    std::mt19937 random(5);
    for (int i = 0; i < kObjects; ++i) {
        auto* object = new CTestObject("o" + std::to_string(i));
        object->Put(1, CValue(static_cast<std::int32_t>(random() % 200)));
        objects.push_back(object);
        alive.insert(object);
    }
    const auto refill = [&] {
        std::lock_guard guard(aliveLock);
        const std::vector<Common::CDataObject*> shown(alive.begin(), alive.end());
        rows.AddMany(shown, GRID_ROOT, GRID_LAST);
    };
    refill();

    std::atomic<int> running = kWorkers;
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            std::mt19937 local(static_cast<unsigned>(300 + w));
            std::vector<CTestObject*> mine(objects.begin() + w * (kObjects / kWorkers),
                                           objects.begin() + (w + 1) * (kObjects / kWorkers));
            for (int change = 0; change < kChangesPerWorker && !mine.empty(); ++change) {
                const std::size_t pick = local() % mine.size();
                CTestObject* object = mine[pick];
                if (change % 10 == 9) {
                    mine.erase(mine.begin() + static_cast<std::ptrdiff_t>(pick));
                    {
                        std::lock_guard guard(aliveLock);
                        alive.erase(object);
                    }
                    delete object;
                } else {
                    object->Set(1, CValue(static_cast<std::int32_t>(local() % 200)));
                }
            }
            --running;
        });
    }
    int rounds = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (++rounds % 5 == 0) {
                rows.RemoveAll(ROW_ALL_TYPES);
                refill();
            }
            return running.load() == 0;
        },
        std::chrono::minutes(4)));
    for (std::thread& worker : workers)
        worker.join();
    for (int round = 0; round < 20; ++round)
        PumpMessages();

    EXPECT_EQ(CheckRows(rows, true), "");
    CDispatcher& dispatcher = CDispatcher::GetInstance();
    for (CTestObject* object : alive) {
        std::vector<CGridItem*> found;
        dispatcher.GetRows(object, found);
        EXPECT_EQ(found.size(), 1u);
    }
    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), static_cast<int>(alive.size()));
    rows.RemoveAll(ROW_ALL_TYPES);
    for (CTestObject* object : alive)
        delete object;
}

TEST(RowsStressThreadTest, LargeBurstsRegisteredBesideTheirSortMissNoChangeOfTheirObjects)
{
    // Bursts large enough to be registered on a helper thread while the window thread reads
    // their keys and sorts them, into an empty grid and then among its rows, while workers keep
    // changing the sort field of the objects being added: every change made after a row's key
    // was read must still reach the row, and every row must end up bound and registered.
    constexpr int kWorkers = 2;
    constexpr int kBurst = static_cast<int>(CItemContainer::kRegisteredAsideRows) + 2'000;
    CTestOwner owner;
    owner.headerLevels = {{1, false}};
    CGridRows rows(owner);
    rows.Resort();

    std::vector<std::unique_ptr<CTestObject>> objects;
    std::vector<std::vector<Common::CDataObject*>> bursts(2);
    for (std::vector<Common::CDataObject*>& burst : bursts) {
        for (int i = 0; i < kBurst; ++i) {
            objects.push_back(std::make_unique<CTestObject>());
            objects.back()->Put(1, CValue(static_cast<std::int32_t>(i % 5'000)));
            burst.push_back(objects.back().get());
        }
    }

    std::atomic<int> minimumChanges = 0; // a worker goes on until it has made this many
    std::atomic<bool> stop = false;
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            std::mt19937 local(static_cast<unsigned>(700 + w));
            for (int change = 0; !stop.load() || change < minimumChanges.load(); ++change) {
                CTestObject& object = *objects[local() % objects.size()];
                object.Set(1, CValue(static_cast<std::int32_t>(local() % 5'000)));
            }
        });
    }
    for (const std::vector<Common::CDataObject*>& burst : bursts) {
        const std::vector<CGridItem*> added = rows.AddMany(burst, GRID_ROOT, GRID_LAST);
        ASSERT_EQ(added.size(), burst.size());
        for (std::size_t i = 0; i < added.size(); ++i) {
            EXPECT_TRUE(rows.IsValid(added[i]));
            EXPECT_EQ(added[i]->GetDataObject(), burst[i]);
        }
        PumpMessages();
    }
    minimumChanges = 2'000;
    stop = true;
    for (std::thread& worker : workers)
        worker.join();
    ASSERT_TRUE(PumpUntil([] { return GetDispatcherPendingCount() == 0; }));
    PumpMessages();

    EXPECT_EQ(rows.GetRowCount(ROW_NORMAL), 2 * kBurst);
    EXPECT_EQ(CheckRows(rows, true), "");
    std::vector<CGridItem*> found;
    for (const auto& object : objects) {
        found.clear();
        CDispatcher::GetInstance().GetRows(object.get(), found);
        EXPECT_EQ(found.size(), 1u);
    }
    rows.RemoveAll(ROW_ALL_TYPES);
}

} // namespace
} // namespace Ombrel::GUI::Testing
