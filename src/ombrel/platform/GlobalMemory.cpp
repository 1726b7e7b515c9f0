// Global memory blocks: the table of live blocks behind the handles, shared by every thread.

#include "ombrel/platform/GlobalMemory.h"

#include "ombrel/platform/ClipboardBlocks.h"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace Ombrel {
namespace {

static_assert(sizeof(HGLOBAL) == sizeof(std::uint64_t), "handles carry 64-bit serial numbers");

constexpr UINT kKnownFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

enum class BlockOwner
{
    Caller,    // the code that allocated it; GlobalFree frees it
    Clipboard, // handed over by SetClipboardData or made by GetClipboardData
};

struct Block
{
    std::unique_ptr<std::byte[]> bytes; // never null: a 0-byte block still has one byte
    std::size_t size = 0;               // as given to GlobalAlloc
    bool moveable = false;
    std::uint32_t lockCount = 0; // GlobalLock minus GlobalUnlock; stays 0 for a fixed block
    BlockOwner owner = BlockOwner::Caller;
};

struct BlockTable
{
    std::mutex mutex;
    std::unordered_map<std::uint64_t, Block> blocks; // by serial number; guarded by mutex
    std::uint64_t nextSerial = 0x10000;              // never reused; guarded by mutex
};

// Never destroyed: blocks may be freed while static objects are torn down.
BlockTable& Table()
{
    static BlockTable* table = new BlockTable;
    return *table;
}

std::uint64_t SerialOf(HGLOBAL handle)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

HGLOBAL HandleOf(std::uint64_t serial)
{
    return reinterpret_cast<HGLOBAL>(static_cast<std::uintptr_t>(serial));
}

// The live block named by `handle`, or null. The caller holds the table's mutex.
Block* FindLocked(BlockTable& table, HGLOBAL handle)
{
    auto found = table.blocks.find(SerialOf(handle));
    return found == table.blocks.end() ? nullptr : &found->second;
}

HGLOBAL AddBlock(std::size_t size, bool moveable, BlockOwner owner)
{
    if (size > kMaxGlobalBlockSize)
        return nullptr;
    // Allocated and zeroed before the lock is taken, so that other threads do not wait for it.
    Block block;
    block.bytes.reset(new (std::nothrow) std::byte[size == 0 ? 1 : size]());
    if (!block.bytes)
        return nullptr;
    block.size = size;
    block.moveable = moveable;
    block.owner = owner;
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    std::uint64_t serial = table.nextSerial++;
    table.blocks.emplace(serial, std::move(block));
    return HandleOf(serial);
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t size)
{
    if ((flags & ~kKnownFlags) != 0)
        return nullptr;
    return AddBlock(size, (flags & GMEM_MOVEABLE) != 0, BlockOwner::Caller);
}

void* GlobalLock(HGLOBAL handle)
{
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    Block* block = FindLocked(table, handle);
    if (block == nullptr)
        return nullptr;
    if (block->moveable)
        ++block->lockCount;
    return block->bytes.get();
}

bool GlobalUnlock(HGLOBAL handle)
{
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    Block* block = FindLocked(table, handle);
    if (block == nullptr || block->lockCount == 0)
        return false;
    return --block->lockCount > 0;
}

std::size_t GlobalSize(HGLOBAL handle)
{
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    Block* block = FindLocked(table, handle);
    return block == nullptr ? 0 : block->size;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    if (handle == nullptr)
        return nullptr;
    std::unique_ptr<std::byte[]> released; // freed after the lock is let go
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.blocks.find(SerialOf(handle));
    if (found == table.blocks.end() || found->second.owner != BlockOwner::Caller)
        return handle;
    released = std::move(found->second.bytes);
    table.blocks.erase(found);
    return nullptr;
}

namespace Internal {

bool GiveBlockToClipboard(HGLOBAL handle)
{
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    Block* block = FindLocked(table, handle);
    if (block == nullptr || block->owner != BlockOwner::Caller)
        return false;
    block->owner = BlockOwner::Clipboard;
    return true;
}

HGLOBAL AllocateClipboardBlock(std::size_t size)
{
    return AddBlock(size, false, BlockOwner::Clipboard);
}

void FreeClipboardBlock(HGLOBAL handle)
{
    std::unique_ptr<std::byte[]> released;
    BlockTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.blocks.find(SerialOf(handle));
    if (found == table.blocks.end() || found->second.owner != BlockOwner::Clipboard)
        return;
    released = std::move(found->second.bytes);
    table.blocks.erase(found);
}

} // namespace Internal
} // namespace Ombrel
