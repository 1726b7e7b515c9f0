// Cost of the grid's row model without a window: comparing rows, inserting rows into a sorted
// container one by one and in one burst, sorting a whole container, moving one row to its new
// sorted place after a change of its sort key, deleting a grid, and the heap taken per row.
// Every grid sorts by two levels: the quantity (a 32-bit long) ascending, about eight rows
// sharing each value, then the name ascending.
//
// No application object is needed: the dispatcher's hidden window is a message-only window on
// this thread's message queue, which PumpMessages serves.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "ombrel/Common.h"
#include "ombrel/base/HugePageMemory.h"
#include "ombrel/GUI.h"
#include "ombrel/gui/rows/detail/RowArena.h"
#include "ombrel/platform/MessageLoop.h"

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;
using namespace Ombrel::GUI;

enum RecordField : int
{
    kName = 1,
    kQuantity = 2,
    kVolume = 3,
    kPrice = 4,
    kDate = 5,
    kCity = 6,
};

// A row's data as applications declare it: six fields, setters that store and announce.
class CRecord : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    ~CRecord() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    std::int32_t GetQuantity() const { return m_quantity; }
    std::int64_t GetVolume() const { return m_volume; }
    double GetPrice() const { return m_price; }
    std::int32_t GetDate() const { return m_date; }
    std::int32_t GetCity() const { return m_city; }

    void SetName(CString value) { m_name = std::move(value); NotifyUpdate(kName); }
    void SetQuantity(std::int32_t value) { m_quantity = value; NotifyUpdate(kQuantity); }
    void SetVolume(std::int64_t value) { m_volume = value; NotifyUpdate(kVolume); }
    void SetPrice(double value) { m_price = value; NotifyUpdate(kPrice); }
    void SetDate(std::int32_t value) { m_date = value; NotifyUpdate(kDate); }
    void SetCity(std::int32_t value) { m_city = value; NotifyUpdate(kCity); }

    // Stores without announcing, as a loader fills objects before anyone watches them.
    void StoreQuantity(std::int32_t value) { m_quantity = value; }

private:
    CString m_name;
    std::int32_t m_quantity = 0;
    std::int64_t m_volume = 0;
    double m_price = 0;
    std::int32_t m_date = 0;
    std::int32_t m_city = 0;
};

OMBREL_BEGIN_FIELD_MAP(CRecord)
    OMBREL_FIELD(kName, "Name", &CRecord::GetName, &CRecord::SetName)
    OMBREL_FIELD(kQuantity, "Quantity", &CRecord::GetQuantity, &CRecord::SetQuantity)
    OMBREL_FIELD(kVolume, "Volume", &CRecord::GetVolume, &CRecord::SetVolume)
    OMBREL_FIELD(kPrice, "Price", &CRecord::GetPrice, &CRecord::SetPrice)
    OMBREL_FIELD(kDate, "Date", &CRecord::GetDate, &CRecord::SetDate, (new CLongDateFormat(14)))
    OMBREL_FIELD(kCity, "City", &CRecord::GetCity, &CRecord::SetCity)
OMBREL_END_FIELD_MAP()

// The grid side of the rows with nothing on screen: every request is accepted and dropped.
class CQuietOwner final : public IGridRowsOwner
{
public:
    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int, CGridItem*) override {}
    void RepaintRow(CGridItem*) override {}
    void RepaintCell(CGridItem*, int) override {}
    void RepaintPositions(int, int, int) override {}
    void RepaintAll() override {}
    RowPosition GetFocus() const override { return m_focus; }
    void SetFocus(RowPosition focus) override { m_focus = focus; }
    void ClearFocus() override { m_focus = RowPosition{}; }
    int GetTopRow() const override { return m_topRow; }
    void SetTopRow(int index) override { m_topRow = index; }
    void OnRowsEntered(int, int, int) override {}
    void OnRowsLeft(int, int, int) override {}
    void StartLayoutTimer() override {}
    void PostDeferredLayout() override {}
    void UpdateLayout() override {}
    SelectionMode GetSelectionMode() const override { return SelectionMode::Multiple; }
    std::vector<CSortInfo> GetHeaderSortLevels() const override { return m_levels; }
    void OnRowChanged(CGridItem*, int) override {}

    void SortByQuantityThenName()
    {
        m_levels = {CSortInfo(kQuantity, false), CSortInfo(kName, false)};
    }

    void SortBy(std::vector<CSortInfo> levels) { m_levels = std::move(levels); }

private:
    RowPosition m_focus;
    int m_topRow = -1;
    std::vector<CSortInfo> m_levels;
};

// Quantities are drawn from [0, KeyRange(n)), so about eight rows share each value and the name
// decides among them.
std::int32_t KeyRange(int rowCount)
{
    return std::max(1, rowCount / 8);
}

// Objects with random quantities and unique names, in creation order (random key order).
std::vector<std::unique_ptr<CRecord>> MakeRecords(int count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    std::vector<std::unique_ptr<CRecord>> records;
    records.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<CRecord>();
        CString name;
        name.Format("Row %07d", i);
        record->SetName(name); // no rows yet: nobody is told
        record->StoreQuantity(key(random));
        record->SetVolume(static_cast<std::int64_t>(random()) << 8);
        record->SetPrice(static_cast<double>(random()) / 7.0);
        record->SetDate(946684800 + static_cast<std::int32_t>(random() % 630720000));
        record->SetCity(static_cast<std::int32_t>(random() % 500));
        records.push_back(std::move(record));
    }
    return records;
}

// A sorted grid of n rows with its objects. Rows go before their objects (member order).
struct SortedGrid
{
    explicit SortedGrid(int count) : records(MakeRecords(count, 12345u)), rows(owner)
    {
        // Appending and sorting once is the quick way to a large sorted grid.
        rowOf.reserve(records.size());
        for (auto& record : records)
            rowOf.push_back(rows.Add(record.get(), GRID_ROOT, GRID_LAST));
        owner.SortByQuantityThenName();
        rows.Resort();
    }

    CQuietOwner owner;
    std::vector<std::unique_ptr<CRecord>> records;
    CGridRows rows;
    std::vector<CGridItem*> rowOf; // row of records[i]
};

// Built once per row count and kept across the runs Google Benchmark makes of one benchmark;
// released before exit, while the dispatcher's thread state still exists.
std::map<int, std::unique_ptr<SortedGrid>>& GridCache()
{
    static std::map<int, std::unique_ptr<SortedGrid>> cache;
    return cache;
}

SortedGrid& GetSortedGrid(int count)
{
    auto& slot = GridCache()[count];
    if (!slot)
        slot = std::make_unique<SortedGrid>(count);
    return *slot;
}

// ---- Benchmarks ---------------------------------------------------------------------------

// Bytes the grid holds: the heap's bytes in use, as the C library counts them, the chunks of
// the arena that rows are made in and the large tables' huge-page blocks (both mapped from the
// system, so the heap does not count them).
std::size_t GridHeapBytes()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd + CGridItem::GetArena().GetHeldBytes() +
           CHugePageMemory::Get().GetMappedBytes();
}

// Bytes per row the grid holds (see GridHeapBytes): the row object, its entries in the
// container's registered set and the dispatcher's registry, the dispatcher's subscription in the
// object's sink list, its slots in the children array and the visible sequence (with the
// blocks' spare capacity). The data objects exist before the first count and are not included.
// The rows are appended and then sorted once (the quick way to a large sorted grid; the memory
// is the same).
void BM_RowBytes(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto records = MakeRecords(count, 777u);
    double bytesPerRow = 0;
    for (auto _ : state) {
        CQuietOwner owner;
        const std::size_t before = GridHeapBytes();
        {
            CGridRows rows(owner);
            for (auto& record : records)
                rows.Add(record.get(), GRID_ROOT, GRID_LAST);
            owner.SortByQuantityThenName();
            rows.Resort();
            const std::size_t after = GridHeapBytes();
            bytesPerRow = static_cast<double>(after - before) / count;
            state.PauseTiming(); // tearing down is not part of the count
        }
        state.ResumeTiming();
    }
    state.counters["bytes_per_row"] = bytesPerRow;
}
BENCHMARK(BM_RowBytes)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A listener that ignores what it hears: what a grid's dispatcher is to an object's sink list.
class CIdleSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject*) override {}
};

// Bytes data objects hold: the heap's, and the huge-page blocks their private parts are pooled in.
std::size_t ObjectHeapBytes()
{
    return mallinfo2().uordblks + mallinfo2().hblkhd + CHugePageMemory::Get().GetMappedBytes();
}

// Heap bytes per data object with one sink subscribed, as every object that a grid shows has:
// the object itself, its private part (lock and sink list) and its short text fields. This is
// the data-object side of the resident memory per row; BM_RowBytes is the grid's side.
void BM_DataObjectBytes(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    CIdleSink sink;
    double bytesPerObject = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<CRecord>> records;
        records.reserve(count);
        const std::size_t before = ObjectHeapBytes();
        for (std::size_t i = 0; i < count; ++i) {
            records.push_back(std::make_unique<CRecord>());
            records.back()->Subscribe(&sink);
        }
        const std::size_t after = ObjectHeapBytes();
        bytesPerObject = static_cast<double>(after - before) / static_cast<double>(count);
        state.PauseTiming(); // destroying them is not part of the count
        records.clear();
        state.ResumeTiming();
    }
    state.counters["bytes_per_object"] = bytesPerObject;
}
BENCHMARK(BM_DataObjectBytes)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// One comparison of two random rows of the grid (mostly decided by the first level).
void BM_CompareRandomRows(benchmark::State& state)
{
    SortedGrid& grid = GetSortedGrid(static_cast<int>(state.range(0)));
    const CItemContainer& container = grid.rows.GetContainer(ROW_NORMAL);
    const CRowComparator comparator(container.GetSortLevels());
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> pick(0, grid.rowOf.size() - 1);
    std::vector<std::pair<const CGridItem*, const CGridItem*>> pairs(4096);
    for (auto& pair : pairs)
        pair = {grid.rowOf[pick(random)], grid.rowOf[pick(random)]};
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(comparator.Compare(*pairs[next].first, *pairs[next].second));
        next = (next + 1) & (pairs.size() - 1);
    }
}
BENCHMARK(BM_CompareRandomRows)->Arg(10000)->Arg(100000)->Arg(1000000);

// One comparison of neighbours in sorted order: the quantity usually ties and the name decides.
void BM_CompareNeighbourRows(benchmark::State& state)
{
    SortedGrid& grid = GetSortedGrid(static_cast<int>(state.range(0)));
    const CItemContainer& container = grid.rows.GetContainer(ROW_NORMAL);
    const CRowComparator comparator(container.GetSortLevels());
    std::mt19937 random(6);
    std::uniform_int_distribution<int> pick(0, container.GetRowCount() - 2);
    std::vector<std::pair<const CGridItem*, const CGridItem*>> pairs(4096);
    for (auto& pair : pairs) {
        const int position = pick(random);
        pair = {container.GetRowAt(position), container.GetRowAt(position + 1)};
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(comparator.Compare(*pairs[next].first, *pairs[next].second));
        next = (next + 1) & (pairs.size() - 1);
    }
}
BENCHMARK(BM_CompareNeighbourRows)->Arg(10000)->Arg(100000)->Arg(1000000);

// Adding n rows, in random key order, to an empty sorted grid: each goes to its sorted place
// among the children and into the visible sequence. Creating the data objects and deleting
// the rows afterwards are outside the time.
void BM_SortedInsert(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto records = MakeRecords(count, 99u);
    for (auto _ : state) {
        CQuietOwner owner;
        owner.SortByQuantityThenName();
        {
            CGridRows rows(owner);
            rows.Resort(); // the levels, on an empty grid
            for (auto& record : records)
                benchmark::DoNotOptimize(rows.Add(record.get(), GRID_ROOT, GRID_LAST));
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SortedInsert)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Loading n rows, in random key order, into an empty sorted grid in one burst (AddMany): the
// keys are read, the burst sorted once and the rows shown in order.
void BM_SortedBulkLoad(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto records = MakeRecords(count, 99u);
    std::vector<CDataObject*> objects;
    for (auto& record : records)
        objects.push_back(record.get());
    for (auto _ : state) {
        CQuietOwner owner;
        owner.SortByQuantityThenName();
        {
            CGridRows rows(owner);
            rows.Resort();
            benchmark::DoNotOptimize(rows.AddMany(objects, GRID_ROOT, GRID_LAST));
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SortedBulkLoad)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Resort of n rows whose quantities were all redrawn since the last sort, so the present order
// is random for the new keys: refreshing 2n cached keys through the getters, sorting, and
// rebuilding the visible sequence.
void BM_ResortRandom(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    SortedGrid& grid = GetSortedGrid(count);
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    for (auto _ : state) {
        state.PauseTiming();
        for (auto& record : grid.records)
            record->StoreQuantity(key(random));
        state.ResumeTiming();
        grid.rows.Resort();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ResortRandom)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Resort of n rows already in order (a header click that changes nothing).
void BM_ResortSorted(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    SortedGrid& grid = GetSortedGrid(count);
    grid.rows.Resort();
    for (auto _ : state)
        grid.rows.Resort();
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ResortSorted)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One change of a random row's quantity, delivered as in an application: the setter announces
// it, the dispatcher posts it to this thread's queue, PumpMessages hands it to the row, and the
// grid moves the row (and its entry in the visible sequence) to its new sorted place.
void BM_RepositionThroughDispatcher(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    SortedGrid& grid = GetSortedGrid(count);
    std::mt19937 random(21);
    std::uniform_int_distribution<std::size_t> pick(0, grid.records.size() - 1);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    for (auto _ : state) {
        grid.records[pick(random)]->SetQuantity(key(random));
        PumpMessages();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RepositionThroughDispatcher)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

// The same change handed to the row directly (what the dispatcher calls), without the queue.
void BM_RepositionDirect(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    SortedGrid& grid = GetSortedGrid(count);
    std::mt19937 random(22);
    std::uniform_int_distribution<std::size_t> pick(0, grid.records.size() - 1);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    for (auto _ : state) {
        const std::size_t index = pick(random);
        grid.records[index]->StoreQuantity(key(random));
        grid.rowOf[index]->OnUpdate(kQuantity);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RepositionDirect)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

// A burst of changes of random rows handed over at once, as a busy worker hands them over:
// one wake and one round of delivery for the whole burst, so the time per change is the
// dispatcher's queue and the row's move without the cost of a wake each.
void BM_BurstThroughDispatcher(benchmark::State& state)
{
    constexpr int kBurst = 256;
    const int count = static_cast<int>(state.range(0));
    SortedGrid& grid = GetSortedGrid(count);
    std::mt19937 random(23);
    std::uniform_int_distribution<std::size_t> pick(0, grid.records.size() - 1);
    std::uniform_int_distribution<std::int32_t> key(0, KeyRange(count) - 1);
    for (auto _ : state) {
        for (int i = 0; i < kBurst; ++i)
            grid.records[pick(random)]->SetQuantity(key(random));
        PumpMessages();
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}
BENCHMARK(BM_BurstThroughDispatcher)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

// Deleting a grid of n rows: every row leaves the dispatcher's registry (and the object's sink
// list with its last row), the container's sets and the tree. Building the grid is outside the
// time.
void BM_DeleteGrid(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto records = MakeRecords(count, 31u);
    for (auto _ : state) {
        state.PauseTiming();
        CQuietOwner owner;
        auto rows = std::make_unique<CGridRows>(owner);
        for (auto& record : records)
            rows->Add(record.get(), GRID_ROOT, GRID_LAST);
        owner.SortByQuantityThenName();
        rows->Resort();
        state.ResumeTiming();
        rows.reset();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DeleteGrid)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// ---- Text keys ----------------------------------------------------------------------------

// A table as files bring them: dynamic objects of one shared schema with three text columns of
// few distinct values (so that the second and third levels decide often), sorted on all three.
struct TextTable
{
    explicit TextTable(int count)
    {
        std::vector<std::unique_ptr<CField>> fields;
        for (int id = 1; id <= 3; ++id)
            fields.emplace_back(new CField(id, "text", vtStlString));
        const auto schema = CDynamicSchema::Create(std::move(fields));
        std::mt19937 random(7);
        static const char* const kWords[] = {"Amsterdam", "Amstelveen", "Berlin", "Bergen", "Cairo", "Calgary",
                                             "Delhi", "Denver", "Essen", "Espoo"};
        for (int row = 0; row < count; ++row) {
            auto object = CDynamicObject::Create(schema, false);
            for (int id = 1; id <= 3; ++id)
                object->SetStdString(id, std::string(kWords[random() % 10]) + " " + std::to_string(random() % 100));
            objects.push_back(std::move(object));
        }
    }

    static std::vector<CSortInfo> Levels() { return {CSortInfo(1, false), CSortInfo(2, false), CSortInfo(3, true)}; }

    std::vector<std::unique_ptr<CDynamicObject>> objects;
};

// Loading n such rows in one burst: reading three text keys per row, sorting once.
void BM_TextKeyBulkLoad(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    TextTable table(count);
    std::vector<CDataObject*> objects;
    for (auto& object : table.objects)
        objects.push_back(object.get());
    for (auto _ : state) {
        CQuietOwner owner;
        owner.SortBy(TextTable::Levels());
        {
            CGridRows rows(owner);
            rows.Resort();
            benchmark::DoNotOptimize(rows.AddMany(objects, GRID_ROOT, GRID_LAST));
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_TextKeyBulkLoad)->Arg(40000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// One comparison of sorted neighbours on three text levels: the first level mostly ties.
void BM_CompareTextNeighbours(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    TextTable table(count);
    CQuietOwner owner;
    CGridRows rows(owner);
    for (auto& object : table.objects)
        rows.Add(object.get(), GRID_ROOT, GRID_LAST);
    owner.SortBy(TextTable::Levels());
    rows.Resort();
    const CItemContainer& container = rows.GetContainer(ROW_NORMAL);
    const CRowComparator comparator(container.GetSortLevels());
    std::size_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(comparator.Compare(*container.GetRowAt(static_cast<int>(position)),
                                                    *container.GetRowAt(static_cast<int>(position) + 1)));
        position = (position + 1) % static_cast<std::size_t>(count - 1);
    }
}
BENCHMARK(BM_CompareTextNeighbours)->Arg(40000);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    GridCache().clear();
    return 0;
}
