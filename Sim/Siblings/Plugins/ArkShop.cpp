// The ArkShop plugin's stand-in (ArkShop.so, ArkShop.dll): it exports ArkShop::Points::SpendPoints
// under the real plugin's name and spends from the simulator's balances, which the simulator
// hands it right after loading it; they outlast an unload of the plugin, as the real plugin's
// database does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "SiblingExport.h"

namespace {

using Spend = bool (*)(int amount, std::uint64_t steamId);
Spend spend = nullptr;

}  // namespace

SIBLING_API void SimArkShop_Bind(Spend balances) { spend = balances; }

SIBLING_API bool ArkShopEntry(int amount, std::uint64_t steamId) SIBLING_MANGLED_NAME;

bool ArkShopEntry(int amount, std::uint64_t steamId) {
    if (!spend) {
        std::fputs("ArkShop stand-in: asked before the simulator handed it its balances\n", stderr);
        std::abort();
    }
    return spend(amount, steamId);
}
