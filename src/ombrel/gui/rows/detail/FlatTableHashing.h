#pragma once

#include <cstddef>
#include <cstdint>

// What the row model's flat tables keyed by addresses share (the dispatcher's registry, the
// containers' address sets, the queue of pending changes): open addressing with linear probes
// over a power-of-two array, and one hash.
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

inline std::uint64_t AddressKey(const void* address)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
}

} // namespace Ombrel::GUI::Detail
