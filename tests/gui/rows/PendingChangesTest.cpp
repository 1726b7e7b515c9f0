// The dispatcher's queue of changes: what it absorbs, the order it keeps, when it asks for a
// wake, and that no change's last value is lost while threads push and the owner takes.

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ombrel/gui/rows/detail/PendingChanges.h"

namespace Ombrel::GUI::Testing {
namespace {

// Distinct addresses for keys; never dereferenced by the queue.
Common::CDataObject* ObjectAt(std::array<std::int64_t, 64>& slots, std::size_t index)
{
    return reinterpret_cast<Common::CDataObject*>(&slots[index]);
}

std::vector<std::pair<Common::CDataObject*, int>> TakeAll(CPendingChanges& queue)
{
    std::vector<std::pair<Common::CDataObject*, int>> taken;
    std::vector<PendingChange> batch;
    for (queue.Take(batch, 3); !batch.empty(); queue.Take(batch, 3)) {
        for (const PendingChange& change : batch)
            taken.emplace_back(change.object, change.fieldId);
    }
    return taken;
}

TEST(PendingChangesTest, RepeatsOfAPendingPairKeepItsFirstPlaceAndComeBackOnceTaken)
{
    std::array<std::int64_t, 64> slots{};
    Common::CDataObject* a = ObjectAt(slots, 0);
    Common::CDataObject* b = ObjectAt(slots, 1);
    CPendingChanges queue;
    queue.Push(a, 1);
    queue.Push(b, 1);
    queue.Push(a, 2);
    queue.Push(a, 1); // absorbed: (a, 1) is pending
    queue.Push(b, 1); // absorbed
    queue.Push(a, -1);
    EXPECT_EQ(queue.GetCount(), 4u);
    using Taken = std::vector<std::pair<Common::CDataObject*, int>>;
    EXPECT_EQ(TakeAll(queue), (Taken{{a, 1}, {b, 1}, {a, 2}, {a, -1}}));
    queue.Push(a, 1); // taken already: queued again
    EXPECT_EQ(TakeAll(queue), (Taken{{a, 1}}));
}

TEST(PendingChangesTest, OneWakePerBurstUntilARoundEndsEmpty)
{
    std::array<std::int64_t, 64> slots{};
    CPendingChanges queue;
    EXPECT_TRUE(queue.Push(ObjectAt(slots, 0), 1));
    EXPECT_FALSE(queue.Push(ObjectAt(slots, 1), 1));
    EXPECT_FALSE(queue.Push(ObjectAt(slots, 2), 1));

    std::vector<PendingChange> batch;
    queue.Take(batch, 2);
    EXPECT_EQ(batch.size(), 2u);
    EXPECT_TRUE(queue.EndRound()); // one left: the wake stays outstanding and is posted again
    EXPECT_FALSE(queue.Push(ObjectAt(slots, 3), 1));
    queue.Take(batch, 10);
    EXPECT_EQ(batch.size(), 2u);
    EXPECT_FALSE(queue.EndRound());
    EXPECT_TRUE(queue.Push(ObjectAt(slots, 4), 1)); // a new burst wakes again

    queue.OnWakeLost(); // the wake could not be posted: the next change asks again
    EXPECT_TRUE(queue.Push(ObjectAt(slots, 5), 1));
}

TEST(PendingChangesTest, AQueueThatNeverRunsEmptyKeepsItsOrderAcrossCompaction)
{
    std::array<std::int64_t, 64> slots{};
    CPendingChanges queue;
    int nextPushed = 0;
    int nextExpected = 0;
    std::vector<PendingChange> batch;
    // Field ids count up, so every change is distinct; the owner takes less than is pushed
    // between takes, so the taken front is dropped many times with entries behind it.
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 100; ++i, ++nextPushed)
            queue.Push(ObjectAt(slots, 0), nextPushed);
        queue.Take(batch, 90);
        for (const PendingChange& change : batch)
            ASSERT_EQ(change.fieldId, nextExpected++);
    }
    for (queue.Take(batch, 1000); !batch.empty(); queue.Take(batch, 1000)) {
        for (const PendingChange& change : batch)
            ASSERT_EQ(change.fieldId, nextExpected++);
    }
    EXPECT_EQ(nextExpected, nextPushed);
    EXPECT_EQ(queue.GetCount(), 0u);
}

// Four threads change a few pairs over and over while the owner takes. Whatever was absorbed,
// each pair's last change must be followed by a take of that pair: a row that missed it would
// show a stale value until the pair changes again.
TEST(PendingChangesThreadTest, EveryPairsLastChangeIsTakenAfterItWasPushed)
{
    constexpr int kThreads = 4;
    constexpr int kPairsPerThread = 16;
    constexpr int kChangesPerThread = 40000;
    std::array<std::int64_t, 64> slots{};
    CPendingChanges queue;
    // The version each pair was last given; written before its push, read by the owner when
    // it takes the pair (as a row reads its object when it hears the change).
    std::array<std::atomic<int>, kThreads * kPairsPerThread> versions{};
    std::array<int, kThreads * kPairsPerThread> seen{};
    std::atomic<int> running = kThreads;

    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 1; i <= kChangesPerThread; ++i) {
                const int pair = t * kPairsPerThread + i % kPairsPerThread;
                versions[static_cast<std::size_t>(pair)].store(i, std::memory_order_release);
                queue.Push(ObjectAt(slots, static_cast<std::size_t>(pair)), 7);
            }
            --running;
        });
    }
    std::vector<PendingChange> batch;
    auto takeRound = [&] {
        for (queue.Take(batch, 64); !batch.empty(); queue.Take(batch, 64)) {
            for (const PendingChange& change : batch) {
                const auto pair = static_cast<std::size_t>(
                    reinterpret_cast<std::int64_t*>(change.object) - slots.data());
                seen[pair] = versions[pair].load(std::memory_order_acquire);
            }
        }
        queue.EndRound();
    };
    while (running > 0)
        takeRound();
    for (std::thread& worker : workers)
        worker.join();
    takeRound();

    for (std::size_t pair = 0; pair < seen.size(); ++pair)
        EXPECT_EQ(seen[pair], versions[pair].load()) << "pair " << pair;
}

} // namespace
} // namespace Ombrel::GUI::Testing
