#include "ombrel/gui/rows/detail/RowBlockList.h"

#include <algorithm>
#include <bit>
#include <cassert>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/common/LockedPool.h"
#include "ombrel/gui/rows/GridItem.h"

namespace Ombrel::GUI {

namespace {

// Blocks built in bulk or split in the middle are filled to three quarters, leaving room for
// insertions before the next split.
constexpr int kBuiltBlockSize = CRowBlockList::kMaxBlockSize * 3 / 4;
// A block this small is merged with a neighbour when the two fit in one block.
constexpr int kMinBlockSize = CRowBlockList::kMaxBlockSize / 8;

std::size_t LowestBit(std::size_t value)
{
    return value & (~value + 1);
}

// Grows a block's array geometrically but never past the largest block.
void ReserveFor(std::pmr::vector<CGridItem*>& rows, std::size_t needed)
{
    if (needed <= rows.capacity())
        return;
    const std::size_t grown = std::max(needed, 2 * rows.capacity());
    rows.reserve(std::min<std::size_t>(grown, CRowBlockList::kMaxBlockSize));
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_BLOCKS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_BLOCKS_FROM_HEAP 1
#endif
#endif

namespace {

// Where a block's array comes from. Blocks built full (a bulk load into an empty list, or
// appended in bulk) keep their array of kMaxBlockSize entries for life, as a block never grows
// past that: they come from one pool of arrays of that size, on huge pages once it has grown,
// so that the blocks of a million rows cost a few page faults instead of thousands. Every
// other block grows and shrinks and comes from the heap, which reuses its memory across sizes
// (a pool per size would hold on to the sizes a block left behind). Under AddressSanitizer all
// come from the heap, so that an access past a block or into a freed one is reported. Never
// destroyed: lists may outlive static destruction.
std::pmr::memory_resource* BlockMemory(std::size_t entries)
{
#if !defined(OMBREL_BLOCKS_FROM_HEAP)
    constexpr std::size_t kFullBlockBytes = CRowBlockList::kMaxBlockSize * sizeof(CGridItem*);
    static auto* const fullBlocks = new Common::CLockedPool(kFullBlockBytes, &CHugePageMemory::Get());
    if (entries == CRowBlockList::kMaxBlockSize)
        return fullBlocks;
#else
    (void)entries;
#endif
    return std::pmr::new_delete_resource();
}

} // namespace

CRowBlockList::Iterator& CRowBlockList::Iterator::operator++()
{
    if (++m_offset == m_list->m_blocks[m_block]->rows.size()) {
        ++m_block;
        m_offset = 0;
    }
    return *this;
}

CRowBlockList::CRowBlockList(Link link, KeyOf keyOf) : m_link(link), m_keyOf(keyOf) {}

CRowBlockList::~CRowBlockList()
{
    Clear();
}

CGridItem* CRowBlockList::At(int index) const
{
    assert(index >= 0 && index < m_size && "index outside the list");
    const Place place = Locate(index);
    return m_blocks[place.block]->rows[static_cast<std::size_t>(place.offset)];
}

int CRowBlockList::IndexOf(const CGridItem* row) const
{
    const CRowBlock* block = row->*m_link;
    if (!block || block->list != this)
        return -1;
    const auto it = std::find(block->rows.begin(), block->rows.end(), row);
    assert(it != block->rows.end() && "a linked row is in its block");
    return StartOf(static_cast<std::size_t>(block->index)) +
           static_cast<int>(it - block->rows.begin());
}

bool CRowBlockList::Contains(const CGridItem* row) const
{
    const CRowBlock* block = row->*m_link;
    return block && block->list == this;
}

void CRowBlockList::OnKeyChanged(const CGridItem* row)
{
    CRowBlock* block = row->*m_link;
    if (m_keyOf == nullptr || !block || block->list != this || block->rows.front() != row)
        return;
    block->firstKey = m_keyOf(*row);
    m_firstKeys[static_cast<std::size_t>(block->index)] = block->firstKey;
}

bool CRowBlockList::AreFirstKeysCurrent() const
{
    if (m_firstRows.size() != m_blocks.size())
        return false;
    for (std::size_t index = 0; index < m_blocks.size(); ++index) {
        const CRowBlock& block = *m_blocks[index];
        if (m_firstRows[index] != block.rows.front())
            return false;
        if (m_keyOf == nullptr)
            continue;
        const CKeyPrefix present = m_keyOf(*block.rows.front());
        if (block.firstKey != present || m_firstKeys[index] != present)
            return false;
    }
    return true;
}

CRowBlockList::Neighbourhood CRowBlockList::NeighboursOf(const CGridItem* row) const
{
    Neighbourhood around;
    const CRowBlock* block = row->*m_link;
    if (!block || block->list != this)
        return around;
    const std::pmr::vector<CGridItem*>& rows = block->rows;
    const auto it = std::find(rows.begin(), rows.end(), row);
    assert(it != rows.end() && "a linked row is in its block");
    const auto offset = static_cast<std::size_t>(it - rows.begin());
    const auto blockIndex = static_cast<std::size_t>(block->index);
    around.index = StartOf(blockIndex) + static_cast<int>(offset);
    if (offset > 0)
        around.previous = rows[offset - 1];
    else if (blockIndex > 0)
        around.previous = m_blocks[blockIndex - 1]->rows.back();
    if (offset + 1 < rows.size())
        around.next = rows[offset + 1];
    else if (blockIndex + 1 < m_blocks.size())
        around.next = m_firstRows[blockIndex + 1];
    return around;
}

void CRowBlockList::Move(int from, int to)
{
    assert(from >= 0 && from < m_size && to >= 0 && to < m_size && "index outside the list");
    if (from == to)
        return;
    const Place source = Locate(from);
    // The entry now at `to` is the one the moving entry ends next to: after it when moving
    // forward, before it when moving back.
    const Place target = Locate(to);
    std::pmr::vector<CGridItem*>& sourceRows = m_blocks[source.block]->rows;
    const auto sourceAt = sourceRows.begin() + source.offset;
    if (source.block == target.block) {
        const auto targetAt = sourceRows.begin() + target.offset;
        if (from < to)
            std::rotate(sourceAt, sourceAt + 1, targetAt + 1);
        else
            std::rotate(targetAt, sourceAt, sourceAt + 1);
        FrontChanged(source.block);
        return;
    }
    CRowBlock& targetBlock = *m_blocks[target.block];
    const bool sourceTooSmall = static_cast<int>(sourceRows.size()) <= kMinBlockSize;
    const bool targetFull = static_cast<int>(targetBlock.rows.size()) >= kMaxBlockSize;
    CGridItem* row = *sourceAt;
    if (sourceTooSmall || targetFull) {
        // Emptying, merging or splitting a block renumbers blocks: the general path does that.
        Erase(from, 1);
        Insert(to, std::span<CGridItem* const>(&row, 1));
        return;
    }
    sourceRows.erase(sourceAt);
    FrontChanged(source.block);
    AddToBlockSize(source.block, -1);
    const int offset = from < to ? target.offset + 1 : target.offset;
    ReserveFor(targetBlock.rows, targetBlock.rows.size() + 1);
    targetBlock.rows.insert(targetBlock.rows.begin() + offset, row);
    row->*m_link = &targetBlock;
    FrontChanged(target.block);
    AddToBlockSize(target.block, 1);
}

void CRowBlockList::Insert(int index, std::span<CGridItem* const> rows)
{
    assert(index >= 0 && index <= m_size && "index outside the list");
    if (rows.empty())
        return;
    const int count = static_cast<int>(rows.size());
    if (m_blocks.empty()) {
        m_blocks = MakeBlocks(rows, kMaxBlockSize);
        m_size = count;
        Reindex(0);
        return;
    }
    const bool appending = index == m_size;
    const Place place = appending ? Place{m_blocks.size() - 1,
                                          static_cast<int>(m_blocks.back()->rows.size())}
                                  : Locate(index);
    CRowBlock& block = *m_blocks[place.block];
    const std::size_t needed = block.rows.size() + rows.size();
    if (needed > kMaxBlockSize) {
        InsertSplitting(place, rows, appending);
        return;
    }
    ReserveFor(block.rows, needed);
    block.rows.insert(block.rows.begin() + place.offset, rows.begin(), rows.end());
    for (CGridItem* row : rows)
        row->*m_link = &block;
    FrontChanged(place.block);
    AddToBlockSize(place.block, count);
    m_size += count;
}

void CRowBlockList::InsertEach(std::span<CGridItem* const> rows, std::span<const int> places)
{
    assert(rows.size() == places.size() && "one place per row");
    assert(std::is_sorted(places.begin(), places.end()) && "places do not decrease");
    assert((places.empty() || (places.front() >= 0 && places.back() <= m_size)) && "place outside the list");
    if (rows.empty())
        return;
    if (m_blocks.empty()) {
        Insert(0, rows);
        return;
    }
    std::vector<std::unique_ptr<CRowBlock>> blocks;
    blocks.reserve(m_blocks.size() + rows.size() / kBuiltBlockSize + 1);
    std::size_t next = 0;
    int start = 0;
    for (std::size_t index = 0; index < m_blocks.size(); ++index) {
        const int size = static_cast<int>(m_blocks[index]->rows.size());
        // A row placed between two blocks starts the later one; the last block takes the rest.
        const bool last = index + 1 == m_blocks.size();
        std::size_t end = next;
        while (end < rows.size() && (last || places[end] < start + size))
            ++end;
        if (end == next)
            blocks.push_back(std::move(m_blocks[index]));
        else
            MergeIntoBlock(std::move(m_blocks[index]), start, rows.subspan(next, end - next),
                           places.subspan(next, end - next), blocks);
        next = end;
        start += size;
    }
    m_blocks = std::move(blocks);
    m_size += static_cast<int>(rows.size());
    Reindex(0);
}

void CRowBlockList::MergeIntoBlock(std::unique_ptr<CRowBlock> block, int start, std::span<CGridItem* const> rows,
                                   std::span<const int> places, std::vector<std::unique_ptr<CRowBlock>>& blocks)
{
    std::pmr::vector<CGridItem*>& old = block->rows;
    const std::size_t total = old.size() + rows.size();
    if (total <= static_cast<std::size_t>(kMaxBlockSize)) {
        // In place from the back: each old entry moves once, by the new rows placed before it.
        ReserveFor(old, total);
        std::size_t from = old.size();
        old.resize(total);
        std::size_t to = total;
        for (std::size_t added = rows.size(); added-- > 0;) {
            const auto offset = static_cast<std::size_t>(places[added] - start);
            while (from > offset)
                old[--to] = old[--from];
            old[--to] = rows[added];
            rows[added]->*m_link = block.get();
        }
        TakeFirstKey(*block);
        blocks.push_back(std::move(block));
        return;
    }
    std::vector<CGridItem*> merged;
    merged.reserve(total);
    std::size_t taken = 0;
    for (std::size_t added = 0; added < rows.size(); ++added) {
        const auto offset = static_cast<std::size_t>(places[added] - start);
        merged.insert(merged.end(), old.begin() + static_cast<std::ptrdiff_t>(taken),
                      old.begin() + static_cast<std::ptrdiff_t>(offset));
        taken = offset;
        merged.push_back(rows[added]);
    }
    merged.insert(merged.end(), old.begin() + static_cast<std::ptrdiff_t>(taken), old.end());
    // Cut as MakeBlocks cuts: even pieces of at most kBuiltBlockSize. The first piece stays in
    // this block, so that only the rows of the others change blocks.
    const std::size_t pieces = (total + kBuiltBlockSize - 1) / kBuiltBlockSize;
    const std::size_t firstSize = total / pieces + (total % pieces > 0 ? 1 : 0);
    old.assign(merged.begin(), merged.begin() + static_cast<std::ptrdiff_t>(firstSize));
    for (std::size_t added = 0; added < rows.size(); ++added) {
        const auto mergedAt = static_cast<std::size_t>(places[added] - start) + added;
        if (mergedAt >= firstSize)
            break;
        rows[added]->*m_link = block.get();
    }
    TakeFirstKey(*block);
    blocks.push_back(std::move(block));
    std::vector<std::unique_ptr<CRowBlock>> rest =
        MakeBlocks(std::span<CGridItem* const>(merged).subspan(firstSize), kBuiltBlockSize);
    blocks.insert(blocks.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
}

void CRowBlockList::InsertSplitting(Place place, std::span<CGridItem* const> rows, bool appending)
{
    const int count = static_cast<int>(rows.size());
    std::vector<std::unique_ptr<CRowBlock>> pieces;
    std::size_t first = place.block; // first block that the pieces replace or follow
    if (appending) {
        // Appending keeps full blocks full: the new rows get blocks of their own.
        pieces = MakeBlocks(rows, kMaxBlockSize);
        m_blocks.insert(m_blocks.end(), std::make_move_iterator(pieces.begin()),
                        std::make_move_iterator(pieces.end()));
    } else {
        const std::pmr::vector<CGridItem*>& old = m_blocks[place.block]->rows;
        std::vector<CGridItem*> merged;
        merged.reserve(old.size() + rows.size());
        merged.insert(merged.end(), old.begin(), old.begin() + place.offset);
        merged.insert(merged.end(), rows.begin(), rows.end());
        merged.insert(merged.end(), old.begin() + place.offset, old.end());
        pieces = MakeBlocks(merged, kBuiltBlockSize);
        m_blocks[place.block] = std::move(pieces.front());
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(place.block) + 1,
                        std::make_move_iterator(pieces.begin() + 1),
                        std::make_move_iterator(pieces.end()));
    }
    m_size += count;
    Reindex(first);
}

void CRowBlockList::Erase(int index, int count)
{
    assert(index >= 0 && count >= 0 && index + count <= m_size && "range outside the list");
    if (count == 0)
        return;
    if (count == m_size) {
        Clear();
        return;
    }
    const Place place = Locate(index);
    std::size_t block = place.block;
    std::size_t offset = static_cast<std::size_t>(place.offset);
    int remaining = count;
    bool emptied = false;
    while (remaining > 0) {
        std::pmr::vector<CGridItem*>& rows = m_blocks[block]->rows;
        const int taken = std::min(remaining, static_cast<int>(rows.size() - offset));
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(offset);
        Unlink(std::span<CGridItem* const>(&*from, static_cast<std::size_t>(taken)));
        rows.erase(from, from + taken);
        AddToBlockSize(block, -taken);
        if (rows.empty())
            emptied = true;
        else
            FrontChanged(block);
        remaining -= taken;
        offset = 0;
        ++block;
    }
    m_size -= count;
    if (emptied)
        RemoveEmptyBlocks();
    // The blocks on either side of the gap may have become small.
    if (index < m_size)
        MergeIfSmall(Locate(index).block);
    if (index > 0)
        MergeIfSmall(Locate(index - 1).block);
}

void CRowBlockList::CopyOut(int first, int count, std::vector<CGridItem*>& out) const
{
    assert(first >= 0 && count >= 0 && first + count <= m_size && "range outside the list");
    if (count == 0)
        return;
    out.reserve(out.size() + static_cast<std::size_t>(count));
    const Place place = Locate(first);
    std::size_t block = place.block;
    std::size_t offset = static_cast<std::size_t>(place.offset);
    while (count > 0) {
        const std::pmr::vector<CGridItem*>& rows = m_blocks[block]->rows;
        const int taken = std::min(count, static_cast<int>(rows.size() - offset));
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(offset);
        out.insert(out.end(), from, from + taken);
        count -= taken;
        offset = 0;
        ++block;
    }
}

void CRowBlockList::Assign(std::span<CGridItem* const> rows)
{
    Clear();
    if (rows.empty())
        return;
    m_blocks = MakeBlocks(rows, kBuiltBlockSize);
    m_size = static_cast<int>(rows.size());
    Reindex(0);
}

void CRowBlockList::Clear()
{
    for (const auto& block : m_blocks)
        Unlink(block->rows);
    m_blocks.clear();
    m_firstRows.clear();
    m_firstKeys.clear();
    m_sizeTree.clear();
    m_size = 0;
}

void CRowBlockList::Discard()
{
    m_blocks.clear();
    m_firstRows.clear();
    m_firstKeys.clear();
    m_sizeTree.clear();
    m_size = 0;
}

// ---- Blocks and the size tree --------------------------------------------------------------

CRowBlockList::Place CRowBlockList::Locate(int index) const
{
    assert(index >= 0 && index < m_size && "index outside the list");
    if (m_sizeTree.empty())
        return Place{0, index};
    // Descends the Fenwick tree: the largest prefix of blocks holding at most `index` entries.
    const std::size_t count = m_blocks.size();
    std::size_t block = 0;
    int rest = index;
    for (std::size_t step = std::bit_floor(count); step > 0; step >>= 1) {
        const std::size_t next = block + step;
        if (next <= count && m_sizeTree[next] <= rest) {
            block = next;
            rest -= m_sizeTree[next];
        }
    }
    return Place{block, rest};
}

int CRowBlockList::StartOf(std::size_t block) const
{
    if (m_sizeTree.empty())
        return 0;
    int start = 0;
    for (std::size_t node = block; node > 0; node -= LowestBit(node))
        start += m_sizeTree[node];
    return start;
}

void CRowBlockList::FrontChanged(std::size_t index)
{
    CRowBlock& block = *m_blocks[index];
    CGridItem* front = block.rows.front();
    if (m_firstRows[index] == front)
        return; // the same row: its prefix is kept current by OnKeyChanged
    m_firstRows[index] = front;
    if (m_keyOf == nullptr)
        return;
    block.firstKey = m_keyOf(*front);
    m_firstKeys[index] = block.firstKey;
}

void CRowBlockList::TakeFirstKey(CRowBlock& block) const
{
    if (m_keyOf != nullptr)
        block.firstKey = m_keyOf(*block.rows.front());
}

void CRowBlockList::AddToBlockSize(std::size_t block, int delta)
{
    for (std::size_t node = block + 1; node < m_sizeTree.size(); node += LowestBit(node))
        m_sizeTree[node] += delta;
}

void CRowBlockList::Reindex(std::size_t first)
{
    const std::size_t count = m_blocks.size();
    m_firstRows.resize(count);
    if (m_keyOf != nullptr)
        m_firstKeys.resize(count);
    for (std::size_t block = first; block < count; ++block) {
        m_blocks[block]->index = static_cast<int>(block);
        m_firstRows[block] = m_blocks[block]->rows.front();
        if (m_keyOf != nullptr)
            m_firstKeys[block] = m_blocks[block]->firstKey;
    }
    if (count <= 1) {
        m_sizeTree.clear();
        return;
    }
    m_sizeTree.assign(count + 1, 0);
    for (std::size_t node = 1; node <= count; ++node) {
        m_sizeTree[node] += static_cast<int>(m_blocks[node - 1]->rows.size());
        const std::size_t parent = node + LowestBit(node);
        if (parent <= count)
            m_sizeTree[parent] += m_sizeTree[node];
    }
}

void CRowBlockList::LinkRows(CRowBlock& block, std::size_t from)
{
    // The rows of a sorted burst lie anywhere in memory: asking for the links a few rows ahead
    // overlaps the cache misses instead of paying them one after another.
    constexpr std::size_t kAhead = 8;
    const std::size_t count = block.rows.size();
    for (std::size_t slot = from; slot < count; ++slot) {
        if (slot + kAhead < count)
            __builtin_prefetch(&(block.rows[slot + kAhead]->*m_link), 1);
        block.rows[slot]->*m_link = &block;
    }
}

void CRowBlockList::Unlink(std::span<CGridItem* const> rows)
{
    for (CGridItem* row : rows)
        row->*m_link = nullptr;
}

std::vector<std::unique_ptr<CRowBlock>> CRowBlockList::MakeBlocks(
    std::span<CGridItem* const> rows, int perBlock)
{
    // Full blocks of `perBlock` when building a full block's worth; otherwise the rows are
    // spread evenly, so that no block starts small.
    const std::size_t total = rows.size();
    const std::size_t limit = static_cast<std::size_t>(perBlock);
    const std::size_t pieces = (total + limit - 1) / limit;
    const bool fill = perBlock == kMaxBlockSize;
    std::vector<std::unique_ptr<CRowBlock>> blocks;
    blocks.reserve(pieces);
    std::size_t next = 0;
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        std::size_t size = fill ? std::min(limit, total - next)
                                : total / pieces + (piece < total % pieces ? 1 : 0);
        auto block = std::make_unique<CRowBlock>(BlockMemory(size));
        block->list = this;
        block->rows.reserve(size);
        block->rows.assign(rows.begin() + static_cast<std::ptrdiff_t>(next),
                           rows.begin() + static_cast<std::ptrdiff_t>(next + size));
        LinkRows(*block, 0);
        TakeFirstKey(*block);
        next += size;
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void CRowBlockList::RemoveEmptyBlocks()
{
    std::erase_if(m_blocks, [](const std::unique_ptr<CRowBlock>& block) {
        return block->rows.empty();
    });
    Reindex(0);
}

void CRowBlockList::MergeIfSmall(std::size_t block)
{
    if (m_blocks.size() < 2 || m_blocks[block]->rows.size() >= kMinBlockSize)
        return;
    const auto fits = [this](std::size_t left) {
        return m_blocks[left]->rows.size() + m_blocks[left + 1]->rows.size() <= kMaxBlockSize;
    };
    std::size_t left = 0;
    if (block + 1 < m_blocks.size() && fits(block))
        left = block;
    else if (block > 0 && fits(block - 1))
        left = block - 1;
    else
        return;
    // The smaller block's rows move, so fewer rows are relinked.
    CRowBlock& first = *m_blocks[left];
    CRowBlock& second = *m_blocks[left + 1];
    std::size_t emptied = left + 1;
    if (first.rows.size() <= second.rows.size()) {
        ReserveFor(second.rows, first.rows.size() + second.rows.size());
        second.rows.insert(second.rows.begin(), first.rows.begin(), first.rows.end());
        const std::size_t moved = first.rows.size();
        for (std::size_t slot = 0; slot < moved; ++slot)
            second.rows[slot]->*m_link = &second;
        second.firstKey = first.firstKey;
        emptied = left;
    } else {
        const std::size_t from = first.rows.size();
        ReserveFor(first.rows, first.rows.size() + second.rows.size());
        first.rows.insert(first.rows.end(), second.rows.begin(), second.rows.end());
        LinkRows(first, from);
    }
    m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(emptied));
    Reindex(left);
}

} // namespace Ombrel::GUI
