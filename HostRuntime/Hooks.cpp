// ArkApi's hook interface over the name table: a detour becomes the entry that calls by name reach.
#include "Host/ArkApi.h"
#include "NameTable.h"

namespace ArkApi {

bool IHooks::SetHookRaw(const std::string& name, const char* signature, void* detour, void** original) {
    return HostRuntime::NameTable::Instance().SetHook(name, signature, detour, original);
}

bool IHooks::DisableHookRaw(const std::string& name, void* detour) {
    return HostRuntime::NameTable::Instance().DisableHook(name, detour);
}

IHooks& GetHooks() {
    static IHooks hooks;
    return hooks;
}

}  // namespace ArkApi
