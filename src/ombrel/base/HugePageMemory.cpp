#include "ombrel/base/HugePageMemory.h"

#include <sys/mman.h>

#include <new>

#include "ombrel/base/MappedPages.h"

namespace Ombrel {

namespace {

std::size_t RoundUp(std::size_t value, std::size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

bool IsMapped(std::size_t bytes, std::size_t align)
{
    return bytes >= CHugePageMemory::kHugePageBytes && align <= CHugePageMemory::kHugePageBytes;
}

// A mapping of `bytes` (a multiple of the huge page) that starts on a huge-page boundary: a
// huge page is only used where the whole 2 MiB lies inside the mapping.
void* MapAligned(std::size_t bytes)
{
    void* block = MapAlignedPages(bytes, CHugePageMemory::kHugePageBytes);
    if (!block)
        throw std::bad_alloc();
    // A hint only: without huge pages the block is filled a page at a time.
    madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

} // namespace

CHugePageMemory& CHugePageMemory::Get()
{
    static auto* const memory = new CHugePageMemory;
    return *memory;
}

void* CHugePageMemory::do_allocate(std::size_t bytes, std::size_t align)
{
    if (!IsMapped(bytes, align))
        return std::pmr::new_delete_resource()->allocate(bytes, align);
    const std::size_t mapped = RoundUp(bytes, kHugePageBytes);
    void* block = MapAligned(mapped);
    m_mappedBytes.fetch_add(mapped, std::memory_order_relaxed);
    return block;
}

void CHugePageMemory::do_deallocate(void* block, std::size_t bytes, std::size_t align)
{
    if (!IsMapped(bytes, align)) {
        std::pmr::new_delete_resource()->deallocate(block, bytes, align);
        return;
    }
    const std::size_t mapped = RoundUp(bytes, kHugePageBytes);
    UnmapPages(block, mapped);
    m_mappedBytes.fetch_sub(mapped, std::memory_order_relaxed);
}

bool CHugePageMemory::do_is_equal(const std::pmr::memory_resource& other) const noexcept
{
    return this == &other;
}

} // namespace Ombrel
