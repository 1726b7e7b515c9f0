// The viewer's window over real files: rows arrive from the loader's worker, sorted as asked,
// the status bar tells the outcome, and closing the window in the middle of a load loses
// nothing and touches nothing that is gone.

#include "TableView.h"
#include "ViewerFrame.h"

#include "ombrel/Common.h"
#include "ombrel/gui/grid/Grid.h"

#include "support/Harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace Ombrel::Viewer {
namespace {

using namespace std::chrono_literals;
using GUI::ROW_NORMAL;
using Test::PumpUntil;

std::string WriteFile(const std::string& name, const std::string& text)
{
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << text;
    return path.string();
}

class ViewerWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create("test", CRect(0, 0, CViewerFrame::kDefaultWidth, CViewerFrame::kDefaultHeight)));
        frame.ShowWindow(SW_SHOW);
        ASSERT_NE(frame.GetTableView(), nullptr);
    }

    CTableView& View() { return *frame.GetTableView(); }
    GUI::CGrid& Grid() { return View().GetGrid(); }

    bool LoadAndWait(const std::string& path, std::vector<std::string> sort = {})
    {
        return View().Load(path, std::move(sort)) && PumpUntil([this] { return View().IsLoadFinished(); }, 20s);
    }

    CViewerFrame frame;
};

TEST_F(ViewerWindow, ShowsTheRowsSortedByTheNamedColumns)
{
    const std::string path = WriteFile("ombrel_view_sorted.csv", "name,score\nb,2\na,10\nc,2\nd,-1\n");
    ASSERT_TRUE(LoadAndWait(path, {"-score", "name"}));
    ASSERT_EQ(Grid().GetRowCount(ROW_NORMAL), 4);
    std::string order;
    for (int index = 0; index < 4; ++index)
        order += Grid().GetDataObject(Grid().GetRowAt(index, ROW_NORMAL))->GetStdString(1);
    EXPECT_EQ(order, "abcd");  // 10, then the two 2s by name, then -1
    EXPECT_EQ(View().GetColumnCount(), 2u);
    EXPECT_EQ(std::string(frame.GetStatusText().GetString()).rfind("ombrel_view_sorted.csv: 4 rows, 2 columns in ", 0), 0u);
    std::filesystem::remove(path);
}

TEST_F(ViewerWindow, AnErrorKeepsTheRowsBeforeItAndSaysWhere)
{
    const std::string path = WriteFile("ombrel_view_bad.csv", "a,b\n1,2\n3,\"open\n");
    ASSERT_TRUE(LoadAndWait(path, {"missing"}));
    EXPECT_EQ(Grid().GetRowCount(ROW_NORMAL), 0);  // the scan fails before any row is built
    const std::string status = frame.GetStatusText().GetString();
    EXPECT_NE(status.find("Stopped at an error: line 3: a quoted field that starts in this row is never closed"),
              std::string::npos)
        << status;
    std::filesystem::remove(path);
}

TEST_F(ViewerWindow, ClosingDuringALoadStopsTheWorkerFirst)
{
    std::string text = "id,text\n";
    for (int row = 0; row < 200000; ++row)
        text += std::to_string(row) + ",row " + std::to_string(row) + "\n";
    const std::string path = WriteFile("ombrel_view_close.csv", text);
    ASSERT_TRUE(View().Load(path, {"-id"}));
    PumpUntil([this] { return Grid().GetRowCount(ROW_NORMAL) > 0; }, 20s);
    frame.DestroyWindow();  // the view cancels, waits, removes the rows, then frees the objects
    EXPECT_EQ(frame.GetTableView(), nullptr);
    std::filesystem::remove(path);
}

} // namespace
} // namespace Ombrel::Viewer
