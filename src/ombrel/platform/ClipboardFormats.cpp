// Registered clipboard formats: a process-wide table of names and identifiers.

#include "ombrel/platform/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Ombrel {
namespace {

struct FormatTable
{
    std::mutex mutex;
    std::map<std::string, UINT, std::less<>> idsByName; // guarded by mutex
    // Name of identifier kFirstRegisteredClipboardFormat + i; guarded by mutex.
    std::vector<std::string> namesById;
};

constexpr std::size_t kRegisteredFormatCount =
    kLastRegisteredClipboardFormat - kFirstRegisteredClipboardFormat + 1;

// Never destroyed: formats may be looked up while static objects are torn down.
FormatTable& Table()
{
    static FormatTable* table = new FormatTable;
    return *table;
}

} // namespace

UINT RegisterClipboardFormat(const char* name)
{
    if (name == nullptr)
        return 0;
    const std::size_t length = ::strnlen(name, kMaxClipboardFormatName + 1);
    if (length == 0 || length > kMaxClipboardFormatName)
        return 0;
    const std::string_view key(name, length);
    FormatTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (auto found = table.idsByName.find(key); found != table.idsByName.end())
        return found->second;
    if (table.namesById.size() == kRegisteredFormatCount)
        return 0;
    UINT id = kFirstRegisteredClipboardFormat + static_cast<UINT>(table.namesById.size());
    table.namesById.emplace_back(key);
    table.idsByName.emplace(key, id);
    return id;
}

int GetClipboardFormatName(UINT format, char* name, int capacity)
{
    if (name == nullptr || capacity <= 0 || format < kFirstRegisteredClipboardFormat)
        return 0;
    FormatTable& table = Table();
    std::lock_guard lock(table.mutex);
    const std::size_t index = format - kFirstRegisteredClipboardFormat;
    if (index >= table.namesById.size())
        return 0;
    const std::string& registered = table.namesById[index];
    const std::size_t copied = std::min(registered.size(), static_cast<std::size_t>(capacity) - 1);
    std::memcpy(name, registered.data(), copied);
    name[copied] = '\0';
    return static_cast<int>(copied);
}

} // namespace Ombrel
