#include "CommandRegistry.h"

#include <map>
#include <memory>
#include <string>

void RegisterBuiltInCommandTypes();

namespace {

struct Registry {
    // std::map keeps its nodes in place, so the name strings handed out stay valid.
    std::map<std::string, CreateCommandFn> types;
};

Registry& TheRegistry()
{
    static Registry registry;
    static bool builtIn = false;
    if (!builtIn) {
        builtIn = true; // before the call: built-in registration re-enters here
        RegisterBuiltInCommandTypes();
    }
    return registry;
}

} // namespace

const char* RegisterCommandType(const char* name, CreateCommandFn create)
{
    if (!name)
        return nullptr;
    try {
        auto inserted = TheRegistry().types.emplace(name, create);
        return inserted.second ? inserted.first->first.c_str() : nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

HRESULT CreateCommandByName(const char* name, IEditCommand** command)
{
    if (!name)
        return E_FAIL;
    try {
        Registry& registry = TheRegistry();
        auto found = registry.types.find(name);
        if (found == registry.types.end() || !found->second)
            return E_FAIL;
        return found->second(command);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
