// The load command: gives the rows of one of the player's vaults back into the inventory, at
// most as many as the inventory has free places, in one transaction (Private/Vault/VaultLoad).
#include <utility>
#include <vector>

#include "Host/ArkApi.h"
#include "Private/Commands/Reply.h"
#include "Private/Commands/VaultArgument.h"
#include "Private/Config/Config.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/Guards/Cooldown.h"
#include "Private/Guards/Transmitter.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Plugin/SiblingCalls.h"
#include "Private/Vault/Inventory.h"
#include "Private/Vault/Store.h"
#include "Private/Vault/StoreWorker.h"
#include "Private/Vault/VaultLoad.h"

namespace Lockbury::Commands {
namespace {

constexpr const char* kFile = "Private/Commands";
constexpr const char* kFunction = "Lockbury::Commands::LoadVault";

void Load(AShooterPlayerController* player, FString* message) {
    if (!player) return;
    AShooterCharacter* character = player->GetPlayerCharacter();
    if (!character || character->IsDead()) return;

    const uint64 steamId = player->GetUniqueNetIdAsUINT64();
    StoreWorker* worker = storeWorker().get();
    if (worker && worker->InFlight(steamId)) {
        ReplyMoveInFlight(player);
        return;
    }
    const bool nearRequired = RequiresNearTransmitter("loadVault");
    const int price = ConfigInt("nearTransmiterPoints");

    if (nearRequired && !IsNearTransmitter(player->DefaultActorLocationField())) {
        Reply(player, "mustBeNearTransmiter");
        return;
    }
    const FString permission = GetRequiredPermission("loadVault");
    if (!permission.IsEmpty() && !HasPermission(steamId, permission)) {
        Reply(player, "noPermission");
        return;
    }
    const std::optional<FString> vaultName = VaultNameArgument(message);
    if (!vaultName) {
        Reply(player, "wrongSyntax", GetCommandName("loadVault"));
        return;
    }
    if (const int left = CheckCooldown(steamId); left >= 1) {
        Reply(player, "coolDown", left);
        return;
    }

    UPrimalInventoryComponent* inventory = player->GetPlayerInventoryComponent();
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return;
    const int freePlaces = kInventoryPlaces - CountStorableItems(player);
    if (freePlaces <= 0) {
        Reply(player, "inventoryFull");
        return;
    }
    if (!worker || !CrashSafety::VaultReady(player)) {
        ReplyStoreUnavailable(player);
        return;
    }
    VaultLoad load;
    load.owner = steamId;
    load.receiver = steamId;
    load.vault = *vaultName;
    load.places = freePlaces;
    load.beforeGiving = [nearRequired, price, steamId](AShooterPlayerController* receiver) {
        if (!nearRequired || price < 1) return true;
        if (!SpendPoints(price, steamId)) {
            Reply(receiver, "noPoints");
            return false;
        }
        Reply(receiver, "points", price);
        return true;
    };
    LoadIntoInventory(*worker, std::move(load),
                      [freePlaces](const VaultLoadResult& result, AShooterPlayerController* receiver) {
                          if (!receiver) return;
                          switch (result.status) {
                              case VaultLoadResult::Status::StoreUnavailable: ReplyStoreUnavailable(receiver); return;
                              case VaultLoadResult::Status::VaultNotFound: Reply(receiver, "vaultNotFound"); return;
                              case VaultLoadResult::Status::Refused: return;
                              case VaultLoadResult::Status::Loaded: break;
                          }
                          if (!result.stopped && result.given >= freePlaces)
                              Reply(receiver, "maximumReached", result.given);
                      });
}

}  // namespace

void LoadVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type) {
    Guarded(kFile, kFunction, [&] { Load(player, message); });
}

}  // namespace Lockbury::Commands
