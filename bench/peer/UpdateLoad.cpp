#include "UpdateLoad.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

#include "Measure.h"
#include "RowData.h"

namespace OmbrelBench {

namespace {

struct ProbeChange
{
    bool pending = false;
    std::int32_t quantity = 0; // the value the paint must show
    std::int64_t stampNs = 0;  // when the change was handed over
};

} // namespace

struct CUpdateLoad::Impl
{
    Impl(int count, IUpdateTarget& updateTarget) : recordCount(count), target(updateTarget) {}

    void RunWorker(int worker);
    // A stamped probe change, or false when every probe still waits for its paint.
    bool TakeProbe(std::mt19937& random, int& record, std::int32_t& quantity);

    const int recordCount;
    IUpdateTarget& target;
    std::array<std::thread, kWorkerCount> workers;

    // Guards everything below: shared by the workers and the window thread.
    mutable std::mutex mutex;
    std::condition_variable windowOpened;
    bool stopping = false;
    std::array<int, kWorkerCount> unacknowledged{};
    int window = kMinWindow; // unacknowledged changes allowed per worker
    std::int64_t sampleStartNs = 0;
    std::int64_t sampleStartApplied = 0;
    std::int64_t applied = 0;
    std::int64_t handedOver = 0;
    std::array<ProbeChange, kProbeCount> probes{};
    std::int32_t nextProbeQuantity = -kProbeCount - 1; // below every probe's initial value
    std::vector<double> latenciesMs;
};

CUpdateLoad::CUpdateLoad(int recordCount, IUpdateTarget& target)
    : m_impl(std::make_unique<Impl>(recordCount, target))
{
}

CUpdateLoad::~CUpdateLoad()
{
    Stop();
}

void CUpdateLoad::Start()
{
    for (int worker = 0; worker < kWorkerCount; ++worker)
        m_impl->workers[static_cast<std::size_t>(worker)] =
            std::thread([this, worker] { m_impl->RunWorker(worker); });
}

void CUpdateLoad::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        m_impl->stopping = true;
    }
    m_impl->windowOpened.notify_all();
    for (auto& worker : m_impl->workers)
        if (worker.joinable())
            worker.join();
}

bool CUpdateLoad::Impl::TakeProbe(std::mt19937& random, int& record, std::int32_t& quantity)
{
    std::lock_guard<std::mutex> lock(mutex);
    const int first = static_cast<int>(random() % kProbeCount);
    for (int step = 0; step < kProbeCount; ++step) {
        const int slot = (first + step) % kProbeCount;
        ProbeChange& probe = probes[static_cast<std::size_t>(slot)];
        if (probe.pending)
            continue;
        probe.pending = true;
        probe.quantity = nextProbeQuantity--;
        probe.stampNs = NowNs();
        record = slot;
        quantity = probe.quantity;
        return true;
    }
    return false;
}

void CUpdateLoad::Impl::RunWorker(int worker)
{
    std::mt19937 random(1000u + static_cast<std::uint32_t>(worker));
    std::uniform_int_distribution<int> pickRecord(std::min(kProbeCount, recordCount - 1),
                                                  recordCount - 1);
    std::uniform_int_distribution<std::int32_t> pickQuantity(0, KeyRange(recordCount) - 1);
    for (;;) {
        int batch = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            windowOpened.wait(lock, [&] {
                batch = window / kAcksInFlight;
                return stopping ||
                       unacknowledged[static_cast<std::size_t>(worker)] + batch <= window;
            });
            if (stopping)
                return;
            unacknowledged[static_cast<std::size_t>(worker)] += batch;
            handedOver += batch;
        }
        for (int i = 0; i < batch; ++i) {
            int record = 0;
            std::int32_t quantity = 0;
            if (i % kProbeEvery != 0 || !TakeProbe(random, record, quantity)) {
                record = pickRecord(random);
                quantity = pickQuantity(random);
            }
            target.Change(record, quantity);
        }
        target.RequestAck(worker, batch);
    }
}

void CUpdateLoad::OnApplied(int worker, int count)
{
    // The window follows the applied rate, sampled every kSampleNs.
    constexpr std::int64_t kSampleNs = 100'000'000;
    const std::int64_t now = NowNs();
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        Impl& load = *m_impl;
        load.unacknowledged[static_cast<std::size_t>(worker)] -= count;
        load.applied += count;
        if (load.sampleStartNs == 0) {
            load.sampleStartNs = now;
            load.sampleStartApplied = load.applied;
        } else if (now - load.sampleStartNs >= kSampleNs) {
            const double perMs = static_cast<double>(load.applied - load.sampleStartApplied) /
                                 (static_cast<double>(now - load.sampleStartNs) / 1e6);
            // What kQueuedMs of this rate is per worker, in whole kMinWindow steps. A window
            // below it caps the rate, so it doubles until the queue holds that much; one far
            // above it shrinks back.
            const int perWorker = static_cast<int>(perMs * kQueuedMs / kWorkerCount);
            const int wanted = (perWorker + kMinWindow - 1) / kMinWindow * kMinWindow;
            if (wanted > load.window)
                load.window = std::min({2 * load.window, wanted, kMaxWindow});
            else if (wanted < load.window / 2)
                load.window = std::max(wanted, kMinWindow);
            load.sampleStartNs = now;
            load.sampleStartApplied = load.applied;
        }
    }
    m_impl->windowOpened.notify_all();
}

void CUpdateLoad::OnPainted(int record, std::int32_t quantity)
{
    if (record < 0 || record >= kProbeCount)
        return;
    const std::int64_t now = NowNs();
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    ProbeChange& probe = m_impl->probes[static_cast<std::size_t>(record)];
    if (!probe.pending || probe.quantity != quantity)
        return;
    probe.pending = false;
    m_impl->latenciesMs.push_back(ElapsedMs(probe.stampNs, now));
}

std::int64_t CUpdateLoad::GetAppliedCount() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->applied;
}

std::int64_t CUpdateLoad::GetHandedOverCount() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->handedOver;
}

std::vector<double> CUpdateLoad::GetLatenciesMs() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->latenciesMs;
}

int CUpdateLoad::GetUnpaintedProbeCount() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    int count = 0;
    for (const ProbeChange& probe : m_impl->probes)
        count += probe.pending ? 1 : 0;
    return count;
}

} // namespace OmbrelBench
