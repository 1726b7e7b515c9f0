#include "DemoApp.h"

#include "DemoDocument.h"
#include "DemoOptions.h"
#include "DemoView.h"
#include "MainFrame.h"

#include "ombrel/Common.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace Ombrel::Demo {
namespace {

// How long a screenshot waits for deferred layout and the first paint to settle.
constexpr std::chrono::milliseconds kSettleTime{300};

void PumpFor(std::chrono::milliseconds duration)
{
    auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        if (!PumpMessagesFor(20))
            return; // a quit request is pending: leave it to the message loop
    }
}

} // namespace

struct CDemoApp::Impl
{
    ScreenshotWriter writeScreenshot;
    bool headless = false;
    DemoOptions options;
    std::string screenshotPath; // empty: no screenshot
    bool screenshotFailed = false;
    int exitCode = -1;          // -1: the framework's own result
    // Declared before the frame so that it is destroyed after it: the view's rows go first.
    std::unique_ptr<CDemoDocument> document;
    std::unique_ptr<CMainFrame> frame;

    void WriteScreenshot();
};

void CDemoApp::Impl::WriteScreenshot()
{
    if (!frame || !IsWindow(frame.get()))
        return;
    if (writeScreenshot && writeScreenshot(*frame, screenshotPath)) {
        std::printf("Screenshot written to %s\n", screenshotPath.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "The screenshot could not be written to %s\n", screenshotPath.c_str());
        screenshotFailed = true;
    }
}

CDemoApp::CDemoApp(ScreenshotWriter writer, bool headless) : CWinApp("Corvane"), m_impl(std::make_unique<Impl>())
{
    m_impl->writeScreenshot = std::move(writer);
    m_impl->headless = headless;
}

CDemoApp::~CDemoApp() = default;

bool CDemoApp::InitInstance()
{
    Impl& impl = *m_impl;
    std::string error;
    if (!ParseDemoOptions(GetArguments(), impl.options, error)) {
        std::fprintf(stderr, "ombrel_demo: %s\n%s", error.c_str(), DemoUsage().c_str());
        impl.exitCode = 2;
        return false;
    }
    if (impl.options.showHelp) {
        std::printf("%s", DemoUsage().c_str());
        impl.exitCode = 0;
        return false;
    }
    impl.screenshotPath = impl.options.screenshotPath;
    if (impl.screenshotPath.empty() && impl.headless && impl.options.quitAfterSeconds <= 0.0)
        impl.screenshotPath = kHeadlessScreenshot;

    Common::CDateSettings& dates = Common::CDateSettings::GetInstance();
    dates.SetDateOrder(Common::CDateSettings::kYearMonthDay);
    dates.SetDateSeparator("-");

    impl.document = std::make_unique<CDemoDocument>(impl.options.objectCount);
    impl.frame = std::make_unique<CMainFrame>();
    CRect rect(80, 80, 80 + CMainFrame::kDefaultWidth, 80 + CMainFrame::kDefaultHeight);
    if (!impl.frame->Create(*impl.document, rect)) {
        std::fprintf(stderr, "ombrel_demo: the main window could not be created\n");
        impl.exitCode = 1;
        return false;
    }
    SetMainWnd(impl.frame.get());
    impl.frame->ShowWindow(SW_SHOW);
    if (impl.options.liveUpdates)
        impl.frame->GetDemoView()->SetLiveUpdates(true);
    return true;
}

int CDemoApp::Run()
{
    Impl& impl = *m_impl;
    const bool screenshotNow = !impl.screenshotPath.empty() && impl.options.quitAfterSeconds <= 0.0;
    if (screenshotNow) {
        PumpFor(kSettleTime);
        if (impl.options.editBeforeScreenshot) {
            CDemoView* view = impl.frame->GetDemoView();
            if (view == nullptr || !view->EditDateOfFirstRow())
                std::fprintf(stderr, "ombrel_demo: no date editor could be opened for the screenshot\n");
            PumpFor(kSettleTime);
        }
        impl.WriteScreenshot();
        impl.frame->SendMessage(WM_CLOSE);
        return impl.screenshotFailed ? 1 : 0;
    }
    if (impl.options.quitAfterSeconds > 0.0) {
        auto milliseconds = static_cast<UINT>(impl.options.quitAfterSeconds * 1000.0);
        std::function<void()> beforeClose;
        if (!impl.screenshotPath.empty())
            beforeClose = [&impl] { impl.WriteScreenshot(); };
        impl.frame->CloseAfter(std::max<UINT>(milliseconds, 10), std::move(beforeClose));
    }
    int result = CWinApp::Run();
    return impl.screenshotFailed ? 1 : result;
}

int CDemoApp::ExitInstance()
{
    Impl& impl = *m_impl;
    // The window and its rows go while the application still runs, then the objects.
    impl.frame.reset();
    impl.document.reset();
    return impl.exitCode >= 0 ? impl.exitCode : CWinApp::ExitInstance();
}

} // namespace Ombrel::Demo
