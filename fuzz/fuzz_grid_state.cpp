// Restores a grid's stored state (its settings records, font description and header with its
// columns) from arbitrary bytes into a grid without a window. Archive exceptions are the
// expected outcome of malformed input; anything else that escapes, a crash, an overread or a
// leak is a fault.
#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"
#include "ombrel/gui/grid/Grid.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Ombrel::GUI::CGrid grid;
    Ombrel::CArchive archive(data, size, Ombrel::CArchive::load);
    try {
        grid.Serialize(archive);
    } catch (const Ombrel::CArchiveException&) {
        return 0;
    }
    // A restored grid must store again.
    Ombrel::CArchive out(Ombrel::CArchive::store);
    grid.Serialize(out);
    return 0;
}
