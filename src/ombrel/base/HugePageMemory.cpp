#include "ombrel/base/HugePageMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_HUGE_PAGES_UNDER_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_HUGE_PAGES_UNDER_LSAN 1
#endif
#endif

#if defined(OMBREL_HUGE_PAGES_UNDER_LSAN)
#include <sanitizer/lsan_interface.h>
#endif

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
    const std::size_t align = CHugePageMemory::kHugePageBytes;
    const std::size_t mapped = bytes + align;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto* begin = static_cast<std::byte*>(raw);
    const auto address = reinterpret_cast<std::uintptr_t>(raw);
    auto* block = begin + (RoundUp(address, align) - address);
    // The slack before and after the aligned block goes back at once.
    if (block != begin)
        munmap(begin, static_cast<std::size_t>(block - begin));
    if (begin + mapped != block + bytes)
        munmap(block + bytes, static_cast<std::size_t>(begin + mapped - (block + bytes)));
    // A hint only: without huge pages the block is filled a page at a time.
    madvise(block, bytes, MADV_HUGEPAGE);
#if defined(OMBREL_HUGE_PAGES_UNDER_LSAN)
    // Heap blocks that only these blocks point to are not leaks.
    __lsan_register_root_region(block, bytes);
#endif
    return block;
}

void Unmap(void* block, std::size_t bytes)
{
#if defined(OMBREL_HUGE_PAGES_UNDER_LSAN)
    __lsan_unregister_root_region(block, bytes);
#endif
    munmap(block, bytes);
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
    Unmap(block, mapped);
    m_mappedBytes.fetch_sub(mapped, std::memory_order_relaxed);
}

bool CHugePageMemory::do_is_equal(const std::pmr::memory_resource& other) const noexcept
{
    return this == &other;
}

} // namespace Ombrel
