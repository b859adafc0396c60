#include <cstdint>
#include <ctime>
#include <optional>

#include "Private/Combat/DamageRecords.h"
#include "Private/Config/Config.h"
#include "Private/Config/Messages.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/PlayerOutput.h"

namespace Lockbury {

namespace {

// Seconds of combat cooldown left, or nothing when the player is not on it. The elapsed time is
// signed: a damage time later than now (clock set back) leaves more than the full cooldown.
std::optional<std::int64_t> CooldownLeft(uint64 steamId, int cooldown) {
    const Damaged* record = damagedPlayers().Find(steamId);
    if (!record) return std::nullopt;
    const auto elapsed = static_cast<std::int32_t>(std::time(nullptr) - record->lastDamage);
    if (static_cast<std::int64_t>(elapsed) - cooldown >= 0) return std::nullopt;
    return static_cast<std::int64_t>(cooldown) - elapsed;
}

}  // namespace

void CheckCd(AShooterPlayerController* player, FString* /*message*/, EChatSendMode::Type /*mode*/) {
    Guarded("Private/Combat", "Lockbury::CheckCd", [&] {
        const int cooldown = ConfigInt("PVPVECooldown");
        const uint64 id = player ? player->GetUniqueNetIdAsUINT64() : 0;
        if (const auto left = CooldownLeft(id, cooldown)) {
            SendMessage(player, "PVPVECooldown", *left);
        } else {
            SendChatLine(player, MessageTemplate("sender"), L"Not on PVPVE Cooldown ");
        }
    });
}

}  // namespace Lockbury
