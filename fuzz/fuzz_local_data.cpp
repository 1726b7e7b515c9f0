// Imports arbitrary bytes as a local-data clipboard block. Half of the inputs carry this
// process's identifier and token, so the size, count and entry checks are reached too, and
// entry addresses below 8 are replaced by the addresses of live rows and objects, so that
// registered pairs, mismatched pairs and repeated rows all occur. An import must refuse or
// return only registered rows; a crash, an overread or a dereferenced address is a fault.
#include "ombrel/base/ThreadId.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/services/LocalDataFormat.h"

#include "ombrel/common/DynamicObject.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace Ombrel;
using namespace Ombrel::GUI;

struct LiveRows
{
    LiveRows()
    {
        for (int i = 0; i < 4; ++i) {
            objects.push_back(std::make_unique<Common::CDynamicObject>(false));
            rows.push_back(grid.Add(objects.back().get()));
        }
    }

    CGrid grid;
    std::vector<std::unique_ptr<Common::CDynamicObject>> objects;
    std::vector<CGridItem*> rows;
};

void PutBits(std::uint8_t* at, std::uint64_t bits, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::uint64_t GetBits(const std::uint8_t* at)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return bits;
}

// Gives the block this process's identity and points small entry values at live rows.
void MakeLocal(std::vector<std::uint8_t>& block, const LiveRows& live)
{
    if (block.size() < CLocalDataFormat::kHeaderSize)
        return;
    PutBits(block.data(), GetCurrentProcessId(), 4);
    PutBits(block.data() + 4, CLocalDataFormat::GetInstanceToken(), 8);
    for (std::size_t at = CLocalDataFormat::kHeaderSize; at + 8 <= block.size(); at += 8) {
        const std::uint64_t value = GetBits(block.data() + at);
        if (value >= 8)
            continue;
        const bool objectSlot = ((at - CLocalDataFormat::kHeaderSize) / 8) % 2 == 1;
        const std::size_t index = value % live.rows.size();
        const void* address = objectSlot ? static_cast<const void*>(live.objects[index].get())
                                         : static_cast<const void*>(live.rows[index]);
        PutBits(block.data() + at, reinterpret_cast<std::uintptr_t>(address), 8);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static LiveRows live;
    if (size == 0)
        return 0;
    std::vector<std::uint8_t> block(data + 1, data + size);
    if (data[0] % 2 == 0)
        MakeLocal(block, live);
    CLocalDataFormat format;
    ClipboardImport record;
    const bool imported = format.Import(block.data(), static_cast<int>(block.size()), nullptr, record);
    if (imported != !record.rows.empty() || record.rows.size() != record.objects.size())
        std::abort();
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
        if (!CDispatcher::GetInstance().IsRegistered(record.objects[i], record.rows[i]))
            std::abort();
    }
    return 0;
}
