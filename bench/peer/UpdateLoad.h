#pragma once

// Sustained updates from two worker threads, the same for both sides.
//
// Each worker changes the quantity (the first sort key) of random records as fast as the grid
// keeps up: it hands changes over in batches and asks the window thread to acknowledge each
// batch once it has been applied (the acknowledgement travels the same queue as the changes,
// behind them). A worker never has more than its window of changes unacknowledged, so the
// queue stays bounded and the rate measured is the rate the grid applies changes.
//
// The window is what the side itself applies in kQueuedMs, shared by the workers, and never
// less than kMinWindow: each side's queue holds the same few milliseconds of its own work, so
// neither side's latency carries a queue that the other side's rate would have sized, and a
// fast side is not held to the rate at which a thread can be woken kMinWindow times.
//
// Latency: every kProbeEvery-th change goes to one of the probe records (RowData.h), which
// always sort at the top of the grid, in view. The change is stamped when it is handed over;
// the side's paint pass reports every probe cell it paints (OnPainted) and the first paint
// that shows the new value ends the sample. A probe has at most one stamped change at a time.

#include <cstdint>
#include <memory>
#include <vector>

namespace OmbrelBench {

// How a side receives changes. Both functions are called on worker threads.
class IUpdateTarget
{
public:
    virtual ~IUpdateTarget() = default;
    // Gives `record` (its index in load order) the quantity `quantity`, the side's way.
    virtual void Change(int record, std::int32_t quantity) = 0;
    // Has the window thread call CUpdateLoad::OnApplied(worker, count) once every change this
    // worker handed over before the call has been applied.
    virtual void RequestAck(int worker, int count) = 0;
};

class CUpdateLoad
{
public:
    static constexpr int kWorkerCount = 2;
    static constexpr int kMinAckEvery = 16;
    static constexpr int kAcksInFlight = 4;
    static constexpr int kMinWindow = kAcksInFlight * kMinAckEvery; // changes per worker
    static constexpr int kMaxWindow = 64 * kMinWindow;
    static constexpr int kQueuedMs = 4;
    static constexpr int kProbeEvery = 8;

    CUpdateLoad(int recordCount, IUpdateTarget& target);
    ~CUpdateLoad(); // stops the workers
    CUpdateLoad(const CUpdateLoad&) = delete;
    CUpdateLoad& operator=(const CUpdateLoad&) = delete;

    void Start();
    // Stops the workers and waits for them; changes already handed over stay in flight.
    void Stop();

    // Window thread: `count` changes of `worker` have been applied.
    void OnApplied(int worker, int count);
    // Window thread, paint pass: the quantity cell of `record` was painted showing `quantity`.
    // Cheap for records that are no probes.
    void OnPainted(int record, std::int32_t quantity);

    std::int64_t GetAppliedCount() const;
    std::int64_t GetHandedOverCount() const;
    // Change-to-repaint latencies of the probe changes painted so far, in milliseconds.
    std::vector<double> GetLatenciesMs() const;
    // Probe changes handed over and not painted yet.
    int GetUnpaintedProbeCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace OmbrelBench
