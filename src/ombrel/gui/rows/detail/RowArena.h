#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>

namespace Ombrel::GUI {

// Memory for objects of one size, carved out of chunks: what rows are made from.
//
// A grid of a million rows would otherwise make a million heap allocations, each with its
// header, and touch fresh memory one 4 KiB page fault at a time. Here a slot costs exactly its
// size and a burst of rows takes the lock once. Chunks grow with what the arena holds, from
// 64 KiB (a small grid reserves little) up to 2 MiB, or come in full size at once for a large
// burst; full-size chunks ask the kernel for huge pages, so that filling them costs one fault
// per 2 MiB instead of 512; a burst of many full-size chunks has the later ones mapped and
// filled on a thread of its own while it makes rows in the first ones. Chunks
// are mapped from the system, not taken from the heap: GetHeldBytes is what they cost.
//
// A freed slot is reused before fresh memory (the chunk that last got a slot back is used
// first), and a chunk whose slots are all free goes back to the system unless it is the only
// one. Addresses are reused as the heap would reuse them: a deleted row's handle is refused by
// the registered sets, which is where handles are checked, not by the memory. Thread-safe:
// rows may be made and deleted on any window thread.
class CRowArena
{
public:
    static constexpr std::size_t kFirstChunkBytes = std::size_t{64} << 10;
    static constexpr std::size_t kChunkBytes = std::size_t{2} << 20; // a huge page

    // Slots of `slotBytes`, aligned to `slotAlign` (at most 16, a power of two).
    CRowArena(std::size_t slotBytes, std::size_t slotAlign);
    // Returns every chunk to the system: every slot must have been freed.
    ~CRowArena();
    CRowArena(const CRowArena&) = delete;
    CRowArena& operator=(const CRowArena&) = delete;

    std::size_t GetSlotBytes() const;

    // One slot; throws std::bad_alloc when the system has no memory left.
    void* Allocate();
    // Receives each run of slots AllocateMany has taken, in order, and makes objects in them
    // that own nothing yet. It must not throw, nor use the arena.
    using RunTaken = std::function<void(std::span<void* const> run)>;
    // Fills `slots` under one lock; all or nothing (std::bad_alloc). With `taken`, the slots
    // are handed over in runs of at most a chunk's worth as they are taken, so that the caller
    // writes into one run while the later chunks of a large burst are prepared beside it
    // (taking every slot first would outrun the preparation and fault the chunks here).
    // Should a later run fail, every slot goes back without its object being destroyed.
    void AllocateMany(std::span<void*> slots, const RunTaken& taken = {});
    // Takes back a slot of this arena.
    void Free(void* slot);

    // Live slots, chunks and their bytes, for tests and diagnostics.
    std::size_t GetLiveCount() const;
    std::size_t GetChunkCount() const;
    std::size_t GetHeldBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
