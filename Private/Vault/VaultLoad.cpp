#include "Private/Vault/VaultLoad.h"

#include "Private/Text/Utf8.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Private/Plugin/Log.h"
#include "Private/Vault/Cryopod.h"
#include "Private/Vault/Inventory.h"
#include "Private/Vault/ItemText.h"
#include "Private/Vault/OnlinePlayer.h"
#include "Private/Vault/StoreWorker.h"

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

// What one load handed out so far: the rows to settle, and in them the ids of the items to take
// back if the database does not settle them.
struct Handout {
    ClaimOutcome rows;
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
    for (UPrimalItem* item : made) NoteGiven(handout, row.id, item);
    ++handout.given;
}

void GiveStoredItem(UPrimalInventoryComponent* inventory, const VaultItem& row, TArray<unsigned char>& bytes,
                    Handout& handout) {
    UPrimalItem* item = UPrimalItem::CreateFromBytes(&bytes);
    if (!item) return;
    const float storedDurability = item->ItemDurabilityField();
    UPrimalItem* added = inventory->AddItemObject(item);
    if (!added) return;
    handout.rows.taken.push_back(row.id);
    NoteGiven(handout, row.id, added);
    ++handout.given;
    AdjustReturnedItem(added, storedDurability);
}

// The database did not take the load: what it gave leaves the inventory again. What is not found
// there by its id any more (dropped or moved away since, or its receiver gone) is answered.
std::vector<GivenStack> TakeBack(AShooterPlayerController* receiver, const Handout& handout) {
    UPrimalInventoryComponent* inventory = receiver ? receiver->GetPlayerInventoryComponent() : nullptr;
    std::vector<GivenStack> escaped;
    for (const GivenStack& stack : handout.rows.given) {
        FItemNetID id{stack.itemId1, stack.itemId2};
        UPrimalItem* item = FindInventoryItem(inventory, id);
        if (!item || !inventory || !inventory->RemoveItem(&id, false, false, true, false)) escaped.push_back(stack);
    }
    return escaped;
}

// The rows of a rolled-back load whose items could not be taken back: they are in the game now, so
// they leave the vault (a resource row keeps what was taken back) in a load of their own.
ClaimOutcome EscapedRows(const TArray<std::shared_ptr<VaultItem>>& rows, const ClaimOutcome& failed,
                         const std::vector<GivenStack>& escaped) {
    ClaimOutcome outcome;
    outcome.kind = failed.kind;
    outcome.by = failed.by;
    outcome.given = escaped;
    for (const auto& row : rows) {
        if (!row) continue;
        int units = 0;
        bool any = false;
        for (const GivenStack& stack : escaped) {
            if (stack.rowId != row->id) continue;
            any = true;
            units += stack.quantity;
        }
        if (!any) continue;
        if (row->blueprint.empty() || row->qtd - units <= 0) {
            outcome.taken.push_back(row->id);
        } else {
            outcome.remainders.emplace_back(row->id, row->qtd - units);
        }
    }
    return outcome;
}

void SettleEscaped(StoreWorker& worker, const VaultLoad& load, const ClaimOutcome& failed,
                   std::vector<GivenStack> escaped) {
    worker.Submit(load.receiver, [load, failed, escaped = std::move(escaped)](IDatabase& store) -> StoreWorker::Outcome {
        const VaultRead<VaultItem> claimed = store.ClaimVaultItems(load.owner, load.vault, load.places);
        bool settled = false;
        if (!claimed.failed) {
            const ClaimOutcome outcome = EscapedRows(claimed.records, failed, escaped);
            if (!outcome.taken.empty() || !outcome.remainders.empty()) {
                settled = store.SettleClaim(outcome) == Settlement::Committed;
            } else if (claimed.records.Num() > 0) {
                store.ReleaseClaim();  // the rows went elsewhere meanwhile: the items are doubled
            }
        }
        if (settled) return {};
        return [escaped] {
            for (const GivenStack& stack : escaped) {
                LogAt(spdlog::level::err, kPlace,
                      "A loaded item could not be taken back after the load failed: item {}/{} of row {}, now both in "
                      "the vault and in the game",
                      stack.itemId1, stack.itemId2, stack.rowId);
            }
        };
    });
}

// The giving of one load's claimed rows to the receiver, on the game thread, at most kRowsPerFrame
// rows a frame (with a store thread, one frame after another; without, all at once). The item
// rows' text was turned into bytes beforehand, on the store's side.
constexpr std::size_t kRowsPerFrame = 8;

struct Giving {
    Giving(const VaultLoad& what, const TArray<std::shared_ptr<VaultItem>>& claimed) : load(what), rows(claimed) {}

    const VaultLoad& load;
    const TArray<std::shared_ptr<VaultItem>>& rows;
    std::vector<TArray<unsigned char>> bytes;  // of each item row
    std::size_t usable = 0;  // the rows before the first damaged one
    std::string damage;  // what is wrong with that one
    std::size_t next = 0;
    int places = 0;
    bool ended = false;
};

// Store's side: the item rows' bytes, up to the first row that cannot be read.
void Decode(Giving& giving) {
    const std::size_t count = static_cast<std::size_t>(giving.rows.Num());
    giving.bytes.resize(count);
    giving.usable = count;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& row = giving.rows[static_cast<int>(i)];
        if (!row || !row->blueprint.empty()) continue;
        try {
            giving.bytes[i] = HexToBytes(row->itemdata);
        } catch (const std::exception& e) {
            giving.usable = i;
            giving.damage = e.what();
            return;
        }
    }
}

// Game thread: the next rows, to the receiver if still here.
void GiveNext(Giving& giving, Handout& handout, VaultLoadResult& result) {
    AShooterPlayerController* receiver = FindOnlinePlayer(giving.load.receiver);
    AShooterCharacter* character = receiver ? receiver->GetPlayerCharacter() : nullptr;
    UPrimalInventoryComponent* inventory = receiver ? receiver->GetPlayerInventoryComponent() : nullptr;
    if (!character || character->IsDead() || !inventory || !inventory->IsValidLowLevelFast(true)) {
        // Gone before anything was given: refused; later, what was given is settled.
        if (giving.next == 0) result.status = VaultLoadResult::Status::Refused;
        giving.ended = true;
        return;
    }
    if (giving.next == 0) {
        if (giving.load.beforeGiving && !giving.load.beforeGiving(receiver)) {
            result.status = VaultLoadResult::Status::Refused;
            giving.ended = true;
            return;
        }
        // The inventory may have filled up since the command counted its places.
        giving.places = std::min(giving.load.places, kInventoryPlaces - CountStorableItems(receiver));
        result.status = VaultLoadResult::Status::Loaded;
    }
    const std::size_t end = std::min(giving.usable, giving.next + kRowsPerFrame);
    try {
        for (; giving.next < end && handout.given < giving.places; ++giving.next) {
            const auto& row = giving.rows[static_cast<int>(giving.next)];
            if (!row) continue;
            if (!row->blueprint.empty()) {
                GiveResource(receiver, *row, handout);
            } else {
                GiveStoredItem(inventory, *row, giving.bytes[giving.next], handout);
            }
        }
        if (giving.next == giving.usable && giving.usable < giving.bytes.size()) throw std::runtime_error(giving.damage);
    } catch (const std::exception& e) {
        // A damaged row stops the load there; what was given before it is settled as usual.
        result.stopped = true;
        giving.ended = true;
        LogAt(spdlog::level::err, kPlace, "Unexpected error {}", e.what());
    }
    if (giving.next >= giving.usable || handout.given >= giving.places) giving.ended = true;
    result.given = handout.given;
}

}  // namespace

void LoadIntoInventory(StoreWorker& worker, VaultLoad load, VaultLoadDone done) {
    const std::uint64_t receiverId = load.receiver;
    worker.Submit(receiverId, [&worker, load = std::move(load), done = std::move(done)](IDatabase& store) {
        VaultLoadResult result;
        const auto finish = [&](Handout handout = {}) -> StoreWorker::Outcome {
            return [&worker, load, done, result, handout = std::move(handout)]() mutable {
                AShooterPlayerController* receiver = FindOnlinePlayer(load.receiver);
                if (result.status == VaultLoadResult::Status::StoreUnavailable && !handout.rows.given.empty()) {
                    std::vector<GivenStack> escaped = TakeBack(receiver, handout);
                    if (!escaped.empty()) SettleEscaped(worker, load, handout.rows, std::move(escaped));
                    result.given = 0;
                }
                done(result, receiver);
            };
        };
        // The rows stay locked until the load settles, so no other server can give them meanwhile.
        const VaultRead<VaultItem> claimed = store.ClaimVaultItems(load.owner, load.vault, load.places);
        if (claimed.failed) return finish();
        if (claimed.records.Num() == 0) {
            result.status = VaultLoadResult::Status::VaultNotFound;
            return finish();
        }
        ClaimGuard claim(store);
        Handout handout;
        handout.rows.kind = load.kind;
        handout.rows.by = load.by;
        Giving giving(load, claimed.records);
        Decode(giving);
        while (!giving.ended) worker.OnGameThread([&] { GiveNext(giving, handout, result); });
        if (result.status != VaultLoadResult::Status::Loaded) return finish();
        if (handout.rows.given.empty() && handout.rows.taken.empty() && handout.rows.remainders.empty()) return finish();
        switch (claim.Settle(handout.rows)) {
            case Settlement::Committed: break;
            case Settlement::RolledBack: result.status = VaultLoadResult::Status::StoreUnavailable; break;
            case Settlement::Unknown: break;  // the items stay: possibly doubled, never lost (the store logged the rows)
        }
        return finish(std::move(handout));
    });
}

}  // namespace Lockbury
