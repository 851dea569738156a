#include "platform/classes/ClassRegistry.h"

#include "platform/rtl/AsciiText.h"

#include <map>
#include <mutex>

namespace velvane {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<String, std::pair<String, TComponentClass>> byKey;  // key: lower-case name
};

Registry& Classes()
{
    // Never freed: classes may be looked up from other statics' destructors.
    static auto* registry = new Registry;
    return *registry;
}

} // namespace

void RegisterClass(const String& className, TComponentClass create)
{
    if (className.empty() || !create) throw EFilerError("Invalid class registration");
    Registry& r = Classes();
    std::lock_guard lock(r.mutex);
    auto [it, added] = r.byKey.try_emplace(AsciiLowerCase(className), className, create);
    if (!added && it->second.second != create) throw EFilerError("A class named " + className + " already exists");
}

void UnRegisterClass(const String& className)
{
    Registry& r = Classes();
    std::lock_guard lock(r.mutex);
    r.byKey.erase(AsciiLowerCase(className));
}

TComponentClass GetClass(const String& className)
{
    Registry& r = Classes();
    std::lock_guard lock(r.mutex);
    auto it = r.byKey.find(AsciiLowerCase(className));
    return it == r.byKey.end() ? nullptr : it->second.second;
}

TComponentClass FindClass(const String& className)
{
    TComponentClass found = GetClass(className);
    if (!found) throw EClassNotFound("Class " + className + " not found");
    return found;
}

} // namespace velvane
