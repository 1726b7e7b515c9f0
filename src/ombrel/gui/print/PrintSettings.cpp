#include "ombrel/gui/print/PrintSettings.h"

#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"

#include <cmath>

namespace Ombrel::GUI {

namespace {

constexpr std::int32_t kPrintSettingsVersion = 1;

template <class T>
void Exchange(CArchive& archive, T& value)
{
    if (archive.IsStoring())
        archive << value;
    else
        archive >> value;
}

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
    std::int32_t version = kPrintSettingsVersion;
    Exchange(archive, version);
    if (archive.IsStoring()) {
        ExchangeMembers(archive, settings);
        return;
    }
    if (version > kPrintSettingsVersion)
        throw CArchiveException(CArchiveException::badSchema, "PrintSettings");
    if (version <= 0)
        return;
    PrintSettings loaded = settings;
    ExchangeMembers(archive, loaded);
    // Band sizes are divided by the zoom; NaN or infinity would reach integer conversions.
    if (!std::isfinite(loaded.printerZoom))
        throw CArchiveException(CArchiveException::genericException, "PrintSettings");
    settings = loaded;
}

} // namespace Ombrel::GUI
