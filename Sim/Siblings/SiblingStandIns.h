#pragma once
// Stand-ins for the Permissions and ArkShop plugins: permissions and point balances per player
// id, reached by the plugin through the exports the real plugins have.
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace Sim {

class SiblingStandIns {
public:
    SiblingStandIns();  // both loaded
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
    void SetLoaded(bool permissions, bool arkShop);
    // Everything they hold, for the world save.
    const std::map<std::uint64_t, std::set<std::string>>& AllPermissions() const { return permissions_; }
    const std::map<std::uint64_t, int>& AllPoints() const { return points_; }

private:
    std::map<std::uint64_t, std::set<std::string>> permissions_;
    std::map<std::uint64_t, int> points_;
};

}  // namespace Sim
