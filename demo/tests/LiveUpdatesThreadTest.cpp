// The workers behind "Live updates", without a window.

#include "DemoDocument.h"
#include "LiveUpdates.h"
#include "TestClass.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace Ombrel::Demo {
namespace {

using namespace std::chrono_literals;

// Counts notifications per field; called on the workers.
class CFieldCounter final : public Common::CDataObject::ISink
{
public:
    using Common::CDataObject::ISink::OnUpdate;
    void OnUpdate(int fieldId, Common::CDataObject*) override
    {
        switch (fieldId) {
        case CTestClass::kLongField: ++longs; break;
        case CTestClass::kDoubleField: ++doubles; break;
        case CTestClass::kCityField: ++cities; break;
        default: ++others; break;
        }
    }
    int Total() const { return longs + doubles + cities + others; }

    std::atomic<int> longs = 0, doubles = 0, cities = 0, others = 0;
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout = 20s)
{
    auto until = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class LiveUpdatesThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto& object : document.GetObjects())
            object->Subscribe(&counter);
    }
    void TearDown() override
    {
        for (const auto& object : document.GetObjects())
            object->Unsubscribe(&counter);
    }

    CDemoDocument document{20};
    CFieldCounter counter;
};

TEST_F(LiveUpdatesThreadTest, WorkersChangeLongDoubleAndCityThroughNotifyingSetters)
{
    CLiveUpdates live(document);
    ASSERT_TRUE(live.Start());
    EXPECT_TRUE(live.IsRunning());
    ASSERT_TRUE(WaitFor([&] { return counter.longs > 0 && counter.doubles > 0 && counter.cities > 0; }));
    live.Stop();
    EXPECT_FALSE(live.IsRunning());
    // Every change was one setter call announcing one field, and none came after Stop.
    EXPECT_EQ(static_cast<std::uint64_t>(counter.Total()), live.GetChangeCount());
    EXPECT_EQ(counter.others, 0);
    for (const auto& object : document.GetObjects()) {
        EXPECT_GE(object->GetSomeEnum(), CTestClass::kParis);
        EXPECT_LE(object->GetSomeEnum(), CTestClass::kFrankfurt);
    }
}

TEST_F(LiveUpdatesThreadTest, StartsOnceAndRestartsAfterStop)
{
    CLiveUpdates live(document);
    ASSERT_TRUE(live.Start());
    EXPECT_FALSE(live.Start()) << "already running";
    live.Stop();
    live.Stop(); // nothing to stop
    std::uint64_t before = live.GetChangeCount();
    ASSERT_TRUE(live.Start());
    EXPECT_TRUE(WaitFor([&] { return live.GetChangeCount() > before; }));
    // The destructor stops and joins the running workers.
}

TEST(LiveUpdatesEmptyThreadTest, AnEmptyDocumentStartsNoWorkers)
{
    CDemoDocument empty(0);
    CLiveUpdates live(empty);
    EXPECT_FALSE(live.Start());
    EXPECT_FALSE(live.IsRunning());
}

} // namespace
} // namespace Ombrel::Demo
