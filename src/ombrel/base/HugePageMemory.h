#pragma once

#include <atomic>
#include <cstddef>
#include <memory_resource>

namespace Ombrel {

// Memory for large arrays that are filled at once (the tables of a million rows) and for
// pools of small parts made by the million: blocks of 2 MiB and more are mapped from the
// system and marked for huge pages, so that touching them costs one page fault per 2 MiB
// instead of 512. On a virtual machine a page fault is what most of filling fresh memory
// costs. Smaller blocks come from the heap as they would without this resource.
//
// One instance serves the process (Get); it is never destroyed, for static objects may give
// blocks back during exit. Thread-safe.
class CHugePageMemory final : public std::pmr::memory_resource
{
public:
    static constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

    static CHugePageMemory& Get();

    // Bytes of the mapped blocks held now (the heap counts the smaller blocks itself).
    std::size_t GetMappedBytes() const { return m_mappedBytes.load(std::memory_order_relaxed); }

private:
    CHugePageMemory() = default;

    void* do_allocate(std::size_t bytes, std::size_t align) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t align) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override;

    std::atomic<std::size_t> m_mappedBytes{0};
};

} // namespace Ombrel
