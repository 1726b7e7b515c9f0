// Restores a drop settings record from arbitrary bytes. Archive exceptions are the expected
// outcome of short input; a restored record must store again and restore to the same record.
#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Ombrel;
    GUI::DropSettings restored;
    CArchive in(data, size, CArchive::load);
    try {
        GUI::SerializeDropSettings(in, restored);
    } catch (const CArchiveException&) {
        return 0;
    }
    CArchive out(CArchive::store);
    GUI::SerializeDropSettings(out, restored);
    CArchive again(out.GetBuffer(), CArchive::load);
    GUI::DropSettings roundTrip;
    GUI::SerializeDropSettings(again, roundTrip);
    if (!(roundTrip == restored))
        std::abort();
    return 0;
}
