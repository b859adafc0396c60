#pragma once
// The sibling plugins' functions as a plugin finds them: in the module loaded now under the
// plugin's name, by the export's MSVC-mangled name. Null while the module is not loaded.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "Host/ArkApi.h"

namespace TestSupport {

using HasPermissionFn = bool (*)(uint64, const FString&);
using SpendPointsFn = bool (*)(int, uint64);

inline void* FindSiblingExport(const char* module, const char* name) {
#if defined(_WIN32)
    HMODULE handle = GetModuleHandleA((std::string(module) + ".dll").c_str());
    return handle ? reinterpret_cast<void*>(GetProcAddress(handle, name)) : nullptr;
#else
    void* handle = dlopen((std::string(module) + ".so").c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    void* found = dlsym(handle, name);
    dlclose(handle);  // the reference NOLOAD took; the simulator's keeps the module loaded
    return found;
#endif
}

inline HasPermissionFn FindHasPermission() {
    return reinterpret_cast<HasPermissionFn>(
        FindSiblingExport("Permissions", "?IsPlayerHasPermission@Permissions@@YA_N_KAEBVFString@@@Z"));
}

inline SpendPointsFn FindSpendPoints() {
    return reinterpret_cast<SpendPointsFn>(FindSiblingExport("ArkShop", "?SpendPoints@Points@ArkShop@@YA_NH_K@Z"));
}

}  // namespace TestSupport
