// ombrel_soak: the demonstration's window over many objects, with live updates on and a
// CSoakDriver working the grid until --quit-after ends it. It takes the demonstration's
// options (--objects, --quit-after); tools/run-soak.sh runs it under the sanitizers, reads the
// resident memory it prints each minute and judges the run.

#include "DemoDocument.h"
#include "DemoOptions.h"
#include "DemoView.h"
#include "MainFrame.h"
#include "soak/SoakDriver.h"

#include "ombrel/Common.h"
#include "ombrel/Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Ombrel::Demo {
namespace {

class CSoakApp : public CWinApp
{
public:
    CSoakApp() : CWinApp("Corvane soak") {}

    bool InitInstance() override
    {
        std::string error;
        if (!ParseDemoOptions(GetArguments(), m_options, error) || m_options.quitAfterSeconds <= 0.0) {
            std::fprintf(stderr, "ombrel_soak: %s\nUsage: ombrel_soak --objects N --quit-after SECONDS\n",
                         error.empty() ? "--quit-after is needed" : error.c_str());
            m_exitCode = 2;
            return false;
        }
        Common::CDateSettings& dates = Common::CDateSettings::GetInstance();
        dates.SetDateOrder(Common::CDateSettings::kYearMonthDay);
        dates.SetDateSeparator("-");

        m_document = std::make_unique<CDemoDocument>(m_options.objectCount);
        m_frame = std::make_unique<CMainFrame>();
        if (!m_frame->Create(*m_document, CRect(0, 0, CMainFrame::kDefaultWidth, CMainFrame::kDefaultHeight))) {
            std::fprintf(stderr, "ombrel_soak: the main window could not be created\n");
            m_exitCode = 1;
            return false;
        }
        SetMainWnd(m_frame.get());
        m_frame->ShowWindow(SW_SHOW);
        CDemoView* view = m_frame->GetDemoView();
        view->SetLiveUpdates(true);
        m_driver = std::make_unique<CSoakDriver>(view->GetGrid());
        if (!m_driver->Start()) {
            std::fprintf(stderr, "ombrel_soak: the soak driver could not start\n");
            m_exitCode = 1;
            return false;
        }
        const auto milliseconds = static_cast<UINT>(m_options.quitAfterSeconds * 1000.0);
        m_frame->CloseAfter(std::max<UINT>(milliseconds, 10), [this] { m_driver->Stop(); });
        return true;
    }

    int ExitInstance() override
    {
        // The driver's worker ends while the grid still exists, then the window, then the objects.
        m_driver.reset();
        m_frame.reset();
        m_document.reset();
        return m_exitCode >= 0 ? m_exitCode : CWinApp::ExitInstance();
    }

private:
    DemoOptions m_options;
    int m_exitCode = -1; // -1: the framework's own result
    std::unique_ptr<CDemoDocument> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CSoakDriver> m_driver;
};

} // namespace
} // namespace Ombrel::Demo

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Ombrel::Demo::CSoakApp app;
    return app.Main(argc, argv);
}
