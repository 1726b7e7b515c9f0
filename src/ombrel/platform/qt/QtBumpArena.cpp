#include "ombrel/platform/qt/QtBumpArena.h"

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/base/MappedPages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace Ombrel {

namespace {

std::size_t AlignUp(std::size_t offset, std::size_t align)
{
    return (offset + align - 1) & ~(align - 1);
}

constexpr std::size_t kPageBytes = 4096; // what mapped block sizes are rounded to

// A block mapped from the system with its pages in place; null when the system refuses.
std::byte* MapBlock(std::size_t size)
{
    const bool huge = size >= CHugePageMemory::kHugePageBytes;
    void* block = MapAlignedPages(size, huge ? CHugePageMemory::kHugePageBytes : 1);
    if (block == nullptr) {
        return nullptr;
    }
    // Hints: without them (an older system) the pages come one fault at a time.
    if (huge) {
        madvise(block, size, MADV_HUGEPAGE);
    }
#ifdef MADV_POPULATE_WRITE
    madvise(block, size, MADV_POPULATE_WRITE);
#endif
    return static_cast<std::byte*>(block);
}

} // namespace

CBumpArena::~CBumpArena()
{
    for (const Block& block : m_blocks) {
        if (block.mapped) {
            UnmapPages(block.bytes, block.size);
        } else {
            delete[] block.bytes;
        }
    }
}

void* CBumpArena::Allocate(std::size_t bytes, std::size_t align)
{
    assert(align != 0 && (align & (align - 1)) == 0 && align <= alignof(std::max_align_t) &&
           "arena alignments are powers of two no larger than the heap's");
    if (!FitsCurrent(bytes, align)) {
        // A later block kept from before a Reset may be large enough; blocks too small for
        // this request stay for smaller ones after the next Reset.
        while (m_current + 1 < m_blocks.size()) {
            ++m_current;
            m_used = 0;
            if (FitsCurrent(bytes, align)) {
                break;
            }
        }
        if (!FitsCurrent(bytes, align)) {
            AddBlock(bytes);
        }
    }
    const std::size_t offset = AlignUp(m_used, align);
    m_used = offset + bytes;
    m_handedOutBytes += bytes;
    return m_blocks[m_current].bytes + offset;
}

void CBumpArena::Reset()
{
    m_current = 0;
    m_used = 0;
    m_handedOutBytes = 0;
}

bool CBumpArena::FitsCurrent(std::size_t bytes, std::size_t align) const
{
    return m_current < m_blocks.size() && AlignUp(m_used, align) + bytes <= m_blocks[m_current].size;
}

void CBumpArena::AddBlock(std::size_t atLeast)
{
    std::size_t size = std::max(m_nextBlockBytes, atLeast);
    if (size >= kMappedBlock) {
        size = AlignUp(size, kPageBytes);
    }
    m_nextBlockBytes = std::min(kLargestBlock, 2 * m_nextBlockBytes);
    m_blocks.reserve(m_blocks.size() + 1); // nothing below may be left unowned
    Block block{nullptr, size, size >= kMappedBlock};
    if (block.mapped) {
        block.bytes = MapBlock(size);
        block.mapped = block.bytes != nullptr;
    }
    if (!block.mapped) {
        // new[] gives memory aligned for any fundamental type, which every offset is relative to.
        block.bytes = new std::byte[size];
    }
    m_blocks.push_back(block);
    m_reservedBytes += size;
    m_current = m_blocks.size() - 1;
    m_used = 0;
}

} // namespace Ombrel
