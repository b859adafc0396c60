// The Permissions plugin's stand-in (Permissions.so, Permissions.dll): it exports
// Permissions::IsPlayerHasPermission under the real plugin's name and answers from the
// simulator's table, which the simulator hands it right after loading it. The table lives in the
// simulator, so what was granted outlasts an unload of the plugin, as the real plugin's database does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Host/FString.h"
#include "SiblingExport.h"

namespace {

using Table = bool (*)(std::uint64_t steamId, const char* permission);  // the permission in UTF-8
Table table = nullptr;

}  // namespace

SIBLING_API void SimPermissions_Bind(Table answer) { table = answer; }

SIBLING_API bool PermissionsEntry(std::uint64_t steamId, const FString& permission) SIBLING_MANGLED_NAME;

bool PermissionsEntry(std::uint64_t steamId, const FString& permission) {
    if (!table) {
        std::fputs("Permissions stand-in: asked before the simulator handed it its table\n", stderr);
        std::abort();
    }
    return table(steamId, permission.ToString().c_str());
}
