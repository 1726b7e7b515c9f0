#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "ombrel/common/DataObject.h"
#include "ombrel/common/CompactLock.h"
#include "ombrel/common/DynamicObjectSlot.h"

namespace Ombrel::Common {

class CDynamicSchema;

// A data object without a compiled class: it stores its values itself, keyed by field
// identifier, and its fields are declared at run time with AddField.
//
// Values and fields are independent. A value may exist without a field (readable by
// identifier, serialized, listed by GetFieldIds, but without name or format); a field may
// exist without a value (then IsReadable is false). The kind of an identifier is the kind of
// its stored value. Fields added here are only descriptions (name, kind, format): their
// getters and setters, if any, are never called.
//
// Every operation on fields or values holds the object's lock, so values may be set on worker
// threads while a grid reads them on its own; sinks are notified after the lock is released,
// and formats parse and format outside it.
//
// Memory: an object of a schema keeps the values of the schema's fields in slots, an array of
// values behind the object; made with Create, object and slots are one allocation. A slot
// holds short text in place (CDynamicObjectSlot), so a row of short texts and numbers is that
// one allocation. Its own
// fields and the values of undeclared identifiers live in a part made on first use, so a row
// of a table costs its object, its values' text and nothing else.
//
// Lifetimes across threads: the schema is immutable; each object counts itself among the
// schema's objects (an atomic count, see CDynamicSchema), so objects of one schema may be made
// and destroyed on any threads, and the last of the schema's objects and owners to go deletes
// it. Fields added to one object belong to that object and live as long as
// it does; the field pointers and formats it hands out stay valid until it is destroyed.
class CDynamicObject : public CDataObject
{
public:
    // With `notify`, a change of a stored value is announced to the sinks (NotifyUpdate).
    explicit CDynamicObject(bool notify);
    // An object whose declared fields are `schema`'s, shared with every object made for the
    // same columns: it then costs its values, not a field map of its own. AddField still
    // works; the object's own fields are kept apart from the schema's, which never changes.
    CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify);
    // As the constructor above, with the object and its slots in one allocation.
    static std::unique_ptr<CDynamicObject> Create(std::shared_ptr<const CDynamicSchema> schema, bool notify);
    // Create allocates more than the object's size (the slots follow the object), so
    // deletion passes no size.
    static void* operator new(std::size_t size);
    static void operator delete(void* block);
    CDynamicObject(const CDynamicObject&) = delete;
    CDynamicObject& operator=(const CDynamicObject&) = delete;
    ~CDynamicObject() override;

    FieldRef GetField(int id) override;
    void GetFieldRefs(FieldRefSet& refs) override;
    // The declared identifiers and the identifiers of every stored value.
    void GetFieldIds(FieldIdSet& ids) override;
    CFieldMap* GetFieldMap() override;
    CFieldMap* GetFieldMap() const override;

    // True when a value is stored for `id`, declared or not.
    bool IsReadable(int id) override;
    bool IsWritable(int id) override;
    // The kind of the stored value; vtEmpty when none.
    ValueType GetFieldType(int id) override;
    // From the declared field: empty and null when `id` is not declared.
    std::string GetFieldName(int id) override;
    CFormat* GetFieldFormat(int id) override;

    // The stored payload when its kind is the getter's; the empty string or zero otherwise.
    CString GetString(int id) override;
    std::string GetStdString(int id) override;
    char GetChar(int id) override;
    unsigned char GetUChar(int id) override;
    short GetShort(int id) override;
    unsigned short GetUShort(int id) override;
    std::int32_t GetLong(int id) override;
    std::uint32_t GetULong(int id) override;
    std::int64_t GetInt64(int id) override;
    bool GetBool(int id) override;
    float GetFloat(int id) override;
    double GetDouble(int id) override;
    OpaqueValue GetOpaque(int id) override;

    // A copy of the stored value; empty when none is stored.
    CValue GetValue(int id) override;

    // Each stores a value of its own kind through SetValue.
    bool SetString(int id, const CString& value) override;
    bool SetStdString(int id, const std::string& value) override;
    bool SetChar(int id, char value) override;
    bool SetUChar(int id, unsigned char value) override;
    bool SetShort(int id, short value) override;
    bool SetUShort(int id, unsigned short value) override;
    bool SetLong(int id, std::int32_t value) override;
    bool SetULong(int id, std::uint32_t value) override;
    bool SetInt64(int id, std::int64_t value) override;
    bool SetBool(int id, bool value) override;
    bool SetFloat(int id, float value) override;
    bool SetDouble(int id, double value) override;
    bool SetOpaque(int id, OpaqueValue value) override;

    // Stores a copy of `value` under `id` (its kind replaces the old one), declared or not, and
    // notifies when the stored value changed. False only for AllFields and NoField.
    bool SetValue(int id, const CValue& value) override;

    // The stored value as text through `format`, else the declared field's format, else the
    // default format of its kind; empty when nothing is stored.
    CFormattedText GetFormattedValue(int id, CFormat* format = nullptr) override;
    // Needs a declared field. Parses the text with the format chosen as above and stores the
    // result (always notifying, when notification is on). A stored value of another kind than
    // the format parses is kept, and the call fails.
    bool SetFormattedValue(int id, const CString& text, CFormat* format = nullptr) override;
    bool SetFormattedValue(int id, const std::string& text, CFormat* format = nullptr) override;
    using CDataObject::SetFormattedValue;

    // Adopts `field` under its identifier. False (the caller keeps it) for a null field, a
    // reserved identifier or one already declared.
    virtual bool AddField(CField* field);

private:
    // The object's own field map and the values of identifiers its schema does not declare.
    struct Extras;

    struct SlotsBehind {};
    // The block of Create: the object, then `slotBytes` for its slots.
    static void* operator new(std::size_t size, std::size_t slotBytes);
    static void operator delete(void* block, std::size_t slotBytes);
    CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify, SlotsBehind);

    // The bytes of `slots` values with their presence bits, where these do not fit in the
    // object's spare bytes.
    static std::size_t SlotBlockBytes(std::size_t slots);
    // Constructs the slots, empty and absent.
    void InitialiseSlots();
    std::size_t SlotCount() const;
    CDynamicObjectSlot* Slots() const;
    const std::uint8_t* PresenceBits() const;
    std::uint8_t* PresenceBits();

    // Called with the lock held.
    int SlotOf(int id) const;
    bool IsPresent(int slot) const;
    void MarkPresent(int slot);
    CFieldMap* Map() const;
    const CValue* FindExtraValue(int id) const;
    Extras& GetExtras();
    bool IsStored(int id) const;
    ValueType StoredKind(int id) const;
    bool CopyStored(int id, CValue& out) const;
    std::string_view SlotText(int slot, ValueType kind) const;
    bool StoreValue(int id, const CValue& value);
    bool StoreText(int id, ValueType kind, std::string_view text);
    const CFormat* ChooseFormat(int id, const CFormat* requested) const;
    template <class Visit>
    void ForEachStoredId(Visit visit) const;

    template <class Text>
    bool ParseAndStore(int id, const Text& text, CFormat* requested);
    // Stores a text of a string kind, notifying when it changed.
    bool SetText(int id, ValueType kind, std::string_view text);

    // A schema of up to 8 times this many fields keeps its presence bits in the bytes the
    // object would otherwise pad.
    static constexpr std::size_t kInlinePresenceBytes = 5;

    mutable CCompactLock m_lock;  // guards the slots, their presence and the extras
    const bool m_notify;
    // The slots follow the object in its allocation (Create); otherwise the extras hold them.
    const bool m_slotsInline;
    // One bit per schema slot: a stored empty value differs from none stored. Past
    // kInlinePresenceBytes the bits follow the slots instead.
    std::uint8_t m_presence[kInlinePresenceBytes] = {};
    // Shared and immutable; null for an object that declares all its fields itself. The object
    // counts itself among the schema's objects, which keeps the schema alive.
    const CDynamicSchema* const m_schema;
    // Made on first need (own fields, undeclared values); always present without a schema and
    // for slots not behind the object.
    std::unique_ptr<Extras> m_extras;
};

} // namespace Ombrel::Common
