#include "ombrel/gui/header/Column.h"

#include "ombrel/base/Archive.h"
#include "ombrel/common/DoubleFormat.h"
#include "ombrel/common/Format.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/PaintFormatRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Recorder final : CColumn::INotify
{
    std::vector<int> codes;
    CColumn* removeOnEvent = nullptr; // unregisters itself from this column when called

    void OnColumnChanged(CColumn* column, int code) override
    {
        codes.push_back(code);
        if (removeOnEvent == column) {
            column->RemoveNotify(this);
        }
    }
};

// A format that refuses to be stored.
class CTransientFormat : public Common::CFormat
{
public:
    CTransientFormat() : CFormat(Common::vtLong) {}
    CFormat* Clone() const override { return new CTransientFormat; }
    std::string GetClassName() const override { return "Test::CTransientFormat"; }
    bool IsSerializable() const override { return false; }
};

// A cell paint format with one option of its own, stored after its class name.
class CStripedCellFormat : public CCellPaintFormat
{
public:
    explicit CStripedCellFormat(std::int32_t stripe = 0) : m_stripe(stripe) {}
    std::string GetClassName() const override { return "Test::CStripedCellFormat"; }
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            archive << m_stripe;
        } else {
            archive >> m_stripe;
        }
    }
    std::int32_t GetStripe() const { return m_stripe; }

private:
    std::int32_t m_stripe;
};

const CPaintFormatRegistrar<ICellPaintFormat, CStripedCellFormat> registerStriped;

// A header-cell paint format that is not stored.
class CTransientColumnFormat : public CColumnPaintFormat
{
public:
    bool IsSerializable() const override { return false; }
};

Bytes Store(CColumn& column)
{
    CArchive ar(CArchive::store);
    column.Serialize(ar);
    return ar.GetBuffer();
}

TEST(ColumnTest, SetWidthRefusesNonPositiveAndReportsOnlyChanges)
{
    Recorder recorder; // outlives the column, which announces its destruction
    CColumn column(7, "Seven", 50);
    column.AddNotify(&recorder);
    column.AddNotify(&recorder);
    EXPECT_FALSE(column.SetWidth(0));
    EXPECT_FALSE(column.SetWidth(-5));
    EXPECT_TRUE(column.SetWidth(50));
    EXPECT_EQ(column.GetWidth(), 50);
    EXPECT_TRUE(column.SetWidth(60));
    column.SetVisible(true);
    column.SetVisible(false);
    EXPECT_EQ(recorder.codes, (std::vector<int>{CColumn::ColumnWidthChanged,
                                                CColumn::ColumnVisibilityChanged}));
}

TEST(ColumnTest, ListenerRemovingItselfDoesNotStopDeliveryToOthers)
{
    Recorder first;
    Recorder second;
    CColumn column(7, "Seven", 50);
    first.removeOnEvent = &column;
    column.AddNotify(&first);
    column.AddNotify(&second);
    column.SetWidth(80);
    column.SetWidth(90);
    EXPECT_EQ(first.codes.size(), 1u);
    EXPECT_EQ(second.codes.size(), 2u);
}

TEST(ColumnTest, DestructorAnnouncesItself)
{
    Recorder recorder;
    {
        CColumn column(7, "Seven", 50);
        column.AddNotify(&recorder);
    }
    EXPECT_EQ(recorder.codes, std::vector<int>{CColumn::ColumnDestroyed});
}

TEST(ColumnTest, StoredBytesFollowTheFieldOrder)
{
    CColumn column(5, "Ab", 60, CColumn::AlignRight, false, 3, -1, nullptr, nullptr, nullptr,
                   "u");
    const Bytes expected = {1, 0, 0, 0,   5, 0, 0, 0,   2, 'A', 'b', 60, 0, 0, 0,
                            2, 0, 0, 0,   3, 0, 0, 0,   0xFF, 0xFF, 0xFF, 0xFF,
                            1, 0,         1, 'u',       0,
                            0, 0, 0, 0,   0, 0, 0, 0};
    EXPECT_EQ(Store(column), expected);
}

TEST(ColumnTest, RoundTripKeepsPropertiesAndFormatOptions)
{
    CColumn original(5003, "Date", 80, CColumn::AlignCenter, true, 2, 4,
                     new Common::CDoubleFormat(5, true), nullptr, nullptr, "note");
    original.SetVisible(false);
    const Bytes bytes = Store(original);

    CColumn restored;
    CArchive in(bytes, CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(restored.GetFieldId(), 5003);
    EXPECT_EQ(restored.GetTitle(), "Date");
    EXPECT_EQ(restored.GetWidth(), 80);
    EXPECT_EQ(restored.GetAlignment(), CColumn::AlignCenter);
    EXPECT_TRUE(restored.IsEditable());
    EXPECT_EQ(restored.GetImageIndex(), 2);
    EXPECT_EQ(restored.GetHeaderImageIndex(), 4);
    EXPECT_FALSE(restored.IsVisible());
    EXPECT_EQ(restored.GetUserText(), "note");
    auto* format = dynamic_cast<Common::CDoubleFormat*>(restored.GetFormat());
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetPrecision(), 5);
    EXPECT_TRUE(format->GetTrailingZeros());
    EXPECT_EQ(Store(restored), bytes);
}

TEST(ColumnTest, UnstorableOrUnknownFormatsComeBackAsNoFormat)
{
    CColumn transient(1, "T", 10, 0, true, -1, -1, new CTransientFormat);
    CColumn restored(2, "before", 20, 0, true, -1, -1, new Common::CDoubleFormat);
    CArchive in(Store(transient), CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(restored.GetFormat(), nullptr);
    EXPECT_EQ(restored.GetFieldId(), 1);

    // An unregistered class name: its option bytes are skipped and the rest still reads.
    CArchive out(CArchive::store);
    out << std::int32_t(1) << std::int32_t(9) << std::string("X") << std::int32_t(10)
        << std::int32_t(1) << std::int32_t(-1) << std::int32_t(-1) << true << false
        << std::string() << true << std::string("Common::CNoSuchFormat") << std::int32_t(3);
    out << std::uint8_t(1) << std::uint8_t(2) << std::uint8_t(3) << std::int32_t(0)
        << std::int32_t(0);
    CArchive unknown(out.GetBuffer(), CArchive::load);
    restored.Serialize(unknown);
    EXPECT_EQ(unknown.GetRemaining(), 0u);
    EXPECT_EQ(restored.GetFormat(), nullptr);
    EXPECT_EQ(restored.GetFieldId(), 9);
}

TEST(ColumnTest, VersionZeroConsumesOnlyTheVersionAndNewerVersionIsBadSchema)
{
    CColumn column(3, "Keep", 30);
    CArchive zero(Bytes{0, 0, 0, 0, 0xAA}, CArchive::load);
    column.Serialize(zero);
    EXPECT_EQ(zero.GetRemaining(), 1u);
    EXPECT_EQ(column.GetTitle(), "Keep");

    CArchive newer(Bytes{2, 0, 0, 0}, CArchive::load);
    try {
        column.Serialize(newer);
        FAIL() << "a newer column version must be refused";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::badSchema);
    }
}

TEST(ColumnTest, StoredPaintFormatOfUnknownClassIsBadSchema)
{
    CArchive out(CArchive::store);
    CColumn plain(4, "P", 10);
    plain.Serialize(out);
    Bytes bytes = out.GetBuffer();
    ASSERT_GE(bytes.size(), 8u);
    bytes.resize(bytes.size() - 8);
    CArchive tail(CArchive::store);
    tail << std::int32_t(1) << std::string("GUI::CNoSuchPaintFormat");
    bytes.insert(bytes.end(), tail.GetBuffer().begin(), tail.GetBuffer().end());

    CColumn restored;
    restored.SetCellPaintFormat(new CCellPaintFormat);
    CArchive in(bytes, CArchive::load);
    try {
        restored.Serialize(in);
        FAIL() << "an unknown paint format must be refused";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::badSchema);
    }
    EXPECT_EQ(restored.GetFieldId(), 4); // fields read before the failure stay
    EXPECT_EQ(restored.GetCellPaintFormat(), nullptr);
}

TEST(ColumnTest, StandardPaintFormatsAreStoredByClassNameAndComeBack)
{
    CColumn original(6, "P", 30, CColumn::AlignAuto, true, -1, -1, nullptr, new CCellPaintFormat,
                     new CColumnPaintFormat);
    const Bytes bytes = Store(original);
    CArchive tail(CArchive::store);
    tail << std::int32_t(1) << std::string("GUI::CCellPaintFormat") << std::int32_t(1)
         << std::string("GUI::CColumnPaintFormat");
    const Bytes& expectedTail = tail.GetBuffer();
    ASSERT_GE(bytes.size(), expectedTail.size());
    EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(),
                           bytes.end() - static_cast<std::ptrdiff_t>(expectedTail.size())));

    CColumn restored;
    CArchive in(bytes, CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_NE(dynamic_cast<CCellPaintFormat*>(restored.GetCellPaintFormat()), nullptr);
    EXPECT_NE(dynamic_cast<CColumnPaintFormat*>(restored.GetColumnPaintFormat()), nullptr);
    EXPECT_EQ(Store(restored), bytes);
}

TEST(ColumnTest, PaintFormatDataTravelsBetweenItsNameAndTheNextSlot)
{
    ASSERT_TRUE(registerStriped.IsRegistered());
    CColumn original(6, "P", 30, CColumn::AlignAuto, true, -1, -1, nullptr,
                     new CStripedCellFormat(77), new CColumnPaintFormat);
    CColumn restored;
    CArchive in(Store(original), CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    auto* striped = dynamic_cast<CStripedCellFormat*>(restored.GetCellPaintFormat());
    ASSERT_NE(striped, nullptr);
    EXPECT_EQ(striped->GetStripe(), 77);
    EXPECT_NE(restored.GetColumnPaintFormat(), nullptr);
}

TEST(ColumnTest, RestoreReplacesPaintFormatsAndSkipsUnstorableOnes)
{
    CColumn stored(6, "P", 30, CColumn::AlignAuto, true, -1, -1, nullptr, nullptr,
                   new CTransientColumnFormat);
    CColumn restored(7, "Q", 30, CColumn::AlignAuto, true, -1, -1, nullptr,
                     new CStripedCellFormat(1), new CColumnPaintFormat);
    CArchive in(Store(stored), CArchive::load);
    restored.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(restored.GetCellPaintFormat(), nullptr);
    EXPECT_EQ(restored.GetColumnPaintFormat(), nullptr);
}

TEST(ColumnPaintFormatThreadTest, StoringWhileAnotherThreadReplacesThePaintFormat)
{
    CColumn column(6, "P", 30, CColumn::AlignAuto, true, -1, -1, nullptr, new CStripedCellFormat(0));
    std::atomic<bool> done{false};
    std::thread replacer([&] {
        for (std::int32_t i = 1; i <= 500; ++i) {
            column.SetCellPaintFormat(new CStripedCellFormat(i));
        }
        done = true;
    });
    int stores = 0;
    while (!done || stores == 0) {
        // Each store sees one whole format: its name and its stripe, never a deleted one.
        CColumn restored;
        CArchive in(Store(column), CArchive::load);
        restored.Serialize(in);
        ASSERT_NE(dynamic_cast<CStripedCellFormat*>(restored.GetCellPaintFormat()), nullptr);
        ++stores;
    }
    replacer.join();
    EXPECT_EQ(static_cast<CStripedCellFormat*>(column.GetCellPaintFormat())->GetStripe(), 500);
}

} // namespace
} // namespace Ombrel::GUI
