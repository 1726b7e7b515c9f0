#pragma once

// Memory handed out by moving a pointer through large blocks and taken back all at once
// (private to the Qt implementation of CDC).

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

namespace Ombrel {

// For caches whose contents are forgotten together (a font's texts, a face's glyph masks):
// handing out is a pointer bump with no header per allocation, things made one after another
// lie next to one another, and Reset keeps the blocks, so a cache refilled after being
// emptied takes no new memory from the system. Blocks double from `firstBlockBytes` up to
// kLargestBlock; a request larger than that gets a block of its own size.
//
// Blocks of kMappedBlock bytes and more are mapped from the system with all their pages brought
// in by one call (those of 2 MiB as huge pages where the system has them): a cache filling
// fresh memory would otherwise take a page fault every 4 KiB, which on a virtual machine costs
// more than the writes.
//
// Only trivially destructible things live here: nothing is destroyed, memory is only reused.
class CBumpArena
{
public:
    static constexpr std::size_t kLargestBlock = std::size_t{2} << 20;
    static constexpr std::size_t kMappedBlock = std::size_t{64} << 10;

    explicit CBumpArena(std::size_t firstBlockBytes) : m_nextBlockBytes(firstBlockBytes) {}
    CBumpArena(const CBumpArena&) = delete;
    CBumpArena& operator=(const CBumpArena&) = delete;
    ~CBumpArena();

    // `bytes` of uninitialised memory aligned to `align` (a power of two, at most that of
    // std::max_align_t), valid until Reset or the arena's end.
    void* Allocate(std::size_t bytes, std::size_t align);

    // Room for `count` values of T, not constructed (T is a plain value type).
    template <typename T>
    T* AllocateArray(std::size_t count)
    {
        static_assert(std::is_trivially_destructible_v<T> && std::is_trivially_copyable_v<T>,
                      "the arena destroys nothing: only plain values may live in it");
        static_assert(alignof(T) <= alignof(std::max_align_t), "over-aligned values need their own blocks");
        return static_cast<T*>(Allocate(sizeof(T) * count, alignof(T)));
    }

    // Forgets everything handed out; the blocks stay for what comes next.
    void Reset();

    // Bytes of the blocks held, handed out or not.
    std::size_t ReservedBytes() const { return m_reservedBytes; }
    // Bytes handed out since the last Reset.
    std::size_t HandedOutBytes() const { return m_handedOutBytes; }

private:
    struct Block
    {
        std::byte* bytes = nullptr;
        std::size_t size = 0;
        bool mapped = false; // from the system (see kMappedBlock), else from the heap
    };

    bool FitsCurrent(std::size_t bytes, std::size_t align) const;
    void AddBlock(std::size_t atLeast);

    std::vector<Block> m_blocks;
    std::size_t m_current = 0; // index of the block being handed out; m_blocks.size() if none
    std::size_t m_used = 0;    // bytes handed out of the current block
    std::size_t m_nextBlockBytes;
    std::size_t m_reservedBytes = 0;
    std::size_t m_handedOutBytes = 0;
};

} // namespace Ombrel
