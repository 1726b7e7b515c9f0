#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TableReadResult.h"
#include "TableRowBuilder.h"

namespace Ombrel::Viewer {

class CTableShape;

// Where a load stands, for a progress indication.
struct TableLoadProgress
{
    // Reading: the single pass. Scanning and Loading: the two passes of a file whose first
    // rows did not show the kinds of the whole file.
    enum class Phase { Reading, Scanning, Loading };

    Phase phase = Phase::Reading;
    std::uint64_t bytesRead = 0;
    std::uint64_t fileBytes = 0;  // 0 when the size is unknown
    std::uint64_t rows = 0;

    // 0..100 over the whole load (of two passes, the scan counts for a third: it builds no
    // objects).
    int Percent() const;
};

// How a load ended.
struct TableLoadSummary
{
    TableReadResult result;             // outcome, error; rows = objects handed over
    std::vector<TableProblem> warnings; // what the reader repaired
    std::uint64_t unreadCells = 0;
    std::chrono::steady_clock::duration elapsed{};
};

// Loads a table file on a worker thread: builds one dynamic object per row and hands them over
// in batches while it reads, so that a grid fills as the file is read. The file is read once,
// the kinds of the columns taken from its first rows; when a later row shows them wrong, the
// rows handed over are dropped (`restart`) and the file is read again in two passes, kinds
// first. Every callback runs on the worker thread; `finished` is the last one and always comes,
// also after an error or a cancel.
class CTableLoader
{
public:
    struct Callbacks
    {
        // At most every 100 ms, and once when a pass ends.
        std::function<void(const TableLoadProgress&)> progress;
        // Before the first batch: the columns and the schema of the objects.
        std::function<void(const CTableShape&, const std::shared_ptr<const Common::CDynamicSchema>&)> columns;
        CTableRowBuilder::BatchConsumer batch;
        // Every object handed over so far is to be dropped; `columns` comes again. Rare: only
        // when the first rows showed the wrong kinds.
        std::function<void()> restart;
        std::function<void(const TableLoadSummary&)> finished;
    };

    CTableLoader();
    CTableLoader(const CTableLoader&) = delete;
    CTableLoader& operator=(const CTableLoader&) = delete;
    // Cancels and waits for the worker.
    ~CTableLoader();

    // Starts loading `path`; false while a load is still running.
    bool Start(const std::string& path, Callbacks callbacks);
    // Any thread: the worker stops at its next block of the file or batch of rows.
    void Cancel();
    // Waits until the worker has called `finished`.
    void Wait();
    bool IsRunning() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Viewer
