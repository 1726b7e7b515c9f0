#pragma once

#include <cstddef>

namespace Ombrel {

// Anonymous memory mapped straight from the system, for allocators that hand out large
// blocks of their own (the row arena, the huge-page resource): the heap would map an aligned
// block with twice its size and count all of it as in use.
//
// Maps `bytes` of zeroed, writable memory that starts on a multiple of `align` (a power of
// two; at most a page is the system's own alignment); the slack before and after the aligned
// block goes back to the system at once. Under the leak checker the block is searched for the
// heap blocks it points to, as heap memory would be. Null when the system refuses.
void* MapAlignedPages(std::size_t bytes, std::size_t align);

// Gives back a block of `bytes` that MapAlignedPages returned.
void UnmapPages(void* block, std::size_t bytes);

} // namespace Ombrel
