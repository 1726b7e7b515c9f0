#include "DemoApp.h"

#include "DemoDocument.h"
#include "DemoOptions.h"
#include "DemoPrinting.h"
#include "DemoView.h"
#include "MainFrame.h"

#include "ombrel/Common.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/GridTypes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace Ombrel::Demo {
namespace {

// How long a screenshot waits for deferred layout and the first paint to settle.
constexpr std::chrono::milliseconds kSettleTime{300};
// Each further window opens this far right of and below the one before.
constexpr int kWindowCascade = 40;
// The drag preview hovers over the lower edge of this visible row: the rows would land after it.
constexpr int kPreviewTargetPosition = 1;

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
    DragPreview dragPreview;
    // Windows opened with File > New window, each over its own document (destroyed first).
    struct OtherWindow
    {
        std::unique_ptr<CDemoDocument> document;
        std::unique_ptr<CMainFrame> frame;
    };
    std::vector<OtherWindow> others;

    void WriteScreenshot();
    void ShowDragPreview();
    // --print-pdf and --screenshot-preview: done once the window has settled; the exit code.
    int RunPrintOptions();
    // --screenshot-columns: the header configuration dialog over the settled window; the exit code.
    int RunColumnsScreenshot();
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

void CDemoApp::Impl::ShowDragPreview()
{
    CDemoView* view = frame ? frame->GetDemoView() : nullptr;
    if (!dragPreview || view == nullptr)
        return;
    GUI::CGrid& grid = view->GetGrid();
    const CRect row = grid.GetRowRect(grid.GetRowAt(kPreviewTargetPosition, GUI::ROW_NORMAL));
    if (row.IsRectEmpty())
        return;
    dragPreview(grid, CPoint(row.left + row.Width() / 3, row.bottom - 2));
}

int CDemoApp::Impl::RunPrintOptions()
{
    PumpFor(kSettleTime);
    GUI::CGrid& grid = frame->GetDemoView()->GetGrid();
    int result = 0;
    if (!options.printPdfPath.empty()) {
        const int pages = PrintGridToPdf(grid, options.printPdfPath);
        if (pages > 0) {
            std::printf("Printed %d pages to %s\n", pages, options.printPdfPath.c_str());
        } else {
            std::fprintf(stderr, "Nothing could be printed to %s\n", options.printPdfPath.c_str());
            result = 1;
        }
    }
    if (!options.previewScreenshotPath.empty()) {
        if (WritePreviewScreenshot(grid, options.previewScreenshotPath, writeScreenshot)) {
            std::printf("Print preview written to %s\n", options.previewScreenshotPath.c_str());
        } else {
            std::fprintf(stderr, "The print preview could not be written to %s\n",
                         options.previewScreenshotPath.c_str());
            result = 1;
        }
    }
    std::fflush(stdout);
    frame->SendMessage(WM_CLOSE);
    return result;
}

int CDemoApp::Impl::RunColumnsScreenshot()
{
    PumpFor(kSettleTime);
    const std::string& path = options.columnsScreenshotPath;
    bool written = false;
    CDemoView* view = frame->GetDemoView();
    if (view != nullptr)
        view->OpenColumnsDialog([&](CWnd& dialog) { written = writeScreenshot && writeScreenshot(dialog, path); });
    if (written)
        std::printf("Header configuration dialog written to %s\n", path.c_str());
    else
        std::fprintf(stderr, "The header configuration dialog could not be written to %s\n", path.c_str());
    std::fflush(stdout);
    frame->SendMessage(WM_CLOSE);
    return written ? 0 : 1;
}

CDemoApp::CDemoApp(ScreenshotWriter writer, bool headless, DragPreview dragPreview)
    : CWinApp("Corvane"), m_impl(std::make_unique<Impl>())
{
    m_impl->writeScreenshot = std::move(writer);
    m_impl->headless = headless;
    m_impl->dragPreview = std::move(dragPreview);
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
    const bool ownPicture = !impl.options.printPdfPath.empty() || !impl.options.previewScreenshotPath.empty() ||
                            !impl.options.columnsScreenshotPath.empty();
    if (impl.screenshotPath.empty() && impl.headless && impl.options.quitAfterSeconds <= 0.0 && !ownPicture)
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
    if (impl.options.newWindow)
        OpenWindow();
    return true;
}

bool CDemoApp::OpenWindow()
{
    Impl& impl = *m_impl;
    const int number = static_cast<int>(impl.others.size()) + 2;
    Impl::OtherWindow window;
    window.document = std::make_unique<CDemoDocument>(impl.options.objectCount);
    window.document->SetTitle(CString("Ombrel, window " + std::to_string(number)));
    window.frame = std::make_unique<CMainFrame>();
    const int offset = kWindowCascade * (number - 1);
    CRect rect(80 + offset, 80 + offset, 80 + offset + CMainFrame::kDefaultWidth,
               80 + offset + CMainFrame::kDefaultHeight);
    if (!window.frame->Create(*window.document, rect))
        return false;
    window.frame->ShowWindow(SW_SHOW);
    impl.others.push_back(std::move(window));
    return true;
}

bool CDemoApp::OnCmdMsg(UINT id, int code)
{
    if (id == ID_FILE_NEW) {
        OpenWindow();
        return true;
    }
    return CWinApp::OnCmdMsg(id, code);
}

int CDemoApp::Run()
{
    Impl& impl = *m_impl;
    if (!impl.options.printPdfPath.empty() || !impl.options.previewScreenshotPath.empty())
        return impl.RunPrintOptions();
    if (!impl.options.columnsScreenshotPath.empty())
        return impl.RunColumnsScreenshot();
    const bool screenshotNow = !impl.screenshotPath.empty() && impl.options.quitAfterSeconds <= 0.0;
    if (impl.options.dragPreview) {
        PumpFor(kSettleTime);
        impl.ShowDragPreview();
    }
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
    // The windows and their rows go while the application still runs, then the objects.
    impl.others.clear();
    impl.frame.reset();
    impl.document.reset();
    return impl.exitCode >= 0 ? impl.exitCode : CWinApp::ExitInstance();
}

} // namespace Ombrel::Demo
