// ArkApi's hook interface over the name table: a detour becomes the entry that calls by name reach.
#include "Host/ArkApi.h"
#include "NameTable.h"

namespace ArkApi {

bool IHooks::SetHookInternal(const std::string& name, LPVOID detour, LPVOID* original, const char* signature) {
    return HostRuntime::NameTable::Instance().SetHook(name, signature, detour, original);
}

bool IHooks::DisableHook(const std::string& name, LPVOID detour) {
    return HostRuntime::NameTable::Instance().DisableHook(name, detour);
}

IHooks& GetHooks() {
    static IHooks hooks;
    return hooks;
}

}  // namespace ArkApi
