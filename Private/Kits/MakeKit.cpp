#include <system_error>

#include "Private/Kits/KitFiles.h"
#include "Private/Kits/KitName.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Plugin/PluginFolder.h"

namespace Lockbury {

namespace {

struct KitItem {
    std::string file;
    std::vector<std::uint8_t> bytes;
};

// The storable items of the inventory (no engrams, initial items or items without bytes), each
// with the name of its file in the kit.
std::vector<KitItem> StorableItems(UPrimalInventoryComponent* inventory) {
    std::vector<KitItem> storable;
    const TArray<UPrimalItem*> items = inventory->InventoryItemsField();
    for (UPrimalItem* item : items) {
        if (!item || !item->IsValidLowLevelFast(true)) continue;
        if (item->bIsEngram()() || item->bIsInitialItem()()) continue;
        TArray<unsigned char> bytes;
        item->GetItemBytes(&bytes);
        if (bytes.Num() == 0) continue;
        storable.push_back({Kits::KitFileName(item->ItemIDField(), item->NameField().ToString().ToString()),
                            std::vector<std::uint8_t>(bytes.GetData(), bytes.GetData() + bytes.Num())});
    }
    return storable;
}

void LogNotWritten(const std::string& what, const std::error_code& reason) {
    LogAt(spdlog::level::warn, {"Private/Kits", "Lockbury::MakeKit"}, "{}: {}", what, reason.message());
}

// Writes the items into the kit folder, made first when missing (with the kits folder); the
// number that could not be written. Each reason is logged once: for the folder, or per file.
int StoreItems(const std::vector<KitItem>& items, const std::filesystem::path& folder) {
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    std::error_code kindError;
    if (folderError && !std::filesystem::is_directory(folder, kindError)) {
        if (items.empty()) return 0;
        LogNotWritten("no item written, the kit folder " + Kits::PathText(folder) + " could not be made", folderError);
        return static_cast<int>(items.size());
    }
    int failed = 0;
    for (const auto& item : items) {
        const std::filesystem::path file = folder / Utf8Path(item.file);
        if (const std::error_code error = Kits::WriteWholeFileAtomically(file, item.bytes)) {
            LogNotWritten("could not write " + Kits::PathText(file), error);
            ++failed;
        }
    }
    return failed;
}

}  // namespace

void MakeKit(APlayerController* controller, FString* command, bool /*fromCheat*/) {
    Guarded("Private/Kits", "Lockbury::MakeKit", [&] {
        auto* player = static_cast<AShooterPlayerController*>(controller);
        const auto found = Kits::KitFolderOfCommand(player, command, "Wrong Syntax. Use makekit 'name of the kit'");
        if (!found) return;
        UPrimalInventoryComponent* inventory = player ? player->GetPlayerInventoryComponent() : nullptr;
        const std::vector<KitItem> items =
            inventory && inventory->IsValidLowLevelFast(true) ? StorableItems(inventory) : std::vector<KitItem>{};
        const int failed = StoreItems(items, *found);

        if (failed > 0) {
            SendServerLine(player, RedText(), FormatText("Kit incomplete: {} items could not be written", failed));
        } else {
            SendServerLine(player, GreenText(), L"Kit created");
        }
    });
}

}  // namespace Lockbury
