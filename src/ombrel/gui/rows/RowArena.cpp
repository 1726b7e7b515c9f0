#include "ombrel/gui/rows/detail/RowArena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <vector>

#include "ombrel/base/MappedPages.h"

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_ARENA_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_ARENA_POISONS 1
#endif
#endif

#if defined(OMBREL_ARENA_POISONS)
#include <sanitizer/asan_interface.h>
#endif

namespace Ombrel::GUI {

namespace {

std::size_t RoundUp(std::size_t value, std::size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

// Under AddressSanitizer a free or never-used slot is poisoned, so that a row used after its
// deletion is still reported as it is with the heap (until its slot is reused).
void Poison(void* address, std::size_t bytes)
{
#if defined(OMBREL_ARENA_POISONS)
    ASAN_POISON_MEMORY_REGION(address, bytes);
#else
    (void)address;
    (void)bytes;
#endif
}

void Unpoison(void* address, std::size_t bytes)
{
#if defined(OMBREL_ARENA_POISONS)
    ASAN_UNPOISON_MEMORY_REGION(address, bytes);
#else
    (void)address;
    (void)bytes;
#endif
}

struct FreeSlot
{
    FreeSlot* next;
};

// The head of a chunk, at its start.
struct Chunk
{
    std::size_t bytes = 0;     // the whole chunk, head included
    Chunk* previous = nullptr; // neighbours in the list of chunks with room
    Chunk* next = nullptr;
    FreeSlot* freeSlots = nullptr; // slots given back, most recent first
    std::byte* fresh = nullptr;    // first slot never handed out
    std::byte* end = nullptr;      // end of the last whole slot
    std::size_t live = 0;
    bool listed = false; // in the list of chunks with free slots
};

} // namespace

struct CRowArena::Impl
{
    Impl(std::size_t bytes, std::size_t align)
        : slotAlign(std::max(align, alignof(FreeSlot))),
          slotBytes(RoundUp(std::max(bytes, sizeof(FreeSlot)), slotAlign)),
          firstSlotOffset(RoundUp(sizeof(Chunk), slotAlign))
    {
    }

    const std::size_t slotAlign;
    const std::size_t slotBytes;
    const std::size_t firstSlotOffset;

    mutable std::mutex lock;       // guards everything below
    // Chunks with slots given back, the last one to get one first: used before fresh memory.
    Chunk* withFree = nullptr;
    Chunk* freshChunk = nullptr;   // the one chunk with never-used memory, if any
    std::vector<Chunk*> chunks;    // every chunk held, by address
    std::size_t heldBytes = 0;     // of all chunks
    std::size_t live = 0;

    // The chunk holding `slot`: the last one that starts at or before it.
    Chunk* ChunkOf(void* slot) const
    {
        const auto after = std::upper_bound(chunks.begin(), chunks.end(), slot,
                                            [](void* address, const Chunk* chunk) {
                                                return std::less<const void*>()(address, chunk);
                                            });
        assert(after != chunks.begin() && "a slot goes back to the arena it came from");
        Chunk* chunk = *(after - 1);
        assert(static_cast<std::byte*>(slot) < reinterpret_cast<std::byte*>(chunk) + chunk->bytes &&
               "a slot goes back to the arena it came from");
        return chunk;
    }

    void PushWithFree(Chunk* chunk)
    {
        chunk->previous = nullptr;
        chunk->next = withFree;
        if (withFree)
            withFree->previous = chunk;
        withFree = chunk;
        chunk->listed = true;
    }

    void UnlinkWithFree(Chunk* chunk)
    {
        if (chunk->previous)
            chunk->previous->next = chunk->next;
        else
            withFree = chunk->next;
        if (chunk->next)
            chunk->next->previous = chunk->previous;
        chunk->previous = chunk->next = nullptr;
        chunk->listed = false;
    }

    // Chunks grow by a quarter of what the arena holds, from kFirstChunkBytes up to
    // kChunkBytes, so that at most about a fifth of the held memory waits for rows; a burst
    // that still needs `wantedBytes` gets a chunk that size at once (a load of many rows goes
    // to full-size chunks without the small ones in between). Full-size chunks are aligned for
    // huge pages.
    Chunk* NewChunk(std::size_t wantedBytes)
    {
        const std::size_t grown = std::max(heldBytes / 4, wantedBytes + firstSlotOffset);
        const std::size_t bytes =
            std::clamp(RoundUp(grown, kFirstChunkBytes), kFirstChunkBytes, kChunkBytes);
        const bool huge = bytes == kChunkBytes;
        void* memory = MapAlignedPages(bytes, huge ? kChunkBytes : 4096);
        if (!memory)
            throw std::bad_alloc();
        // A hint only: without huge pages the chunk is filled a page at a time.
        if (huge)
            madvise(memory, bytes, MADV_HUGEPAGE);
        auto* chunk = static_cast<Chunk*>(memory);
        try {
            chunks.insert(std::upper_bound(chunks.begin(), chunks.end(), chunk,
                                           std::less<const Chunk*>()),
                          chunk);
        } catch (...) {
            UnmapPages(memory, bytes);
            throw;
        }
        new (memory) Chunk();
        chunk->bytes = bytes;
        chunk->fresh = static_cast<std::byte*>(memory) + firstSlotOffset;
        const std::size_t slots = (bytes - firstSlotOffset) / slotBytes;
        chunk->end = chunk->fresh + slots * slotBytes;
        Poison(chunk->fresh, slots * slotBytes);
        heldBytes += bytes;
        return chunk;
    }

    void ReleaseChunk(Chunk* chunk)
    {
        if (chunk->listed)
            UnlinkWithFree(chunk);
        if (chunk == freshChunk)
            freshChunk = nullptr;
        chunks.erase(std::find(chunks.begin(), chunks.end(), chunk));
        heldBytes -= chunk->bytes;
        Unpoison(chunk, chunk->bytes);
        const std::size_t bytes = chunk->bytes;
        chunk->~Chunk();
        UnmapPages(chunk, bytes);
    }

    // A slot, for a burst that still needs `wanted` slots (this one included).
    void* TakeSlot(std::size_t wanted)
    {
        void* slot = nullptr;
        Chunk* chunk = withFree;
        if (chunk) {
            FreeSlot* taken = chunk->freeSlots;
            Unpoison(taken, slotBytes);
            chunk->freeSlots = taken->next;
            if (!chunk->freeSlots)
                UnlinkWithFree(chunk);
            slot = taken;
        } else {
            if (!freshChunk)
                freshChunk = NewChunk(wanted * slotBytes);
            chunk = freshChunk;
            slot = chunk->fresh;
            chunk->fresh += slotBytes;
            Unpoison(slot, slotBytes);
            if (chunk->fresh + slotBytes > chunk->end)
                freshChunk = nullptr;
        }
        ++chunk->live;
        ++live;
        return slot;
    }

    void GiveBack(void* slot)
    {
        Chunk* chunk = ChunkOf(slot);
        auto* freed = static_cast<FreeSlot*>(slot);
        freed->next = chunk->freeSlots;
        chunk->freeSlots = freed;
        Poison(slot, slotBytes);
        --chunk->live;
        --live;
        if (chunk->live == 0 && chunks.size() > 1) {
            ReleaseChunk(chunk);
            return;
        }
        // The chunk that last got a slot back serves next, which lets the others empty.
        if (chunk->listed)
            UnlinkWithFree(chunk);
        PushWithFree(chunk);
    }
};

CRowArena::CRowArena(std::size_t slotBytes, std::size_t slotAlign)
    : m_impl(std::make_unique<Impl>(slotBytes, slotAlign))
{
    assert(slotAlign > 0 && slotAlign <= 16 && (slotAlign & (slotAlign - 1)) == 0);
}

CRowArena::~CRowArena()
{
    assert(m_impl->live == 0 && "every slot is freed before its arena");
    while (!m_impl->chunks.empty())
        m_impl->ReleaseChunk(m_impl->chunks.back());
}

std::size_t CRowArena::GetSlotBytes() const
{
    return m_impl->slotBytes;
}

void* CRowArena::Allocate()
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->TakeSlot(1);
}

void CRowArena::AllocateMany(std::span<void*> slots)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    std::size_t taken = 0;
    try {
        for (; taken < slots.size(); ++taken)
            slots[taken] = m_impl->TakeSlot(slots.size() - taken);
    } catch (...) {
        for (std::size_t index = 0; index < taken; ++index)
            m_impl->GiveBack(slots[index]);
        throw;
    }
}

void CRowArena::Free(void* slot)
{
    if (!slot)
        return;
    std::lock_guard<std::mutex> guard(m_impl->lock);
    m_impl->GiveBack(slot);
}

std::size_t CRowArena::GetLiveCount() const
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->live;
}

std::size_t CRowArena::GetChunkCount() const
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->chunks.size();
}

std::size_t CRowArena::GetHeldBytes() const
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->heldBytes;
}

} // namespace Ombrel::GUI
