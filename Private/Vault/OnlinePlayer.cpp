#include "Private/Vault/OnlinePlayer.h"

namespace Lockbury {

AShooterPlayerController* FindOnlinePlayer(std::uint64_t steamId) {
    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    if (!world || steamId == 0) return nullptr;
    for (auto& weak : world->PlayerControllerListField()) {
        auto* player = static_cast<AShooterPlayerController*>(weak.Get());
        if (player && player->IsValidLowLevelFast(true) && player->GetUniqueNetIdAsUINT64() == steamId) return player;
    }
    return nullptr;
}

UPrimalItem* FindInventoryItem(UPrimalInventoryComponent* inventory, const FItemNetID& id) {
    if (!inventory) return nullptr;
    for (UPrimalItem* item : inventory->InventoryItemsField()) {
        if (!item || !item->IsValidLowLevelFast(true)) continue;
        const FItemNetID& held = item->ItemIDField();
        if (held.ItemID1 == id.ItemID1 && held.ItemID2 == id.ItemID2) return item;
    }
    return nullptr;
}

}  // namespace Lockbury
