#pragma once
// Stand-ins for the Permissions and ArkShop plugins: permissions and point balances per player
// id, kept here, and the two libraries (SiblingLibrary) through which the plugin reaches them by
// the real plugins' exported names. A sibling is "loaded" when its library is in the process.
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "SiblingLibrary.h"

namespace Sim {

class SiblingStandIns {
public:
    SiblingStandIns();  // both wanted, neither loaded yet (see LoadWanted)
    ~SiblingStandIns();
    SiblingStandIns(const SiblingStandIns&) = delete;
    SiblingStandIns& operator=(const SiblingStandIns&) = delete;

    void Grant(std::uint64_t steamId, const std::string& permission) { permissions_[steamId].insert(permission); }
    void Revoke(std::uint64_t steamId, const std::string& permission) { permissions_[steamId].erase(permission); }
    bool Has(std::uint64_t steamId, const std::string& permission) const;
    void SetPoints(std::uint64_t steamId, int points) { points_[steamId] = points; }
    int Points(std::uint64_t steamId) const;
    // False and nothing taken when the balance is short.
    bool Spend(int amount, std::uint64_t steamId);

    // Which of the two the server has. Once the server started, libraries load and unload at once;
    // before, the start loads the wanted ones (LoadWanted).
    void SetLoaded(bool permissions, bool arkShop);
    // The start's load of the wanted siblings whose folder name sorts before (or after) the
    // plugin's, case-insensitively, as the framework's directory listing meets them.
    void LoadWanted(const std::string& pluginName, bool beforeIt);
    bool Loaded(const std::string& name) const;

    // Everything they hold, for the world save.
    const std::map<std::uint64_t, std::set<std::string>>& AllPermissions() const { return permissions_; }
    const std::map<std::uint64_t, int>& AllPoints() const { return points_; }

private:
    void Apply(SiblingLibrary& library, bool loaded);

    std::map<std::uint64_t, std::set<std::string>> permissions_;
    std::map<std::uint64_t, int> points_;
    SiblingLibrary permissionsLibrary_, arkShopLibrary_;
    bool wantPermissions_ = true, wantArkShop_ = true;
    bool started_ = false;
};

}  // namespace Sim
