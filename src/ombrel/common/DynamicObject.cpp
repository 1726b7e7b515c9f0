#include "ombrel/common/DynamicObject.h"

#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "ombrel/base/CriticalSection.h"
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

struct CDynamicObject::Impl
{
    // A declared field's value in an object with a schema. `present` tells a stored empty
    // value from none stored, as the identifier map does by its entry.
    struct Slot
    {
        CValue value;
        bool present = false;
    };

    Impl(bool notifyChanges, std::shared_ptr<const CDynamicSchema> sharedSchema)
        : schema(std::move(sharedSchema)), notify(notifyChanges)
    {
        if (schema == nullptr)
            ownMap = std::make_unique<CFieldMap>();
        else if (schema->GetSlotCount() > 0)
            slots = std::make_unique<Slot[]>(static_cast<std::size_t>(schema->GetSlotCount()));
    }

    CCriticalSection lock; // guards everything below
    // Shared and immutable; null for an object that declares all its fields itself.
    std::shared_ptr<const CDynamicSchema> schema;
    // The object's own fields; null while an object with a schema has added none. Once made,
    // it links the schema's map as its base, so lookups see both and nothing is copied.
    std::unique_ptr<CFieldMap> ownMap;
    std::unique_ptr<Slot[]> slots;   // one per schema slot
    std::map<int, CValue> values;    // identifiers outside the schema
    bool notify;

    CFieldMap* Map() const { return ownMap != nullptr ? ownMap.get() : schema->GetFieldMap(); }

    const CField* FindField(int id) const { return Map()->GetField(id); }

    int SlotOf(int id) const { return schema != nullptr ? schema->GetSlot(id) : -1; }

    const CValue* FindValue(int id) const
    {
        if (const int slot = SlotOf(id); slot >= 0)
            return slots[slot].present ? &slots[slot].value : nullptr;
        const auto found = values.find(id);
        return found != values.end() ? &found->second : nullptr;
    }

    // The stored value for `id`, made empty when none was stored; `created` tells which.
    CValue& Entry(int id, bool& created)
    {
        if (const int slot = SlotOf(id); slot >= 0) {
            created = !slots[slot].present;
            slots[slot].present = true;
            return slots[slot].value;
        }
        auto [entry, inserted] = values.try_emplace(id);
        created = inserted;
        return entry->second;
    }

    // Every stored value with its identifier.
    template <class Visit>
    void ForEachValue(Visit visit) const
    {
        for (int slot = 0; schema != nullptr && slot < schema->GetSlotCount(); ++slot)
            if (slots[slot].present)
                visit(schema->GetIdAt(slot), slots[slot].value);
        for (const auto& [id, value] : values)
            visit(id, value);
    }

    // The declared fields: the object's own and, through the base link, the schema's.
    void CollectFields(std::set<CField*>& fields) const
    {
        for (const CFieldMap* map = Map(); map != nullptr; map = map->GetBaseMap())
            map->CollectFields(fields);
    }

    bool AddField(CField* field)
    {
        if (FindField(field->GetId()) != nullptr)
            return false;
        if (ownMap == nullptr) {
            ownMap = std::make_unique<CFieldMap>();
            ownMap->SetBaseMap(schema->GetFieldMap());
        }
        return ownMap->AddField(field->GetId(), field);
    }

    // The format for the text of `id`: the caller's, else the declared field's, else the
    // default of the declared kind (of the stored kind for an undeclared identifier).
    const CFormat* ChooseFormat(int id, const CFormat* requested) const
    {
        if (requested != nullptr)
            return requested;
        if (const CField* field = FindField(id))
            return field->GetFormat() != nullptr ? field->GetFormat()
                                                 : CFormat::GetDefaultFormat(field->GetType());
        const CValue* stored = FindValue(id);
        return CFormat::GetDefaultFormat(stored != nullptr ? stored->GetType() : vtEmpty);
    }

    // Parses `text` into the value stored for `id`; true when a value was stored. A stored
    // value of another kind than the format's is kept (the text cannot become it), except
    // that the two string kinds take each other's text.
    template <class Text>
    bool ParseAndStore(int id, const Text& text, const CFormat* requested, void* context)
    {
        if (IsReservedId(id) || FindField(id) == nullptr)
            return false;
        const CFormat* format = ChooseFormat(id, requested);
        CValue parsed;
        if (format == nullptr || !Parse(*format, text, parsed, context))
            return false;
        bool created = false;
        CValue& stored = Entry(id, created);
        if (stored.IsEmpty() || stored.GetType() == parsed.GetType())
            stored = parsed;
        else if (IsStringKind(stored.GetType()) && IsStringKind(parsed.GetType()))
            stored = AsStringKind(parsed, stored.GetType());
        else
            return false;
        return true;
    }

    static bool Parse(const CFormat& format, const CString& text, CValue& out, void* context)
    {
        return format.Parse(text, out, context);
    }

    static bool Parse(const CFormat& format, const std::string& text, CValue& out, void* context)
    {
        return format.ParseStl(text, out, context);
    }
};

CDynamicObject::CDynamicObject(bool notify) : m_impl(std::make_unique<Impl>(notify, nullptr)) {}

CDynamicObject::CDynamicObject(std::shared_ptr<const CDynamicSchema> schema, bool notify)
    : m_impl(std::make_unique<Impl>(notify, std::move(schema)))
{
}

CDynamicObject::~CDynamicObject()
{
    // Sinks must see the values and fields still in place.
    NotifyDestroy();
}

bool CDynamicObject::AddField(CField* field)
{
    if (field == nullptr || IsReservedId(field->GetId()))
        return false;
    CScopedLock guard(m_impl->lock);
    return m_impl->AddField(field);
}

// --- Fields ------------------------------------------------------------------------------

CDataObject::FieldRef CDynamicObject::GetField(int id)
{
    CScopedLock guard(m_impl->lock);
    return {m_impl->Map()->GetField(id), this};
}

void CDynamicObject::GetFieldRefs(FieldRefSet& refs)
{
    CScopedLock guard(m_impl->lock);
    std::set<CField*> fields;
    m_impl->CollectFields(fields);
    for (CField* field : fields)
        refs.emplace(field, this);
}

void CDynamicObject::GetFieldIds(FieldIdSet& ids)
{
    CScopedLock guard(m_impl->lock);
    std::set<CField*> fields;
    m_impl->CollectFields(fields);
    for (const CField* field : fields)
        ids.insert(field->GetId());
    m_impl->ForEachValue([&ids](int id, const CValue&) { ids.insert(id); });
}

CFieldMap* CDynamicObject::GetFieldMap()
{
    CScopedLock guard(m_impl->lock);
    return m_impl->Map();
}

CFieldMap* CDynamicObject::GetFieldMap() const
{
    CScopedLock guard(m_impl->lock);
    return m_impl->Map();
}

bool CDynamicObject::IsReadable(int id)
{
    CScopedLock guard(m_impl->lock);
    return m_impl->FindValue(id) != nullptr;
}

bool CDynamicObject::IsWritable(int id) { return IsReadable(id); }

ValueType CDynamicObject::GetFieldType(int id)
{
    CScopedLock guard(m_impl->lock);
    const CValue* stored = m_impl->FindValue(id);
    return stored != nullptr ? stored->GetType() : vtEmpty;
}

std::string CDynamicObject::GetFieldName(int id)
{
    CScopedLock guard(m_impl->lock);
    const CField* field = m_impl->FindField(id);
    return field != nullptr ? field->GetName() : std::string();
}

CFormat* CDynamicObject::GetFieldFormat(int id)
{
    CScopedLock guard(m_impl->lock);
    const CField* field = m_impl->FindField(id);
    return field != nullptr ? field->GetFormat() : nullptr;
}

// --- Values ------------------------------------------------------------------------------

CValue CDynamicObject::GetValue(int id)
{
    CScopedLock guard(m_impl->lock);
    const CValue* stored = m_impl->FindValue(id);
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
        CScopedLock guard(m_impl->lock);
        bool created = false;
        CValue& stored = m_impl->Entry(id, created);
        // Values of different kinds are never equal, so a change of kind counts as a change.
        const bool changed = created || stored.IsEmpty() || !(stored == value);
        stored = value;
        announce = changed && m_impl->notify;
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
        CScopedLock guard(m_impl->lock);
        const CValue* stored = m_impl->FindValue(id);
        if (stored == nullptr)
            return CFormattedText();
        value = *stored;
        chosen = m_impl->ChooseFormat(id, format);
    }
    if (chosen == nullptr)
        return CFormattedText();
    return CFormattedText(chosen->FormatStl(value, this));
}

bool CDynamicObject::SetFormattedValue(int id, const CString& text, CFormat* format)
{
    bool stored = false;
    bool notify = false;
    {
        CScopedLock guard(m_impl->lock);
        stored = m_impl->ParseAndStore(id, text, format, this);
        notify = m_impl->notify;
    }
    if (stored && notify)
        NotifyUpdate(id);
    return stored;
}

bool CDynamicObject::SetFormattedValue(int id, const std::string& text, CFormat* format)
{
    bool stored = false;
    bool notify = false;
    {
        CScopedLock guard(m_impl->lock);
        stored = m_impl->ParseAndStore(id, text, format, this);
        notify = m_impl->notify;
    }
    if (stored && notify)
        NotifyUpdate(id);
    return stored;
}

} // namespace Ombrel::Common
