// An administrator's take: a player's vault loaded into the administrator's own inventory, as the
// player's load would, and recorded in the move log as the administrator's.

#include "Private/Admin/AdminCommands.h"
#include "Private/Admin/PlayerArgument.h"
#include "Private/Commands/ChatWords.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/Text/Format.h"
#include "Private/Vault/Inventory.h"
#include "Private/Vault/Store.h"
#include "Private/Vault/VaultLoad.h"
#include "Private/Vault/VaultName.h"

namespace Lockbury::Admin {

Lines VaultTake(AShooterPlayerController* admin, const FString& line) {
    const std::vector<FString> words = Commands::SplitWords(line);
    if (words.size() != 3)
        return {"Usage: vaulttake PLAYER VAULT (PLAYER: a steam id, or the name of a player on this server)"};
    const PlayerArgument player = FindPlayer(words[1]);
    if (player.steamId == 0) return {player.error};
    AShooterCharacter* character = admin ? admin->GetPlayerCharacter() : nullptr;
    if (!character || character->IsDead()) return {"vaulttake needs your character alive on this server"};
    const int places = kInventoryPlaces - CountStorableItems(admin);
    if (places <= 0) return {"Your inventory is full"};
    IDatabase* store = database().get();
    if (!store || !CrashSafety::VaultReady(admin))
        return {"The vault store cannot be reached right now; nothing was moved"};

    VaultLoad load;
    load.owner = player.steamId;
    load.vault = SanitizeVaultName(words[2]);
    load.places = places;
    load.kind = MoveKind::Admin;
    load.by = admin->GetUniqueNetIdAsUINT64();
    const VaultLoadResult result = LoadIntoInventory(*store, admin, load);
    const std::string vault = load.vault.ToString();
    switch (result.status) {
        case VaultLoadResult::Status::StoreUnavailable:
            return {"The vault store cannot be reached right now; nothing was moved"};
        case VaultLoadResult::Status::VaultNotFound: return {Format("{} has no vault named {}", player.label, vault)};
        case VaultLoadResult::Status::Refused:
        case VaultLoadResult::Status::Loaded: break;
    }
    Lines lines{Format("Took {} rows of {}'s vault {} into your inventory", result.given, player.label, vault)};
    if (result.stopped) lines.emplace_back("A damaged row stopped the take; it stays in the vault (see the server log)");
    if (!result.stopped && result.given >= places)
        lines.emplace_back("Your inventory is full: the rest stays in the vault");
    return lines;
}

}  // namespace Lockbury::Admin
