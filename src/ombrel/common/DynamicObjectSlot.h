#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ombrel/common/Value.h"

namespace Ombrel::Common {

// One stored value of a dynamic object's schema field, in the sixteen bytes of a CValue but
// without a CValue's heap string: text of up to kTextInPlace bytes is held in the slot itself,
// longer text in one heap block of exactly its bytes. A table's short texts (a city, a code,
// a name) so cost no allocation at all.
//
// A slot holds a kind (vtEmpty included: a stored empty value) and the payload of that kind;
// whether a value is stored at all is the object's business. Not copyable: it lives in the
// object's slot array and is read as a CValue.
class CDynamicObjectSlot
{
public:
    static constexpr std::size_t kTextInPlace = 14;

    CDynamicObjectSlot() = default;
    CDynamicObjectSlot(const CDynamicObjectSlot&) = delete;
    CDynamicObjectSlot& operator=(const CDynamicObjectSlot&) = delete;
    ~CDynamicObjectSlot() { ReleaseText(); }

    ValueType GetType() const { return static_cast<ValueType>(m_head.kind); }
    bool IsEmpty() const { return m_head.kind == vtEmpty; }

    // The stored value as a tagged value.
    CValue Get() const;
    // The text of a string kind; empty for other kinds.
    std::string_view GetText() const;

    // Stores `value`, kind and payload; true when either differs from what was stored (a
    // stored empty value always counts as changed, and values of different kinds are never
    // equal).
    bool Set(const CValue& value);
    // Stores `text` as the string kind `kind` (vtMfcString or vtStlString), as Set does.
    bool SetText(ValueType kind, std::string_view text);

private:
    // The text's size marks where it is: up to kTextInPlace in place, else kTextOnHeap.
    static constexpr std::uint8_t kTextOnHeap = 0xFF;

    // Every form begins with the kind and the in-place size, so either is read through
    // m_head whichever form is stored.
    struct Head
    {
        std::uint8_t kind;
        std::uint8_t textSize;
    };
    struct InPlaceText
    {
        Head head;
        char bytes[kTextInPlace];
    };
    struct Payload
    {
        Head head;
        std::uint16_t unused;
        std::uint32_t heapTextSize;  // the size of heapText
        union {
            std::uint64_t number;    // a number's bytes, copied from its C type
            char* heapText;          // owned; exactly heapTextSize bytes, no terminator
        };
    };

    bool IsTextOnHeap() const;
    void ReleaseText();
    void StoreNumber(const CValue& value);

    union {
        Head m_head{vtEmpty, 0};
        InPlaceText m_inPlace;
        Payload m_payload;
    };
};

} // namespace Ombrel::Common
