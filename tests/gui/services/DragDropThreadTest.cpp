// Drags over a grid while workers change the objects its rows show, destroy some of them and
// add rows from their threads: every drop runs on the window thread, rows of destroyed objects
// are never inserted or followed, and no row ends up in two places.

#include "gui/services/DragDropTestSupport.h"
#include "gui/services/ServicesTestSupport.h"

#include "ombrel/gui/rows/GridItem.h"

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

TEST(DragDropThreadTest, DropsWhileWorkersChangeAndDestroyTheDraggedObjects)
{
    constexpr int kObjects = 80;
    constexpr int kKept = 40; // objects from here on are destroyed by a worker
    ServiceGrid g(0, kObjects, 300, false);
    std::vector<std::unique_ptr<Testing::CNamedObject>> added;
    for (int i = 0; i < 20; ++i)
        added.push_back(std::make_unique<Testing::CNamedObject>("w" + std::to_string(i)));
    std::atomic<bool> dragging{false};
    std::atomic<int> finished{0};

    std::thread changer([&] {
        for (int round = 0; round < 300; ++round)
            g.objects[static_cast<std::size_t>(round % kKept)]->SetStdString(Testing::kFirstField, "v" + std::to_string(round));
        ++finished;
    });
    std::thread destroyer([&] {
        while (!dragging)
            std::this_thread::yield();
        for (int index = kKept; index < kObjects; ++index) {
            g.objects[static_cast<std::size_t>(index)].reset();
            std::this_thread::yield();
        }
        ++finished;
    });
    std::thread adder([&] {
        for (auto& object : added)
            g.grid.Add(object.get(), GRID_ROOT);
        ++finished;
    });

    for (int round = 0; round < 25; ++round) {
        const int count = g.grid.GetRowCount(ROW_NORMAL);
        ASSERT_GT(count, 3);
        std::vector<CGridItem*> dragged;
        for (int index = count - 1; index >= 0 && dragged.size() < 4; index -= 5)
            dragged.push_back(g.Normal(index));
        const auto data = Testing::DragDataOf(g.grid, dragged);
        // After a row of a kept object, among the top-level rows: a row dropped into a row of
        // a destroyed object would rightly go with it.
        CGridItem* anchor = g.grid.FindRow(g.objects[static_cast<std::size_t>(round % 3)].get());
        const CPoint target = Testing::LowerPartOf(g.grid, anchor);
        Testing::DragEnter(g.grid, target, *data);
        dragging = true;
        // Destructions and changes reach the rows while the drag hovers.
        Ombrel::Test::PumpFor(std::chrono::milliseconds(5));
        Testing::DragMove(g.grid, target, *data);
        Testing::Drop(g.grid, target, *data);
    }
    const bool done = Ombrel::Test::PumpUntil([&] { return finished == 3; }, std::chrono::seconds(120));
    changer.join();
    destroyer.join();
    adder.join();
    ASSERT_TRUE(done);
    QGuiApplication::clipboard()->clear();

    // Every object left is shown exactly once: drops moved rows, never copied or lost them.
    std::vector<CGridItem*> rows;
    g.grid.GetAllRows(ROW_NORMAL, rows);
    std::set<Common::CDataObject*> shown;
    for (CGridItem* row : rows)
        EXPECT_TRUE(shown.insert(g.grid.GetDataObject(row)).second);
    EXPECT_EQ(static_cast<int>(rows.size()), kKept + 20);
}

} // namespace
} // namespace Ombrel::GUI
