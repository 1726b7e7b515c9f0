#include "ViewerBenchSide.h"

#include <chrono>

#include "TableView.h"
#include "ViewerFrame.h"

#include "ombrel/Platform.h"
#include "ombrel/base/ProcessMemory.h"
#include "ombrel/gui/grid/Grid.h"

namespace OmbrelViewerBench {

namespace {

using namespace Ombrel;

// Loads the file in the viewer's own window inside InitInstance, then ends the application.
class CLoadApplication : public CWinApp
{
public:
    CLoadApplication(std::string path, std::string sortColumn) : m_path(std::move(path)), m_sort(std::move(sortColumn)) {}

    bool InitInstance() override
    {
        Viewer::CViewerFrame frame;
        if (!frame.Create("bench", CRect(0, 0, kWindowWidth, kWindowHeight)))
            return false;
        frame.ShowWindow(SW_SHOW);
        Viewer::CTableView& view = *frame.GetTableView();
        PumpMessagesFor(50);
        const std::uint64_t before = ResidentBytes();
        const auto start = std::chrono::steady_clock::now();
        view.Load(m_path, {m_sort});
        while (!view.IsLoadFinished())
            PumpMessagesFor(5);
        view.GetGrid().Invalidate();
        view.GetGrid().UpdateWindow();
        const auto end = std::chrono::steady_clock::now();
        result.loadMs = std::chrono::duration<double, std::milli>(end - start).count();
        result.rows = static_cast<std::uint64_t>(view.GetGrid().GetRowCount(GUI::ROW_NORMAL));
        const std::uint64_t after = ResidentBytes();
        result.bytesPerRow = result.rows > 0 && after > before
                                 ? static_cast<double>(after - before) / static_cast<double>(result.rows)
                                 : 0;
        return false;
    }

    int ExitInstance() override { return 0; }

    SideResult result;

private:
    std::string m_path;
    std::string m_sort;
};

} // namespace

SideResult RunOmbrelSide(int argc, char** argv, const std::string& path, const std::string& sortColumn)
{
    CLoadApplication application(path, sortColumn);
    application.Main(argc, argv);
    return application.result;
}

} // namespace OmbrelViewerBench
