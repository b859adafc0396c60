// The save command: moves the eligible items of a player's inventory into a named vault, one row
// per item, all rows in one transaction. The items leave the inventory only once the commit is
// known to have happened; when it did not, or cannot be known, they all stay.

#include <optional>
#include <vector>

#include "Host/ArkApi.h"
#include "Private/Commands/Reply.h"
#include "Private/Commands/VaultArgument.h"
#include "Private/Config/Config.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/Guards/BlueprintPath.h"
#include "Private/Guards/Cooldown.h"
#include "Private/Guards/Transmitter.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Plugin/SiblingCalls.h"
#include "Private/Text/Format.h"
#include "Private/Vault/ItemText.h"
#include "Private/Vault/Store.h"

namespace Lockbury::Commands {
namespace {

constexpr const char* kFile = "Private/Commands";
constexpr const char* kFunction = "Lockbury::Commands::SaveVault";

// The item's row, or nothing when the item must stay in the inventory.
std::optional<VaultRow> RowFor(UPrimalItem* item) {
    if (item->bIsEngram()() || item->SlotIndexField() != -1) return std::nullopt;
    FString name = item->NameField().ToString();
    if (IsBlocked(name)) return std::nullopt;
    const bool resource = IsResource(name);
    // Resources go as blueprint and quantity even when the game handed them out initially.
    if (!resource && item->bIsInitialItem()()) return std::nullopt;
    std::optional<VaultRow> row;
    if (resource) {
        const int quantity = item->GetItemQuantity();
        row = VaultRow::Resource(std::move(name), GetBlueprintPath(item), quantity);
    } else {
        TArray<unsigned char> bytes;
        item->GetItemBytes(&bytes);
        if (bytes.Num() == 0) return std::nullopt;
        row = VaultRow::Item(std::move(name), BytesToHex(bytes));
    }
    // Crash safety journals it: a save undone after a crash may have to take this very item
    // from the restored character.
    const FItemNetID& id = item->ItemIDField();
    row->itemId1 = id.ItemID1;
    row->itemId2 = id.ItemID2;
    return row;
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
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return;
    IDatabase* store = database().get();
    // Nothing could be written, so nothing may leave; asked before the items are read and
    // turned into text, which is most of a save's own work.
    if (!store || !store->ReadyToTry("MySql::AddVaultRows") || !CrashSafety::VaultReady(player)) {
        ReplyStoreUnavailable(player);
        return;
    }

    // A copy: removing items must not disturb the walk.
    const TArray<UPrimalItem*> items = inventory->InventoryItemsField();
    std::vector<VaultRow> rows;
    std::vector<UPrimalItem*> leaving;
    for (UPrimalItem* item : items) {
        if (!item || !item->IsValidLowLevelFast(true)) continue;
        if (std::optional<VaultRow> row = RowFor(item)) {
            rows.push_back(std::move(*row));
            leaving.push_back(item);
        }
    }
    if (rows.empty()) return;
    // All or nothing: a write that did not happen, or may not have, leaves every item where it
    // was (at worst an item is then both kept and stored, never lost).
    const RowsWritten written = store->AddVaultRows(steamId, *vaultName, rows);
    if (written.settlement != Settlement::Committed) {
        ReplyStoreUnavailable(player);
        return;
    }
    // An item the game refuses to remove must not stay in the vault as well.
    std::vector<std::int32_t> kept;
    for (std::size_t i = 0; i < leaving.size(); ++i) {
        UPrimalItem* item = leaving[i];
        if (!inventory->RemoveItem(&item->ItemIDField(), false, false, true, true) && i < written.ids.size())
            kept.push_back(written.ids[i]);
    }
    if (!kept.empty() && !store->DeleteVaultRows(kept)) {
        LogAt(spdlog::level::err, {kFile, kFunction},
              "Vault rows {} are stored but their items could not leave the inventory", Formatting::Join(kept, ","));
    }
}

}  // namespace

void SaveVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type) {
    Guarded(kFile, kFunction, [&] { Save(player, message); });
}

}  // namespace Lockbury::Commands
