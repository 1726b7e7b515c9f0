// The grid's tooltip timing with real input: what hides a tooltip, how long it stays, the
// modes and switches, and controls replaced on a live window.

#include "TooltipTestSupport.h"

#include "ombrel/gui/services/InPlaceTooltipCtrl.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <functional>
#include <string>

namespace Ombrel::GUI {
namespace {

using std::chrono::milliseconds;

class GridTooltipsTest : public Testing::TooltipGridTest
{
protected:
    // Shows the in-place tooltip of row 1, runs `input`, and tells whether the tooltip is
    // hidden afterwards and stays so while the pointer rests on the same cell.
    void ExpectInputHides(const std::string& what, const std::function<void()>& input)
    {
        ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl())) << what;
        input();
        EXPECT_FALSE(IsShown(InPlaceCtrl())) << what << " must hide the tooltip at once";
        Ombrel::Test::PumpFor(milliseconds(kDelayMs * 5));
        EXPECT_FALSE(IsShown(InPlaceCtrl())) << what << ": no new tooltip for the same cell";
        // Another cell, and back: tooltips come again.
        Ombrel::Test::MouseMove(*grid, CellCenter(0));
    }
};

TEST_F(GridTooltipsTest, APressAKeyAndTheWheelHideTheTooltipBeforeTheGridActs)
{
    ExpectInputHides("a left press", [&] { Ombrel::Test::MousePress(*grid, CellCenter(1)); });
    Ombrel::Test::MouseRelease(*grid, CellCenter(1));
    ExpectInputHides("a right press", [&] {
        Ombrel::Test::Click(*grid, CellCenter(1), Qt::RightButton);
    });
    ExpectInputHides("a key", [&] { Ombrel::Test::KeyPress(*grid, Qt::Key_A, Qt::NoModifier, "a"); });
    ExpectInputHides("the wheel", [&] { Ombrel::Test::Wheel(*grid, CellCenter(1), -120); });
}

TEST_F(GridTooltipsTest, LeavingTheGridHidesTheTooltip)
{
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    Ombrel::Test::MouseLeave(*grid);
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsShown(InPlaceCtrl()); }, milliseconds(1000)));

    // Moving out of the window with the pointer leaves it as well.
    ASSERT_TRUE(HoverUntilShown(CellCenter(3), InPlaceCtrl()));
    Ombrel::Test::MouseMove(*grid, CPoint(-30, -30));
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsShown(InPlaceCtrl()); }, milliseconds(1000)));
}

TEST_F(GridTooltipsTest, MovingWithinTheCellKeepsTheTooltipAndAnotherCellHidesIt)
{
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    Ombrel::Test::MouseMove(*grid, CPoint(CellCenter(1).x + 3, CellCenter(1).y + 1));
    Ombrel::Test::PumpFor(milliseconds(kDelayMs * 2));
    EXPECT_TRUE(IsShown(InPlaceCtrl()));
    Ombrel::Test::MouseMove(*grid, CellCenter(0));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));

    // With instant reshow the next truncated cell shows at once, without a new delay.
    grid->EnableInstantTooltipReshow(true);
    ASSERT_TRUE(HoverUntilShown(CellCenter(3), InPlaceCtrl()));
    Ombrel::Test::MouseMove(*grid, CellCenter(5));
    EXPECT_TRUE(IsShown(InPlaceCtrl()));
    EXPECT_EQ(InPlaceCtrl()->GetText(), CString(Testing::kLongText));
}

TEST_F(GridTooltipsTest, ModeOneHidesAfterTheDisplayTimeOtherModesStayAndModeZeroShowsNothing)
{
    TooltipSettings settings = *grid->GetInPlaceTooltipSettings();
    settings.mode = 1;
    settings.displayTimeMs = 60;
    ASSERT_TRUE(grid->SetInPlaceTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return !IsShown(InPlaceCtrl()); }, milliseconds(2000)));

    settings.mode = 2;
    ASSERT_TRUE(grid->SetInPlaceTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(3), InPlaceCtrl()));
    Ombrel::Test::PumpFor(milliseconds(200));
    EXPECT_TRUE(IsShown(InPlaceCtrl())) << "only mode 1 is timed";

    settings.mode = 0;
    ASSERT_TRUE(grid->SetInPlaceTooltipSettings(settings));
    Ombrel::Test::MouseMove(*grid, CellCenter(5));
    Ombrel::Test::PumpFor(milliseconds(kDelayMs * 6));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
}

TEST_F(GridTooltipsTest, SwitchingTooltipsOffHidesAndKeepsThemAway)
{
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    grid->EnableTooltips(false);
    EXPECT_FALSE(grid->AreTooltipsEnabled());
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
    Ombrel::Test::MouseMove(*grid, CellCenter(3));
    Ombrel::Test::PumpFor(milliseconds(kDelayMs * 6));
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
}

TEST_F(GridTooltipsTest, ScrollingHidesTheTooltip)
{
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), InPlaceCtrl()));
    grid->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_FALSE(IsShown(InPlaceCtrl()));
}

// Counts its instances so that the grid's deletion of a replaced control can be seen.
class CCountedInPlaceCtrl : public CInPlaceTooltipCtrl
{
public:
    CCountedInPlaceCtrl() : CInPlaceTooltipCtrl(true) { ++alive; }
    ~CCountedInPlaceCtrl() override { --alive; }
    static inline int alive = 0;
};

TEST_F(GridTooltipsTest, AReplacedControlIsDetachedAndTheNewOneAttached)
{
    CTooltipCtrl* own = InPlaceCtrl();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->GetGridWindow(), grid.get()) << "the grid attaches its own control";
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), own));

    auto* replacement = new CCountedInPlaceCtrl;
    grid->SetInPlaceTooltipCtrl(replacement);
    EXPECT_EQ(grid->GetInPlaceTooltipCtrl(), replacement);
    EXPECT_EQ(own->GetSafeHwnd(), nullptr) << "the replaced control is detached";
    EXPECT_EQ(replacement->GetGridWindow(), grid.get()) << "the new control is attached";
    Ombrel::Test::MouseMove(*grid, CellCenter(0));
    ASSERT_TRUE(HoverUntilShown(CellCenter(3), replacement));

    grid->SetInPlaceTooltipCtrl(nullptr);
    EXPECT_EQ(CCountedInPlaceCtrl::alive, 0) << "an auto-delete control goes when replaced";
    EXPECT_EQ(grid->GetInPlaceTooltipCtrl(), own);
    EXPECT_EQ(own->GetGridWindow(), grid.get());
}

TEST_F(GridTooltipsTest, AControlSetBeforeTheWindowIsAttachedWhenItIsCreated)
{
    CGrid later;
    auto* control = new CCountedInPlaceCtrl;
    later.SetInPlaceTooltipCtrl(control);
    EXPECT_EQ(control->GetGridWindow(), nullptr);
    ASSERT_TRUE(later.Create(WS_POPUP, CRect(0, 0, 100, 100), nullptr, 2));
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] { return control->GetGridWindow() == &later; }));
    later.DestroyWindow();
    EXPECT_EQ(control->GetSafeHwnd(), nullptr) << "destroying the grid window detaches it";
}

} // namespace
} // namespace Ombrel::GUI
