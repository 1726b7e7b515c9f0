// Repaints of changed data handed to a real window once per frame: what waits for the frame,
// what goes at once, and that nothing collected is lost or painted after the window went.
#include "ombrel/gui/grid/detail/RepaintPacer.h"

#include "gui/grid/PumpUntil.h"
#include "support/Harness.h"

#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/Wnd.h"

#include <gtest/gtest.h>
#include <vector>

namespace Ombrel::GUI::Testing {
namespace {

namespace Harness = Ombrel::Test;

// Routes the frame timer to its pacer and records the update rectangles of every paint.
class CPacedWindow final : public CWnd
{
public:
    void OnTimer(UINT_PTR id) override
    {
        if (id == TimerId(GridTimer::Frame))
            pacer.OnFrameTimer();
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        painted.push_back(dc.GetUpdateRects());
    }

    // Whether a paint so far covered `rect` whole.
    bool Painted(const CRect& rect) const
    {
        for (const auto& pass : painted) {
            for (const CRect& update : pass) {
                if (update.left <= rect.left && update.top <= rect.top &&
                    update.right >= rect.right && update.bottom >= rect.bottom)
                    return true;
            }
        }
        return false;
    }

    CRepaintPacer pacer{*this};
    std::vector<std::vector<CRect>> painted;
};

class RepaintPacerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.CreateEx(0, nullptr, "paced", WS_POPUP, CRect(0, 0, 400, 400), nullptr, 0));
        Harness::ShowAndActivate(window);
        ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
        Harness::PumpFor(std::chrono::milliseconds(50));
        window.painted.clear();
    }
    void TearDown() override { window.DestroyWindow(); }

    CPacedWindow window;
};

TEST_F(RepaintPacerTest, FirstChangeGoesAtOnceAndTheRestOfTheFrameWaitsForTheTimer)
{
    const CRect first(0, 0, 100, 20);
    window.pacer.Add(first);
    EXPECT_FALSE(window.pacer.HasPending()); // a quiet window: handed over at once
    ASSERT_TRUE(PumpUntil([&] { return window.Painted(first); }));

    // Within the next frame: collected, merged on their band, painted when the timer fires.
    const CRect left(0, 40, 50, 60);
    const CRect right(200, 40, 250, 60);
    const CRect below(10, 100, 20, 120);
    window.pacer.Add(left);
    window.pacer.Add(right);
    window.pacer.Add(below);
    window.pacer.Add(CRect(12, 102, 18, 110)); // inside what waits: adds nothing
    EXPECT_TRUE(window.pacer.HasPending());
    ASSERT_TRUE(PumpUntil([&] { return !window.pacer.HasPending(); }));
    ASSERT_TRUE(PumpUntil([&] { return window.Painted(CRect(0, 40, 250, 60)) && window.Painted(below); }));
}

TEST_F(RepaintPacerTest, FlushHandsOverAtOnceAndResetForgets)
{
    window.pacer.Add(CRect(0, 0, 10, 10)); // starts the frame
    window.pacer.Add(CRect(0, 300, 10, 310));
    ASSERT_TRUE(window.pacer.HasPending());
    window.pacer.Flush(); // what a scroll does before it moves pixels
    EXPECT_FALSE(window.pacer.HasPending());
    ASSERT_TRUE(PumpUntil([&] { return window.Painted(CRect(0, 300, 10, 310)); }));

    window.pacer.Add(CRect(0, 0, 10, 10));
    window.pacer.Add(CRect(0, 200, 10, 210));
    window.pacer.Reset();
    EXPECT_FALSE(window.pacer.HasPending());
    window.painted.clear();
    Harness::PumpFor(std::chrono::milliseconds(60)); // past the frame it waited for
    EXPECT_FALSE(window.Painted(CRect(0, 200, 10, 210)));
}

TEST_F(RepaintPacerTest, ManyScatteredRepaintsInOneFrameAreAllPainted)
{
    window.pacer.Add(CRect(0, 0, 1, 1)); // starts the frame
    std::vector<CRect> cells;
    for (int i = 0; i < 100; ++i)
        cells.emplace_back((i * 37) % 380, i * 4, (i * 37) % 380 + 20, i * 4 + 3);
    for (const CRect& cell : cells)
        window.pacer.Add(cell);
    ASSERT_TRUE(PumpUntil([&] { return !window.pacer.HasPending(); }));
    for (const CRect& cell : cells)
        ASSERT_TRUE(PumpUntil([&] { return window.Painted(cell); })) << cell.left << "," << cell.top;
}

TEST_F(RepaintPacerTest, SlowPaintingStretchesTheFrameUpToItsLimit)
{
    EXPECT_EQ(window.pacer.GetFrameInterval(), CRepaintPacer::kFrameIntervalMs);
    for (int pass = 0; pass < 20; ++pass)
        window.pacer.OnPainted(15000); // 15 ms a pass: frames of about twice that
    EXPECT_GT(window.pacer.GetFrameInterval(), CRepaintPacer::kFrameIntervalMs);
    EXPECT_LT(window.pacer.GetFrameInterval(), CRepaintPacer::kLongestFrameIntervalMs);
    for (int pass = 0; pass < 20; ++pass)
        window.pacer.OnPainted(500000);
    EXPECT_EQ(window.pacer.GetFrameInterval(), CRepaintPacer::kLongestFrameIntervalMs);
}

} // namespace
} // namespace Ombrel::GUI::Testing
