#pragma once

#include <cstdint>
#include <optional>

#include "ombrel/gui/rows/SortKey.h"

namespace Ombrel::GUI {

// A sort key reduced to one number whose unsigned order agrees with the key's own order among
// keys of one kind (CSortKey::OrderPrefix), together with that kind. Two prefixes of one kind
// that differ order their keys without reading them; equal prefixes, prefixes of different
// kinds and a key without a prefix (empty, NaN) decide nothing, and the keys themselves must
// be compared.
struct CKeyPrefix
{
    static constexpr std::uint8_t kNoPrefix = 0xFF; // `kind` of a key without a prefix

    std::uint64_t bits = 0;
    std::uint8_t kind = kNoPrefix; // the key's ValueType

    static CKeyPrefix Of(const CSortKey& key)
    {
        const std::optional<std::uint64_t> prefix = key.OrderPrefix();
        if (!prefix)
            return CKeyPrefix{};
        return CKeyPrefix{*prefix, static_cast<std::uint8_t>(key.GetType())};
    }

    // Negative when this key is smaller than `other`'s, positive when greater, 0 when the
    // prefixes cannot tell.
    int Order(const CKeyPrefix& other) const
    {
        if (kind != other.kind || kind == kNoPrefix || bits == other.bits)
            return 0;
        return bits < other.bits ? -1 : 1;
    }

    bool operator==(const CKeyPrefix&) const = default;
};

} // namespace Ombrel::GUI
