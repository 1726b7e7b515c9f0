#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the row model's flat tables keyed by addresses share (the dispatcher's registry, the
// containers' address sets, the queue of pending changes): open addressing with linear probes
// over an array, and one hash. Tables grow by doubling; a table sized ahead for a known count
// (ReserveTight) has a slot count that need not be a power of two.
namespace Ombrel::GUI::Detail {

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

// The slot of `key` in a table of any `capacity`: the high half of its Fibonacci hash times the
// capacity. For a power of two this is FibonacciSlot's slot; for other counts it spreads the
// keys as evenly.
inline std::size_t ScaledSlot(std::uint64_t key, std::size_t capacity)
{
    const std::uint64_t hash = key * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>((static_cast<unsigned __int128>(hash) * capacity) >> 64);
}

// The slot a linear probe visits after `slot`, wrapping at the end of the array.
inline std::size_t NextSlot(std::size_t slot, std::size_t capacity)
{
    return slot + 1 == capacity ? 0 : slot + 1;
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

// The slot count a table of `capacity` slots needs to hold `entries` that are known ahead: the
// same count when they fit under the load limit, else the fewest slots (a multiple of 16) that
// hold them there. Doubling would leave up to half of a large table unused for good.
inline std::size_t TightCapacityFor(std::size_t entries, std::size_t capacity)
{
    capacity = std::max(kMinFlatTableCapacity, capacity);
    if (!IsOverLoaded(entries, capacity))
        return capacity;
    const std::size_t needed = entries * 4 / 3 + 1;
    return (needed + 15) / 16 * 16;
}

// Empties slot `hole` of a linear-probing table without tombstones. Backward shift: a later
// member of the run moves into the hole unless its home lies cyclically after the hole (then it
// is already as close to home as it can be). `isTaken(slot)` tells a taken slot from an empty
// one, `homeOf(slot)` is a taken slot's home; an emptied slot becomes `Slot{}`.
template <class Slot, class IsTaken, class HomeOf>
void EraseByBackwardShift(std::vector<Slot>& slots, std::size_t hole, IsTaken isTaken, HomeOf homeOf)
{
    const std::size_t capacity = slots.size();
    for (std::size_t next = NextSlot(hole, capacity); isTaken(slots[next]); next = NextSlot(next, capacity)) {
        const std::size_t home = homeOf(slots[next]);
        const bool staysPut = hole <= next ? (hole < home && home <= next)
                                           : (hole < home || home <= next);
        if (staysPut)
            continue;
        slots[hole] = slots[next];
        hole = next;
    }
    slots[hole] = Slot{};
}

} // namespace Ombrel::GUI::Detail
