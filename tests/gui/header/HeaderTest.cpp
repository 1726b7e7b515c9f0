#include "ombrel/gui/header/Header.h"

#include "ombrel/base/Archive.h"
#include "ombrel/gui/header/Column.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct HeaderRecorder final : CHeader::INotify
{
    std::vector<std::pair<int, std::int32_t>> events; // code, field id (-2 for no column)
    CHeader* removeOnEvent = nullptr;
    std::vector<HeaderRecorder*>* order = nullptr; // shared log of which listener ran

    void OnHeaderChanged(CHeader* header, CColumn* column, int code) override
    {
        events.emplace_back(code, column ? column->GetFieldId() : -2);
        if (order) {
            order->push_back(this);
        }
        if (removeOnEvent == header) {
            header->RemoveNotify(this);
        }
    }

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (const auto& e : events) {
            codes.push_back(e.first);
        }
        return codes;
    }
};

// Three visible columns 1, 2, 3 of widths 70, 60, 100, the first two fixed.
void AddThreeColumns(CHeader& header)
{
    header.AddColumn(new CColumn(1, "One", 70));
    header.AddColumn(new CColumn(2, "Two", 60));
    header.AddColumn(new CColumn(3, "Three", 100));
    header.SetFixedColumnCount(2);
}

std::vector<std::int32_t> DisplayOrder(const CHeader& header)
{
    std::vector<std::int32_t> ids;
    for (int i = 0; i < header.GetColumnCount(); ++i) {
        ids.push_back(header.GetColumn(i)->GetFieldId());
    }
    return ids;
}

Bytes Store(CHeader& header)
{
    CArchive ar(CArchive::store);
    header.Serialize(ar);
    return ar.GetBuffer();
}

TEST(HeaderTest, AddColumnRefusesReservedAndRepeatedFieldIds)
{
    CHeader header(false);
    EXPECT_FALSE(header.AddColumn(nullptr));
    CColumn all(-1, "All", 10);
    CColumn none(-2, "None", 10);
    EXPECT_FALSE(header.AddColumn(&all));
    EXPECT_FALSE(header.AddColumn(&none));
    ASSERT_TRUE(header.AddColumn(new CColumn(4, "Four", 10)));
    header.HideColumn(4);
    CColumn again(4, "Again", 10);
    EXPECT_FALSE(header.AddColumn(&again));
    EXPECT_EQ(header.GetColumnCount(), 1);
    EXPECT_EQ(header.GetVisibleColumnCount(), 0);
    EXPECT_EQ(header.GetColumnById(4)->GetTitle(), "Four");
    EXPECT_EQ(header.GetVisibleColumnById(4), nullptr);
}

TEST(HeaderTest, FixedAndScrollableWidthsAndHitTestingInTheFixedArea)
{
    CHeader header;
    AddThreeColumns(header);
    EXPECT_EQ(header.GetFixedWidth(), 130);
    EXPECT_EQ(header.GetScrollableWidth(), 100);
    EXPECT_EQ(header.ColumnFromPoint(nullptr, 0)->GetFieldId(), 1);
    EXPECT_EQ(header.ColumnFromPoint(nullptr, 69)->GetFieldId(), 1);
    EXPECT_EQ(header.ColumnFromPoint(nullptr, 70)->GetFieldId(), 2);
    EXPECT_EQ(header.ColumnFromPoint(nullptr, -1), nullptr);
    // The scrolling area needs the window's scroll position.
    EXPECT_EQ(header.ColumnFromPoint(nullptr, 130), nullptr);
    EXPECT_TRUE(header.IsFixedColumn(2));
    EXPECT_FALSE(header.IsFixedColumn(3));

    EXPECT_EQ(header.GetColumnRect(nullptr, 2), CRect(70, 0, 130, 20));
    EXPECT_EQ(header.GetColumnRect(nullptr, 3), CRect(130, 0, 230, 20));
    EXPECT_EQ(header.GetColumnRect(nullptr, 99), CRect(0, 0, 0, 20));
    header.SetHeight(24);
    EXPECT_EQ(header.GetColumnRect(nullptr, 1), CRect(0, 0, 70, 24));
}

TEST(HeaderTest, ColumnWidthChangeRelaysAndRaisesResized)
{
    HeaderRecorder recorder; // outlives the header, whose destructor still raises events
    CHeader header;
    AddThreeColumns(header);
    header.AddNotify(&recorder);
    header.GetColumnById(1)->SetWidth(20);
    EXPECT_EQ(header.GetFixedWidth(), 80);
    EXPECT_EQ(header.ColumnFromPoint(nullptr, 20)->GetFieldId(), 2);
    EXPECT_EQ(recorder.events, (std::vector<std::pair<int, std::int32_t>>{
                                   {CHeader::HeaderColumnResized, 1}}));
}

TEST(HeaderTest, ShowAndHideRaiseVisibilityTwiceAndOnlyOnChange)
{
    HeaderRecorder recorder; // outlives the header, whose destructor still raises events
    CHeader header;
    AddThreeColumns(header);
    header.AddNotify(&recorder);
    EXPECT_TRUE(header.ShowColumn(2));
    EXPECT_FALSE(header.ShowColumn(42));
    EXPECT_TRUE(recorder.events.empty());

    EXPECT_TRUE(header.HideColumn(2));
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{CHeader::HeaderColumnVisibility,
                                                  CHeader::HeaderColumnVisibility}));
    EXPECT_EQ(header.GetVisibleColumnIndex(3), 1);
    EXPECT_EQ(header.GetFixedWidth(), 170);
    EXPECT_EQ(header.GetScrollableWidth(), 0);
    EXPECT_EQ(header.GetColumnIndex(3), 2);
}

TEST(HeaderTest, RemovingTheFocusColumnFallsBackToTheFirstVisible)
{
    HeaderRecorder recorder; // outlives the header, whose destructor still raises events
    CHeader header;
    AddThreeColumns(header);
    header.AddNotify(&recorder);
    EXPECT_TRUE(header.SetFocusColumn(3));
    EXPECT_EQ(header.GetFocusColumn()->GetFieldId(), 3);
    EXPECT_TRUE(header.RemoveColumn(3));
    EXPECT_FALSE(header.RemoveColumn(3));
    EXPECT_EQ(header.GetFocusColumn()->GetFieldId(), 1);
    EXPECT_EQ(recorder.events, (std::vector<std::pair<int, std::int32_t>>{
                                   {CHeader::HeaderColumnRemoved, 3}}));
    header.HideColumn(2);
    EXPECT_FALSE(header.SetFocusColumn(2));
}

TEST(HeaderTest, MovesFollowTheMoveFlagsAndTargetPositions)
{
    CHeader header;
    AddThreeColumns(header);
    EXPECT_FALSE(header.MoveColumnBefore(1, 1));
    EXPECT_TRUE(header.MoveColumnBefore(1, 3));
    EXPECT_EQ(DisplayOrder(header), (std::vector<std::int32_t>{2, 1, 3}));
    EXPECT_TRUE(header.MoveColumnAfter(2, 3));
    EXPECT_EQ(DisplayOrder(header), (std::vector<std::int32_t>{1, 3, 2}));
    EXPECT_TRUE(header.MoveColumnToPosition(1, 3));
    EXPECT_EQ(DisplayOrder(header), (std::vector<std::int32_t>{3, 2, 1}));
    EXPECT_FALSE(header.MoveColumnToPosition(1, 7));
    EXPECT_FALSE(header.MoveColumnBefore(42, 1));

    header.SetCanMoveFixedColumns(false);
    EXPECT_FALSE(header.MoveColumnAfter(3, 1)); // 3 is fixed
    EXPECT_FALSE(header.MoveColumnBefore(1, 3)); // the target 3 is fixed
    header.HideColumn(3);
    header.SetFixedColumnCount(1); // visible now: 2 fixed, 1 scrollable
    EXPECT_TRUE(header.MoveColumnAfter(3, 1)); // a hidden column passes
    EXPECT_EQ(DisplayOrder(header), (std::vector<std::int32_t>{2, 1, 3}));
}

TEST(HeaderTest, SortLevelRules)
{
    HeaderRecorder recorder;
    CHeader header;
    header.AddNotify(&recorder);
    header.SetSort(1, CSortInfo(5, false)); // beyond the count
    header.SetSort(0, CSortInfo(5, false));
    header.SetSort(0, CSortInfo(5, false)); // unchanged
    header.SetSort(2, CSortInfo(6, true));  // beyond the count
    header.SetSort(1, CSortInfo(6, true));
    EXPECT_EQ(header.GetSortCount(), 2);
    EXPECT_EQ(header.GetSort(1), CSortInfo(6, true));
    EXPECT_EQ(header.GetSort(9), CSortInfo(-2, false));
    EXPECT_EQ(recorder.Codes().size(), 2u);

    for (int level = 2; level < 5; ++level) {
        header.SetSort(level, CSortInfo(10 + level, false));
    }
    header.SetSort(5, CSortInfo(99, false));
    EXPECT_EQ(header.GetSortCount(), 5);

    header.SetMultiSortEnabled(false);
    EXPECT_EQ(header.GetSortCount(), 0);
    header.SetSort(0, CSortInfo(5, false));
    header.SetSort(1, CSortInfo(6, false));
    EXPECT_EQ(header.GetSortCount(), 1);
    header.SetSortEnabled(false);
    EXPECT_EQ(header.GetSortCount(), 0);
    header.SetSort(0, CSortInfo(5, false));
    EXPECT_EQ(header.GetSortCount(), 0);
    // One event per change: two levels, three more, a clear, one level, a clear.
    EXPECT_EQ(recorder.Codes(), std::vector<int>(8, CHeader::HeaderSortChanged));
}

TEST(HeaderTest, ListenersRunInRegistrationOrderEvenWhenOneLeaves)
{
    std::vector<HeaderRecorder*> order;
    HeaderRecorder a;
    HeaderRecorder b;
    HeaderRecorder c;
    CHeader header;
    for (HeaderRecorder* r : {&a, &b, &c}) {
        r->order = &order;
        header.AddNotify(r);
    }
    header.AddNotify(&b);
    b.removeOnEvent = &header;
    header.SetHeight(30);
    header.SetHeight(31);
    EXPECT_EQ(order, (std::vector<HeaderRecorder*>{&a, &b, &c, &a, &c}));
}

TEST(HeaderTest, StoreRestoreStoreGivesIdenticalBytesAndState)
{
    CHeader original;
    AddThreeColumns(original);
    original.AddColumn(new CColumn(4, "Four", 40));
    original.HideColumn(2);
    original.MoveColumnBefore(4, 1);
    original.SetHeight(26);
    original.SetSort(0, CSortInfo(3, true));
    original.SetSort(1, CSortInfo(1, false));
    original.SetCanMoveScrollableColumns(false);
    original.SetReservedFlag(false);
    original.SetSearchColumn(2);
    const Bytes bytes = Store(original);

    HeaderRecorder recorder;
    CHeader restored;
    restored.AddColumn(new CColumn(77, "Old", 10));
    restored.AddNotify(&recorder);
    CArchive in(bytes, CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(Store(restored), bytes);

    EXPECT_EQ(DisplayOrder(restored), (std::vector<std::int32_t>{4, 1, 2, 3}));
    EXPECT_FALSE(restored.GetColumnById(2)->IsVisible());
    EXPECT_EQ(restored.GetFixedColumnCount(), 2);
    EXPECT_EQ(restored.GetFixedWidth(), 110);
    EXPECT_EQ(restored.GetScrollableWidth(), 100);
    EXPECT_EQ(restored.GetHeight(), 26);
    EXPECT_EQ(restored.GetSortCount(), 2);
    EXPECT_EQ(restored.GetSort(0), CSortInfo(3, true));
    EXPECT_FALSE(restored.CanMoveScrollableColumns());
    EXPECT_TRUE(restored.CanMoveFixedColumns());
    EXPECT_FALSE(restored.GetReservedFlag());
    EXPECT_EQ(restored.GetSearchColumn(), 2);
    // The old column went, four came, and each applied level was announced.
    const std::vector<int> expected = {CHeader::HeaderColumnRemoved, CHeader::HeaderColumnAdded,
                                       CHeader::HeaderColumnAdded, CHeader::HeaderColumnAdded,
                                       CHeader::HeaderColumnAdded, CHeader::HeaderSortChanged,
                                       CHeader::HeaderSortChanged};
    EXPECT_EQ(recorder.Codes(), expected);
}

// A header of one column whose class record names a class that is not a column, followed
// by six sort levels, as a foreign writer might store them.
Bytes ForeignHeader()
{
    CArchive ar(CArchive::store);
    ar << std::int32_t(1) << std::int32_t(2);
    ar << std::uint16_t(0xFFFF) << std::uint32_t(1) << std::string("CHeader");
    CColumn skipped(8, "Skipped", 10);
    skipped.Serialize(ar);
    ar.WriteClass(RUNTIME_CLASS(CColumn));
    CColumn kept(9, "Kept", 10);
    kept.Serialize(ar);
    ar << std::int32_t(0) << std::int32_t(20) << true << true << std::int32_t(6);
    for (int i = 0; i < 6; ++i) {
        CSortInfo(100 + i, false).Serialize(ar);
    }
    ar << true << true << true << std::int32_t(3);
    return ar.GetBuffer();
}

TEST(HeaderTest, RestoreSkipsNonColumnsAndReadsEveryStoredSortLevel)
{
    CHeader header;
    CArchive in(ForeignHeader(), CArchive::load);
    header.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(DisplayOrder(header), std::vector<std::int32_t>{9});
    EXPECT_EQ(header.GetSortCount(), 5);
    EXPECT_EQ(header.GetSort(4).GetFieldId(), 104);
    EXPECT_EQ(header.GetSearchColumn(), 3);
}

TEST(HeaderTest, RestoreOfNewerVersionIsBadSchemaAndVersionZeroChangesNothing)
{
    CHeader header;
    AddThreeColumns(header);
    CArchive zero(Bytes{0, 0, 0, 0}, CArchive::load);
    header.Serialize(zero);
    EXPECT_EQ(header.GetColumnCount(), 3);

    CArchive newer(Bytes{2, 0, 0, 0}, CArchive::load);
    try {
        header.Serialize(newer);
        FAIL() << "a newer header version must be refused";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::badSchema);
    }
    EXPECT_EQ(header.GetColumnCount(), 3);

    Bytes truncated = Store(header);
    truncated.resize(truncated.size() / 2);
    CArchive shortInput(truncated, CArchive::load);
    EXPECT_THROW(header.Serialize(shortInput), CArchiveException);
}

TEST(HeaderThreadTest, ConcurrentWidthChangesAndLookupsKeepTheLayoutConsistent)
{
    std::atomic<int> resized{0};
    struct Counter final : CHeader::INotify
    {
        std::atomic<int>* count;
        void OnHeaderChanged(CHeader*, CColumn*, int code) override
        {
            if (code == CHeader::HeaderColumnResized) {
                ++*count;
            }
        }
    } counter;
    counter.count = &resized;
    CHeader header;
    constexpr int kColumns = 8;
    for (int id = 0; id < kColumns; ++id) {
        header.AddColumn(new CColumn(id, "C", 10));
    }
    header.AddNotify(&counter);

    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t) {
        writers.emplace_back([&header, t] {
            for (int i = 0; i < 300; ++i) {
                header.GetColumnById((i + t) % kColumns)->SetWidth(10 + (i % 2));
            }
        });
    }
    std::thread reader([&] {
        while (!stop) {
            for (int id = 0; id < kColumns; ++id) {
                CColumn* column = header.GetColumnById(id);
                ASSERT_NE(column, nullptr);
                EXPECT_GE(column->GetWidth(), 10);
            }
            const std::int32_t total = header.GetScrollableWidth();
            EXPECT_GE(total, 10 * kColumns);
            EXPECT_LE(total, 11 * kColumns);
        }
    });
    for (auto& writer : writers) {
        writer.join();
    }
    stop = true;
    reader.join();

    std::int32_t sum = 0;
    for (int id = 0; id < kColumns; ++id) {
        sum += header.GetColumnById(id)->GetWidth();
    }
    EXPECT_EQ(header.GetScrollableWidth(), sum);
    EXPECT_GT(resized.load(), 0);
}

} // namespace
} // namespace Ombrel::GUI
