// Restores a header (and through it its columns, their value and paint formats and the sort
// levels) from arbitrary bytes. Archive exceptions are the expected outcome of malformed input;
// anything else that escapes, a crash, an overread or a leak is a fault.
#include "ombrel/base/Archive.h"
#include "ombrel/gui/header/Header.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Ombrel::GUI::CHeader header(false);
    Ombrel::CArchive archive(data, size, Ombrel::CArchive::load);
    try {
        header.Serialize(archive);
    } catch (const Ombrel::CArchiveException&) {
        return 0;
    }
    // A restored header must store again.
    Ombrel::CArchive out(Ombrel::CArchive::store);
    header.Serialize(out);
    return 0;
}
