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
    callbacks.restart = [&] {
        std::lock_guard guard(delivery.lock);
        delivery.events.push_back("restart");
        delivery.objects.clear();
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

std::string WriteText(const std::string& name, const std::string& text)
{
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << text;
    return path.string();
}

// The file is read once when its first rows show the kinds of the whole file; when a later
// row does not fit them (a code that stops being a number, a JSON key that comes late), the
// rows handed over are dropped and every row comes again with the kinds of the whole file.
TEST(TableLoaderThreadTest, KindsThatALaterRowBreaksStartTheLoadAgain)
{
    std::string csv = "id,code\n";
    for (int row = 0; row < 5000; ++row)
        csv += std::to_string(row) + "," + std::to_string(row * 3) + "\n";
    csv += "5000,A7\n5001,12\n";
    std::string json = "[";
    for (int row = 0; row < 5000; ++row)
        json += "{\"id\":" + std::to_string(row) + "},";
    json += "{\"id\":5000,\"late\":\"here\"}]";
    std::string dates = "id,day\n";
    for (int row = 0; row < 5000; ++row)
        dates += std::to_string(row) + ",2024-01-01\n";
    dates += "5000,2024-01-01T10:30\n";  // a date column would hide the time
    struct Case
    {
        std::string path;
        std::vector<std::string> events;
    };
    for (const Case& file : {Case{WriteText("ombrel_loader_kinds.csv", csv),
                                  {"columns 2", "batch", "restart", "columns 2", "batch", "finished"}},
                             Case{WriteText("ombrel_loader_kinds.json", json),
                                  {"columns 1", "batch", "restart", "columns 2", "batch", "finished"}},
                             Case{WriteText("ombrel_loader_dates.csv", dates),
                                  {"columns 2", "batch", "restart", "columns 2", "batch", "finished"}}}) {
        Delivery delivery;
        CTableLoader loader;
        ASSERT_TRUE(loader.Start(file.path, Collect(delivery)));
        loader.Wait();
        std::lock_guard guard(delivery.lock);
        EXPECT_EQ(delivery.events, file.events) << file.path;
        EXPECT_TRUE(delivery.summary.result.Succeeded()) << delivery.summary.result.error.Describe();
        ASSERT_EQ(delivery.objects.size(), file.path.ends_with("kinds.csv") ? 5002u : 5001u);
        EXPECT_EQ(delivery.objects[1]->GetInt64(1), 1);
        if (file.path.ends_with("dates.csv")) {
            const std::int64_t kTenThirty = (10 * 60 + 30) * 60 * 10'000'000LL;  // file time units
            EXPECT_EQ(delivery.objects[5000]->GetInt64(2) - delivery.objects[0]->GetInt64(2), kTenThirty);
        } else if (file.path.ends_with(".csv")) {
            EXPECT_EQ(delivery.objects[1]->GetStdString(2), "3");  // text now, as the whole column
            EXPECT_EQ(delivery.objects[5000]->GetStdString(2), "A7");
        } else {
            EXPECT_EQ(delivery.objects[5000]->GetStdString(2), "here");
        }
        std::filesystem::remove(file.path);
    }
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
