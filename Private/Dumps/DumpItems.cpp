#include "Private/Dumps/ItemBlueprintPath.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"

namespace Lockbury {

void DumpItems(APlayerController* controller, FString* /*command*/, bool /*fromCheat*/) {
    Guarded("Private/Dumps", "Lockbury::DumpItems", [&] {
        // Its only output is the log: without a logger there is nothing to do.
        const std::shared_ptr<spdlog::logger> log = GetLog();
        if (!log) return;
        log->info("DumpItems");
        auto* player = static_cast<AShooterPlayerController*>(controller);
        if (!player) return;
        AShooterCharacter* character = player->GetPlayerCharacter();
        if (!character || character->IsDead()) return;
        UPrimalInventoryComponent* inventory = player->GetPlayerInventoryComponent();
        if (!inventory || !inventory->IsValidLowLevelFast(true)) return;
        if (inventory->GetCurrentNumInventoryItems() < 1) return;
        log->info("Found Item");

        const TArray<UPrimalItem*> items = inventory->InventoryItemsField();
        for (UPrimalItem* item : items) {
            if (!item || !item->IsValidLowLevelFast(true)) continue;
            if (item->bIsEngram()() || item->SlotIndexField() != -1) continue;
            const std::string name = item->NameField().ToString().ToString();
            const std::string blueprint = GetItemBlueprintPath(item).ToString();
            log->info("NameField {}", name);
            log->info("BluePrint {}", blueprint);
        }
    });
}

}  // namespace Lockbury
