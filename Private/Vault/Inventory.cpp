#include "Private/Vault/Inventory.h"

namespace Lockbury {

int CountStorableItems(AShooterPlayerController* player) {
    if (!player) return 0;
    UPrimalInventoryComponent* inventory = player->GetPlayerInventoryComponent();
    if (!inventory || !inventory->IsValidLowLevelFast(true)) return 0;
    int count = 0;
    for (UPrimalItem* item : inventory->InventoryItemsField()) {
        if (!item || !item->IsValidLowLevelFast(true)) continue;
        if (item->bIsEngram()() || item->SlotIndexField() != -1 || item->bIsInitialItem()()) continue;
        ++count;
    }
    return count;
}

}  // namespace Lockbury
