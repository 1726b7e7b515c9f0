#include "ombrel/common/DynamicSchema.h"

#include <algorithm>
#include <atomic>
#include <mutex>
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

    std::weak_ptr<const CDynamicSchema> self;  // set by Create
    // The objects that point to the schema. While there is one, `keepAlive` holds the schema;
    // `keepAliveLock` orders the count's crossings of zero, so that an object arriving as the
    // last one leaves never finds the schema gone or left without its hold.
    std::atomic<std::size_t> objects{0};
    std::mutex keepAliveLock;
    std::shared_ptr<const CDynamicSchema> keepAlive;
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
    impl.self = schema;
    return schema;
}

void CDynamicSchema::AttachObject() const
{
    Impl& impl = *m_impl;
    if (impl.objects.fetch_add(1, std::memory_order_acq_rel) > 0)
        return;
    std::lock_guard guard(impl.keepAliveLock);
    // The caller's shared pointer keeps the schema alive, so `self` still locks. The hold may
    // still be there: the object that took the count to zero has not reached its lock yet.
    if (impl.keepAlive == nullptr)
        impl.keepAlive = impl.self.lock();
}

void CDynamicSchema::DetachObject() const
{
    Impl& impl = *m_impl;
    if (impl.objects.fetch_sub(1, std::memory_order_acq_rel) > 1)
        return;
    std::shared_ptr<const CDynamicSchema> last;
    {
        std::lock_guard guard(impl.keepAliveLock);
        // An object may have arrived since the count reached zero: then the hold stays.
        if (impl.objects.load(std::memory_order_acquire) == 0)
            last = std::move(impl.keepAlive);
    }
    // `last` may be the schema's final owner: it goes here, after its lock was released.
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
