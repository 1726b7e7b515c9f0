// Tooltip operations called from a worker thread: carried to the window thread and answered
// as there, including refusals.

#include "gui/grid/GridTestSupport.h"

#include "ombrel/gui/services/InPlaceTooltipCtrl.h"
#include "ombrel/gui/services/Tooltip.h"

#include "support/Harness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace Ombrel::GUI {
namespace {

template <class Work>
auto OnWorker(Work work)
{
    auto result = std::async(std::launch::async, std::move(work));
    EXPECT_TRUE(Ombrel::Test::PumpUntil([&] {
        return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }));
    return result.get();
}

TEST(TooltipThreadTest, AWorkerSetsAndReadsTheTooltipSettingsAsTheWindowThreadDoes)
{
    Testing::GridWindow window;
    CGrid& grid = window.grid;
    TooltipSettings wanted = *grid.GetTooltipSettings();
    wanted.initialDelayMs = 900;
    wanted.placement = TooltipBelow;
    TooltipSettings invalid = wanted;
    invalid.initialDelayMs = -100;

    struct Answers
    {
        bool setValid, setInvalid, setInPlace, kindOk, kindBad;
        TooltipSettings read;
        TooltipSettings* address;
        int kind;
        bool enabled, reshow;
        ITooltip* provider;
        ITooltipCtrl* inPlace;
    };
    const Answers answers = OnWorker([&] {
        Answers a{};
        a.setValid = grid.SetTooltipSettings(wanted);
        a.setInvalid = grid.SetTooltipSettings(invalid);
        a.setInPlace = grid.SetInPlaceTooltipSettings(invalid);
        a.kindOk = grid.SetTooltipKind(TooltipAtCursor);
        a.kindBad = grid.SetTooltipKind(12);
        grid.EnableTooltips(false);
        grid.EnableInstantTooltipReshow(true);
        a.address = grid.GetTooltipSettings();
        a.read = *a.address; // the window thread is blocked in no call now: no race
        a.kind = grid.GetTooltipKind();
        a.enabled = grid.AreTooltipsEnabled();
        a.reshow = grid.IsInstantTooltipReshowEnabled();
        a.provider = grid.GetTooltip();
        a.inPlace = grid.GetInPlaceTooltipCtrl();
        return a;
    });
    EXPECT_TRUE(answers.setValid);
    EXPECT_FALSE(answers.setInvalid);
    EXPECT_FALSE(answers.setInPlace);
    EXPECT_TRUE(answers.kindOk);
    EXPECT_FALSE(answers.kindBad);
    EXPECT_EQ(answers.read, wanted);
    EXPECT_EQ(answers.address, grid.GetTooltipSettings()) << "the same record on both threads";
    EXPECT_EQ(answers.kind, TooltipAtCursor);
    EXPECT_FALSE(answers.enabled);
    EXPECT_TRUE(answers.reshow);
    EXPECT_EQ(answers.provider, &CTooltip::GetDefault());
    EXPECT_EQ(answers.inPlace, grid.GetInPlaceTooltipCtrl());
    EXPECT_NE(*grid.GetInPlaceTooltipSettings(), invalid);
}

TEST(TooltipThreadTest, AControlSetFromAWorkerIsAttachedOnTheWindowThread)
{
    Testing::GridWindow window;
    CGrid& grid = window.grid;
    auto* control = new CInPlaceTooltipCtrl(true);
    OnWorker([&] {
        grid.SetInPlaceTooltipCtrl(control);
        return 0;
    });
    EXPECT_EQ(control->GetGridWindow(), &grid);
    EXPECT_EQ(control->GetWindowThreadId(), grid.GetWindowThreadId());
}

} // namespace
} // namespace Ombrel::GUI
