#pragma once
// Entry points of the Permissions and ArkShop plugins. They are bound when first called, so the
// plugin loads without them; a sibling that is not loaded at a call raises SiblingPluginMissing.
#include <stdexcept>
#include <string>

#include "BasicTypes.h"

namespace ArkApi {

class ARK_HOST_API SiblingPluginMissing : public std::runtime_error {
public:
    explicit SiblingPluginMissing(const std::string& plugin)
        : std::runtime_error(plugin + " plugin is not loaded"), plugin_(plugin) {}
    const std::string& Plugin() const { return plugin_; }

private:
    std::string plugin_;
};

// The exported function of a loaded sibling plugin, or null.
ARK_HOST_API void* FindPluginExport(const char* plugin, const char* function, const char* signature);

template <typename Fn>
Fn BindPluginExport(const char* plugin, const char* function) {
    auto fn = reinterpret_cast<Fn>(FindPluginExport(plugin, function, SignatureOf<std::remove_pointer_t<Fn>>()));
    if (!fn) throw SiblingPluginMissing(plugin);
    return fn;
}

}  // namespace ArkApi

namespace Permissions {
inline bool IsPlayerHasPermission(uint64 steamId, const FString& permission) {
    using Fn = bool (*)(uint64, const FString&);
    return ArkApi::BindPluginExport<Fn>("Permissions", "IsPlayerHasPermission")(steamId, permission);
}
}  // namespace Permissions

namespace ArkShop::Points {
inline bool SpendPoints(int amount, uint64 steamId) {
    using Fn = bool (*)(int, uint64);
    return ArkApi::BindPluginExport<Fn>("ArkShop", "SpendPoints")(amount, steamId);
}
}  // namespace ArkShop::Points
