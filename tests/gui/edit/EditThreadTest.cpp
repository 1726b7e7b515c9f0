// In-place editing while other threads call the grid and change or destroy the edited object.
// Runs under ThreadSanitizer with the "threads" label.

#include "gui/edit/EditTestSupport.h"

#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EditInPlace.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Edit.h"
#include "support/Harness.h"

#include <atomic>
#include <future>
#include <thread>

namespace Ombrel::GUI::EditTest {
namespace {

using Ombrel::Test::Key;
using Ombrel::Test::PumpUntil;

class EditThreadTest : public EditGridTest
{
protected:
    // Runs `work` on a worker thread while the window thread serves its calls; its result.
    template <class Work>
    auto OnWorker(Work work)
    {
        auto done = std::async(std::launch::async, work);
        EXPECT_TRUE(PumpUntil([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return done.get();
    }
    CEdit& TextEditor() { return *dynamic_cast<CEdit*>(grid.GetEditor()); }
};

TEST_F(EditThreadTest, BeginCanBeginAndEndEditFromAWorkerThread)
{
    CGridItem* row = Row(1);
    EXPECT_TRUE(OnWorker([&] { return grid.CanBeginEdit(row, kNumber, StartByDoubleClick); }));
    EXPECT_FALSE(OnWorker([&] { return grid.CanBeginEdit(row, kName, StartByDoubleClick); }));
    EXPECT_TRUE(OnWorker([&] { return grid.CanBeginEdit(1, ROW_NORMAL, kNumber, StartByDoubleClick); }));
    ASSERT_TRUE(OnWorker([&] { return grid.BeginEdit(row, kNumber, StartByDoubleClick); }));
    EXPECT_NE(OnWorker([&] { return grid.GetEditor(); }), nullptr);
    TextEditor().SetWindowText("31");
    EXPECT_TRUE(OnWorker([&] { return grid.EndEdit(EndEnter); }));
    EXPECT_FALSE(OnWorker([&] { return grid.EndEdit(EndEnter); })); // nothing left to end
    EXPECT_EQ(RecordAt(1).GetNumber(), 31);
}

TEST_F(EditThreadTest, ObjectChangedByAWorkerKeepsTheUsersTextAndEnterWritesIt)
{
    CRecord& record = RecordAt(2);
    ASSERT_TRUE(grid.BeginEdit(Row(2), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "64");
    std::thread([&] { record.SetNumber(1000); }).join();
    ASSERT_TRUE(PumpUntil([&] { return grid.GetFieldText(Row(2), kNumber) == "1 000"; }));
    EXPECT_EQ(TextEditor().GetWindowText(), CString("64"));
    Key(TextEditor(), Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(record.GetNumber(), 64);
}

TEST_F(EditThreadTest, ObjectChangedByAWorkerShowsTheNewValueAfterEscape)
{
    CRecord& record = RecordAt(2);
    ASSERT_TRUE(grid.BeginEdit(Row(2), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "64");
    std::thread([&] { record.SetNumber(1000); }).join();
    ASSERT_TRUE(PumpUntil([&] { return grid.GetFieldText(Row(2), kNumber) == "1 000"; }));
    Key(TextEditor(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForEditEnd());
    EXPECT_EQ(record.GetNumber(), 1000);
}

TEST_F(EditThreadTest, ObjectDestroyedOnAWorkerClosesTheEditorWithoutWriting)
{
    ASSERT_TRUE(grid.BeginEdit(Row(3), kNumber, StartByDoubleClick));
    Ombrel::Test::TypeText(TextEditor(), "12");
    std::unique_ptr<CRecord> doomed = std::move(records[3]);
    // The destructor waits on the worker until the window thread has removed the row.
    std::atomic<bool> destroyed{false};
    std::thread worker([&] {
        doomed.reset();
        destroyed = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    worker.join();
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_FALSE(Editing());
    EXPECT_EQ(LastEnd()->endCode, EndNone);
    EXPECT_FALSE(LastEnd()->written);
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), 4);
    // Keys and posted ends that come after the object is gone find nothing to write.
    Ombrel::Test::PumpFor(std::chrono::milliseconds(30));
}

TEST_F(EditThreadTest, WorkerChangesWhileTheUserTypesNeverLoseTheUsersValue)
{
    grid.SetSortInfo(0, CSortInfo(kNumber, false));
    CRecord& record = RecordAt(0);
    CGridItem* row = Row(0);
    ASSERT_TRUE(grid.BeginEdit(row, kAmount, StartByDoubleClick));
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        // Without a pause: the window thread must still take the user's keys and paint,
        // however far the worker's rate exceeds what it can deliver.
        for (int i = 0; !stop; ++i)
            record.SetNumber(i % 2 == 0 ? 100 + i : -i); // moves the row up and down
    });
    Ombrel::Test::TypeText(TextEditor(), "8");
    Ombrel::Test::PumpFor(std::chrono::milliseconds(50));
    Key(TextEditor(), Qt::Key_Return);
    ASSERT_TRUE(WaitForEditEnd());
    stop = true;
    worker.join();
    EXPECT_DOUBLE_EQ(record.GetAmount(), 8.0);
}

} // namespace
} // namespace Ombrel::GUI::EditTest
