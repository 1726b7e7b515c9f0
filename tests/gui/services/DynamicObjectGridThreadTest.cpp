// Objects an import creates are dynamic objects when their class is not registered, and they
// work in a grid like declared ones: shown, sorted on two levels while a worker changes them,
// filtered, edited through the grid and serialized.

#include "ombrel/common/DataObjectRegistry.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/Serializer.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/RowFilter.h"
#include "ombrel/gui/services/CopyPaste.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Common::CDynamicObject;

constexpr std::int32_t kCity = 1;
constexpr std::int32_t kAmount = 2;
const char* const kCities[] = {"Bergen", "Oslo", "Tromsø"};

// A declared class the importer knows by name.
class CRegisteredRecord : public CDynamicObject
{
public:
    CRegisteredRecord() : CDynamicObject(true) {}
    const std::string& GetClassName() override
    {
        static const std::string name = "Test.RegisteredRecord";
        return name;
    }
};

CDynamicObject* MakeImported(CCopyPaste& importer, int index)
{
    auto* object = dynamic_cast<CDynamicObject*>(importer.CreateObject("Test.UnknownClass"));
    if (object == nullptr)
        return nullptr;
    object->AddField(new Common::CField(kCity, "City", Common::vtStlString));
    object->AddField(new Common::CField(kAmount, "Amount", Common::vtLong));
    object->SetStdString(kCity, kCities[index % 3]);
    object->SetLong(kAmount, (index * 7) % 13);
    return object;
}

// City ascending, then amount descending, over the normal rows in visible order.
bool IsSortedByCityThenAmountDescending(CGrid& grid)
{
    std::tuple<std::string, std::int32_t> previous;
    for (int index = 0; index < grid.GetRowCount(ROW_NORMAL); ++index) {
        Common::CDataObject* object = grid.GetDataObject(grid.GetRowAt(index, ROW_NORMAL));
        const std::tuple<std::string, std::int32_t> key{object->GetStdString(kCity), -object->GetLong(kAmount)};
        if (index > 0 && key < previous)
            return false;
        previous = key;
    }
    return true;
}

class CAmountAbove final : public IRowFilter
{
public:
    explicit CAmountAbove(std::int32_t limit) : m_limit(limit) {}
    bool IsHidden(CGrid*, CGridItem*, Common::CDataObject* object) override
    {
        return object->GetLong(kAmount) > m_limit;
    }

private:
    std::int32_t m_limit;
};

TEST(DynamicObjectGridThreadTest, ImportedObjectsShowSortFilterEditAndSerializeLikeDeclaredOnes)
{
    ASSERT_TRUE(Common::CDataObjectRegistry::Register("Test.RegisteredRecord",
                                                      [] () -> Common::CDataObject* { return new CRegisteredRecord(); }));
    CCopyPaste importer(true);
    std::unique_ptr<Common::CDataObject> registered(importer.CreateObject("Test.RegisteredRecord"));
    EXPECT_NE(dynamic_cast<CRegisteredRecord*>(registered.get()), nullptr) << "a registered class is made";
    importer.ReleaseCreatedObjects(false);
    registered.reset();

    CGrid grid;
    // Hidden: painting would run Qt's image thread pool, which ThreadSanitizer cannot follow.
    ASSERT_TRUE(grid.Create(WS_POPUP, CRect(0, 0, 300, 400), nullptr, 1));
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(kCity, "City", 120));
    header->AddColumn(new CColumn(kAmount, "Amount", 80));
    grid.SetHeader(header);
    std::vector<CDynamicObject*> objects;
    for (int index = 0; index < 30; ++index) {
        objects.push_back(MakeImported(importer, index));
        ASSERT_NE(objects.back(), nullptr);
        grid.Add(objects.back());
    }
    grid.SetSortInfo(0, CSortInfo(kCity, false));
    grid.SetSortInfo(1, CSortInfo(kAmount, true));
    EXPECT_TRUE(IsSortedByCityThenAmountDescending(grid));
    EXPECT_EQ(grid.GetFieldText(grid.GetRowAt(0, ROW_NORMAL), kCity), "Bergen");

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 300; ++round) {
            CDynamicObject* object = objects[static_cast<std::size_t>((round * 11) % 30)];
            object->SetLong(kAmount, (round * 17) % 23);
            if (round % 5 == 0)
                object->SetStdString(kCity, kCities[round % 3]);
        }
        done = true;
    });
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return done.load() && IsSortedByCityThenAmountDescending(grid); },
                                        std::chrono::seconds(30)));
    worker.join();

    // Edited through the grid: the text is parsed by the field's kind and the row moves.
    CGridItem* first = grid.GetRowAt(0, ROW_NORMAL);
    ASSERT_TRUE(grid.SetFieldText(first, kAmount, std::string("-5")));
    EXPECT_EQ(grid.GetDataObject(first)->GetLong(kAmount), -5);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return IsSortedByCityThenAmountDescending(grid); }));

    CAmountAbove filter(10);
    grid.SetFilter(&filter);
    int shown = 0;
    for (CDynamicObject* object : objects)
        shown += object->GetLong(kAmount) > 10 ? 0 : 1;
    EXPECT_EQ(grid.GetRowCount(ROW_NORMAL), shown);
    grid.SetFilter(nullptr);

    Common::CSerializer store(false);
    objects[3]->Serialize(store);
    std::vector<char> bytes(static_cast<std::size_t>(store.GetSize()));
    store.GetData(bytes.data());
    CDynamicObject copy(false);
    Common::CSerializer restore(true);
    restore.SetData(bytes.data(), static_cast<int>(bytes.size()));
    copy.Serialize(restore);
    EXPECT_EQ(copy.GetStdString(kCity), objects[3]->GetStdString(kCity));
    EXPECT_EQ(copy.GetLong(kAmount), objects[3]->GetLong(kAmount));
    grid.DestroyWindow();
}

} // namespace
} // namespace Ombrel::GUI
