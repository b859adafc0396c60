#include "SiblingStandIns.h"

#include <stdexcept>

#include "HostRuntime/PluginExports.h"

namespace Sim {
namespace {

SiblingStandIns* current = nullptr;

SiblingStandIns& Current() {
    if (!current) throw std::logic_error("the Permissions and ArkShop stand-ins are gone");
    return *current;
}

bool IsPlayerHasPermission(uint64 steamId, const FString& permission) {
    return Current().Has(steamId, permission.ToString());
}

bool SpendPoints(int amount, uint64 steamId) { return Current().Spend(amount, steamId); }

}  // namespace

SiblingStandIns::SiblingStandIns() {
    if (current) throw std::logic_error("the Permissions and ArkShop stand-ins exist already");
    current = this;
    HostRuntime::RegisterPluginExport<bool(uint64, const FString&)>("Permissions", "IsPlayerHasPermission",
                                                                    &IsPlayerHasPermission);
    HostRuntime::RegisterPluginExport<bool(int, uint64)>("ArkShop", "SpendPoints", &SpendPoints);
    SetLoaded(true, true);
}

SiblingStandIns::~SiblingStandIns() {
    HostRuntime::UnregisterPluginExports("Permissions");
    HostRuntime::UnregisterPluginExports("ArkShop");
    current = nullptr;
}

bool SiblingStandIns::Has(std::uint64_t steamId, const std::string& permission) const {
    auto it = permissions_.find(steamId);
    return it != permissions_.end() && it->second.contains(permission);
}

int SiblingStandIns::Points(std::uint64_t steamId) const {
    auto it = points_.find(steamId);
    return it == points_.end() ? 0 : it->second;
}

bool SiblingStandIns::Spend(int amount, std::uint64_t steamId) {
    if (amount <= 0) return false;
    int& balance = points_[steamId];
    if (balance < amount) return false;
    balance -= amount;
    return true;
}

void SiblingStandIns::SetLoaded(bool permissions, bool arkShop) {
    HostRuntime::SetPluginLoaded("Permissions", permissions);
    HostRuntime::SetPluginLoaded("ArkShop", arkShop);
}

}  // namespace Sim
