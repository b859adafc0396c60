#include "Private/Vault/VaultLoad.h"

#include "Private/Text/Utf8.h"

#include <utility>
#include <vector>

#include "Private/Plugin/Log.h"
#include "Private/Vault/Cryopod.h"
#include "Private/Vault/ItemText.h"

namespace Lockbury {
namespace {

constexpr LogPlace kPlace{"Private/Vault", "Lockbury::LoadIntoInventory"};

// The time spent in the vault does not count: an empty cryopod is topped up and dated an hour
// ahead, a spoiling item starts spoiling anew.
void AdjustReturnedItem(UPrimalItem* added, float storedDurability) {
    if (RestartCryopod(added, storedDurability)) return;
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    if (added->CanSpoil() && world) {
        const long double now = world->GetTimeSeconds();
        added->CreationTimeField() = now;
        added->NextSpoilingTimeField() = static_cast<long double>(added->GetSpoilingTime()) + now;
        added->UpdatedItem(false);
    }
}

// What one load handed out so far: the rows to settle and the items to take back if the
// database does not settle them.
struct Handout {
    ClaimOutcome rows;
    std::vector<UPrimalItem*> items;
    int given = 0;
};

// A claim ends exactly once: settled by the load, or released on every other way out.
class ClaimGuard {
public:
    explicit ClaimGuard(IDatabase& store) : store_(&store) {}
    ~ClaimGuard() {
        if (store_) store_->ReleaseClaim();
    }
    ClaimGuard(const ClaimGuard&) = delete;
    ClaimGuard& operator=(const ClaimGuard&) = delete;
    Settlement Settle(const ClaimOutcome& outcome) { return std::exchange(store_, nullptr)->SettleClaim(outcome); }

private:
    IDatabase* store_;
};

// The item a row became, for the crash-safety journal.
void NoteGiven(Handout& handout, std::int32_t rowId, UPrimalItem* item) {
    if (!item || !item->IsValidLowLevelFast(true)) return;
    const FItemNetID& id = item->ItemIDField();
    handout.rows.given.push_back({rowId, id.ItemID1, id.ItemID2, item->GetItemQuantity()});
}

int QuantityOf(const TArray<UPrimalItem*>& made) {
    int quantity = 0;
    for (UPrimalItem* item : made)
        if (item && item->IsValidLowLevelFast(true)) quantity += item->GetItemQuantity();
    return quantity;
}

// A resource row gives as many stacks as its quantity needs; what did not fit stays in the row.
void GiveResource(AShooterPlayerController* player, const VaultItem& row, Handout& handout) {
    TArray<UPrimalItem*> made;
    FString blueprint = Text::FromUtf8(row.blueprint);
    if (!player->GiveItem(&made, &blueprint, row.qtd, 0.0f, false, false, 0.0f)) return;
    // A host that reports success without the stacks it made gave the whole quantity.
    const int delivered = made.Num() == 0 ? row.qtd : QuantityOf(made);
    if (delivered >= row.qtd) {
        handout.rows.taken.push_back(row.id);
    } else {
        handout.rows.remainders.emplace_back(row.id, row.qtd - delivered);
    }
    for (UPrimalItem* item : made) {
        handout.items.push_back(item);
        NoteGiven(handout, row.id, item);
    }
    ++handout.given;
}

void GiveStoredItem(UPrimalInventoryComponent* inventory, const VaultItem& row, Handout& handout) {
    TArray<unsigned char> bytes = HexToBytes(row.itemdata);
    UPrimalItem* item = UPrimalItem::CreateFromBytes(&bytes);
    if (!item) return;
    const float storedDurability = item->ItemDurabilityField();
    UPrimalItem* added = inventory->AddItemObject(item);
    if (!added) return;
    handout.rows.taken.push_back(row.id);
    handout.items.push_back(added);
    NoteGiven(handout, row.id, added);
    ++handout.given;
    AdjustReturnedItem(added, storedDurability);
}

// The database did not take the load: what it gave leaves the inventory again.
void TakeBack(UPrimalInventoryComponent* inventory, const Handout& handout) {
    for (UPrimalItem* item : handout.items) {
        if (!item || !item->IsValidLowLevelFast(true)) continue;
        if (!inventory->RemoveItem(&item->ItemIDField(), false, false, true, false)) {
            LogAt(spdlog::level::err, kPlace, "A loaded item could not be taken back after the load failed: {}",
                  item->NameField().ToString().ToString());
        }
    }
}

}  // namespace

VaultLoadResult LoadIntoInventory(IDatabase& store, AShooterPlayerController* receiver, const VaultLoad& load) {
    VaultLoadResult result;
    UPrimalInventoryComponent* inventory = receiver->GetPlayerInventoryComponent();
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return result;
    // The rows stay locked until the load settles, so no other server can give them meanwhile.
    const VaultRead<VaultItem> claimed = store.ClaimVaultItems(load.owner, load.vault, load.places);
    if (claimed.failed) return result;
    if (claimed.records.Num() == 0) {
        result.status = VaultLoadResult::Status::VaultNotFound;
        return result;
    }
    ClaimGuard claim(store);
    if (load.beforeGiving && !load.beforeGiving()) {
        result.status = VaultLoadResult::Status::Refused;
        return result;
    }

    Handout handout;
    handout.rows.kind = load.kind;
    handout.rows.by = load.by;
    try {
        for (const auto& row : claimed.records) {
            if (!row) continue;
            if (!row->blueprint.empty()) {
                GiveResource(receiver, *row, handout);
            } else {
                GiveStoredItem(inventory, *row, handout);
            }
        }
    } catch (const std::exception& e) {
        // A damaged row stops the load there; what was given before it is settled as usual.
        result.stopped = true;
        LogAt(spdlog::level::err, kPlace, "Unexpected error {}", e.what());
    }
    result.status = VaultLoadResult::Status::Loaded;
    result.given = handout.given;
    if (handout.items.empty() && handout.rows.taken.empty() && handout.rows.remainders.empty()) return result;

    switch (claim.Settle(handout.rows)) {
        case Settlement::Committed: break;
        case Settlement::RolledBack:
            TakeBack(inventory, handout);
            result.status = VaultLoadResult::Status::StoreUnavailable;
            result.given = 0;
            break;
        case Settlement::Unknown: break;  // the items stay: possibly doubled, never lost (the store logged the rows)
    }
    return result;
}

}  // namespace Lockbury
