#pragma once

#include <memory>
#include <vector>

namespace Ombrel::Common {

class CField;
class CFieldMap;

// The fields of a family of dynamic objects built for the same columns (the rows of one table,
// say), declared once and shared by every object of the family.
//
// A schema is immutable once created: its fields never change, so any number of threads may
// read it without a lock. Its owners hold it through a shared pointer; an object of the schema
// holds a plain pointer and counts itself among the schema's objects instead (8 bytes an
// object, not 16), and while that count is above zero the schema keeps a shared pointer to
// itself. So the schema goes with the last of its owners and objects, whichever is last, on
// whichever thread. It also numbers its fields densely (their slots), so that an object stores the values of its
// declared fields in one array instead of a tree node per value.
class CDynamicSchema
{
public:
    // Adopts `fields`. Null fields, reserved identifiers and repeated identifiers are dropped
    // (and deleted), as CDynamicObject::AddField refuses them.
    static std::shared_ptr<const CDynamicSchema> Create(std::vector<std::unique_ptr<CField>> fields);

    CDynamicSchema(const CDynamicSchema&) = delete;
    CDynamicSchema& operator=(const CDynamicSchema&) = delete;
    ~CDynamicSchema();

    // The map of the declared fields. Non-const because the data-object interface hands maps
    // out that way; nobody may add to it.
    CFieldMap* GetFieldMap() const;
    // The dense slot of field `id`; -1 when the schema does not declare it.
    int GetSlot(int id) const;
    int GetSlotCount() const;
    // The identifier stored in `slot` (0 <= slot < GetSlotCount()).
    int GetIdAt(int slot) const;

private:
    friend class CDynamicObject;

    CDynamicSchema();

    // An object of the schema comes and goes. The caller of AttachObject holds a shared pointer
    // to the schema; after DetachObject the caller must not touch the schema again.
    void AttachObject() const;
    void DetachObject() const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Common
