// The save command: moves the eligible items of a player's inventory into a named vault, one row
// per item, all rows in one transaction. The items leave the inventory only once the commit is
// known to have happened; when it did not, or cannot be known, they all stay. With a store thread
// they stay in the inventory while the write is in flight: at the outcome an item that is no
// longer there as it was saved (dropped, used, moved away, its character dead or gone) stays
// where it went, and its row leaves the vault instead.

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
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
#include "Private/Vault/OnlinePlayer.h"
#include "Private/Vault/Store.h"
#include "Private/Vault/StoreWorker.h"

namespace Lockbury::Commands {
namespace {

constexpr const char* kFile = "Private/Commands";
constexpr const char* kFunction = "Lockbury::Commands::SaveVault";

// What a save writes: its rows, and each item row's bytes as the game gave them, turned into the
// row's text on the store's side (with a store thread, off the game thread).
struct SaveRows {
    std::vector<VaultRow> rows;
    std::vector<std::vector<unsigned char>> bytes;  // of item rows; empty for resource rows
};

// Adds the item's row, unless the item must stay in the inventory.
void AddRowFor(UPrimalItem* item, SaveRows& save) {
    if (item->bIsEngram()() || item->SlotIndexField() != -1) return;
    FString name = item->NameField().ToString();
    if (IsBlocked(name)) return;
    const bool resource = IsResource(name);
    // Resources go as blueprint and quantity even when the game handed them out initially.
    if (!resource && item->bIsInitialItem()()) return;
    std::vector<unsigned char> raw;
    VaultRow row;
    if (resource) {
        const int quantity = item->GetItemQuantity();
        row = VaultRow::Resource(std::move(name), GetBlueprintPath(item), quantity);
    } else {
        TArray<unsigned char> bytes;
        item->GetItemBytes(&bytes);
        if (bytes.Num() == 0) return;
        raw.assign(bytes.GetData(), bytes.GetData() + bytes.Num());
        row = VaultRow::Item(std::move(name), std::string());
    }
    // Crash safety journals it: a save undone after a crash may have to take this very item
    // from the restored character.
    const FItemNetID& id = item->ItemIDField();
    row.itemId1 = id.ItemID1;
    row.itemId2 = id.ItemID2;
    save.rows.push_back(std::move(row));
    save.bytes.push_back(std::move(raw));
}

std::uint64_t Key(const FItemNetID& id) { return (std::uint64_t{id.ItemID1} << 32) | id.ItemID2; }

// The inventory of the player's living character, if the player is online; otherwise null.
UPrimalInventoryComponent* LivingInventory(std::uint64_t steamId) {
    AShooterPlayerController* player = FindOnlinePlayer(steamId);
    AShooterCharacter* character = player ? player->GetPlayerCharacter() : nullptr;
    return character && !character->IsDead() ? player->GetPlayerInventoryComponent() : nullptr;
}

// The inventory's items by id; none without an inventory.
std::unordered_map<std::uint64_t, UPrimalItem*> HeldItems(UPrimalInventoryComponent* inventory) {
    std::unordered_map<std::uint64_t, UPrimalItem*> held;
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return held;
    for (UPrimalItem* item : inventory->InventoryItemsField())
        if (item && item->IsValidLowLevelFast(true)) held.emplace(Key(item->ItemIDField()), item);
    return held;
}

// Whether the item is still the one its row holds: a resource of the same quantity, an item of
// the same bytes.
bool AsSaved(UPrimalItem* item, const VaultRow& row, const std::vector<unsigned char>& saved) {
    if (row.kind == VaultRow::Kind::Resource) return item->GetItemQuantity() == row.qtd;
    TArray<unsigned char> bytes;
    item->GetItemBytes(&bytes);
    return std::equal(bytes.GetData(), bytes.GetData() + bytes.Num(), saved.begin(), saved.end());
}

constexpr std::size_t kItemsPerFrame = 50;

// A committed save taking its items out of the inventory.
struct SaveOutcome {
    std::uint64_t steamId = 0;
    std::shared_ptr<SaveRows> save;
    std::vector<std::int32_t> ids;  // the rows written, in the order of save->rows
    std::size_t next = 0;
    std::vector<std::int32_t> kept;  // rows whose items stay where they are: they leave the vault
};

// The rows whose items left the inventory of the player are in the vault; the others leave it.
// With a store thread kItemsPerFrame items a frame, the player's move in flight until the last
// (a world save first takes them all); without, all at once and not read again.
void RemoveSaved(const std::shared_ptr<SaveOutcome>& outcome) {
    StoreWorker& worker = *storeWorker();
    const std::vector<VaultRow>& rows = outcome->save->rows;
    UPrimalInventoryComponent* inventory = LivingInventory(outcome->steamId);
    const std::unordered_map<std::uint64_t, UPrimalItem*> held = HeldItems(inventory);
    const std::size_t count = std::min(rows.size(), outcome->ids.size());
    const std::size_t end = worker.Threaded() ? std::min(count, outcome->next + kItemsPerFrame) : count;
    // An item the game refuses to remove, or that is no longer there as saved, must not stay in
    // the vault as well.
    for (; outcome->next < end; ++outcome->next) {
        const std::size_t i = outcome->next;
        const auto found = held.find(Key({rows[i].itemId1, rows[i].itemId2}));
        UPrimalItem* item = found == held.end() ? nullptr : found->second;
        if (!item || (worker.Threaded() && !AsSaved(item, rows[i], outcome->save->bytes[i])) ||
            !inventory->RemoveItem(&item->ItemIDField(), false, false, true, true))
            outcome->kept.push_back(outcome->ids[i]);
    }
    if (outcome->next < count) {
        worker.Later(outcome->steamId, [outcome] { RemoveSaved(outcome); });
        return;
    }
    if (outcome->kept.empty()) return;
    worker.Submit(outcome->steamId, [kept = outcome->kept](IDatabase& store) -> StoreWorker::Outcome {
        if (store.DeleteVaultRows(kept)) return {};
        return [kept] {
            LogAt(spdlog::level::err, {kFile, kFunction},
                  "Vault rows {} are stored but their items could not leave the inventory", Formatting::Join(kept, ","));
        };
    });
}

// A save being read from the inventory.
struct SaveRead {
    std::uint64_t steamId = 0;
    FString vault;
    std::vector<FItemNetID> items;  // the inventory's items when the command came
    std::size_t next = 0;
    SaveRows save;
};

// All or nothing: a write that did not happen, or may not have, leaves every item where it was (at
// worst an item is then both kept and stored, never lost).
void HandOver(StoreWorker& worker, std::uint64_t steamId, const FString& vault, const std::shared_ptr<SaveRows>& save) {
    worker.Submit(steamId, [steamId, vault, save](IDatabase& store) -> StoreWorker::Outcome {
        for (std::size_t i = 0; i < save->rows.size(); ++i)
            if (save->rows[i].kind == VaultRow::Kind::Item) save->rows[i].itemdata = BytesToHex(save->bytes[i]);
        RowsWritten written = store.AddVaultRows(steamId, vault, save->rows);
        return [steamId, save, written = std::move(written)] {
            if (written.settlement == Settlement::Committed) {
                RemoveSaved(std::make_shared<SaveOutcome>(SaveOutcome{steamId, save, written.ids, 0, {}}));
            } else if (AShooterPlayerController* saver = FindOnlinePlayer(steamId)) {
                ReplyStoreUnavailable(saver);
            }
        };
    });
}

// Reads the next items; the save goes to the store once all are read. A player who left or died
// meanwhile saves nothing.
void ReadOn(const std::shared_ptr<SaveRead>& read) {
    StoreWorker& worker = *storeWorker();
    UPrimalInventoryComponent* inventory = LivingInventory(read->steamId);
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return;
    const std::size_t end =
        worker.Threaded() ? std::min(read->items.size(), read->next + kItemsPerFrame) : read->items.size();
    const std::unordered_map<std::uint64_t, UPrimalItem*> held = HeldItems(inventory);
    for (; read->next < end; ++read->next) {
        const auto found = held.find(Key(read->items[read->next]));
        if (found != held.end()) AddRowFor(found->second, read->save);
    }
    if (read->next < read->items.size()) {
        worker.Later(read->steamId, [read] { ReadOn(read); });
        return;
    }
    if (read->save.rows.empty()) return;
    HandOver(worker, read->steamId, read->vault, std::make_shared<SaveRows>(std::move(read->save)));
}

void Save(AShooterPlayerController* player, FString* message) {
    if (!player) return;
    AShooterCharacter* character = player->GetPlayerCharacter();
    if (!character || character->IsDead()) return;

    const uint64 steamId = player->GetUniqueNetIdAsUINT64();
    StoreWorker* worker = storeWorker().get();
    if (worker && worker->InFlight(steamId)) {
        ReplyMoveInFlight(player);
        return;
    }
    if (RequiresNearTransmitter("saveVault") && !IsNearTransmitter(player->DefaultActorLocationField())) {
        Reply(player, "mustBeNearTransmiter");
        return;
    }
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
    // Nothing could be written, so nothing may leave; asked before the items are read and
    // turned into text, which is most of a save's own work. The store thread's store is not
    // asked from here: its own failure comes back as fast.
    if (!worker || (!worker->Threaded() && !database()->ReadyToTry("MySql::AddVaultRows")) ||
        !CrashSafety::VaultReady(player)) {
        ReplyStoreUnavailable(player);
        return;
    }

    // With a store thread the items are read a few frames long, kItemsPerFrame a frame, from the
    // ones the inventory holds now; without, all at once.
    auto read = std::make_shared<SaveRead>();
    read->steamId = steamId;
    read->vault = *vaultName;
    for (UPrimalItem* item : inventory->InventoryItemsField())
        if (item && item->IsValidLowLevelFast(true)) read->items.push_back(item->ItemIDField());
    ReadOn(read);
}

}  // namespace

void SaveVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type) {
    Guarded(kFile, kFunction, [&] { Save(player, message); });
}

}  // namespace Lockbury::Commands
