#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

constexpr int kRounds = 2000;

// Spins until `flag` is set; the other thread always sets it.
void AwaitFlag(const std::atomic<bool>& flag)
{
    while (!flag.load())
        std::this_thread::yield();
}

TEST(DataObjectThreadTest, SinksComeAndGoWhileAnotherThreadNotifies)
{
    CCountingSink steady;
    CSampleObject object;
    object.Subscribe(&steady);
    std::atomic<bool> started = false;

    std::thread notifier([&] {
        started = true;
        for (int round = 0; round < kRounds; ++round)
            object.SetCount(round);
    });
    AwaitFlag(started);
    // Each short-lived sink is freed right after Unsubscribe returns: a call still on its way
    // to it would touch freed memory.
    for (int round = 0; round < kRounds / 4; ++round)
    {
        auto transient = std::make_unique<CCountingSink>();
        object.Subscribe(transient.get());
        std::this_thread::yield();
        object.Unsubscribe(transient.get());
    }
    notifier.join();
    EXPECT_EQ(steady.updates.load(), kRounds);
}

// Stays inside OnUpdate until released, recording whether it has left.
class CBlockingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override
    {
        entered = true;
        AwaitFlag(release);
        valueSeenOnLeaving = object->GetLong(kCount);
        left = true;
    }

    std::atomic<bool> entered = false;
    std::atomic<bool> release = false;
    std::atomic<bool> left = false;
    std::atomic<int> valueSeenOnLeaving = -1;
};

TEST(DataObjectThreadTest, UnsubscribeReturnsOnlyAfterTheSinksRunningCall)
{
    CBlockingSink sink;
    CSampleObject object;
    object.Subscribe(&sink);
    std::thread notifier([&] { object.SetCount(1); });
    AwaitFlag(sink.entered);

    std::atomic<bool> unsubscribed = false;
    std::thread unsubscriber([&] {
        object.Unsubscribe(&sink);
        unsubscribed = true;
        EXPECT_TRUE(sink.left.load());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(unsubscribed.load());
    sink.release = true;
    unsubscriber.join();
    notifier.join();
    EXPECT_TRUE(unsubscribed.load());
}

TEST(DataObjectThreadTest, DestructionWaitsForRunningNotificationsAndTellsSinksLast)
{
    CBlockingSink blocking;
    CRecordingSink recording;
    auto object = std::make_unique<CSampleObject>();
    object->SetCount(5);
    object->Subscribe(&blocking);
    object->Subscribe(&recording);
    std::thread notifier([&] { object->NotifyUpdate(kCount); });
    AwaitFlag(blocking.entered);

    std::atomic<bool> destroyed = false;
    std::thread destroyer([&] {
        object.reset();
        destroyed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(destroyed.load());
    blocking.release = true;
    destroyer.join();
    notifier.join();

    // The running call read the object whole; the sink after it was not called for an object
    // being destroyed, only told of the destruction.
    EXPECT_EQ(blocking.valueSeenOnLeaving.load(), 5);
    EXPECT_EQ(recording.Events(), (std::vector<std::string>{"destroy"}));
}

} // namespace
} // namespace Ombrel::Common
