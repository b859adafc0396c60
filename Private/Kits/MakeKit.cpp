#include <system_error>

#include "Private/HandlerGuard.h"
#include "Private/Handlers.h"
#include "Private/Kits/KitFiles.h"
#include "Private/Kits/KitName.h"

namespace Lockbury {

namespace {

// Writes every storable item of the inventory into the kit folder; the number that failed.
int StoreItems(UPrimalInventoryComponent* inventory, const std::filesystem::path& folder) {
    int failed = 0;
    const TArray<UPrimalItem*> items = inventory->InventoryItemsField();
    for (UPrimalItem* item : items) {
        if (!item || !item->IsValidLowLevelFast()) continue;
        if (item->bIsEngram() || item->bIsInitialItem()) continue;
        TArray<unsigned char> bytes;
        item->GetItemBytes(&bytes);
        if (bytes.Num() == 0) continue;
        const std::string file = Kits::KitFileName(item->ItemIDField(), item->NameField().ToString().ToString());
        if (!Kits::WriteWholeFile(folder / file, std::vector<std::uint8_t>(bytes.begin(), bytes.end()))) ++failed;
    }
    return failed;
}

}  // namespace

void MakeKit(APlayerController* controller, FString* command, bool /*fromCheat*/) {
    Guarded("Private/Kits", "Lockbury::MakeKit", [&] {
        auto* player = static_cast<AShooterPlayerController*>(controller);
        const auto found = Kits::KitFolderOfCommand(player, command, "Wrong Syntax. Use makekit 'name of the kit'");
        if (!found) return;
        const std::filesystem::path& folder = *found;
        auto& api = ArkApi::GetApiUtils();
        // The kits folder itself is made too when missing; a folder that cannot be made shows
        // up below as items that could not be written.
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);

        int failed = 0;
        UPrimalInventoryComponent* inventory = player ? player->GetPlayerInventoryComponent() : nullptr;
        if (inventory && inventory->IsValidLowLevelFast()) failed = StoreItems(inventory, folder);

        if (failed > 0) {
            api.SendServerMessage(player, Colors::Red(), "Kit incomplete: {} items could not be written", failed);
        } else {
            api.SendServerMessage(player, Colors::Green(), "Kit created");
        }
    });
}

}  // namespace Lockbury
