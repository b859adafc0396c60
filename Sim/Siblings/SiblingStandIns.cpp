#include "SiblingStandIns.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace Sim {
namespace {

SiblingStandIns* current = nullptr;

SiblingStandIns& Current() {
    if (!current) throw std::logic_error("the Permissions and ArkShop stand-ins are gone");
    return *current;
}

// What the libraries call back; nothing may escape into them.
bool HasPermission(std::uint64_t steamId, const char* permission) noexcept {
    try {
        return Current().Has(steamId, permission);
    } catch (...) {
        return false;
    }
}

bool SpendPoints(int amount, std::uint64_t steamId) noexcept {
    try {
        return Current().Spend(amount, steamId);
    } catch (...) {
        return false;
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

SiblingStandIns::SiblingStandIns()
    : permissionsLibrary_("Permissions", LOCKBURY_PERMISSIONS_PATH), arkShopLibrary_("ArkShop", LOCKBURY_ARKSHOP_PATH) {
    if (current) throw std::logic_error("the Permissions and ArkShop stand-ins exist already");
    current = this;
}

SiblingStandIns::~SiblingStandIns() { current = nullptr; }

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

void SiblingStandIns::Apply(SiblingLibrary& library, bool loaded) {
    if (loaded == library.Loaded()) return;
    if (!loaded) {
        library.Unload();
        return;
    }
    if (&library == &permissionsLibrary_) {
        using Bind = void (*)(bool (*)(std::uint64_t, const char*));
        reinterpret_cast<Bind>(library.Load("SimPermissions_Bind"))(&HasPermission);
    } else {
        using Bind = void (*)(bool (*)(int, std::uint64_t));
        reinterpret_cast<Bind>(library.Load("SimArkShop_Bind"))(&SpendPoints);
    }
}

void SiblingStandIns::SetLoaded(bool permissions, bool arkShop) {
    wantPermissions_ = permissions;
    wantArkShop_ = arkShop;
    if (!started_) return;
    Apply(permissionsLibrary_, permissions);
    Apply(arkShopLibrary_, arkShop);
}

void SiblingStandIns::LoadWanted(const std::string& pluginName, bool beforeIt) {
    started_ = true;
    const std::string plugin = Lower(pluginName);
    for (auto [library, wanted] : {std::pair{&arkShopLibrary_, wantArkShop_}, {&permissionsLibrary_, wantPermissions_}})
        if (wanted && (Lower(library->Name()) < plugin) == beforeIt) Apply(*library, true);
}

bool SiblingStandIns::Loaded(const std::string& name) const {
    if (name == permissionsLibrary_.Name()) return permissionsLibrary_.Loaded();
    if (name == arkShopLibrary_.Name()) return arkShopLibrary_.Loaded();
    throw std::invalid_argument("no sibling plugin named " + name);
}

}  // namespace Sim
