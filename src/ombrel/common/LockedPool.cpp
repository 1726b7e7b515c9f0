#include "ombrel/common/LockedPool.h"

#include <mutex>

namespace Ombrel::Common {

namespace {

// Chunks grow up to a million blocks, so that a table's parts come in few large chunks (on
// huge pages where the upstream maps them).
constexpr std::size_t kMaxBlocksPerChunk = std::size_t{1} << 20;

} // namespace

CLockedPool::CLockedPool(std::size_t largestBlock, std::pmr::memory_resource* upstream)
    : m_pool(std::pmr::pool_options{.max_blocks_per_chunk = kMaxBlocksPerChunk,
                                    .largest_required_pool_block = largestBlock},
             upstream)
{
}

void* CLockedPool::do_allocate(std::size_t bytes, std::size_t align)
{
    std::lock_guard guard(m_lock);
    return m_pool.allocate(bytes, align);
}

void CLockedPool::do_deallocate(void* block, std::size_t bytes, std::size_t align)
{
    std::lock_guard guard(m_lock);
    m_pool.deallocate(block, bytes, align);
}

bool CLockedPool::do_is_equal(const std::pmr::memory_resource& other) const noexcept
{
    return this == &other;
}

} // namespace Ombrel::Common
