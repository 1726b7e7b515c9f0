#include "ombrel/gui/rows/detail/RowArena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
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

// A burst that fills at least this many full-size chunks has them prepared on another thread.
constexpr std::size_t kPreparedBurstChunks = 4;

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

// Maps full-size chunks and fills their pages on a thread of its own while a large burst takes
// slots, so that the kernel's zeroing of fresh huge pages (most of what a new chunk costs, and
// on a virtual machine often more than making the rows in it) runs beside the work of making
// rows instead of before it. A chunk is handed over only once its pages are in, and the thread
// never touches it again; chunks not taken by the end of the burst go back to the system.
class CChunkPreparer
{
public:
    // Starts preparing `count` chunks of `bytes` each, fewer as the caller makes some itself;
    // nothing is prepared when the system cannot make a thread.
    CChunkPreparer(std::size_t count, std::size_t bytes) : m_wanted(count), m_bytes(bytes)
    {
        m_ready.reserve(count); // the thread never allocates: it could not report a failure
        try {
            m_thread = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
        }
    }
    ~CChunkPreparer()
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stop = true;
        }
        if (m_thread.joinable())
            m_thread.join();
        for (void* block : m_ready)
            UnmapPages(block, m_bytes);
    }
    CChunkPreparer(const CChunkPreparer&) = delete;
    CChunkPreparer& operator=(const CChunkPreparer&) = delete;

    // A prepared chunk (mapped, marked for huge pages, its pages in), or null when none is
    // ready yet: the caller then maps one itself rather than wait, and one fewer is prepared.
    void* TryTake()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_ready.empty()) {
            if (m_wanted > 0)
                --m_wanted;
            return nullptr;
        }
        void* block = m_ready.back();
        m_ready.pop_back();
        return block;
    }

private:
    void Run()
    {
        const auto pageBytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        while (TakeOrder()) {
            void* block = MapAlignedPages(m_bytes, m_bytes);
            if (!block)
                return;
            madvise(block, m_bytes, MADV_HUGEPAGE);
            // One write per page brings it in (a huge page at its first write); the block is
            // this thread's alone until it is handed over below.
            auto* bytes = static_cast<volatile std::byte*>(block);
            for (std::size_t offset = 0; offset < m_bytes; offset += pageBytes)
                bytes[offset] = std::byte{0};
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_stop) {
                UnmapPages(block, m_bytes);
                return;
            }
            m_ready.push_back(block);
        }
    }
    // True when one more chunk is to be prepared, and counts it as begun.
    bool TakeOrder()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_stop || m_wanted == 0)
            return false;
        --m_wanted;
        return true;
    }

    std::mutex m_lock;           // guards the three below
    std::size_t m_wanted;        // chunks still to begin
    std::vector<void*> m_ready;  // prepared, not yet taken
    bool m_stop = false;
    const std::size_t m_bytes;
    std::thread m_thread;
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
    CChunkPreparer* preparer = nullptr; // during a large burst: full-size chunks made ahead

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
    // that still needs `wantedBytes` of a full-size chunk or more gets full-size chunks at once
    // (a load of many rows skips the small ones in between). Smaller bursts grow the arena as
    // single rows do: chunks sized to each burst of a few thousand rows kept about 5 bytes a
    // row more resident in the table viewer. Full-size chunks are aligned for huge pages.
    Chunk* NewChunk(std::size_t wantedBytes)
    {
        const std::size_t grown =
            wantedBytes + firstSlotOffset >= kChunkBytes ? kChunkBytes : heldBytes / 4;
        const std::size_t bytes =
            std::clamp(RoundUp(grown, kFirstChunkBytes), kFirstChunkBytes, kChunkBytes);
        const bool huge = bytes == kChunkBytes;
        void* memory = huge && preparer ? preparer->TryTake() : nullptr;
        if (!memory) {
            memory = MapAlignedPages(bytes, huge ? kChunkBytes : 4096);
            if (!memory)
                throw std::bad_alloc();
            // A hint only: without huge pages the chunk is filled a page at a time.
            if (huge)
                madvise(memory, bytes, MADV_HUGEPAGE);
        }
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

void CRowArena::AllocateMany(std::span<void*> slots, const RunTaken& taken)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    // A burst of many full-size chunks has the ones after the first prepared beside it.
    const std::size_t chunksWanted = slots.size() * m_impl->slotBytes / kChunkBytes;
    std::optional<CChunkPreparer> preparer;
    if (chunksWanted >= kPreparedBurstChunks) {
        preparer.emplace(chunksWanted - 1, kChunkBytes);
        m_impl->preparer = &*preparer;
    }
    struct EndOfBurst
    {
        Impl& impl;
        ~EndOfBurst() { impl.preparer = nullptr; }
    } endOfBurst{*m_impl};
    const std::size_t runSlots = taken ? std::max<std::size_t>(1, kChunkBytes / m_impl->slotBytes)
                                       : slots.size();
    std::size_t count = 0;
    try {
        while (count < slots.size()) {
            const std::size_t runStart = count;
            const std::size_t runEnd = std::min(slots.size(), count + runSlots);
            for (; count < runEnd; ++count)
                slots[count] = m_impl->TakeSlot(slots.size() - count);
            if (taken)
                taken(slots.subspan(runStart, runEnd - runStart));
        }
    } catch (...) {
        for (std::size_t index = 0; index < count; ++index)
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
