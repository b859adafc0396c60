#include "Private/Plugin/SiblingCalls.h"

#include "Host/SiblingPlugins.h"
#include "Private/Plugin/Log.h"

namespace Lockbury {

namespace {
void LogMissing(const char* function, const ArkApi::SiblingPluginMissing& missing, const char* consequence) {
    LogAt(spdlog::level::err, {"Private/SiblingCalls", function}, "{} plugin is not loaded; {}", missing.Plugin(),
          consequence);
}
}  // namespace

bool HasPermission(uint64 steamId, const FString& permission) {
    try {
        return Permissions::IsPlayerHasPermission(steamId, permission);
    } catch (const ArkApi::SiblingPluginMissing& missing) {
        LogMissing("HasPermission", missing, "treating as no permission");
        return false;
    }
}

bool SpendPoints(int amount, uint64 steamId) {
    try {
        return ArkShop::Points::SpendPoints(amount, steamId);
    } catch (const ArkApi::SiblingPluginMissing& missing) {
        LogMissing("SpendPoints", missing, "treating as unable to pay");
        return false;
    }
}

}  // namespace Lockbury
