#include "ombrel/common/DynamicSchema.h"

#include <algorithm>
#include <utility>

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"

namespace Ombrel::Common {

struct CDynamicSchema::Impl
{
    CFieldMap map;
    // (identifier, slot), sorted by identifier: a table has few columns, so a binary search
    // over a contiguous array beats a hash lookup and costs no node per field.
    std::vector<std::pair<int, int>> slotsById;
    std::vector<int> idsBySlot;
};

CDynamicSchema::CDynamicSchema() : m_impl(std::make_unique<Impl>()) {}

CDynamicSchema::~CDynamicSchema() = default;

std::shared_ptr<const CDynamicSchema> CDynamicSchema::Create(std::vector<std::unique_ptr<CField>> fields)
{
    std::shared_ptr<CDynamicSchema> schema(new CDynamicSchema());
    Impl& impl = *schema->m_impl;
    for (std::unique_ptr<CField>& field : fields) {
        if (field == nullptr)
            continue;
        const int id = field->GetId();
        if (id == AllFields || id == NoField || !impl.map.AddField(id, field.get()))
            continue; // the unique pointer deletes the refused field
        field.release();
        impl.slotsById.emplace_back(id, static_cast<int>(impl.idsBySlot.size()));
        impl.idsBySlot.push_back(id);
    }
    std::sort(impl.slotsById.begin(), impl.slotsById.end());
    return schema;
}

CFieldMap* CDynamicSchema::GetFieldMap() const { return &m_impl->map; }

int CDynamicSchema::GetSlot(int id) const
{
    const auto& slots = m_impl->slotsById;
    const auto found = std::lower_bound(slots.begin(), slots.end(), std::pair(id, 0),
                                        [](const auto& a, const auto& b) { return a.first < b.first; });
    return found != slots.end() && found->first == id ? found->second : -1;
}

int CDynamicSchema::GetSlotCount() const { return static_cast<int>(m_impl->idsBySlot.size()); }

int CDynamicSchema::GetIdAt(int slot) const { return m_impl->idsBySlot[static_cast<std::size_t>(slot)]; }

} // namespace Ombrel::Common
