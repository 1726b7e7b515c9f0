#include "TableLoader.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "TableFile.h"
#include "TableOnePass.h"
#include "TableShape.h"

namespace Ombrel::Viewer {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

} // namespace

int TableLoadProgress::Percent() const
{
    if (fileBytes == 0)
        return 0;
    const double done = static_cast<double>(bytesRead) / static_cast<double>(fileBytes);
    double overall = done;
    if (phase == Phase::Scanning)
        overall = done / 3.0;
    else if (phase == Phase::Loading)
        overall = 1.0 / 3.0 + done * 2.0 / 3.0;
    return static_cast<int>(std::min(overall, 1.0) * 100.0);
}

struct CTableLoader::Impl
{
    std::thread worker;
    std::atomic<bool> cancelled = false;
    std::atomic<bool> running = false;

    void Run(const std::string& path, const Callbacks& callbacks);
    // One pass, the kinds taken from the first rows; false when they turned out wrong for the
    // file (the rows handed over must then be dropped).
    bool ReadOnce(const std::string& path, const Callbacks& callbacks, std::uint64_t fileBytes,
                  TableLoadSummary& summary);
    // The kinds from the whole file first, then the rows.
    void ReadTwice(const std::string& path, const Callbacks& callbacks, std::uint64_t fileBytes,
                   TableLoadSummary& summary);

    // The progress observer of one pass: throttled reports, and the cancel flag.
    std::function<bool(std::uint64_t, std::uint64_t)> Observer(const Callbacks& callbacks, TableLoadProgress::Phase phase,
                                                                std::uint64_t fileBytes)
    {
        auto last = std::make_shared<std::chrono::steady_clock::time_point>();
        return [this, &callbacks, phase, fileBytes, last](std::uint64_t bytes, std::uint64_t rows) {
            const auto now = std::chrono::steady_clock::now();
            if (callbacks.progress && now - *last >= kProgressInterval) {
                *last = now;
                callbacks.progress({phase, bytes, fileBytes, rows});
            }
            return !cancelled.load();
        };
    }
};

void CTableLoader::Impl::Run(const std::string& path, const Callbacks& callbacks)
{
    const auto start = std::chrono::steady_clock::now();
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const std::uint64_t fileBytes = error ? 0 : static_cast<std::uint64_t>(size);

    TableLoadSummary summary;
    if (!ReadOnce(path, callbacks, fileBytes, summary)) {
        if (callbacks.restart)
            callbacks.restart();
        summary = {};
        ReadTwice(path, callbacks, fileBytes, summary);
    }
    summary.elapsed = std::chrono::steady_clock::now() - start;
    if (callbacks.finished)
        callbacks.finished(summary);
}

bool CTableLoader::Impl::ReadOnce(const std::string& path, const Callbacks& callbacks, std::uint64_t fileBytes,
                                  TableLoadSummary& summary)
{
    CTableOnePass pass(
        Observer(callbacks, TableLoadProgress::Phase::Reading, fileBytes),
        [&](const CTableShape& shape, const std::shared_ptr<const Common::CDynamicSchema>& schema) {
            if (callbacks.columns)
                callbacks.columns(shape, schema);
        },
        [&](CTableRowBuilder::Objects& batch) { return callbacks.batch(batch) && !cancelled.load(); });
    summary.result = ReadTableFile(path, pass);
    if (pass.KindsWereWrong())
        return false;
    // The rows read before an error or a cancel are kept: the message says where it stopped.
    // A file that failed before its first row (cannot be opened, broken at once) has no columns.
    if (!summary.result.Succeeded() && pass.GetRowCount() == 0)
        return true;
    if (!pass.Finish() && summary.result.Succeeded())
        summary.result.outcome = TableReadResult::Outcome::Cancelled;
    summary.result.rows = pass.GetRowCount();
    summary.warnings = pass.GetWarnings();
    if (callbacks.progress)
        callbacks.progress({TableLoadProgress::Phase::Reading, summary.result.bytes, fileBytes, summary.result.rows});
    return true;
}

void CTableLoader::Impl::ReadTwice(const std::string& path, const Callbacks& callbacks, std::uint64_t fileBytes,
                                   TableLoadSummary& summary)
{
    CTableShape shape(Observer(callbacks, TableLoadProgress::Phase::Scanning, fileBytes));
    summary.result = ReadTableFile(path, shape);
    summary.warnings = shape.GetWarnings();
    if (!summary.result.Succeeded())
        return;
    if (callbacks.progress)
        callbacks.progress({TableLoadProgress::Phase::Scanning, fileBytes, fileBytes, shape.GetRowCount()});
    CTableRowBuilder builder(shape, [&](CTableRowBuilder::Objects& batch) {
        return callbacks.batch(batch) && !cancelled.load();
    });
    if (callbacks.columns)
        callbacks.columns(shape, builder.GetSchema());
    builder.SetProgress(Observer(callbacks, TableLoadProgress::Phase::Loading, fileBytes));
    summary.result = ReadTableFile(path, builder);
    if (!builder.Flush() && summary.result.Succeeded())
        summary.result.outcome = TableReadResult::Outcome::Cancelled;
    summary.unreadCells = builder.GetUnreadCells();
    if (callbacks.progress)
        callbacks.progress({TableLoadProgress::Phase::Loading, summary.result.bytes, fileBytes, summary.result.rows});
}

CTableLoader::CTableLoader() : m_impl(std::make_unique<Impl>()) {}

CTableLoader::~CTableLoader()
{
    Cancel();
    Wait();
}

bool CTableLoader::Start(const std::string& path, Callbacks callbacks)
{
    if (m_impl->running.load())
        return false;
    Wait();
    m_impl->cancelled = false;
    m_impl->running = true;
    m_impl->worker = std::thread([impl = m_impl.get(), path, callbacks = std::move(callbacks)] {
        impl->Run(path, callbacks);
        impl->running = false;
    });
    return true;
}

void CTableLoader::Cancel() { m_impl->cancelled = true; }

void CTableLoader::Wait()
{
    if (m_impl->worker.joinable())
        m_impl->worker.join();
}

bool CTableLoader::IsRunning() const { return m_impl->running.load(); }

} // namespace Ombrel::Viewer
