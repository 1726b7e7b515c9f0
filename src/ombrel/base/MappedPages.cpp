#include "ombrel/base/MappedPages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_PAGES_UNDER_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_PAGES_UNDER_LSAN 1
#endif
#endif

#if defined(OMBREL_PAGES_UNDER_LSAN)
#include <sanitizer/lsan_interface.h>
#endif

namespace Ombrel {

void* MapAlignedPages(std::size_t bytes, std::size_t align)
{
    const auto pageBytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t mapped = bytes + (align > pageBytes ? align : 0);
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto* begin = static_cast<std::byte*>(raw);
    const auto address = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (address + align - 1) & ~(static_cast<std::uintptr_t>(align) - 1);
    auto* block = begin + (aligned - address);
    if (block != begin)
        munmap(begin, static_cast<std::size_t>(block - begin));
    if (begin + mapped != block + bytes)
        munmap(block + bytes, static_cast<std::size_t>(begin + mapped - (block + bytes)));
#if defined(OMBREL_PAGES_UNDER_LSAN)
    __lsan_register_root_region(block, bytes);
#endif
    return block;
}

void UnmapPages(void* block, std::size_t bytes)
{
#if defined(OMBREL_PAGES_UNDER_LSAN)
    __lsan_unregister_root_region(block, bytes);
#endif
    munmap(block, bytes);
}

} // namespace Ombrel
