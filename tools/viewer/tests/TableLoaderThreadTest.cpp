#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "TableLoader.h"
#include "TableShape.h"

#include "ombrel/common/DynamicObject.h"

namespace Ombrel::Viewer {
namespace {

// A CSV file of `rows` rows (id, price, name) in the test's temporary folder.
std::string WriteTable(const std::string& name, int rows)
{
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream file(path);
    file << "id,price,name\n";
    for (int row = 0; row < rows; ++row)
        file << row << ',' << row * 0.5 << ",\"name " << row << "\"\n";
    return path.string();
}

// What a load delivered, filled on the loader's worker thread.
struct Delivery
{
    std::mutex lock;
    std::vector<std::string> events;
    std::vector<std::unique_ptr<Common::CDynamicObject>> objects;
    TableLoadSummary summary;
};

CTableLoader::Callbacks Collect(Delivery& delivery)
{
    CTableLoader::Callbacks callbacks;
    callbacks.columns = [&](const CTableShape& shape, const auto&) {
        std::lock_guard guard(delivery.lock);
        delivery.events.push_back("columns " + std::to_string(shape.GetColumns().size()));
    };
    callbacks.batch = [&](CTableRowBuilder::Objects& batch) {
        std::lock_guard guard(delivery.lock);
        if (delivery.events.back() != "batch")
            delivery.events.push_back("batch");
        for (auto& object : batch)
            delivery.objects.push_back(std::move(object));
        return true;
    };
    callbacks.finished = [&](const TableLoadSummary& summary) {
        std::lock_guard guard(delivery.lock);
        delivery.events.push_back("finished");
        delivery.summary = summary;
    };
    return callbacks;
}

TEST(TableLoaderThreadTest, ColumnsComeBeforeTheRowsAndTheEndComesLast)
{
    const std::string path = WriteTable("ombrel_loader_all.csv", 10000);
    Delivery delivery;
    CTableLoader loader;
    ASSERT_TRUE(loader.Start(path, Collect(delivery)));
    EXPECT_FALSE(loader.Start(path, Collect(delivery)) && loader.IsRunning());
    loader.Wait();

    std::lock_guard guard(delivery.lock);
    EXPECT_EQ(delivery.events, (std::vector<std::string>{"columns 3", "batch", "finished"}));
    EXPECT_TRUE(delivery.summary.result.Succeeded()) << delivery.summary.result.error.Describe();
    ASSERT_EQ(delivery.objects.size(), 10000u);
    EXPECT_EQ(delivery.objects[9999]->GetInt64(1), 9999);
    EXPECT_EQ(delivery.objects[3]->GetDouble(2), 1.5);
    EXPECT_EQ(delivery.objects[3]->GetStdString(3), "name 3");
    std::filesystem::remove(path);
}

TEST(TableLoaderThreadTest, ACancelFromAnotherThreadStopsTheLoadAndStillEndsIt)
{
    const std::string path = WriteTable("ombrel_loader_cancel.csv", 50000);
    Delivery delivery;
    CTableLoader loader;
    auto callbacks = Collect(delivery);
    auto collect = callbacks.batch;
    std::atomic<bool> firstBatch = false;
    callbacks.batch = [&](CTableRowBuilder::Objects& batch) {
        firstBatch = true;
        return collect(batch);
    };
    ASSERT_TRUE(loader.Start(path, callbacks));
    while (!firstBatch.load())
        std::this_thread::yield();
    loader.Cancel();
    loader.Wait();

    std::lock_guard guard(delivery.lock);
    EXPECT_EQ(delivery.events.back(), "finished");
    EXPECT_EQ(delivery.summary.result.outcome, TableReadResult::Outcome::Cancelled);
    EXPECT_LT(delivery.objects.size(), 50000u);
    EXPECT_EQ(delivery.summary.result.rows, delivery.objects.size());
    std::filesystem::remove(path);
}

TEST(TableLoaderThreadTest, AFileThatCannotBeReadEndsWithItsReason)
{
    Delivery delivery;
    CTableLoader loader;
    ASSERT_TRUE(loader.Start("/nonexistent/table.json", Collect(delivery)));
    loader.Wait();
    std::lock_guard guard(delivery.lock);
    EXPECT_EQ(delivery.events, (std::vector<std::string>{"finished"}));
    EXPECT_EQ(delivery.summary.result.outcome, TableReadResult::Outcome::Failed);
}

} // namespace
} // namespace Ombrel::Viewer
