// An administrator's take: a player's vault loaded into the administrator's own inventory, as the
// player's load would, and recorded in the move log as the administrator's.

#include "Private/Admin/AdminCommands.h"
#include "Private/Admin/PlayerArgument.h"
#include "Private/Commands/ChatWords.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/Text/Format.h"
#include "Private/Vault/Inventory.h"
#include "Private/Vault/StoreWorker.h"
#include "Private/Vault/VaultLoad.h"
#include "Private/Vault/VaultName.h"

namespace Lockbury::Admin {

void VaultTake(AShooterPlayerController* admin, const FString& line, const Reply& reply) {
    const std::vector<FString> words = Commands::SplitWords(line);
    if (words.size() != 3)
        return reply.send({"Usage: vaulttake PLAYER VAULT (PLAYER: a steam id, or the name of a player on this server)"});
    const PlayerArgument player = FindPlayer(words[1]);
    if (player.steamId == 0) return reply.send({player.error});
    AShooterCharacter* character = admin ? admin->GetPlayerCharacter() : nullptr;
    if (!character || character->IsDead()) return reply.send({"vaulttake needs your character alive on this server"});
    StoreWorker* worker = storeWorker().get();
    const std::uint64_t adminId = admin->GetUniqueNetIdAsUINT64();
    if (worker && worker->InFlight(adminId)) return reply.send({"A vault move of yours is still in flight; try again"});
    const int places = kInventoryPlaces - CountStorableItems(admin);
    if (places <= 0) return reply.send({"Your inventory is full"});
    if (!worker || !CrashSafety::VaultReady(admin))
        return reply.send({"The vault store cannot be reached right now; nothing was moved"});

    VaultLoad load;
    load.owner = player.steamId;
    load.vault = SanitizeVaultName(words[2]);
    load.places = places;
    load.kind = MoveKind::Admin;
    load.by = adminId;
    load.receiver = adminId;
    std::string vault = load.vault.ToString();
    LoadIntoInventory(
        *worker, std::move(load),
        [reply, label = player.label, vault, places](const VaultLoadResult& result, AShooterPlayerController*) {
            switch (result.status) {
                case VaultLoadResult::Status::StoreUnavailable:
                    return reply.send({"The vault store cannot be reached right now; nothing was moved"});
                case VaultLoadResult::Status::VaultNotFound:
                    return reply.send({Format("{} has no vault named {}", label, vault)});
                case VaultLoadResult::Status::Refused:
                case VaultLoadResult::Status::Loaded: break;
            }
            Lines lines{Format("Took {} rows of {}'s vault {} into your inventory", result.given, label, vault)};
            if (result.stopped)
                lines.emplace_back("A damaged row stopped the take; it stays in the vault (see the server log)");
            if (!result.stopped && result.given >= places)
                lines.emplace_back("Your inventory is full: the rest stays in the vault");
            reply.send(lines);
        });
}

}  // namespace Lockbury::Admin
