#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

#include "ombrel/base/HugePageMemory.h"

// What the row model's flat tables keyed by addresses share (the dispatcher's registry, the
// containers' address sets, the queue of pending changes): open addressing with linear probes
// over a power-of-two array, and one hash.
namespace Ombrel::GUI::Detail {

// The slot array of a flat table. A table of a grid's worth of rows is filled in one go when the
// grid is loaded: it takes huge pages (CHugePageMemory), which is most of what filling it costs.
template <class Slot>
using FlatSlots = std::pmr::vector<Slot>;

template <class Slot>
FlatSlots<Slot> MakeFlatSlots(std::size_t capacity = 0)
{
    return FlatSlots<Slot>(capacity, Slot{}, &CHugePageMemory::Get());
}

// No flat table is smaller.
constexpr std::size_t kMinFlatTableCapacity = 16;

// Entries fill at most three quarters of the slots: probe runs stay short.
constexpr bool IsOverLoaded(std::size_t entries, std::size_t capacity)
{
    return entries * 4 > capacity * 3;
}

// Fibonacci hashing: allocators hand out addresses in 16-byte steps, which the multiplication
// spreads over the top bits; `shift` (64 - log2 of the capacity) keeps as many as there are
// slots.
inline std::size_t FibonacciSlot(std::uint64_t key, int shift)
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift);
}

inline std::uint64_t AddressKey(const void* address)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
}

// The slot count a table of `capacity` slots needs for `entries`: the same count, or doubled until
// the entries fit under the load limit.
inline std::size_t CapacityFor(std::size_t entries, std::size_t capacity)
{
    capacity = std::max(kMinFlatTableCapacity, capacity);
    while (IsOverLoaded(entries, capacity))
        capacity *= 2;
    return capacity;
}

// Empties slot `hole` of a linear-probing table without tombstones. Backward shift: a later
// member of the run moves into the hole unless its home lies cyclically after the hole (then it
// is already as close to home as it can be). `isTaken(slot)` tells a taken slot from an empty
// one, `homeOf(slot)` is a taken slot's home; an emptied slot becomes `Slot{}`.
template <class Table, class IsTaken, class HomeOf>
void EraseByBackwardShift(Table& table, std::size_t hole, IsTaken isTaken, HomeOf homeOf)
{
    using Slot = typename Table::value_type;
    const std::size_t mask = table.size() - 1;
    for (std::size_t next = (hole + 1) & mask; isTaken(table[next]); next = (next + 1) & mask) {
        const std::size_t home = homeOf(table[next]);
        const bool staysPut = hole <= next ? (hole < home && home <= next)
                                           : (hole < home || home <= next);
        if (staysPut)
            continue;
        table[hole] = table[next];
        hole = next;
    }
    table[hole] = Slot{};
}

} // namespace Ombrel::GUI::Detail
