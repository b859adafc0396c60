// Unwinds: the saves undone at the restart whose items only the restored character can settle.
// At the player's next join (or first vault command), before the player can do anything with
// them: an item the character holds stays there and its vault row goes, unless the row is no
// longer as saved (taken by a load on another server, or decayed), in which case the item leaves
// the character; an item the character does not hold was made after the world save, and its row
// stays in the vault.
#include <map>

#include "Private/CrashSafety/Hooks.h"
#include "Private/CrashSafety/State.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Log.h"
#include "Private/Vault/OnlinePlayer.h"
#include "Private/Vault/Store.h"

namespace Lockbury::CrashSafety {

HandleNewPlayerFn AShooterGameMode_HandleNewPlayer_Implementation_game = nullptr;

namespace {

constexpr const char* kFile = "Private/CrashSafety";
constexpr LogPlace kPlace{kFile, "Lockbury::CrashSafety::ApplyUnwinds"};

// Settles one unwind; false when it must wait (no inventory, or the database failed).
bool Settle(const Unwind& unwind, UPrimalInventoryComponent* inventory, IDatabase& store) {
    std::map<std::int32_t, FItemNetID> held;  // row -> the item the character holds
    for (const UnwindItem& item : unwind.items) {
        const FItemNetID id{item.itemId1, item.itemId2};
        if (FindInventoryItem(inventory, id)) held.emplace(item.rowId, id);
    }
    std::vector<std::int32_t> heldRows;
    heldRows.reserve(held.size());
    for (const auto& [row, id] : held) heldRows.push_back(row);
    const std::optional<std::vector<std::int32_t>> leaving = store.SettleUnwind(unwind.journalId, heldRows);
    if (!leaving) return false;
    int removed = 0;
    for (std::int32_t row : *leaving) {
        FItemNetID id = held.at(row);
        if (inventory->RemoveItem(&id, false, false, true, false)) {
            ++removed;
        } else {
            LogAt(spdlog::level::err, kPlace,
                  "Crash safety: the game refused to remove item {}/{} of journal entry {} from player {}, whose vault "
                  "row was taken elsewhere",
                  id.ItemID1, id.ItemID2, unwind.journalId, unwind.steamId);
        }
    }
    LogAt(spdlog::level::info, kPlace,
          "Crash safety: of the {} items player {} saved before the crash (journal entry {}), {} stay in the restored "
          "inventory, {} left it (taken from the vault elsewhere or decayed), {} stay in the vault",
          unwind.items.size(), unwind.steamId, unwind.journalId, heldRows.size() - leaving->size(), removed,
          unwind.items.size() - heldRows.size());
    return true;
}

}  // namespace

void ApplyUnwinds(AShooterPlayerController* player) {
    State& s = state();
    if (!s.enabled || !s.recovered || s.unwinds.empty() || !player) return;
    IDatabase* store = database();
    if (!store) return;
    const std::uint64_t steamId = player->GetUniqueNetIdAsUINT64();
    for (auto unwind = s.unwinds.begin(); unwind != s.unwinds.end();) {
        if (unwind->steamId != steamId) {
            ++unwind;
            continue;
        }
        UPrimalInventoryComponent* inventory = player->GetPlayerInventoryComponent();
        if (!inventory || !inventory->IsValidLowLevelFast(true) || !Settle(*unwind, inventory, *store)) {
            LogAt(spdlog::level::warn, kPlace,
                  "Crash safety: journal entry {} of player {} cannot be settled now; it is tried again at the next "
                  "join or vault command",
                  unwind->journalId, steamId);
            return;
        }
        unwind = s.unwinds.erase(unwind);
    }
}

bool Hook_AShooterGameMode_HandleNewPlayer_Implementation(AShooterGameMode* mode, AShooterPlayerController* player,
                                                          UPrimalPlayerData* data, AShooterCharacter* character,
                                                          bool isFromLogin) {
    const bool handled = AShooterGameMode_HandleNewPlayer_Implementation_game(mode, player, data, character, isFromLogin);
    Guarded(kFile, "Lockbury::CrashSafety::Hook_AShooterGameMode_HandleNewPlayer_Implementation", [&] {
        // A recovery still due runs now, so that the player's unwinds are known before the
        // player can move their items.
        State& s = state();
        if (s.enabled && !s.recovered && std::chrono::steady_clock::now() >= s.nextTry) Recover();
        ApplyUnwinds(player);
    });
    return handled;
}

}  // namespace Lockbury::CrashSafety
