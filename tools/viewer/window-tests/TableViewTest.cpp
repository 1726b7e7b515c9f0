// The viewer's window over real files: rows arrive from the loader's worker, sorted as asked,
// the status bar tells the outcome, and closing the window in the middle of a load loses
// nothing and touches nothing that is gone.

#include "TableView.h"
#include "ViewerCommands.h"
#include "ViewerFrame.h"

#include "ombrel/Common.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"

#include "support/Harness.h"

#include <QTimer>

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

TEST_F(ViewerWindow, ViewColumnsHidesTheColumnUntickedInTheHeaderDialog)
{
    const std::string path = WriteFile("ombrel_view_columns.csv", "name,score,city\nb,2,Oslo\na,10,Rome\n");
    ASSERT_TRUE(LoadAndWait(path));
    bool sawList = false;
    QTimer::singleShot(200, [&sawList] {
        CWnd* list = CWnd::GetFocus(); // the dialog opens with its list focused
        sawList = dynamic_cast<GUI::CGrid*>(list) != nullptr && list->GetParent() != nullptr &&
                  list->GetParent()->GetWindowText() == CString("Header configuration dialog");
        if (!sawList) {
            Ombrel::Test::Key(*list, Qt::Key_Escape);
            return;
        }
        Ombrel::Test::Key(*list, Qt::Key_Down); // score
        Ombrel::Test::Key(*list, Qt::Key_Space, Qt::NoModifier, " ");
        Ombrel::Test::PumpFor(50ms);
        Ombrel::Test::Key(*list, Qt::Key_Return, Qt::NoModifier, "\r");
    });
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_COLUMNS, 0));
    ASSERT_TRUE(sawList);
    EXPECT_EQ(Grid().GetHeader()->GetVisibleColumnCount(), 2);
    EXPECT_FALSE(Grid().GetHeader()->GetColumn(1)->IsVisible());
    std::filesystem::remove(path);
}

// A JSON file with every kind, sorted on two levels: the grid shows each kind in its format,
// and the picture (screenshots/viewer-json.png below the working directory) shows it too.
TEST_F(ViewerWindow, AJsonTableShowsEachKindInItsFormat)
{
    Common::CDateSettings& dates = Common::CDateSettings::GetInstance();
    dates.SetDateOrder(Common::CDateSettings::kYearMonthDay);
    dates.SetDateSeparator("-");
    const std::string path = WriteFile("ombrel_view_kinds.json", R"([
        {"city": "Oslo", "day": "2024-03-01", "when": "2024-03-01T10:15:00Z", "n": 3, "x": 0.25, "ok": true},
        {"city": "Lyon", "day": "2024-01-31", "when": "2024-01-31T08:00:00Z", "n": 12, "x": 1e3, "ok": false},
        {"city": "Oslo", "day": "2023-12-24", "when": "2023-12-24T18:30:05Z", "n": -7, "x": null, "ok": true}
    ])");
    ASSERT_TRUE(LoadAndWait(path, {"city", "-n"}));
    ASSERT_EQ(Grid().GetRowCount(ROW_NORMAL), 3);
    const auto text = [this](int position, std::int32_t field) {
        return std::string(Grid().GetDataObject(Grid().GetRowAt(position, ROW_NORMAL))->GetFormattedValue(field));
    };
    EXPECT_EQ(text(0, 1), "Lyon");
    EXPECT_EQ(text(1, 4), "3");  // Oslo 3 before Oslo -7
    EXPECT_EQ(text(1, 2), "2024-03-01");
    EXPECT_EQ(text(1, 3), "2024-03-01 10:15:00");
    EXPECT_EQ(text(2, 5), "");   // null is an empty cell
    EXPECT_EQ(text(0, 6), "false");

    const std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(RenderWindowToPng(frame, (folder / "viewer-json.png").string().c_str()));
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
