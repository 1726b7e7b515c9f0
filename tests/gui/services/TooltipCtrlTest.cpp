// The tooltip at the cursor, shown by the grid after a real hover: where it stands for each
// placement, how the screen's edges move it, its text, font and window.

#include "TooltipTestSupport.h"

#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/services/Tooltip.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/SystemMetrics.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <cstdlib>

namespace Ombrel::GUI {
namespace {

using Testing::kLongText;
using Testing::kShortText;

// The pointer's image is 32 pixels in these tests, so the 22-pixel cap shows.
class TooltipCtrlTest : public Testing::TooltipGridTest
{
protected:
    void SetUp() override
    {
        setenv("XCURSOR_SIZE", "32", 1);
        TooltipGridTest::SetUp();
        grid->SetTooltipKind(TooltipAtCursor);
    }
    void TearDown() override
    {
        TooltipGridTest::TearDown();
        unsetenv("XCURSOR_SIZE");
    }

    CRect ShownRect()
    {
        CRect rect;
        CursorCtrl()->GetWindowRect(&rect);
        return rect;
    }
};

TEST_F(TooltipCtrlTest, EachPlacementStandsWhereTheTableSays)
{
    ASSERT_EQ(GetSystemMetrics(SM_CYCURSOR), 32);
    const CPoint offset(7, 5);
    struct Case
    {
        std::int32_t placement;
        // Expected top-left from the pointer (cx, cy) and the tooltip's size (w, h).
        CPoint (*expected)(CPoint cursor, CSize size, CPoint offset);
    };
    const Case cases[] = {
        {TooltipAbove, [](CPoint c, CSize s, CPoint o) { return CPoint(c.x - s.cx / 2, c.y - o.y - s.cy); }},
        {TooltipBelow, [](CPoint c, CSize s, CPoint o) { return CPoint(c.x - s.cx / 2, c.y + 22 + o.y); }},
        {TooltipLeft, [](CPoint c, CSize s, CPoint o) { return CPoint(c.x - s.cx - o.x, c.y - s.cy / 2); }},
        {TooltipRight, [](CPoint c, CSize s, CPoint o) { return CPoint(c.x + 22 + o.x, c.y - s.cy / 2); }},
    };
    int row = 0;
    for (const Case& test : cases) {
        TooltipSettings settings = *grid->GetTooltipSettings();
        settings.placement = test.placement;
        settings.cursorOffset = offset;
        ASSERT_TRUE(grid->SetTooltipSettings(settings));
        const CPoint point = CellCenter(row++);
        ASSERT_TRUE(HoverUntilShown(point, CursorCtrl())) << "placement " << test.placement;
        const CRect shown = ShownRect();
        EXPECT_EQ(shown.TopLeft(), test.expected(ScreenPoint(point), shown.Size(), offset))
            << "placement " << test.placement;
        Ombrel::Test::Key(*grid, Qt::Key_Shift); // hides; the next row hovers anew
        ASSERT_FALSE(IsShown(CursorCtrl()));
    }
}

TEST_F(TooltipCtrlTest, TextIsTheCellsAndTheSizeIsTheTextGrownByTheMargins)
{
    TooltipSettings settings = *grid->GetTooltipSettings();
    settings.textMargins = CSize(6, 3);
    ASSERT_TRUE(grid->SetTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), CursorCtrl()));
    EXPECT_STREQ(CursorCtrl()->GetText().GetString(), kLongText);
    const CRect wide = ShownRect();

    Ombrel::Test::Key(*grid, Qt::Key_Shift);
    ASSERT_TRUE(HoverUntilShown(CellCenter(0), CursorCtrl()));
    EXPECT_STREQ(CursorCtrl()->GetText().GetString(), kShortText);
    const CRect narrow = ShownRect();
    EXPECT_GT(wide.Width(), narrow.Width());
    EXPECT_EQ(wide.Height(), narrow.Height());

    settings.textMargins = CSize(16, 3);
    ASSERT_TRUE(grid->SetTooltipSettings(settings));
    Ombrel::Test::Key(*grid, Qt::Key_Shift);
    ASSERT_TRUE(HoverUntilShown(CellCenter(2), CursorCtrl()));
    EXPECT_EQ(ShownRect().Width(), narrow.Width() + 2 * 10) << "margins count on both sides";
}

TEST_F(TooltipCtrlTest, ATooltipPastTheScreensRightEdgeEndsOnIt)
{
    const CRect screen(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    CreateGrid(CPoint(screen.right - 120, screen.top + 100), 120);
    grid->SetTooltipKind(TooltipAtCursor);
    TooltipSettings settings = *grid->GetTooltipSettings();
    settings.placement = TooltipRight;
    ASSERT_TRUE(grid->SetTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), CursorCtrl()));
    EXPECT_EQ(ShownRect().right, screen.right);

    // Left of a pointer at the screen's left edge: the tooltip starts on that edge.
    CreateGrid(CPoint(screen.left, screen.top), 120);
    grid->SetTooltipKind(TooltipAtCursor);
    settings.placement = TooltipLeft;
    ASSERT_TRUE(grid->SetTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), CursorCtrl()));
    EXPECT_EQ(ShownRect().left, screen.left);

    // Far above a pointer near the top of the screen: it starts on the top edge.
    Ombrel::Test::Key(*grid, Qt::Key_Shift);
    settings.placement = TooltipAbove;
    settings.cursorOffset = CPoint(0, 100);
    ASSERT_TRUE(grid->SetTooltipSettings(settings));
    ASSERT_TRUE(HoverUntilShown(CellCenter(2), CursorCtrl()));
    EXPECT_EQ(ShownRect().top, screen.top);
}

TEST_F(TooltipCtrlTest, CreateIsRefusedTwiceAndWithoutAGridWindow)
{
    CTooltipCtrl control(false);
    EXPECT_FALSE(control.Create(nullptr));
    CGrid windowless;
    EXPECT_FALSE(control.Create(&windowless));
    ASSERT_TRUE(control.Create(grid.get()));
    EXPECT_EQ(control.GetGridWindow(), grid.get());
    EXPECT_EQ(control.GetClassName(), CString(CTooltipCtrl::kWindowClass));
    EXPECT_FALSE(control.Create(grid.get()));
    EXPECT_FALSE(control.IsWindowVisible()) << "created hidden";
    EXPECT_EQ(control.GetDefaultTooltip(), &CTooltip::GetDefault());
    control.Destroy();
    EXPECT_EQ(control.GetGridWindow(), nullptr);
    EXPECT_TRUE(control.Create(grid.get())) << "a destroyed control may be created again";
}

TEST_F(TooltipCtrlTest, TheControlKeepsItsOwnCopyOfAFontThatGoesAway)
{
    CTooltipCtrl control(false);
    ASSERT_TRUE(control.Create(grid.get()));
    LOGFONT given;
    {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(180, "Sans"));
        font.GetLogFont(given);
        control.SetFont(&font);
        EXPECT_NE(control.GetFont(), &font);
    }
    LOGFONT kept;
    ASSERT_NE(control.GetFont(), nullptr);
    ASSERT_TRUE(control.GetFont()->GetLogFont(kept));
    EXPECT_EQ(kept.lfHeight, given.lfHeight);
    EXPECT_STREQ(kept.lfFaceName, given.lfFaceName);
    // Painting with the kept copy after the original is gone.
    control.SetWindowPos(nullptr, 0, 0, 40, 20, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    control.UpdateWindow();
    EXPECT_FALSE(Ombrel::Test::Grab(control).isNull());
}

// A provider that answers for one row only, so that the grid's timing may be seen asking it.
class COddRowsProvider : public CTooltip
{
public:
    COddRowsProvider() : CTooltip(true) { ++alive; }
    ~COddRowsProvider() override { --alive; }
    CString GetTooltipText(CGrid&, const CellPaintContext& cell) override
    {
        return cell.position % 2 == 1 ? CString("odd row") : CString();
    }
    static inline int alive = 0;
};

TEST_F(TooltipCtrlTest, TheGridsProviderSuppliesTheTextAndIsDeletedWhenReplaced)
{
    grid->SetTooltip(new COddRowsProvider);
    ASSERT_EQ(COddRowsProvider::alive, 1);
    ASSERT_TRUE(HoverUntilShown(CellCenter(1), CursorCtrl()));
    EXPECT_STREQ(CursorCtrl()->GetText().GetString(), "odd row");

    // A cell the provider has no text for shows nothing at the cursor.
    Ombrel::Test::MouseMove(*grid, CellCenter(2));
    Ombrel::Test::PumpFor(std::chrono::milliseconds(kDelayMs * 5));
    EXPECT_FALSE(IsShown(CursorCtrl()));

    grid->SetTooltip(nullptr);
    EXPECT_EQ(COddRowsProvider::alive, 0) << "an auto-delete provider goes with its replacement";
    EXPECT_EQ(grid->GetTooltip(), &CTooltip::GetDefault());
}

} // namespace
} // namespace Ombrel::GUI
