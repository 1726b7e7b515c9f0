#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "ombrel/common/Value.h"

namespace Ombrel::GUI {

// One cached sort value of a row: any value kind of CValue in 16 bytes.
//
// Numbers are kept as 64-bit integers or doubles (every kind's order survives the widening);
// text of up to 14 bytes is kept inline, so the usual short name, symbol or code costs no
// allocation and comparing two keys never allocates. Longer text takes one heap block.
// Text compares bytewise, a shorter text first on a common prefix, as CValue orders strings.
class CSortKey
{
public:
    CSortKey() = default;
    ~CSortKey() { Clear(); }
    CSortKey(const CSortKey& other);
    CSortKey(CSortKey&& other) noexcept;
    CSortKey& operator=(const CSortKey& other);
    CSortKey& operator=(CSortKey&& other) noexcept;

    Common::ValueType GetType() const { return static_cast<Common::ValueType>(m_type); }
    bool IsEmpty() const { return m_type == Common::vtEmpty; }
    bool IsText() const;
    void Clear();
    void Assign(const Common::CValue& value);

    // Positive when this key is greater than `other`, negative when smaller, 0 when they are
    // equal or of different kinds (unordered floating-point values are equal to everything).
    int Compare(const CSortKey& other) const;
    // True when the key holds `value` (same kind, and equal as CValue compares for equality).
    bool Equals(const Common::CValue& value) const;

    // A number whose unsigned order agrees with Compare among keys of one kind: of two such
    // keys, the one with the smaller prefix is the smaller; equal keys have equal prefixes,
    // and keys with equal prefixes may still differ only as text past the bytes it holds. Text gives its bytes from
    // `textOffset` on, eight at most, first byte highest: keys whose texts all share their
    // first `textOffset` bytes compare as their prefixes from there. Nothing for an empty key
    // or a floating-point NaN, which is equal to every value and so has no place of its own.
    std::optional<std::uint64_t> OrderPrefix(std::size_t textOffset = 0) const;
    // The text of a text key (empty for other kinds).
    std::string_view TextView() const;

    // A copy that refers to this key's text instead of copying it, for a short-lived array of
    // keys (a bulk sort): valid while this key is neither changed nor destroyed.
    CSortKey Borrow() const;

private:
    static constexpr std::size_t kInlineText = 14;
    // m_length values above kInlineText say where longer text is.
    static constexpr std::uint8_t kOwnedText = 0xFF;    // heap block owned by this key
    static constexpr std::uint8_t kBorrowedText = 0xFE; // another key's heap block

    bool IsFloating() const;
    bool IsSigned() const;
    std::string_view Text() const;
    void SetText(std::string_view text);
    std::uint64_t Bits() const;
    void SetBits(std::uint64_t bits);
    double Floating() const;
    void CopyFrom(const CSortKey& other);

    // Inline text; or a 64-bit number; or (pointer, 32-bit length) of longer text.
    alignas(8) unsigned char m_bytes[kInlineText] = {};
    std::uint8_t m_length = 0; // inline text length, or kOwnedText / kBorrowedText
    std::uint8_t m_type = Common::vtEmpty;
};

static_assert(sizeof(CSortKey) == 16, "a sort key fits in two words");

} // namespace Ombrel::GUI
