// Header geometry read against a real window's horizontal scroll position.
#include "ombrel/gui/header/Header.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/platform/Wnd.h"

#include <gtest/gtest.h>

namespace Ombrel::GUI {
namespace {

class HeaderWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.CreateEx(0, nullptr, "header", WS_POPUP | WS_HSCROLL,
                                    CRect(0, 0, 200, 100), nullptr, 0));
        header.AddColumn(new CColumn(1, "One", 70));
        header.AddColumn(new CColumn(2, "Two", 60));
        header.AddColumn(new CColumn(3, "Three", 100));
        header.AddColumn(new CColumn(4, "Four", 50));
        header.SetFixedColumnCount(2);
    }

    void ScrollTo(int position)
    {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = 279;
        info.nPage = 100;
        info.nPos = position;
        ASSERT_EQ(window.SetScrollInfo(SB_HORZ, info), position);
    }

    std::int32_t IdAt(int x)
    {
        const CColumn* column = header.ColumnFromPoint(&window, x);
        return column ? column->GetFieldId() : -99;
    }

    CWnd window;
    CHeader header;
};

TEST_F(HeaderWindowTest, HitTestingShiftsOnlyTheScrollingColumns)
{
    ScrollTo(0);
    EXPECT_EQ(IdAt(69), 1);
    EXPECT_EQ(IdAt(70), 2);
    EXPECT_EQ(IdAt(130), 3);
    EXPECT_EQ(IdAt(229), 3);
    EXPECT_EQ(IdAt(230), 4);
    EXPECT_EQ(IdAt(280), -99);

    ScrollTo(40);
    EXPECT_EQ(IdAt(20), 1);    // fixed columns do not scroll
    EXPECT_EQ(IdAt(189), 3);   // 189 + 40 = 229
    EXPECT_EQ(IdAt(190), 4);
}

TEST_F(HeaderWindowTest, ColumnRectsFollowTheScrollPositionAndClipAtTheFixedArea)
{
    ScrollTo(40);
    EXPECT_EQ(header.GetColumnRect(&window, 1), CRect(0, 0, 70, 20));
    EXPECT_EQ(header.GetColumnRect(&window, 3), CRect(90, 0, 190, 20));
    EXPECT_EQ(header.GetClippedColumnRect(&window, 3), CRect(130, 0, 190, 20));
    EXPECT_EQ(header.GetClippedColumnRect(&window, 4), CRect(190, 0, 240, 20));
    header.HideColumn(4);
    EXPECT_EQ(header.GetColumnRect(&window, 4), CRect(0, 0, 0, 20));
}

} // namespace
} // namespace Ombrel::GUI
