#pragma once

#include <cstddef>
#include <memory_resource>

#include "ombrel/common/CompactLock.h"

namespace Ombrel::Common {

// A pool of small blocks behind a one-byte lock, for parts made by the million (data objects'
// private parts, the row model's blocks): blocks of one size class are carved out of chunks
// from `upstream`, and a freed block is reused by the next request of its class; chunks go
// back only with the pool.
//
// The standard synchronized pool takes a reader-writer lock and looks up a per-thread pool on
// every call, which cost about as much as the rest of making a data object. Here a call is one
// uncontended lock: such parts are made in bursts on one thread at a time. Thread-safe.
class CLockedPool final : public std::pmr::memory_resource
{
public:
    CLockedPool(std::size_t largestBlock, std::pmr::memory_resource* upstream);

private:
    void* do_allocate(std::size_t bytes, std::size_t align) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t align) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override;

    CCompactLock m_lock; // guards m_pool
    std::pmr::unsynchronized_pool_resource m_pool;
};

} // namespace Ombrel::Common
