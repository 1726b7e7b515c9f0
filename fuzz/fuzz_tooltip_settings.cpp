// Restores a tooltip settings record from arbitrary bytes. Archive exceptions are the expected
// outcome of malformed input, and then the record must be exactly as before; a record that
// restores must be valid and store again to the same bytes. Anything else is a fault.
#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Ombrel::GUI::TooltipSettings;
    const TooltipSettings before;
    TooltipSettings settings = before;
    Ombrel::CArchive archive(data, size, Ombrel::CArchive::load);
    try {
        Ombrel::GUI::SerializeTooltipSettings(archive, settings);
    } catch (const Ombrel::CArchiveException&) {
        if (!(settings == before))
            std::abort(); // a refused record was partly applied
        return 0;
    }
    if (!Ombrel::GUI::IsValidTooltipSettings(settings))
        std::abort();
    Ombrel::CArchive out(Ombrel::CArchive::store);
    Ombrel::GUI::SerializeTooltipSettings(out, settings);
    TooltipSettings again;
    Ombrel::CArchive back(out.GetBuffer().data(), out.GetBuffer().size(), Ombrel::CArchive::load);
    Ombrel::GUI::SerializeTooltipSettings(back, again);
    if (!(again == settings))
        std::abort();
    return 0;
}
