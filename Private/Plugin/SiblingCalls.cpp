// The sibling plugins' functions, found in their loaded modules by their exported names at each
// call: plugins load in folder order, so a sibling may load after this plugin, or be reloaded or
// unloaded while it runs. Linking against their import libraries instead would make Windows
// refuse to load this plugin whenever one of them is not there yet.
#include "Private/Plugin/SiblingCalls.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "Private/Plugin/Log.h"

namespace Lockbury {

namespace {

// The module of a loaded plugin and one of its exports; null when the plugin is not loaded.
void* FindExport(const char* module, const char* exportName) {
#if defined(_WIN32)
    HMODULE handle = GetModuleHandleA(module);
    return handle ? reinterpret_cast<void*>(GetProcAddress(handle, exportName)) : nullptr;
#else
    void* handle = dlopen(module, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    void* found = dlsym(handle, exportName);
    dlclose(handle);  // drops only the reference taken here
    return found;
#endif
}

#if defined(_WIN32)
constexpr const char* kPermissionsModule = "Permissions.dll";
constexpr const char* kArkShopModule = "ArkShop.dll";
#else
constexpr const char* kPermissionsModule = "Permissions.so";
constexpr const char* kArkShopModule = "ArkShop.so";
#endif
// The names MSVC gives the two functions, as the sibling plugins export them.
constexpr const char* kIsPlayerHasPermission = "?IsPlayerHasPermission@Permissions@@YA_N_KAEBVFString@@@Z";
constexpr const char* kSpendPoints = "?SpendPoints@Points@ArkShop@@YA_NH_K@Z";

template <typename Function>
Function* Bind(const char* module, const char* exportName) {
    return reinterpret_cast<Function*>(FindExport(module, exportName));
}

void LogMissing(const char* function, const char* plugin, const char* consequence) {
    LogAt(spdlog::level::err, {"Private/SiblingCalls", function}, "{} plugin is not loaded; {}", plugin, consequence);
}

}  // namespace

bool HasPermission(uint64 steamId, const FString& permission) {
    auto* ask = Bind<decltype(Permissions::IsPlayerHasPermission)>(kPermissionsModule, kIsPlayerHasPermission);
    if (!ask) {
        LogMissing("HasPermission", "Permissions", "treating as no permission");
        return false;
    }
    return ask(steamId, permission);
}

bool SpendPoints(int amount, uint64 steamId) {
    auto* spend = Bind<decltype(ArkShop::Points::SpendPoints)>(kArkShopModule, kSpendPoints);
    if (!spend) {
        LogMissing("SpendPoints", "ArkShop", "treating as unable to pay");
        return false;
    }
    return spend(amount, steamId);
}

}  // namespace Lockbury
