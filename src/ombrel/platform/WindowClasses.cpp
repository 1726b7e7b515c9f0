// Registered window messages and window classes: process-wide name tables.

#include "ombrel/platform/WindowMessaging.h"

#include "ombrel/platform/ControlMessages.h"

#include <map>
#include <mutex>
#include <string>

namespace Ombrel {
namespace {

// Names compare without regard to ASCII case, as window-system names always have.
std::string FoldName(const char* name)
{
    std::string folded(name);
    for (char& ch : folded) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return folded;
}

struct NameTables
{
    std::mutex mutex;
    std::map<std::string, UINT> messages;     // guarded by mutex
    UINT nextMessage = kFirstRegisteredMessage; // guarded by mutex
    std::map<std::string, UINT> classes;      // class name -> class style; guarded by mutex
};

// Never destroyed: windows and messages may be used while static objects are torn down.
NameTables& Tables()
{
    static NameTables* tables = [] {
        auto* created = new NameTables;
        created->classes.emplace(FoldName(kDefaultWindowClass), CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
        // The standard controls and dialogs; their behaviour comes with the class.
        for (const char* control : {kEditClass, kButtonClass, kComboBoxClass, kDialogClass})
            created->classes.emplace(FoldName(control), CS_DBLCLKS);
        for (const char* control : {kStaticClass, kUpDownClass, kMonthCalClass})
            created->classes.emplace(FoldName(control), 0);
        return created;
    }();
    return *tables;
}

} // namespace

UINT RegisterWindowMessage(const char* name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    NameTables& tables = Tables();
    std::lock_guard lock(tables.mutex);
    std::string key = FoldName(name);
    if (auto found = tables.messages.find(key); found != tables.messages.end())
        return found->second;
    if (tables.nextMessage > kLastRegisteredMessage)
        return 0;
    UINT id = tables.nextMessage++;
    tables.messages.emplace(std::move(key), id);
    return id;
}

bool RegisterWindowClass(const char* className, UINT classStyle)
{
    if (className == nullptr || *className == '\0')
        return false;
    NameTables& tables = Tables();
    std::lock_guard lock(tables.mutex);
    return tables.classes.emplace(FoldName(className), classStyle).second;
}

bool IsWindowClassRegistered(const char* className)
{
    if (className == nullptr || *className == '\0')
        return false;
    NameTables& tables = Tables();
    std::lock_guard lock(tables.mutex);
    return tables.classes.count(FoldName(className)) != 0;
}

UINT GetWindowClassStyle(const char* className)
{
    if (className == nullptr || *className == '\0')
        return 0;
    NameTables& tables = Tables();
    std::lock_guard lock(tables.mutex);
    auto found = tables.classes.find(FoldName(className));
    return found == tables.classes.end() ? 0 : found->second;
}

} // namespace Ombrel
