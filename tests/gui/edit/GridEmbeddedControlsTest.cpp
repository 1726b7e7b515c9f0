// Controls in grid cells: attaching (operations 177 and 180), following the cell when the view
// scrolls, forgetting destroyed controls, detaching at the grid's destruction; and pictures of
// the date-time editor and the flat drop-down list in cells.

#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/edit/EmbeddedCombo.h"
#include "ombrel/gui/edit/EmbeddedControlAdapter.h"
#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"
#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Ombrel::GUI {
namespace {

enum CellField : std::int32_t
{
    kName = 1,
    kWhen = 2,
};

class CCellRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    explicit CCellRecord(std::string name) : m_name(name.c_str()) {}
    ~CCellRecord() override { NotifyDestroy(); }
    CString GetName() const { return m_name; }

private:
    CString m_name;
};

OMBREL_BEGIN_FIELD_MAP(CCellRecord)
    OMBREL_FIELD_READ_ONLY(kName, "Name", &CCellRecord::GetName)
    OMBREL_FIELD_READ_ONLY(kWhen, "When", &CCellRecord::GetName)
OMBREL_END_FIELD_MAP()

class CCountingSink : public CEmbeddedControlAdapter::ISink
{
public:
    void OnControlMessage(std::uintptr_t ownerValue, UINT message, WPARAM, LPARAM) override
    {
        lastOwner = ownerValue;
        if (message == WM_USER + 3)
            ++probes;
    }
    std::uintptr_t lastOwner = 0;
    int probes = 0;
};

class GridEmbeddedControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hookedBefore = CHookWnd::GetHookedWindowCount();
        ASSERT_TRUE(grid.Create(WS_POPUP | WS_VISIBLE, CRect(0, 0, 320, 200), nullptr, 1));
        header = new CHeader(true);
        header->AddColumn(new CColumn(kName, "Name", 100));
        header->AddColumn(new CColumn(kWhen, "When", 200));
        grid.SetHeader(header);
        for (int i = 0; i < 30; ++i) {
            records.push_back(std::make_unique<CCellRecord>("row " + std::to_string(i)));
            grid.Add(records.back().get());
        }
        grid.UpdateLayout();
        Ombrel::Test::ShowAndActivate(grid);
    }

    void TearDown() override
    {
        if (IsWindow(&grid))
            grid.DestroyWindow();
    }

    CGridItem* Row(int position) { return grid.GetRowAt(position, ROW_NORMAL); }
    CRect WindowRectInGrid(CWnd& control)
    {
        CRect rect;
        control.GetWindowRect(&rect);
        grid.ScreenToClient(&rect);
        return rect;
    }
    void SaveScreenshot(const char* name)
    {
        const std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(Ombrel::Test::Grab(grid).save(QString::fromStdString((folder / name).string()), "PNG"));
    }

    std::size_t hookedBefore = 0;
    CGrid grid;
    CHeader* header = nullptr;
    std::vector<std::unique_ptr<CCellRecord>> records;
};

TEST_F(GridEmbeddedControlsTest, AnAttachedControlSitsOnItsCellAndACellTakesOneControl)
{
    CEmbeddedCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 100));
    CEmbeddedControlAdapter* adapter = grid.AttachEmbeddedControl(&combo, Row(2), kWhen);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(WindowRectInGrid(combo), grid.GetCellRect(Row(2), kWhen));
    EXPECT_EQ(Row(2)->GetEmbeddedControl(kWhen), adapter);
    EXPECT_TRUE(grid.HasEmbeddedControl(Row(2), kWhen));
    EXPECT_FALSE(grid.HasEmbeddedControl(Row(2), kName));

    CEmbeddedCombo other;
    ASSERT_TRUE(other.Create(CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 101));
    EXPECT_EQ(grid.AttachEmbeddedControl(&other, Row(2), kWhen), nullptr) << "the cell has one";
    EXPECT_EQ(grid.AttachEmbeddedControl(&other, Row(3), Common::AllFields), nullptr);
    EXPECT_EQ(grid.AttachEmbeddedControl(&other, Row(3), Common::NoField), nullptr);

    CCountingSink sink;
    adapter->AddSink(&sink);
    adapter->SetOwnerValue(77);
    combo.SendMessage(WM_USER + 3);
    EXPECT_EQ(sink.probes, 1);
    EXPECT_EQ(sink.lastOwner, 77u);
}

TEST_F(GridEmbeddedControlsTest, ControlsFollowTheirCellsWhenTheViewScrolls)
{
    CEmbeddedCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 100));
    CGridItem* row = Row(3);
    ASSERT_NE(grid.AttachEmbeddedControl(&combo, row, kWhen), nullptr);

    grid.SetTopRow(2);
    EXPECT_TRUE(combo.IsWindowVisible());
    EXPECT_EQ(WindowRectInGrid(combo), grid.GetCellRect(row, kWhen)) << "moved with its row";
    grid.SetTopRow(10);
    EXPECT_FALSE(combo.IsWindowVisible()) << "its row left the screen";
    grid.SetTopRow(0);
    EXPECT_TRUE(combo.IsWindowVisible());
    EXPECT_EQ(WindowRectInGrid(combo), grid.GetCellRect(row, kWhen));
}

TEST_F(GridEmbeddedControlsTest, ADestroyedControlLeavesItsCellFree)
{
    auto combo = std::make_unique<CEmbeddedCombo>();
    ASSERT_TRUE(combo->Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 100));
    ASSERT_NE(grid.AttachEmbeddedControl(combo.get(), Row(1), kWhen), nullptr);
    combo.reset();
    EXPECT_FALSE(grid.HasEmbeddedControl(Row(1), kWhen));
    EXPECT_EQ(Row(1)->GetEmbeddedControl(kWhen), nullptr);

    CEmbeddedCombo next;
    ASSERT_TRUE(next.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 101));
    EXPECT_NE(grid.AttachEmbeddedControl(&next, Row(1), kWhen), nullptr);
}

TEST_F(GridEmbeddedControlsTest, DestroyingTheGridWindowDetachesEveryControl)
{
    CEmbeddedCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 100));
    ASSERT_NE(grid.AttachEmbeddedControl(&combo, Row(0), kWhen), nullptr);
    EXPECT_GT(CHookWnd::GetHookedWindowCount(), hookedBefore);
    grid.DestroyWindow();
    EXPECT_EQ(CHookWnd::GetHookedWindowCount(), hookedBefore);
}

TEST_F(GridEmbeddedControlsTest, PicturesOfTheEditorsInCells)
{
    CEmbeddedDateTimeCtrl editor(0xFD);
    ASSERT_TRUE(editor.Create(WS_VISIBLE, CRect(0, 0, 50, 20), &grid, 103));
    SYSTEMTIME time;
    time.wYear = 2024, time.wMonth = 4, time.wDay = 10, time.wHour = 9, time.wMinute = 30;
    editor.SetTime(time);
    ASSERT_NE(grid.AttachEmbeddedControl(&editor, Row(1), kWhen), nullptr);
    editor.SetFocus();
    Ombrel::Test::PumpUntil([&] { return CWnd::GetFocus() == &editor; });
    SaveScreenshot("embedded-date-time.png");

    CEmbeddedCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 50, 20), &grid, 100));
    combo.AddString("Limit order");
    combo.AddString("Market order");
    combo.SetCurSel(1);
    EXPECT_EQ(combo.GetSelectedIndex(), 1);
    ASSERT_NE(grid.AttachEmbeddedControl(&combo, Row(3), kWhen), nullptr);
    combo.SetFocus();
    Ombrel::Test::PumpUntil([&] { return CWnd::GetFocus() == &combo; });
    const QImage picture = Ombrel::Test::Grab(grid);
    const CRect button = combo.GetButtonRect();
    const CRect cell = grid.GetCellRect(Row(3), kWhen);
    EXPECT_EQ(Ombrel::Test::PixelAt(picture, CPoint(cell.left + 1, cell.bottom - 2)), GetSysColor(COLOR_WINDOW))
        << "the flat list fills its client area with the window colour";
    EXPECT_NE(Ombrel::Test::PixelAt(picture, CPoint(cell.left + button.CenterPoint().x, cell.top + button.CenterPoint().y)),
              GetSysColor(COLOR_WINDOW)) << "the drop-down button is drawn";
    SaveScreenshot("embedded-drop-down-list.png");
}

} // namespace
} // namespace Ombrel::GUI
