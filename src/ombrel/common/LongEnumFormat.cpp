#include "ombrel/common/LongEnumFormat.h"

#include <algorithm>
#include <set>

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace {

constexpr std::int32_t kVersion = 1;

} // namespace

CLongEnumFormat::CLongEnumFormat() : CFormat(vtLong) {}

CLongEnumFormat::CLongEnumFormat(const EnumItem* items, int count) : CFormat(vtLong)
{
    if (items == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        AddItem(items[i].value, items[i].name ? items[i].name : "");
}

CLongEnumFormat::~CLongEnumFormat() = default;

CString CLongEnumFormat::Format(std::int32_t value, void* context) const
{
    return CString(FormatStl(value, context));
}

bool CLongEnumFormat::Parse(const CString& text, std::int32_t& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CLongEnumFormat::FormatStl(std::int32_t value, void*) const
{
    const auto found = m_names.find(value);
    return found == m_names.end() ? std::string() : found->second;
}

bool CLongEnumFormat::ParseStl(const std::string& text, std::int32_t& out, void*) const
{
    for (std::int32_t value : m_order) {
        const auto found = m_names.find(value);
        if (found != m_names.end() && found->second == text) {
            out = value;
            return true;
        }
    }
    return false;
}

bool CLongEnumFormat::IsEnumeration() const { return true; }

CFormat* CLongEnumFormat::Clone() const { return new CLongEnumFormat(*this); }

std::string CLongEnumFormat::GetClassName() const { return "Common::CLongEnumFormat"; }

bool CLongEnumFormat::IsSerializable() const { return true; }

void CLongEnumFormat::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring()) {
        serializer.Store(kVersion);
        serializer.Store(static_cast<std::int32_t>(m_order.size()));
        for (std::int32_t value : m_order)
            serializer.Store(value);
        serializer.Store(static_cast<std::int32_t>(m_names.size()));
        for (const auto& [value, name] : m_names) {
            serializer.Store(value);
            serializer.Store(name);
        }
        return;
    }
    std::int32_t version = 0;
    serializer.Restore(version);
    if (version > kVersion)
        throw CSerializer::BadVersionException(
            "CLongEnumFormat doesn't support current version and can't be deserialized.");
    if (version <= 0)
        return;

    // Counts are untrusted: nothing is reserved for them, each item is read only when its
    // bytes are there (a short stream throws before anything grows past the stream's size),
    // and the table is replaced only once the whole record has been read.
    std::uint32_t orderCount = 0;
    serializer.Restore(orderCount);
    std::vector<std::int32_t> order;
    for (std::uint32_t i = 0; i < orderCount; ++i) {
        std::int32_t value = 0;
        serializer.Restore(value);
        order.push_back(value);
    }
    std::uint32_t nameCount = 0;
    serializer.Restore(nameCount);
    std::map<std::int32_t, std::string> names;
    for (std::uint32_t i = 0; i < nameCount; ++i) {
        std::int32_t value = 0;
        std::string name;
        serializer.Restore(value);
        serializer.Restore(name);
        names.emplace(value, std::move(name));
    }

    // A stored table always lists the same values twice; a damaged one is made consistent:
    // repeated values are dropped, a listed value without a name gets an empty name, and a
    // named value missing from the list joins it at the end, in value order.
    std::vector<std::int32_t> consistentOrder;
    std::set<std::int32_t> listed;
    for (std::int32_t value : order) {
        if (listed.insert(value).second) {
            consistentOrder.push_back(value);
            names.try_emplace(value);
        }
    }
    for (const auto& entry : names) {
        if (listed.insert(entry.first).second)
            consistentOrder.push_back(entry.first);
    }
    m_order = std::move(consistentOrder);
    m_names = std::move(names);
}

bool CLongEnumFormat::GetItems(ItemList& items) const
{
    for (std::int32_t value : m_order)
        items.emplace_back(value, m_names.at(value));
    return !m_order.empty();
}

bool CLongEnumFormat::AddItem(std::int32_t value, const std::string& name)
{
    if (!m_names.try_emplace(value, name).second)
        return false;
    m_order.push_back(value);
    return true;
}

bool CLongEnumFormat::RemoveItem(std::int32_t value)
{
    if (m_names.erase(value) == 0)
        return false;
    const auto listed = std::find(m_order.begin(), m_order.end(), value);
    if (listed != m_order.end())
        m_order.erase(listed);
    return true;
}

std::string& CLongEnumFormat::operator[](std::int32_t value)
{
    AddItem(value, std::string());
    return m_names[value];
}

} // namespace Ombrel::Common
