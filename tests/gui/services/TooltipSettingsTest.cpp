// Tooltip settings records: their stored form, and restoring damaged or hostile ones into a
// record or a whole grid without crashing and without applying part of them.

#include "TooltipTestSupport.h"

#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Ombrel::GUI {
namespace {

// Byte offsets in a stored record (after its 4-byte version).
constexpr std::size_t kInitialDelayAt = 16;
constexpr std::size_t kMarginXAt = 36;
constexpr std::size_t kRecordSize = 48;

TooltipSettings Distinct()
{
    TooltipSettings settings;
    settings.backgroundColor = 0x102030;
    settings.textColor = 0x405060;
    settings.borderColor = 0x708090;
    settings.initialDelayMs = 250;
    settings.displayTimeMs = 4000;
    settings.cursorOffset = CPoint(-3, 9);
    settings.textMargins = CSize(4, 2);
    settings.placement = TooltipRight;
    settings.mode = 2;
    return settings;
}

std::vector<std::uint8_t> Stored(TooltipSettings settings)
{
    CArchive archive(CArchive::store);
    SerializeTooltipSettings(archive, settings);
    return archive.GetBuffer();
}

void PutInt(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Loads `bytes` into a record holding Distinct(); returns the record.
TooltipSettings LoadOverDistinct(const std::vector<std::uint8_t>& bytes)
{
    TooltipSettings settings = Distinct();
    CArchive archive(bytes.data(), bytes.size(), CArchive::load);
    SerializeTooltipSettings(archive, settings);
    return settings;
}

TEST(TooltipSettingsTest, StoredFormIsTheVersionAndTheMembersAtTheirWidths)
{
    const std::vector<std::uint8_t> bytes = Stored(Distinct());
    ASSERT_EQ(bytes.size(), kRecordSize);
    const std::vector<std::uint8_t> start(bytes.begin(), bytes.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::uint8_t>{1, 0, 0, 0, 0x30, 0x20, 0x10, 0}));
    EXPECT_EQ(LoadOverDistinct(bytes), Distinct());
    TooltipSettings defaults;
    EXPECT_EQ(LoadOverDistinct(Stored(defaults)), defaults);
}

TEST(TooltipSettingsTest, DamagedRecordsRaiseAndLeaveTheRecordWhole)
{
    auto expectCause = [](const std::vector<std::uint8_t>& bytes, int cause, const char* what) {
        TooltipSettings settings = Distinct();
        CArchive archive(bytes.data(), bytes.size(), CArchive::load);
        try {
            SerializeTooltipSettings(archive, settings);
            ADD_FAILURE() << what << ": no exception";
        } catch (const CArchiveException& error) {
            EXPECT_EQ(error.GetCause(), cause) << what;
        }
        EXPECT_EQ(settings, Distinct()) << what << ": nothing of it may be applied";
    };
    TooltipSettings other;
    std::vector<std::uint8_t> bytes = Stored(other);

    std::vector<std::uint8_t> newer = bytes;
    PutInt(newer, 0, 2);
    expectCause(newer, CArchiveException::badSchema, "a newer version");

    for (std::size_t length : {std::size_t{4}, std::size_t{20}, kRecordSize - 1})
        expectCause(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length),
                    CArchiveException::endOfFile, "a record cut short");

    std::vector<std::uint8_t> negative = bytes;
    PutInt(negative, kInitialDelayAt, -5);
    expectCause(negative, CArchiveException::genericException, "a negative delay");

    std::vector<std::uint8_t> wide = bytes;
    PutInt(wide, kMarginXAt, 40000);
    expectCause(wide, CArchiveException::genericException, "a margin over 32767");

    std::vector<std::uint8_t> placement = bytes;
    PutInt(placement, kRecordSize - 8, 9);
    expectCause(placement, CArchiveException::genericException, "an unknown placement");
}

TEST(TooltipSettingsTest, VersionZeroReadsNothingMore)
{
    const std::vector<std::uint8_t> bytes{0, 0, 0, 0, 0xFF, 0xFF};
    TooltipSettings settings = Distinct();
    CArchive archive(bytes.data(), bytes.size(), CArchive::load);
    SerializeTooltipSettings(archive, settings);
    EXPECT_EQ(settings, Distinct());
}

TEST(TooltipSettingsTest, SettersRefuseWhatTheReaderRefuses)
{
    CGrid grid;
    TooltipSettings settings = Distinct();
    ASSERT_TRUE(grid.SetTooltipSettings(settings));
    TooltipSettings bad = settings;
    bad.displayTimeMs = -1;
    EXPECT_FALSE(grid.SetTooltipSettings(bad));
    bad = settings;
    bad.textMargins.cy = kMaxTooltipMargin + 1;
    EXPECT_FALSE(grid.SetInPlaceTooltipSettings(bad));
    bad = settings;
    bad.borderColor = 0xFF000000;
    EXPECT_FALSE(grid.SetTooltipSettings(bad));
    EXPECT_EQ(*grid.GetTooltipSettings(), settings);
    EXPECT_FALSE(grid.SetTooltipKind(3));
    EXPECT_FALSE(grid.SetTooltipKind(-1));
    EXPECT_EQ(grid.GetTooltipKind(), TooltipInPlace);
}

// The grid's stored state ends with the two tooltip records; damage in the last one must
// leave every setting of the grid as it was.
TEST(TooltipSettingsTest, AGridRestoringADamagedRecordKeepsAllItsSettings)
{
    CGrid source;
    ASSERT_TRUE(source.SetTooltipSettings(Distinct()));
    ASSERT_TRUE(source.SetTooltipKind(TooltipAtCursor));
    source.SetSeparatorThickness(5);
    CArchive store(CArchive::store);
    source.Serialize(store);
    std::vector<std::uint8_t> bytes = store.GetBuffer();
    ASSERT_GT(bytes.size(), 2 * kRecordSize);

    CGrid target;
    const TooltipSettings before = *target.GetInPlaceTooltipSettings();
    std::vector<std::uint8_t> damaged = bytes;
    PutInt(damaged, damaged.size() - kRecordSize + kInitialDelayAt, -1);
    CArchive load(damaged.data(), damaged.size(), CArchive::load);
    EXPECT_THROW(target.Serialize(load), CArchiveException);
    EXPECT_EQ(target.GetSeparatorThickness(), 2);
    EXPECT_EQ(target.GetTooltipKind(), TooltipInPlace);
    EXPECT_EQ(*target.GetInPlaceTooltipSettings(), before);
    EXPECT_NE(*target.GetTooltipSettings(), Distinct());

    // An unknown tooltip kind is damage as well. It is the byte right after the 32-bit
    // stretch-images flag; find it by storing two grids that differ only in it.
    CGrid otherKind;
    ASSERT_TRUE(otherKind.SetTooltipSettings(Distinct()));
    ASSERT_TRUE(otherKind.SetTooltipKind(TooltipInPlaceElseAtCursor));
    otherKind.SetSeparatorThickness(5);
    CArchive storeOther(CArchive::store);
    otherKind.Serialize(storeOther);
    const std::vector<std::uint8_t> otherBytes = storeOther.GetBuffer();
    ASSERT_EQ(otherBytes.size(), bytes.size());
    std::size_t kindAt = 0;
    while (kindAt < bytes.size() && bytes[kindAt] == otherBytes[kindAt])
        ++kindAt;
    ASSERT_LT(kindAt, bytes.size());
    std::vector<std::uint8_t> badKind = bytes;
    badKind[kindAt] = 7;
    CArchive loadKind(badKind.data(), badKind.size(), CArchive::load);
    EXPECT_THROW(target.Serialize(loadKind), CArchiveException);
    EXPECT_EQ(target.GetSeparatorThickness(), 2);

    // The undamaged state restores whole.
    CArchive loadGood(bytes.data(), bytes.size(), CArchive::load);
    target.Serialize(loadGood);
    EXPECT_EQ(*target.GetTooltipSettings(), Distinct());
    EXPECT_EQ(target.GetTooltipKind(), TooltipAtCursor);
    EXPECT_EQ(target.GetSeparatorThickness(), 5);
}

} // namespace
} // namespace Ombrel::GUI
