#include "ombrel/platform/qt/QtBumpArena.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace Ombrel {

namespace {

std::size_t AlignUp(std::size_t offset, std::size_t align)
{
    return (offset + align - 1) & ~(align - 1);
}

} // namespace

CBumpArena::~CBumpArena() = default;

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
    return m_blocks[m_current].bytes.get() + offset;
}

void CBumpArena::Reset()
{
    m_current = 0;
    m_used = 0;
}

bool CBumpArena::FitsCurrent(std::size_t bytes, std::size_t align) const
{
    return m_current < m_blocks.size() && AlignUp(m_used, align) + bytes <= m_blocks[m_current].size;
}

void CBumpArena::AddBlock(std::size_t atLeast)
{
    const std::size_t size = std::max(m_nextBlockBytes, atLeast);
    m_nextBlockBytes = std::min(kLargestBlock, 2 * m_nextBlockBytes);
    // new[] gives memory aligned for any fundamental type, which every offset is relative to.
    m_blocks.push_back(Block{std::unique_ptr<std::byte[]>(new std::byte[size]), size});
    m_reservedBytes += size;
    m_current = m_blocks.size() - 1;
    m_used = 0;
}

} // namespace Ombrel
