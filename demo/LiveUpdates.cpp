#include "LiveUpdates.h"

#include "DemoDocument.h"
#include "TestClass.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace Ombrel::Demo {
namespace {

using namespace std::chrono_literals;

// A worker sleeps between these bounds before each change: several changes a second each.
constexpr auto kShortestPause = 80ms;
constexpr auto kLongestPause = 250ms;
constexpr std::int32_t kLargestLongStep = 15;
constexpr double kLargestDoubleStep = 0.05;

double RoundToCents(double value)
{
    return std::round(value * 100.0) / 100.0;
}

} // namespace

struct CLiveUpdates::Impl
{
    explicit Impl(const CDemoDocument& doc) : document(doc) {}

    void RunWorker(unsigned seed);
    void ChangeOne(std::mt19937& random);
    // Waits for the next change; false when the workers are asked to end.
    bool Pause(std::mt19937& random);

    const CDemoDocument& document;
    std::vector<std::thread> workers; // window thread only
    std::mutex stopLock;              // guards stopRequested
    std::condition_variable stopSignal;
    bool stopRequested = false;
    Pace pace = Pace::Lively; // set by Start before the workers exist
    std::atomic<std::uint64_t> changes = 0;
};

bool CLiveUpdates::Impl::Pause(std::mt19937& random)
{
    std::uniform_int_distribution<long long> pause(kShortestPause.count(), kLongestPause.count());
    std::unique_lock lock(stopLock);
    if (pace == Pace::FullSpeed)
        return !stopRequested;
    return !stopSignal.wait_for(lock, std::chrono::milliseconds(pause(random)),
                                [this] { return stopRequested; });
}

void CLiveUpdates::Impl::ChangeOne(std::mt19937& random)
{
    std::uniform_int_distribution<int> pickObject(0, document.GetObjectCount() - 1);
    CTestClass* object = document.GetObject(pickObject(random));
    switch (std::uniform_int_distribution<int>(0, 2)(random)) {
    case 0: {
        std::uniform_int_distribution<std::int32_t> step(-kLargestLongStep, kLargestLongStep);
        object->SetSomeLong(object->GetSomeLong() + step(random));
        break;
    }
    case 1: {
        std::uniform_real_distribution<double> step(-kLargestDoubleStep, kLargestDoubleStep);
        object->SetSomeDouble(RoundToCents(object->GetSomeDouble() + step(random)));
        break;
    }
    default:
        object->SetSomeEnum(std::uniform_int_distribution<std::int32_t>(
            0, CTestClass::kRandomCityCount - 1)(random));
        break;
    }
    ++changes;
}

void CLiveUpdates::Impl::RunWorker(unsigned seed)
{
    std::mt19937 random(seed);
    while (Pause(random))
        ChangeOne(random);
}

CLiveUpdates::CLiveUpdates(const CDemoDocument& document) : m_impl(std::make_unique<Impl>(document)) {}

CLiveUpdates::~CLiveUpdates()
{
    Stop();
}

bool CLiveUpdates::Start(Pace pace)
{
    Impl& impl = *m_impl;
    if (!impl.workers.empty() || impl.document.GetObjectCount() == 0)
        return false;
    impl.pace = pace;
    {
        std::lock_guard lock(impl.stopLock);
        impl.stopRequested = false;
    }
    std::random_device entropy;
    for (int i = 0; i < kWorkerCount; ++i)
        impl.workers.emplace_back(&Impl::RunWorker, &impl, entropy());
    return true;
}

void CLiveUpdates::Stop()
{
    Impl& impl = *m_impl;
    if (impl.workers.empty())
        return;
    {
        std::lock_guard lock(impl.stopLock);
        impl.stopRequested = true;
    }
    impl.stopSignal.notify_all();
    for (std::thread& worker : impl.workers)
        worker.join();
    impl.workers.clear();
}

bool CLiveUpdates::IsRunning() const
{
    return !m_impl->workers.empty();
}

std::uint64_t CLiveUpdates::GetChangeCount() const
{
    return m_impl->changes.load();
}

} // namespace Ombrel::Demo
