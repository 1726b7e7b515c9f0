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
    // Once made for an object with a schema, it links the schema's map as its base, so
    // lookups see both and nothing is copied.
    CFieldMap ownMap;
    std::map<int, CValue> values;  // identifiers outside the schema
};

namespace {

using Lock = std::lock_guard<CCompactLock>;

std::size_t SlotCount(const std::shared_ptr<const CDynamicSchema>& schema)
{
    return schema != nullptr ? static_cast<std::size_t>(schema->GetSlotCount()) : 0;
}

// Values first (their alignment), then the presence bits.
std::size_t SlotBytes(std::size_t slots) { return slots == 0 ? 0 : slots * sizeof(CValue) + (slots + 7) / 8; }

// The slots of `slotCount` values at `storage`, empty and absent.
CValue* ConstructSlots(void* storage, std::size_t slotCount)
{
    if (storage == nullptr)
        return nullptr;
    auto* values = static_cast<CValue*>(storage);
    for (std::size_t slot = 0; slot < slotCount; ++slot)
        new (values + slot) CValue();
    std::memset(static_cast<void*>(values + slotCount), 0, (slotCount + 7) / 8);
    return values;
}

std::uint8_t* PresenceBits(CValue* slots, std::size_t slotCount) { return reinterpret_cast<std::uint8_t*>(slots + slotCount); }

} // namespace

std::unique_ptr<CDynamicObject> CDynamicObject::Create(std::shared_ptr<const CDynamicSchema> schema, bool notify)
{
    const std::size_t slotBytes = SlotBytes(SlotCount(schema));
    return std::unique_ptr<CDynamicObject>(new (slotBytes) CDynamicObject(std::move(schema), notify, SlotsBehind{}));
}

void* CDynamicObject::operator new(std::size_t size) { return ::operator new(size); }

void* CDynamicObject::operator new(std::size_t size, std::size_t slotBytes)
{
    static_assert(sizeof(CDynamicObject) % alignof(CValue) == 0, "the slots follow the object");
    return ::operator new(size + slotBytes);
}

void CDynamicObject::operator delete(void* block) { ::operator delete(block); }

void CDynamicObject::operator delete(void* block, std::size_t) { ::operator delete(block); }

CDynamicObject::CDynamicObject(bool notify)
    : m_notify(notify), m_slotsInline(false), m_slots(nullptr), m_extras(std::make_unique<Extras>())
{
}

CDynamicObject::CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify)
    : m_notify(notify),
      m_slotsInline(false),
      m_schema(std::move(schema)),
      m_slots(ConstructSlots(SlotCount(m_schema) > 0 ? ::operator new(SlotBytes(SlotCount(m_schema))) : nullptr,
                             SlotCount(m_schema)))
{
    if (m_schema == nullptr)
        m_extras = std::make_unique<Extras>();
}

CDynamicObject::CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify, SlotsBehind)
    : m_notify(notify),
      m_slotsInline(true),
      m_schema(std::move(schema)),
      m_slots(ConstructSlots(SlotCount(m_schema) > 0 ? reinterpret_cast<char*>(this) + sizeof(CDynamicObject) : nullptr,
                             SlotCount(m_schema)))
{
    if (m_schema == nullptr)
        m_extras = std::make_unique<Extras>();
}

CDynamicObject::~CDynamicObject()
{
    // Sinks must see the values and fields still in place.
    NotifyDestroy();
    const std::size_t slots = SlotCount(m_schema);
    for (std::size_t slot = 0; slot < slots; ++slot)
        m_slots[slot].~CValue();
    if (!m_slotsInline && m_slots != nullptr)
        ::operator delete(m_slots);
}

// --- State under the lock -----------------------------------------------------------------

int CDynamicObject::SlotOf(int id) const { return m_slots != nullptr ? m_schema->GetSlot(id) : -1; }

bool CDynamicObject::IsPresent(int slot) const
{
    const std::uint8_t* bits = PresenceBits(m_slots, SlotCount(m_schema));
    return (bits[slot / 8] >> (slot % 8) & 1U) != 0;
}

CFieldMap* CDynamicObject::Map() const { return m_extras != nullptr ? &m_extras->ownMap : m_schema->GetFieldMap(); }

const CValue* CDynamicObject::FindValue(int id) const
{
    if (const int slot = SlotOf(id); slot >= 0)
        return IsPresent(slot) ? &m_slots[slot] : nullptr;
    if (m_extras == nullptr)
        return nullptr;
    const auto found = m_extras->values.find(id);
    return found != m_extras->values.end() ? &found->second : nullptr;
}

CValue& CDynamicObject::Entry(int id, bool& created)
{
    if (const int slot = SlotOf(id); slot >= 0) {
        created = !IsPresent(slot);
        PresenceBits(m_slots, SlotCount(m_schema))[slot / 8] |= static_cast<std::uint8_t>(1U << (slot % 8));
        return m_slots[slot];
    }
    auto [entry, inserted] = GetExtras().values.try_emplace(id);
    created = inserted;
    return entry->second;
}

CDynamicObject::Extras& CDynamicObject::GetExtras()
{
    if (m_extras == nullptr) {
        m_extras = std::make_unique<Extras>();
        m_extras->ownMap.SetBaseMap(m_schema->GetFieldMap());
    }
    return *m_extras;
}

// Every stored value with its identifier.
template <class Visit>
void CDynamicObject::ForEachValue(Visit visit) const
{
    const int slots = static_cast<int>(SlotCount(m_schema));
    for (int slot = 0; m_slots != nullptr && slot < slots; ++slot)
        if (IsPresent(slot))
            visit(m_schema->GetIdAt(slot), m_slots[slot]);
    if (m_extras != nullptr)
        for (const auto& [id, value] : m_extras->values)
            visit(id, value);
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
    const CValue* stored = FindValue(id);
    return CFormat::GetDefaultFormat(stored != nullptr ? stored->GetType() : vtEmpty);
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
    bool created = false;
    CValue& stored = Entry(id, created);
    if (stored.IsEmpty() || stored.GetType() == parsed.GetType())
        stored = std::move(parsed);
    else if (IsStringKind(stored.GetType()) && IsStringKind(parsed.GetType()))
        stored = AsStringKind(parsed, stored.GetType());
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
    ForEachValue([&ids](int id, const CValue&) { ids.insert(id); });
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
    return FindValue(id) != nullptr;
}

bool CDynamicObject::IsWritable(int id) { return IsReadable(id); }

ValueType CDynamicObject::GetFieldType(int id)
{
    Lock guard(m_lock);
    const CValue* stored = FindValue(id);
    return stored != nullptr ? stored->GetType() : vtEmpty;
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
    Lock guard(m_lock);
    const CValue* stored = FindValue(id);
    return stored != nullptr ? *stored : CValue();
}

// CValue's typed getters already answer the neutral value for another kind.
CString CDynamicObject::GetString(int id) { return GetValue(id).GetString(); }
std::string CDynamicObject::GetStdString(int id) { return GetValue(id).GetStdString(); }
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

bool CDynamicObject::SetString(int id, const CString& value) { return SetValue(id, CValue(value)); }
bool CDynamicObject::SetStdString(int id, const std::string& value) { return SetValue(id, CValue(value)); }
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
    bool announce = false;
    {
        Lock guard(m_lock);
        bool created = false;
        CValue& stored = Entry(id, created);
        // Values of different kinds are never equal, so a change of kind counts as a change.
        const bool changed = created || stored.IsEmpty() || !(stored == value);
        stored = value;
        announce = changed && m_notify;
    }
    if (announce)
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
        const CValue* stored = FindValue(id);
        if (stored == nullptr)
            return CFormattedText();
        value = *stored;
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
