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

// In its outer call, waits until another thread has taken it off the list (a nested
// notification no longer reaches it), then destroys the object it is being told about.
class CDestroyWhenUnsubscribedSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int fieldId, CDataObject* object) override
    {
        if (m_nested) {
            m_reachedByNested = true;
            return;
        }
        entered = true;
        m_nested = true;
        do {
            m_reachedByNested = false;
            object->NotifyUpdate(fieldId);
            if (m_reachedByNested)
                std::this_thread::yield();
        } while (m_reachedByNested);
        m_nested = false;
        delete object;
    }

    std::atomic<bool> entered = false;

private:
    bool m_nested = false;  // only the notifying thread touches these two
    bool m_reachedByNested = false;
};

// The unsubscribing thread waits for the sink's call to end; that call ends by destroying the
// object. The wait must wake up in memory that is still there and return.
TEST(DataObjectThreadTest, UnsubscribeWaitingForACallThatDestroysTheObjectReturns)
{
    for (int round = 0; round < 50; ++round) {
        CDestroyWhenUnsubscribedSink sink;
        auto* object = new CSampleObject;
        object->Subscribe(&sink);
        std::thread notifier([&] { object->NotifyUpdate(kCount); });
        AwaitFlag(sink.entered);
        // The sink is inside its call, so the object is alive until it returns.
        object->Unsubscribe(&sink);
        notifier.join();
    }
}

// Two threads subscribing to a fresh object at once both end up on the list: the first sink
// is kept in place of the list, and the second turns it into an array.
TEST(DataObjectThreadTest, FirstSubscriptionsFromTwoThreadsBothCount)
{
    for (int round = 0; round < kRounds / 4; ++round) {
        CCountingSink first;
        CCountingSink second;
        CSampleObject object;
        std::atomic<int> ready = 0;
        const auto subscribe = [&](CCountingSink* sink) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            object.Subscribe(sink);
        };
        std::thread one(subscribe, &first);
        std::thread two(subscribe, &second);
        one.join();
        two.join();
        object.NotifyUpdate(kCount);
        EXPECT_EQ(first.updates.load(), 1);
        EXPECT_EQ(second.updates.load(), 1);
    }
}

} // namespace
} // namespace Ombrel::Common
