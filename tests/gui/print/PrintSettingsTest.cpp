// The print settings record as stored: its bytes, versions, and what a damaged record does.
#include "ombrel/gui/print/PrintSettings.h"

#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace Ombrel::GUI {
namespace {

std::vector<std::uint8_t> Store(PrintSettings settings)
{
    CArchive out(CArchive::store);
    SerializePrintSettings(out, settings);
    return out.GetBuffer();
}

PrintSettings Load(const std::vector<std::uint8_t>& bytes, PrintSettings start = {})
{
    CArchive in(bytes.data(), bytes.size(), CArchive::load);
    SerializePrintSettings(in, start);
    return start;
}

TEST(PrintSettingsTest, StoresVersionSwitchesZoomAndMarginsAtTheirWidths)
{
    const std::vector<std::uint8_t> expected{
        1, 0, 0, 0,                          // version
        1, 0, 1, 1,                          // header first, every band, fixed, normal
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,        // 1.0
        3, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0}; // margins
    EXPECT_EQ(Store(PrintSettings{}), expected);
}

TEST(PrintSettingsTest, RestoresWhatWasStored)
{
    PrintSettings settings;
    settings.headerOnFirstBand = false;
    settings.headerOnEveryBand = true;
    settings.printFixedRows = false;
    settings.printerZoom = 0.25;
    settings.topMargin = -4;
    settings.rightMargin = 77;
    EXPECT_EQ(Load(Store(settings)), settings);
}

TEST(PrintSettingsTest, ANewerVersionIsABadSchemaAndVersionZeroKeepsTheRecord)
{
    std::vector<std::uint8_t> bytes = Store(PrintSettings{});
    bytes[0] = 2;
    try {
        Load(bytes);
        FAIL() << "a newer version loaded";
    } catch (const CArchiveException& error) {
        EXPECT_EQ(error.GetCause(), CArchiveException::badSchema);
    }

    PrintSettings kept;
    kept.printerZoom = 0.5;
    EXPECT_EQ(Load({0, 0, 0, 0}, kept), kept);
}

TEST(PrintSettingsTest, AShortOrDamagedRecordThrowsAndChangesNothing)
{
    PrintSettings start;
    start.leftMargin = 42;
    std::vector<std::uint8_t> bytes = Store(PrintSettings{});
    bytes.resize(bytes.size() - 3);
    PrintSettings target = start;
    CArchive shortIn(bytes.data(), bytes.size(), CArchive::load);
    EXPECT_THROW(SerializePrintSettings(shortIn, target), CArchiveException);
    EXPECT_EQ(target, start);

    // A zoom that is not a finite number would reach the band arithmetic.
    PrintSettings nan;
    nan.printerZoom = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::uint8_t> nanBytes = Store(nan);
    CArchive nanIn(nanBytes.data(), nanBytes.size(), CArchive::load);
    EXPECT_THROW(SerializePrintSettings(nanIn, target), CArchiveException);
    EXPECT_EQ(target, start);
}

} // namespace
} // namespace Ombrel::GUI
