#pragma once

#include <memory>
#include <set>

namespace Ombrel::Common {

class CField;

// The per-class table of a data class's fields, keyed by field identifier.
//
// A map owns its fields. It may link to the map of the data class's base class: a lookup that
// misses here continues there, and a field of this map hides a base field with the same
// identifier. The link is not owned.
//
// No lock: a class's map is filled once (on first use, during static initialisation) and only
// read afterwards, so concurrent reads are safe. CDynamicObject, whose map grows at run time,
// guards its map with its own lock.
class CFieldMap
{
public:
    CFieldMap();
    CFieldMap(const CFieldMap&) = delete;
    CFieldMap& operator=(const CFieldMap&) = delete;
    // Deletes the fields of this map (not those of the base map).
    virtual ~CFieldMap();

    // Adopts `field` under `id`. False (the caller keeps the field) when the field is null, the
    // identifier is reserved (AllFields, NoField) or already present in this map; the base map
    // is not consulted.
    bool AddField(int id, CField* field);
    // The field with that identifier here, else in the base maps; null when none has it.
    CField* GetField(int id) const;
    // Inserts every field of this map (not of the base map).
    void CollectFields(std::set<CField*>& fields) const;
    // Number of fields in this map (not counting the base map).
    int GetFieldCount() const;

    CFieldMap* GetBaseMap() const;
    // Links the map of the base class; null ends the chain. A map never links to itself
    // directly or through its base maps: such a link is refused.
    bool SetBaseMap(CFieldMap* baseMap);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Common
