// The load command: gives the rows of one of the player's vaults back into the inventory, at
// most as many as the inventory has free places, and deletes each row once its item was given.
#include "Host/ArkApi.h"
#include "Host/TextSearch.h"
#include "Private/Commands/Reply.h"
#include "Private/Commands/VaultArgument.h"
#include "Private/Config.h"
#include "Private/Cooldown.h"
#include "Private/HandlerGuard.h"
#include "Private/Handlers.h"
#include "Private/Inventory.h"
#include "Private/ItemText.h"
#include "Private/Log.h"
#include "Private/SiblingCalls.h"
#include "Private/Store.h"
#include "Private/Transmitter.h"

namespace Lockbury::Commands {
namespace {

constexpr const char* kFile = "Private/Commands";
constexpr const char* kFunction = "Lockbury::Commands::LoadVault";
constexpr int kInventoryPlaces = 299;
constexpr double kCryopodCreationAhead = 3600.0;

// The time spent in the vault does not count: an empty cryopod is topped up and dated an hour
// ahead, a spoiling item starts spoiling anew.
void AdjustReturnedItem(UPrimalItem* added, float storedDurability) {
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    const FString name = added->NameField().ToString();
    if (ContainsIgnoreCase(name, FString("PrimalItem_WeaponEmptyCryopod"))) {
        added->AddItemDurability(storedDurability);
        if (world) added->CreationTimeField() = world->GetTimeSeconds() + kCryopodCreationAhead;
        added->UpdatedItem(false);
    } else if (added->CanSpoil() && world) {
        const double now = world->GetTimeSeconds();
        added->CreationTimeField() = now;
        added->NextSpoilingTimeField() = static_cast<double>(added->GetSpoilingTime()) + now;
        added->UpdatedItem(false);
    }
}

enum class Outcome { Given, Kept, Stop };

// A row whose item was given but whose delete failed stops the load: going on would leave every
// further item both in the inventory and in the vault.
Outcome DeleteGiven(IDatabase& store, const VaultItem& row) {
    if (store.DeleteVaultItem(row.id)) return Outcome::Given;
    if (auto& log = GetLog()) {
        log->error("({} {}) Vault row {} was given but could not be deleted; load stopped", kFile, kFunction, row.id);
    }
    return Outcome::Stop;
}

Outcome GiveRow(AShooterPlayerController* player, UPrimalInventoryComponent* inventory, IDatabase& store,
                const VaultItem& row) {
    if (!row.blueprint.empty()) {
        TArray<UPrimalItem*> made;
        FString blueprint(std::string_view(row.blueprint));
        if (!player->GiveItem(&made, &blueprint, row.qtd, 0.0f, false, false, 0.0f)) return Outcome::Kept;
        return DeleteGiven(store, row);
    }
    TArray<unsigned char> bytes = HexToBytes(row.itemdata);
    UPrimalItem* item = UPrimalItem::CreateFromBytes(&bytes);
    if (!item) return Outcome::Kept;
    const float storedDurability = item->ItemDurabilityField();
    UPrimalItem* added = inventory->AddItemObject(item);
    if (!added) return Outcome::Kept;
    const Outcome deleted = DeleteGiven(store, row);
    AdjustReturnedItem(added, storedDurability);
    return deleted;
}

void Load(AShooterPlayerController* player, FString* message) {
    if (!player) return;
    AShooterCharacter* character = player->GetPlayerCharacter();
    if (!character || character->IsDead()) return;

    const uint64 steamId = player->GetUniqueNetIdAsUINT64();
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
    if (!inventory || !inventory->IsValidLowLevelFast()) return;
    const int freePlaces = kInventoryPlaces - CountStorableItems(player);
    if (freePlaces <= 0) {
        Reply(player, "inventoryFull");
        return;
    }
    IDatabase* store = database().get();
    const TArray<std::shared_ptr<VaultItem>> rows =
        store ? store->GetVaultItems(steamId, *vaultName, freePlaces) : TArray<std::shared_ptr<VaultItem>>();
    if (rows.IsEmpty()) {
        Reply(player, "vaultNotFound");
        return;
    }
    if (nearRequired && price >= 1) {
        if (!SpendPoints(price, steamId)) {
            Reply(player, "noPoints");
            return;
        }
        Reply(player, "points", price);
    }

    try {
        int given = 0;
        for (const auto& row : rows) {
            if (!row) continue;
            const Outcome outcome = GiveRow(player, inventory, *store, *row);
            if (outcome == Outcome::Stop) return;
            if (outcome == Outcome::Given) ++given;
        }
        if (given >= freePlaces) Reply(player, "maximumReached", given);
    } catch (const std::exception& e) {
        if (auto& log = GetLog()) log->error("({} {}) Unexpected error {}", kFile, kFunction, e.what());
    }
}

}  // namespace

void LoadVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type) {
    Guarded(kFile, kFunction, [&] { Load(player, message); });
}

}  // namespace Lockbury::Commands
