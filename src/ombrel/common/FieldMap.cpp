#include "ombrel/common/FieldMap.h"

#include <map>

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Field.h"

namespace Ombrel::Common {

struct CFieldMap::Impl
{
    std::map<int, std::unique_ptr<CField>> fields;  // by field identifier; owned
    CFieldMap* baseMap = nullptr;                    // the base class's map; not owned
};

CFieldMap::CFieldMap() : m_impl(std::make_unique<Impl>()) {}

CFieldMap::~CFieldMap() = default;

bool CFieldMap::AddField(int id, CField* field)
{
    if (field == nullptr || id == AllFields || id == NoField)
        return false;
    auto [position, inserted] = m_impl->fields.try_emplace(id);
    if (!inserted)
        return false;
    position->second.reset(field);
    return true;
}

CField* CFieldMap::GetField(int id) const
{
    for (const CFieldMap* map = this; map != nullptr; map = map->m_impl->baseMap)
    {
        const auto found = map->m_impl->fields.find(id);
        if (found != map->m_impl->fields.end())
            return found->second.get();
    }
    return nullptr;
}

void CFieldMap::CollectFields(std::set<CField*>& fields) const
{
    for (const auto& [id, field] : m_impl->fields)
        fields.insert(field.get());
}

int CFieldMap::GetFieldCount() const { return static_cast<int>(m_impl->fields.size()); }

CFieldMap* CFieldMap::GetBaseMap() const { return m_impl->baseMap; }

bool CFieldMap::SetBaseMap(CFieldMap* baseMap)
{
    // A cycle would make every failed lookup loop forever.
    for (const CFieldMap* map = baseMap; map != nullptr; map = map->m_impl->baseMap)
    {
        if (map == this)
            return false;
    }
    m_impl->baseMap = baseMap;
    return true;
}

} // namespace Ombrel::Common
