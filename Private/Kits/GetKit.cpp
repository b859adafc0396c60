#include <vector>

#include "Private/Kits/KitFiles.h"
#include "Private/Kits/KitName.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Vault/Cryopod.h"

namespace Lockbury {

namespace {

void LogSkipped(const std::filesystem::path& entry, const char* why) {
    LogAt(spdlog::level::warn, {"Private/Kits", "Lockbury::GetKit"}, "skipped {}: {}", Kits::PathText(entry), why);
}

// Gives the item of one kit file; an entry that yields no item is skipped and the kit goes on.
void GiveFile(AShooterPlayerController* player, const std::filesystem::path& entry) {
    const auto content = Kits::ReadWholeFile(entry);
    if (!content) return LogSkipped(entry, "not a readable file");
    TArray<unsigned char> bytes(content->data(), static_cast<int>(content->size()));
    UPrimalInventoryComponent* inventory = player ? player->GetPlayerInventoryComponent() : nullptr;
    if (!inventory) return;
    UPrimalItem* rebuilt = UPrimalItem::CreateFromBytes(&bytes);
    if (!rebuilt) return LogSkipped(entry, "the game rebuilt no item from it");
    // Read before the inventory takes the item: adding may change or spend the object handed in.
    const float storedDurability = rebuilt->ItemDurabilityField();
    UPrimalItem* added = inventory->AddItemObject(rebuilt);
    if (!added) return LogSkipped(entry, "the inventory did not take the item");
    RestartCryopod(added, storedDurability);
}

}  // namespace

void GetKit(APlayerController* controller, FString* command, bool /*fromCheat*/) {
    Guarded("Private/Kits", "Lockbury::GetKit", [&] {
        auto* player = static_cast<AShooterPlayerController*>(controller);
        const auto found = Kits::KitFolderOfCommand(player, command, "Wrong Syntax. Use getkit 'name of the kit'");
        if (!found) return;
        const std::filesystem::path& folder = *found;
        // Absence ends the command silently; any other failure of the query raises here. A plain
        // file of the kit's name is no kit either (Linux reports it absent, Windows as a file).
        const std::filesystem::file_status kind = std::filesystem::status(folder);
        if (!std::filesystem::exists(kind) || !std::filesystem::is_directory(kind)) return;

        std::vector<std::filesystem::path> entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            // Left by a makekit cut short; the kit's real file is still the old one, or absent.
            if (Kits::IsTemporaryFile(entry.path())) continue;
            entries.push_back(entry.path());
        }
        if (entries.empty()) {
            SendServerLine(player, RedText(), L"Kit not found");
            return;
        }
        for (const auto& entry : entries) GiveFile(player, entry);
    });
}

}  // namespace Lockbury
