// Restores a print settings record from arbitrary bytes. Archive exceptions are the expected
// outcome of short or damaged input; a restored record must store again and restore to the
// same record, and its zoom must be a number the band arithmetic can take.
#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"
#include "ombrel/gui/print/GridPagination.h"
#include "ombrel/gui/print/PrintSettings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Ombrel;
    GUI::PrintSettings restored;
    CArchive in(data, size, CArchive::load);
    try {
        GUI::SerializePrintSettings(in, restored);
    } catch (const CArchiveException&) {
        return 0;
    }
    if (!std::isfinite(restored.printerZoom))
        std::abort();
    // Whatever was restored cuts into a band size without overflow.
    static_cast<void>(GUI::CGridPagination::BandSize(CSize(800, 1100), restored.printerZoom));

    CArchive out(CArchive::store);
    GUI::SerializePrintSettings(out, restored);
    CArchive again(out.GetBuffer(), CArchive::load);
    GUI::PrintSettings roundTrip;
    GUI::SerializePrintSettings(again, roundTrip);
    // Compared bytewise: a stored -0.0 or +0.0 must come back as it went.
    if (!(roundTrip == restored) ||
        std::memcmp(&roundTrip.printerZoom, &restored.printerZoom, sizeof(double)) != 0)
        std::abort();
    return 0;
}
