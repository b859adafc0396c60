#include "Private/Guards/Cooldown.h"

#include <cstdlib>
#include <ctime>
#include <map>

#include "Host/ArkApi.h"
#include "Private/Config/Config.h"

namespace Lockbury {
namespace {

// Last passing use per player. Lives with the module, so a reload forgets every cooldown.
std::map<std::uint64_t, std::time_t>& Cooldowns() {
    static std::map<std::uint64_t, std::time_t> cooldowns;
    return cooldowns;
}

}  // namespace

std::int32_t CheckCooldown(std::uint64_t steamId) {
    const int length = ConfigInt("commandCoolDown", 30);
    auto& cooldowns = Cooldowns();
    const std::time_t now = std::time(nullptr);
    if (auto found = cooldowns.find(steamId); found != cooldowns.end()) {
        // Absolute, so a clock set back by more than the cooldown also ends it.
        const auto elapsed = static_cast<std::int32_t>(std::llabs(static_cast<long long>(now - found->second)));
        if (elapsed < length) return length - elapsed;
    }
    cooldowns.insert_or_assign(steamId, now);
    return 0;
}

}  // namespace Lockbury
