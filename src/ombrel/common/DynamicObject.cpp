#include "ombrel/common/DynamicObject.h"

#include <cstring>
#include <map>
#include <new>
#include <mutex>
#include <set>
#include <utility>

#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/DynamicSchema.h"

namespace Ombrel::Common {

namespace {

bool IsReservedId(int id) { return id == AllFields || id == NoField; }

bool IsStringKind(ValueType kind) { return kind == vtMfcString || kind == vtStlString; }

// `value` as the string kind `kind`; the two string kinds hold the same bytes.
CValue AsStringKind(const CValue& value, ValueType kind)
{
    if (kind == vtMfcString)
        return CValue(value.GetType() == vtMfcString ? value.GetString() : CString(value.GetStdString()));
    return CValue(value.GetType() == vtStlString ? value.GetStdString() : value.GetString().ToStdString());
}

} // namespace

struct CDynamicObject::Extras
{
    // Once in use for an object with a schema, it links the schema's map as its base, so
    // lookups see both and nothing is copied. Until then the object shows the schema's map.
    CFieldMap ownMap;
    std::map<int, CValue> values;  // identifiers outside the schema
    bool inUse = false;
    CDynamicObjectSlot* slots = nullptr;  // of an object whose slots are not behind it
};

// A flights row (three numbers) then takes one block of 40 + 48 bytes: the allocator's 96-byte
// size class, where 56 bytes of object took its 128-byte one. Per-row memory is a product goal.
static_assert(sizeof(void*) != 8 || sizeof(CDynamicObject) <= 40, "CDynamicObject grew");

namespace {

using Lock = std::lock_guard<CCompactLock>;

CValue AsTextValue(ValueType kind, std::string_view text)
{
    return kind == vtMfcString ? CValue(CString(text)) : CValue(std::string(text));
}

} // namespace

std::unique_ptr<CDynamicObject> CDynamicObject::Create(std::shared_ptr<const CDynamicSchema> schema, bool notify)
{
    const std::size_t slotBytes = SlotBlockBytes(schema != nullptr ? static_cast<std::size_t>(schema->GetSlotCount()) : 0);
    return std::unique_ptr<CDynamicObject>(new (slotBytes) CDynamicObject(std::move(schema), notify, SlotsBehind{}));
}

void* CDynamicObject::operator new(std::size_t size) { return ::operator new(size); }

void* CDynamicObject::operator new(std::size_t size, std::size_t slotBytes)
{
    static_assert(sizeof(CDynamicObject) % alignof(CDynamicObjectSlot) == 0, "the slots follow the object");
    return ::operator new(size + slotBytes);
}

void CDynamicObject::operator delete(void* block) { ::operator delete(block); }

void CDynamicObject::operator delete(void* block, std::size_t) { ::operator delete(block); }

CDynamicObject::CDynamicObject(bool notify)
    : m_notify(notify), m_slotsInline(false), m_schema(nullptr), m_extras(std::make_unique<Extras>())
{
    m_extras->inUse = true;
}

CDynamicObject::CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify)
    : m_notify(notify), m_slotsInline(false), m_schema(schema.get())
{
    if (m_schema == nullptr) {
        m_extras = std::make_unique<Extras>();
        m_extras->inUse = true;
        return;
    }
    if (const std::size_t slots = SlotCount(); slots > 0) {
        m_extras = std::make_unique<Extras>();
        m_extras->slots = static_cast<CDynamicObjectSlot*>(::operator new(SlotBlockBytes(slots)));
        InitialiseSlots();
    }
    // Last: nothing after it may throw, or the schema would count an object never destroyed.
    m_schema->AttachObject();
}

CDynamicObject::CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify, SlotsBehind)
    : m_notify(notify), m_slotsInline(true), m_schema(schema.get())
{
    if (m_schema == nullptr) {
        m_extras = std::make_unique<Extras>();
        m_extras->inUse = true;
        return;
    }
    InitialiseSlots();
    m_schema->AttachObject();
}

CDynamicObject::~CDynamicObject()
{
    // Sinks must see the values and fields still in place.
    NotifyDestroy();
    CDynamicObjectSlot* slots = Slots();
    for (std::size_t slot = 0; slot < SlotCount(); ++slot)
        slots[slot].~CDynamicObjectSlot();
    if (!m_slotsInline && slots != nullptr)
        ::operator delete(slots);
    // The own map links the schema's as its base: it goes while the schema is still held.
    m_extras.reset();
    if (m_schema != nullptr)
        m_schema->DetachObject();
}

// --- Slots ----------------------------------------------------------------------------------

std::size_t CDynamicObject::SlotBlockBytes(std::size_t slots)
{
    // Values first (their alignment), then the presence bits that do not fit in the object.
    const std::size_t presence = slots > 8 * kInlinePresenceBytes ? (slots + 7) / 8 : 0;
    return slots * sizeof(CDynamicObjectSlot) + presence;
}

void CDynamicObject::InitialiseSlots()
{
    CDynamicObjectSlot* slots = Slots();
    const std::size_t count = SlotCount();
    for (std::size_t slot = 0; slot < count; ++slot)
        new (slots + slot) CDynamicObjectSlot();
    std::memset(PresenceBits(), 0, (count + 7) / 8);
}

std::size_t CDynamicObject::SlotCount() const
{
    return m_schema != nullptr ? static_cast<std::size_t>(m_schema->GetSlotCount()) : 0;
}

CDynamicObjectSlot* CDynamicObject::Slots() const
{
    if (!m_slotsInline)
        return m_extras != nullptr ? m_extras->slots : nullptr;
    // Create made this exact class with the slots right behind it, in the same block.
    auto* self = const_cast<CDynamicObject*>(this);
    return reinterpret_cast<CDynamicObjectSlot*>(reinterpret_cast<char*>(self) + sizeof(CDynamicObject));
}

const std::uint8_t* CDynamicObject::PresenceBits() const
{
    const std::size_t count = SlotCount();
    if (count <= 8 * kInlinePresenceBytes)
        return m_presence;
    return reinterpret_cast<const std::uint8_t*>(Slots() + count);
}

std::uint8_t* CDynamicObject::PresenceBits()
{
    return const_cast<std::uint8_t*>(std::as_const(*this).PresenceBits());
}

// --- State under the lock -----------------------------------------------------------------

int CDynamicObject::SlotOf(int id) const { return m_schema != nullptr ? m_schema->GetSlot(id) : -1; }

bool CDynamicObject::IsPresent(int slot) const
{
    return (PresenceBits()[slot / 8] >> (slot % 8) & 1U) != 0;
}

CFieldMap* CDynamicObject::Map() const
{
    return m_extras != nullptr && m_extras->inUse ? &m_extras->ownMap : m_schema->GetFieldMap();
}

void CDynamicObject::MarkPresent(int slot)
{
    PresenceBits()[slot / 8] |= static_cast<std::uint8_t>(1U << (slot % 8));
}

const CValue* CDynamicObject::FindExtraValue(int id) const
{
    if (m_extras == nullptr)
        return nullptr;
    const auto found = m_extras->values.find(id);
    return found != m_extras->values.end() ? &found->second : nullptr;
}

bool CDynamicObject::IsStored(int id) const
{
    if (const int slot = SlotOf(id); slot >= 0)
        return IsPresent(slot);
    return FindExtraValue(id) != nullptr;
}

ValueType CDynamicObject::StoredKind(int id) const
{
    if (const int slot = SlotOf(id); slot >= 0)
        return IsPresent(slot) ? Slots()[slot].GetType() : vtEmpty;
    const CValue* stored = FindExtraValue(id);
    return stored != nullptr ? stored->GetType() : vtEmpty;
}

// A copy of the value stored for `id`; false when none is.
bool CDynamicObject::CopyStored(int id, CValue& out) const
{
    if (const int slot = SlotOf(id); slot >= 0) {
        if (!IsPresent(slot))
            return false;
        out = Slots()[slot].Get();
        return true;
    }
    const CValue* stored = FindExtraValue(id);
    if (stored == nullptr)
        return false;
    out = *stored;
    return true;
}

// The text in `slot` when it holds the string kind `kind`; empty otherwise. Valid until the
// value changes, so it is copied before the lock is released.
std::string_view CDynamicObject::SlotText(int slot, ValueType kind) const
{
    return IsPresent(slot) && Slots()[slot].GetType() == kind ? Slots()[slot].GetText() : std::string_view();
}

// Stores `value` for `id`; true when something new was stored (a value where there was none,
// another kind or payload, or over a stored empty value).
bool CDynamicObject::StoreValue(int id, const CValue& value)
{
    if (const int slot = SlotOf(id); slot >= 0) {
        const bool created = !IsPresent(slot);
        MarkPresent(slot);
        return Slots()[slot].Set(value) || created;
    }
    auto [entry, created] = GetExtras().values.try_emplace(id);
    // Values of different kinds are never equal, so a change of kind counts as a change.
    const bool changed = created || entry->second.IsEmpty() || !(entry->second == value);
    entry->second = value;
    return changed;
}

bool CDynamicObject::StoreText(int id, ValueType kind, std::string_view text)
{
    if (const int slot = SlotOf(id); slot >= 0) {
        const bool created = !IsPresent(slot);
        MarkPresent(slot);
        return Slots()[slot].SetText(kind, text) || created;
    }
    return StoreValue(id, AsTextValue(kind, text));
}

CDynamicObject::Extras& CDynamicObject::GetExtras()
{
    if (m_extras == nullptr)
        m_extras = std::make_unique<Extras>();
    if (!m_extras->inUse) {
        m_extras->ownMap.SetBaseMap(m_schema->GetFieldMap());
        m_extras->inUse = true;
    }
    return *m_extras;
}

// The identifier of every stored value.
template <class Visit>
void CDynamicObject::ForEachStoredId(Visit visit) const
{
    const int slots = static_cast<int>(SlotCount());
    for (int slot = 0; slot < slots; ++slot)
        if (IsPresent(slot))
            visit(m_schema->GetIdAt(slot));
    if (m_extras != nullptr)
        for (const auto& [id, value] : m_extras->values)
            visit(id);
}

// The format for the text of `id`: the caller's, else the declared field's, else the default
// of the declared kind (of the stored kind for an undeclared identifier). Fields and their
// formats live as long as the object, so the result may be used after the lock is released.
const CFormat* CDynamicObject::ChooseFormat(int id, const CFormat* requested) const
{
    if (requested != nullptr)
        return requested;
    if (const CField* field = Map()->GetField(id))
        return field->GetFormat() != nullptr ? field->GetFormat() : CFormat::GetDefaultFormat(field->GetType());
    return CFormat::GetDefaultFormat(StoredKind(id));
}

namespace {

bool ParseText(const CFormat& format, const CString& text, CValue& out, void* context)
{
    return format.Parse(text, out, context);
}

bool ParseText(const CFormat& format, const std::string& text, CValue& out, void* context)
{
    return format.ParseStl(text, out, context);
}

} // namespace

// Parses `text` and stores the result for `id`; true when a value was stored. The format runs
// without the lock (it may read this object). A stored value of another kind than the
// format's is kept (the text cannot become it), except that the two string kinds take each
// other's text.
template <class Text>
bool CDynamicObject::ParseAndStore(int id, const Text& text, CFormat* requested)
{
    if (IsReservedId(id))
        return false;
    const CFormat* format = nullptr;
    {
        Lock guard(m_lock);
        if (Map()->GetField(id) == nullptr)
            return false;
        format = ChooseFormat(id, requested);
    }
    CValue parsed;
    if (format == nullptr || !ParseText(*format, text, parsed, this))
        return false;
    Lock guard(m_lock);
    const ValueType kind = StoredKind(id);
    if (kind == vtEmpty || kind == parsed.GetType())
        StoreValue(id, parsed);
    else if (IsStringKind(kind) && IsStringKind(parsed.GetType()))
        StoreValue(id, AsStringKind(parsed, kind));
    else
        return false;
    return true;
}

bool CDynamicObject::AddField(CField* field)
{
    if (field == nullptr || IsReservedId(field->GetId()))
        return false;
    Lock guard(m_lock);
    if (Map()->GetField(field->GetId()) != nullptr)
        return false;
    return GetExtras().ownMap.AddField(field->GetId(), field);
}

// --- Fields ------------------------------------------------------------------------------

CDataObject::FieldRef CDynamicObject::GetField(int id)
{
    Lock guard(m_lock);
    return {Map()->GetField(id), this};
}

void CDynamicObject::GetFieldRefs(FieldRefSet& refs)
{
    Lock guard(m_lock);
    std::set<CField*> fields;
    for (const CFieldMap* map = Map(); map != nullptr; map = map->GetBaseMap())
        map->CollectFields(fields);
    for (CField* field : fields)
        refs.emplace(field, this);
}

void CDynamicObject::GetFieldIds(FieldIdSet& ids)
{
    Lock guard(m_lock);
    std::set<CField*> fields;
    for (const CFieldMap* map = Map(); map != nullptr; map = map->GetBaseMap())
        map->CollectFields(fields);
    for (const CField* field : fields)
        ids.insert(field->GetId());
    ForEachStoredId([&ids](int id) { ids.insert(id); });
}

CFieldMap* CDynamicObject::GetFieldMap()
{
    Lock guard(m_lock);
    return Map();
}

CFieldMap* CDynamicObject::GetFieldMap() const
{
    Lock guard(m_lock);
    return Map();
}

bool CDynamicObject::IsReadable(int id)
{
    Lock guard(m_lock);
    return IsStored(id);
}

bool CDynamicObject::IsWritable(int id) { return IsReadable(id); }

ValueType CDynamicObject::GetFieldType(int id)
{
    Lock guard(m_lock);
    return StoredKind(id);
}

std::string CDynamicObject::GetFieldName(int id)
{
    Lock guard(m_lock);
    const CField* field = Map()->GetField(id);
    return field != nullptr ? field->GetName() : std::string();
}

CFormat* CDynamicObject::GetFieldFormat(int id)
{
    Lock guard(m_lock);
    const CField* field = Map()->GetField(id);
    return field != nullptr ? field->GetFormat() : nullptr;
}

// --- Values ------------------------------------------------------------------------------

CValue CDynamicObject::GetValue(int id)
{
    CValue value;
    Lock guard(m_lock);
    CopyStored(id, value);
    return value;
}

// CValue's typed getters already answer the neutral value for another kind.
// The two string getters copy a slot's text without a tagged value in between.
CString CDynamicObject::GetString(int id)
{
    Lock guard(m_lock);
    if (const int slot = SlotOf(id); slot >= 0)
        return CString(SlotText(slot, vtMfcString));
    const CValue* stored = FindExtraValue(id);
    return stored != nullptr ? stored->GetString() : CString();
}

std::string CDynamicObject::GetStdString(int id)
{
    Lock guard(m_lock);
    if (const int slot = SlotOf(id); slot >= 0)
        return std::string(SlotText(slot, vtStlString));
    const CValue* stored = FindExtraValue(id);
    return stored != nullptr ? stored->GetStdString() : std::string();
}


char CDynamicObject::GetChar(int id) { return GetValue(id).GetChar(); }
unsigned char CDynamicObject::GetUChar(int id) { return GetValue(id).GetUChar(); }
short CDynamicObject::GetShort(int id) { return GetValue(id).GetShort(); }
unsigned short CDynamicObject::GetUShort(int id) { return GetValue(id).GetUShort(); }
std::int32_t CDynamicObject::GetLong(int id) { return GetValue(id).GetLong(); }
std::uint32_t CDynamicObject::GetULong(int id) { return GetValue(id).GetULong(); }
std::int64_t CDynamicObject::GetInt64(int id) { return GetValue(id).GetInt64(); }
bool CDynamicObject::GetBool(int id) { return GetValue(id).GetBool(); }
float CDynamicObject::GetFloat(int id) { return GetValue(id).GetFloat(); }
double CDynamicObject::GetDouble(int id) { return GetValue(id).GetDouble(); }
OpaqueValue CDynamicObject::GetOpaque(int id) { return GetValue(id).GetOpaque(); }

bool CDynamicObject::SetString(int id, const CString& value) { return SetText(id, vtMfcString, value.ToStdString()); }
bool CDynamicObject::SetStdString(int id, const std::string& value) { return SetText(id, vtStlString, value); }
bool CDynamicObject::SetChar(int id, char value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetUChar(int id, unsigned char value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetShort(int id, short value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetUShort(int id, unsigned short value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetLong(int id, std::int32_t value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetULong(int id, std::uint32_t value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetInt64(int id, std::int64_t value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetBool(int id, bool value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetFloat(int id, float value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetDouble(int id, double value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetOpaque(int id, OpaqueValue value) { return SetValue(id, CValue(value)); }

bool CDynamicObject::SetValue(int id, const CValue& value)
{
    if (IsReservedId(id))
        return false;
    bool changed = false;
    {
        Lock guard(m_lock);
        changed = StoreValue(id, value);
    }
    if (changed && m_notify)
        NotifyUpdate(id);
    return true;
}

bool CDynamicObject::SetText(int id, ValueType kind, std::string_view text)
{
    if (IsReservedId(id))
        return false;
    bool changed = false;
    {
        Lock guard(m_lock);
        changed = StoreText(id, kind, text);
    }
    if (changed && m_notify)
        NotifyUpdate(id);
    return true;
}

// --- Text --------------------------------------------------------------------------------

CFormattedText CDynamicObject::GetFormattedValue(int id, CFormat* format)
{
    CValue value;
    const CFormat* chosen = nullptr;
    {
        Lock guard(m_lock);
        if (!CopyStored(id, value))
            return CFormattedText();
        chosen = ChooseFormat(id, format);
    }
    if (chosen == nullptr)
        return CFormattedText();
    return CFormattedText(chosen->FormatStl(value, this));
}

bool CDynamicObject::SetFormattedValue(int id, const CString& text, CFormat* format)
{
    const bool stored = ParseAndStore(id, text, format);
    if (stored && m_notify)
        NotifyUpdate(id);
    return stored;
}

bool CDynamicObject::SetFormattedValue(int id, const std::string& text, CFormat* format)
{
    const bool stored = ParseAndStore(id, text, format);
    if (stored && m_notify)
        NotifyUpdate(id);
    return stored;
}

} // namespace Ombrel::Common
