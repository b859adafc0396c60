// The list command: one notification with every vault of the player, its row count and the time
// left before decay. No guard: anyone may look at their vaults at any time.
#include <stdexcept>

#include "Host/ArkApi.h"
#include "Private/Commands/Reply.h"
#include "Private/Config/Config.h"
#include "Private/Config/Messages.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Vault/Store.h"

namespace Lockbury::Commands {
namespace {

constexpr float kDisplayScale = 1.3f;
constexpr float kDisplaySeconds = 15.0f;

void List(AShooterPlayerController* player) {
    const uint64 steamId = player ? player->GetUniqueNetIdAsUINT64() : 0;
    IDatabase* store = database().get();
    // Until the recovery has run, the vaults may still hold moves it will undo.
    const VaultRead<VaultList> read =
        store && CrashSafety::VaultReady(player) ? store->ReadVaultList(steamId) : VaultRead<VaultList>{true, {}};
    if (read.failed) {
        if (player) ReplyStoreUnavailable(player);
        return;
    }
    const TArray<std::shared_ptr<VaultList>>& rows = read.records;

    // Lines are joined as UTF-8 and decoded once: appending to a wide string per vault would copy
    // the whole text again for every vault.
    FString text;
    if (!rows.IsEmpty()) {
        const FString line = MessageTemplate("vaultList");
        const std::string format = line.ToString();
        fmt::memory_buffer joined;
        try {
            if (std::string unsafe = UnsafeTemplate(format); !unsafe.empty()) throw std::runtime_error(unsafe);
            for (const auto& row : rows) {
                if (!row) continue;
                const FString name(std::u16string_view(ArkApi::Tools::Utf8Decode(row->vaultname)));
                fmt::format_to(std::back_inserter(joined), fmt::runtime(format), name, row->total, row->falta);
            }
            text = FString(std::u16string_view(Utf::Utf8ToUtf16(std::string_view(joined.data(), joined.size()))));
        } catch (const std::exception& error) {
            LogUnfilledTemplate("vaultList", error.what());
            text = line;
        }
    } else {
        text = FillMessage("noVault", MessageTemplate("noVault"));
    }
    if (!player) return;

    const FLinearColor green(FColor{0, 255, 0, 255});
    // The joined text goes out as it is: it is not a template any more.
    ArkApi::GetApiUtils().SendNotification(player, green, kDisplayScale, kDisplaySeconds, nullptr, FString(u"{}"), text);
}

}  // namespace

void ListVault(AShooterPlayerController* player, FString*, EChatSendMode::Type) {
    Guarded("Private/Commands", "Lockbury::Commands::ListVault", [&] { List(player); });
}

}  // namespace Lockbury::Commands
