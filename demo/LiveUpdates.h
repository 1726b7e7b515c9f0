#pragma once

#include <cstdint>
#include <memory>

namespace Ombrel::Demo {

class CDemoDocument;

// Worker threads that keep changing the objects of a document, so that a grid over them
// re-sorts rows and fades changed cells as it would over live data.
//
// Each worker wakes several times a second (or, at full speed, changes without any pause:
// the grid must stay responsive whatever the rate), picks an object at random and changes its long
// (a small step up or down), its double (a step of at most 0.05, kept to two decimals) or its
// city (a random code 0 to 4) through the object's setter, which announces the change on the
// worker's thread.
//
// Start, Stop and the destructor belong to one thread (the window thread). Stop returns only
// when the workers have ended, so the document's objects may be destroyed right after it; the
// document must outlive every running worker.
class CLiveUpdates
{
public:
    static constexpr int kWorkerCount = 2;

    enum class Pace
    {
        Lively,    // several changes a second per worker
        FullSpeed, // no pause between changes
    };

    explicit CLiveUpdates(const CDemoDocument& document);
    ~CLiveUpdates(); // stops and joins the workers
    CLiveUpdates(const CLiveUpdates&) = delete;
    CLiveUpdates& operator=(const CLiveUpdates&) = delete;

    // Starts the workers; false when they run already or the document has no objects.
    bool Start(Pace pace = Pace::Lively);
    // Asks the workers to end and waits for them; does nothing when they do not run.
    void Stop();
    bool IsRunning() const;
    // Changes made since construction, by all workers.
    std::uint64_t GetChangeCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Demo
