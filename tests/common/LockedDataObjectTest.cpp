// CLockedDataObject: values read and written under the object's lock, changes announced
// after the lock is released, once per real change.

#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/common/LockedDataObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Ombrel::Common {
namespace {

class CQuote : public CLockedDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    static constexpr int kNameField = 1;
    static constexpr int kPriceField = 2;

    ~CQuote() override { NotifyDestroy(); }

    std::string GetName() const { return Read(m_name); }
    double GetPrice() const { return Read(m_price); }
    bool SetName(const std::string& value) { return Write(m_name, value); }
    bool SetPrice(double value) { return Write(m_price, value); }

private:
    Field<std::string, kNameField> m_name{"none"};
    Field<double, kPriceField> m_price{100.0};
};

OMBREL_BEGIN_FIELD_MAP(CQuote)
    OMBREL_FIELD(CQuote::kNameField, "Name", &CQuote::GetName)
    OMBREL_FIELD(CQuote::kPriceField, "Price", &CQuote::GetPrice, &CQuote::SetPrice)
OMBREL_END_FIELD_MAP()

static_assert(sizeof(CLockedDataObject::Field<double, 1>) == sizeof(double),
              "a field holds its value only; the lock belongs to the object");

// Records the notified fields and what the object answered from inside the notification.
class CRecordingSink : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int fieldId, CDataObject* object) override
    {
        std::lock_guard lock(m_lock);
        fields.push_back(fieldId);
        pricesSeen.push_back(static_cast<CQuote*>(object)->GetPrice());
    }

    std::vector<int> Fields() const
    {
        std::lock_guard lock(m_lock);
        return fields;
    }

    std::vector<int> fields;
    std::vector<double> pricesSeen;

private:
    mutable std::mutex m_lock;
};

TEST(LockedDataObjectTest, WriteNotifiesItsOwnFieldOnlyWhenTheValueChanges)
{
    CQuote quote;
    CRecordingSink sink;
    quote.Subscribe(&sink);

    EXPECT_TRUE(quote.SetPrice(101.5));
    EXPECT_FALSE(quote.SetPrice(101.5));
    EXPECT_TRUE(quote.SetName("ACME"));
    EXPECT_FALSE(quote.SetName("ACME"));

    EXPECT_EQ((std::vector<int>{CQuote::kPriceField, CQuote::kNameField}), sink.fields);
    // The sink read the object back on the same thread: the lock was free by then, and the
    // new value was in place.
    EXPECT_EQ(101.5, sink.pricesSeen.front());
    EXPECT_EQ("ACME", quote.GetName());
    quote.Unsubscribe(&sink);
}

TEST(LockedDataObjectTest, FieldMapReadsAndWritesThroughTheLockedAccessors)
{
    CQuote quote;
    CRecordingSink sink;
    quote.Subscribe(&sink);
    EXPECT_EQ(100.0, quote.GetDouble(CQuote::kPriceField));
    EXPECT_TRUE(quote.SetFormattedValue(CQuote::kPriceField, "7.25"));
    EXPECT_EQ(7.25, quote.GetPrice());
    EXPECT_EQ((std::vector<int>{CQuote::kPriceField}), sink.fields);
    EXPECT_EQ("none", quote.GetStdString(CQuote::kNameField));
    quote.Unsubscribe(&sink);
}

// A sink that asks another thread to read the object and waits for the answer: with the lock
// still held by the writer, the reader would block and the wait would time out.
class CCrossThreadReader : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject* object) override
    {
        auto* quote = static_cast<CQuote*>(object);
        auto answer = std::async(std::launch::async, [quote] { return quote->GetPrice(); });
        if (answer.wait_for(std::chrono::seconds(2)) == std::future_status::ready)
            seen = answer.get();
        else
            blocked = true;
        pending.push_back(std::move(answer)); // joined after the writer let go, if it blocked
    }

    double seen = 0.0;
    bool blocked = false;
    std::vector<std::future<double>> pending;
};

TEST(LockedDataObjectThreadTest, TheLockIsReleasedBeforeTheChangeIsAnnounced)
{
    CQuote quote;
    CCrossThreadReader reader;
    quote.Subscribe(&reader);
    quote.SetPrice(42.0);
    quote.Unsubscribe(&reader);
    EXPECT_FALSE(reader.blocked);
    EXPECT_EQ(42.0, reader.seen);
}

TEST(LockedDataObjectThreadTest, WritersAndReadersOnManyThreadsSeeWholeValues)
{
    CQuote quote;
    CRecordingSink sink;
    quote.Subscribe(&sink);
    constexpr int kWrites = 2000;
    const std::string longA(64, 'a');
    const std::string longB(64, 'b');

    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            const std::string name = quote.GetName();
            if (name != "none" && name != longA && name != longB)
                ++torn;
        }
    });
    std::atomic<int> changes{0};
    auto writer = [&](const std::string& text, double price) {
        for (int i = 0; i < kWrites; ++i) {
            changes += quote.SetName(i % 2 == 0 ? text : "none") ? 1 : 0;
            changes += quote.SetPrice(price + i) ? 1 : 0;
        }
    };
    std::thread first(writer, longA, 0.0);
    std::thread second(writer, longB, 0.5);
    first.join();
    second.join();
    done = true;
    reader.join();
    quote.Unsubscribe(&sink);

    EXPECT_EQ(0, torn.load());
    // Exactly one notification per write that changed something.
    EXPECT_EQ(static_cast<std::size_t>(changes.load()), sink.Fields().size());
    EXPECT_GT(changes.load(), kWrites);
}

} // namespace
} // namespace Ombrel::Common
