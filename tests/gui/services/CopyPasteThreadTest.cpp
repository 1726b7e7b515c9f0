// Copy and paste requested from a worker thread while other workers change and destroy the
// objects the rows show: requests run on the window thread, and rows of destroyed objects are
// neither copied nor pasted.

#include "gui/services/ServicesTestSupport.h"

#include "support/Harness.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace Ombrel::GUI {
namespace {

using Testing::ServiceGrid;

TEST(CopyPasteThreadTest, WorkerCopiesCutsAndPastesWhileOthersChangeAndDestroyObjects)
{
    QGuiApplication::clipboard()->clear();
    constexpr int kObjects = 120;
    constexpr int kKept = 60; // objects from here on are destroyed by a worker
    ServiceGrid g(0, kObjects, 200, false);
    std::atomic<int> finished{0};

    std::thread clipboard([&] {
        for (int round = 0; round < 30; ++round) {
            g.grid.ClearSelection();
            for (int index = 0; index < 5; ++index)
                g.grid.SelectAt(index * 7, ROW_NORMAL, true);
            if (round % 3 == 2)
                g.grid.Cut();
            else
                g.grid.Copy();
            g.grid.SetFocus(round % 4, ROW_NORMAL);
            g.grid.Paste();
        }
        ++finished;
    });
    std::thread changer([&] {
        for (int round = 0; round < 400; ++round)
            g.objects[static_cast<std::size_t>(round % kKept)]->SetStdString(Testing::kFirstField, "v" + std::to_string(round));
        ++finished;
    });
    std::thread destroyer([&] {
        for (int index = kKept; index < kObjects; ++index) {
            g.objects[static_cast<std::size_t>(index)].reset();
            std::this_thread::yield();
        }
        ++finished;
    });
    const bool done = Ombrel::Test::PumpUntil([&] { return finished == 3; }, std::chrono::seconds(120));
    clipboard.join();
    changer.join();
    destroyer.join();
    ASSERT_TRUE(done);

    std::set<Common::CDataObject*> alive;
    for (int index = 0; index < kKept; ++index)
        alive.insert(g.objects[static_cast<std::size_t>(index)].get());
    std::vector<CGridItem*> rows;
    g.grid.GetAllRows(ROW_ALL_TYPES, rows);
    EXPECT_GE(rows.size(), static_cast<std::size_t>(kKept)) << "no row of a live object is lost";
    for (CGridItem* row : rows)
        EXPECT_TRUE(alive.contains(g.grid.GetDataObject(row))) << "a row outlived its object";
    QGuiApplication::clipboard()->clear();
}

} // namespace
} // namespace Ombrel::GUI
