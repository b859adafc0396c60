// The save command: moves the eligible items of a player's inventory into a named vault, one row
// per item; an item leaves the inventory only after its row was written.
#include "Host/ArkApi.h"
#include "Private/Commands/Reply.h"
#include "Private/Commands/VaultArgument.h"
#include "Private/Config.h"
#include "Private/Cooldown.h"
#include "Private/HandlerGuard.h"
#include "Private/Handlers.h"
#include "Private/ItemText.h"
#include "Private/SiblingCalls.h"
#include "Private/Store.h"
#include "Private/Transmitter.h"

namespace Lockbury::Commands {
namespace {

// Writes the item's row; true when it was written and the item may leave the inventory.
bool StoreItem(IDatabase& store, uint64 steamId, const FString& vaultName, UPrimalItem* item) {
    if (item->bIsEngram() || item->SlotIndexField() != -1) return false;
    const FString name = item->NameField().ToString();
    if (IsBlocked(name)) return false;
    const bool resource = IsResource(name);
    // Resources go as blueprint and quantity even when the game handed them out initially.
    if (!resource && item->bIsInitialItem()) return false;
    if (resource) {
        const int quantity = item->GetItemQuantity();
        return store.AddVaultResource(steamId, vaultName, name, GetBlueprintPath(item), quantity);
    }
    TArray<unsigned char> bytes;
    item->GetItemBytes(&bytes);
    if (bytes.IsEmpty()) return false;
    return store.AddVaultItem(steamId, vaultName, name, BytesToHex(bytes));
}

void Save(AShooterPlayerController* player, FString* message) {
    if (!player) return;
    AShooterCharacter* character = player->GetPlayerCharacter();
    if (!character || character->IsDead()) return;

    if (RequiresNearTransmitter("saveVault") && !IsNearTransmitter(player->DefaultActorLocationField())) {
        Reply(player, "mustBeNearTransmiter");
        return;
    }
    const uint64 steamId = player->GetUniqueNetIdAsUINT64();
    if (const int left = CheckCooldown(steamId); left >= 1) {
        Reply(player, "coolDown", left);
        return;
    }
    const FString permission = GetRequiredPermission("saveVault");
    if (!permission.IsEmpty() && !HasPermission(steamId, permission)) {
        Reply(player, "noPermission");
        return;
    }
    const std::optional<FString> vaultName = VaultNameArgument(message);
    if (!vaultName) {
        Reply(player, "wrongSyntax", GetCommandName("saveVault"));
        return;
    }

    UPrimalInventoryComponent* inventory = player->GetPlayerInventoryComponent();
    if (!inventory || !inventory->IsValidLowLevelFast()) return;
    IDatabase* store = database().get();
    if (!store) return;  // no store: nothing could be written, so nothing may leave

    // A copy: removing items must not disturb the walk.
    const TArray<UPrimalItem*> items = inventory->InventoryItemsField();
    for (UPrimalItem* item : items) {
        if (!item || !item->IsValidLowLevelFast()) continue;
        if (StoreItem(*store, steamId, *vaultName, item)) {
            inventory->RemoveItem(&item->ItemIDField(), false, false, true, true);
        }
    }
}

}  // namespace

void SaveVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type) {
    Guarded("Private/Commands", "Lockbury::Commands::SaveVault", [&] { Save(player, message); });
}

}  // namespace Lockbury::Commands
