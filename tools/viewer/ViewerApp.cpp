#include "ViewerApp.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "TableView.h"
#include "ViewerFrame.h"
#include "ViewerOptions.h"

#include "ombrel/Common.h"
#include "ombrel/base/ProcessMemory.h"

namespace Ombrel::Viewer {

namespace {

// How long a screenshot waits after the load for the layout and the first paint to settle.
constexpr std::chrono::milliseconds kSettleTime{300};
constexpr std::chrono::milliseconds kProbeInterval{10};

void PumpFor(std::chrono::milliseconds duration)
{
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until)
        if (!PumpMessagesFor(20))
            return;
}

} // namespace

struct CViewerApp::Impl
{
    ViewerOptions options;
    int exitCode = -1; // -1: the framework's own result
    std::uint64_t residentBefore = 0;
    // The longest a message sent to the window from another thread waited for its answer
    // while the file loaded: how long the window could not react to the user.
    std::chrono::steady_clock::duration longestStall{};
    std::unique_ptr<CViewerFrame> frame;

    bool WaitForLoad();
    void PrintStats(const CTableView& view) const;
};

bool CViewerApp::Impl::WaitForLoad()
{
    if (!frame || frame->GetTableView() == nullptr)
        return false;
    // A probe thread sends the window an empty message every few milliseconds, as input would
    // arrive, and times the answer.
    std::atomic<bool> loading = true;
    std::atomic<bool> probing = true;
    std::thread probe([this, &loading, &probing] {
        while (loading.load()) {
            const auto sent = std::chrono::steady_clock::now();
            frame->SendMessage(WM_NULL);
            longestStall = std::max(longestStall, std::chrono::steady_clock::now() - sent);
            std::this_thread::sleep_for(kProbeInterval);
        }
        probing = false;
    });
    bool pumped = true;
    while (pumped && frame->GetTableView() != nullptr && !frame->GetTableView()->IsLoadFinished())
        pumped = PumpMessagesFor(50);
    loading = false;
    // The probe may be waiting for an answer: keep answering until it has stopped.
    while (probing.load())
        PumpMessagesFor(5);
    probe.join();
    return pumped && frame->GetTableView() != nullptr;
}

void CViewerApp::Impl::PrintStats(const CTableView& view) const
{
    const auto summary = view.GetSummary();
    const std::uint64_t rows = summary ? summary->result.rows : 0;
    const std::uint64_t resident = ResidentBytes();
    const double seconds = summary ? std::chrono::duration<double>(summary->elapsed).count() : 0.0;
    std::printf("file: %s\nrows: %llu\ncolumns: %zu\nload time: %.3f s\nresident memory: %.1f MiB\n",
                options.path.c_str(), static_cast<unsigned long long>(rows), view.GetColumnCount(), seconds,
                static_cast<double>(resident) / (1024.0 * 1024.0));
    if (rows > 0 && resident > residentBefore)
        std::printf("memory per row: %.0f B\n", static_cast<double>(resident - residentBefore) / static_cast<double>(rows));
    std::printf("longest wait for the window: %.0f ms\n", std::chrono::duration<double, std::milli>(longestStall).count());
    if (summary && !summary->result.Succeeded())
        std::printf("outcome: %s\n", view.DescribeStatus().c_str());
}

CViewerApp::CViewerApp() : CWinApp("Ombrel View"), m_impl(std::make_unique<Impl>()) {}

CViewerApp::~CViewerApp() = default;

bool CViewerApp::InitInstance()
{
    Impl& impl = *m_impl;
    std::vector<std::string> arguments;
    for (const CString& argument : GetArguments())
        arguments.emplace_back(argument.GetString());
    std::string error;
    if (!ParseViewerOptions(arguments, impl.options, error)) {
        std::fprintf(stderr, "ombrel_view: %s\n%s", error.c_str(), ViewerUsage().c_str());
        impl.exitCode = 2;
        return false;
    }
    if (impl.options.showHelp) {
        std::printf("%s", ViewerUsage().c_str());
        impl.exitCode = 0;
        return false;
    }
    // Dates as the files write them.
    Common::CDateSettings& dates = Common::CDateSettings::GetInstance();
    dates.SetDateOrder(Common::CDateSettings::kYearMonthDay);
    dates.SetDateSeparator("-");

    impl.residentBefore = ResidentBytes();
    impl.frame = std::make_unique<CViewerFrame>();
    const CRect rect(60, 60, 60 + CViewerFrame::kDefaultWidth, 60 + CViewerFrame::kDefaultHeight);
    if (!impl.frame->Create(std::filesystem::path(impl.options.path).filename().string() + " - Ombrel View", rect)) {
        std::fprintf(stderr, "ombrel_view: the main window could not be created\n");
        impl.exitCode = 1;
        return false;
    }
    SetMainWnd(impl.frame.get());
    impl.frame->ShowWindow(SW_SHOW);
    impl.frame->GetTableView()->Load(impl.options.path, impl.options.sortColumns);
    return true;
}

int CViewerApp::Run()
{
    Impl& impl = *m_impl;
    if (impl.options.screenshotPath.empty() && !impl.options.stats)
        return CWinApp::Run();
    if (!impl.WaitForLoad())
        return 1;
    CTableView& view = *impl.frame->GetTableView();
    const auto summary = view.GetSummary();
    int result = summary && summary->result.outcome == TableReadResult::Outcome::Failed ? 1 : 0;
    if (!impl.options.screenshotPath.empty()) {
        PumpFor(kSettleTime);
        if (RenderWindowToPng(*impl.frame, impl.options.screenshotPath.c_str())) {
            std::printf("Screenshot written to %s\n", impl.options.screenshotPath.c_str());
        } else {
            std::fprintf(stderr, "The screenshot could not be written to %s\n", impl.options.screenshotPath.c_str());
            result = 1;
        }
    }
    if (impl.options.stats)
        impl.PrintStats(view);
    if (summary && summary->result.outcome == TableReadResult::Outcome::Failed)
        std::fprintf(stderr, "ombrel_view: %s\n", view.DescribeStatus().c_str());
    std::fflush(stdout);
    impl.frame->SendMessage(WM_CLOSE);
    return result;
}

int CViewerApp::ExitInstance()
{
    Impl& impl = *m_impl;
    impl.frame.reset();
    return impl.exitCode >= 0 ? impl.exitCode : CWinApp::ExitInstance();
}

} // namespace Ombrel::Viewer
