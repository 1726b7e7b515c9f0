#include "ombrel/gui/print/PrintSettings.h"

#include "ombrel/base/ArchiveExchange.h"

#include <cmath>

namespace Ombrel::GUI {

namespace {

constexpr std::int32_t kPrintSettingsVersion = 1;

void ExchangeMembers(CArchive& archive, PrintSettings& s)
{
    Exchange(archive, s.headerOnFirstBand);
    Exchange(archive, s.headerOnEveryBand);
    Exchange(archive, s.printFixedRows);
    Exchange(archive, s.printNormalRows);
    Exchange(archive, s.printerZoom);
    Exchange(archive, s.topMargin);
    Exchange(archive, s.bottomMargin);
    Exchange(archive, s.leftMargin);
    Exchange(archive, s.rightMargin);
}

} // namespace

void SerializePrintSettings(CArchive& archive, PrintSettings& settings)
{
    // Band sizes are divided by the zoom; NaN or infinity would reach integer conversions.
    SerializeVersionedRecord(archive, settings, kPrintSettingsVersion, "PrintSettings", ExchangeMembers,
                             [](const PrintSettings& loaded) { return std::isfinite(loaded.printerZoom); });
}

} // namespace Ombrel::GUI
