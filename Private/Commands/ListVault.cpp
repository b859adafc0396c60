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
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"
#include "Private/Vault/OnlinePlayer.h"
#include "Private/Vault/StoreWorker.h"

namespace Lockbury::Commands {
namespace {

constexpr float kDisplayScale = 1.3f;
constexpr float kDisplaySeconds = 15.0f;

void Show(AShooterPlayerController* player, const VaultRead<VaultList>& read) {
    if (read.failed) {
        if (player) ReplyStoreUnavailable(player);
        return;
    }
    const TArray<std::shared_ptr<VaultList>>& rows = read.records;

    // Lines are joined as UTF-8 and decoded once: appending to a wide string per vault would copy
    // the whole text again for every vault.
    FString text;
    if (rows.Num() > 0) {
        const FString line = MessageTemplate("vaultList");
        const std::string format = line.ToString();
        std::string joined;
        try {
            if (std::string unsafe = UnsafeTemplate(format); !unsafe.empty()) throw std::runtime_error(unsafe);
            for (const auto& row : rows) {
                if (!row) continue;
                joined += Format(format.c_str(), row->vaultname, row->total, row->falta);
            }
            text = Text::FromUtf8(joined);
        } catch (const std::exception& error) {
            LogUnfilledTemplate("vaultList", error.what());
            text = line;
        }
    } else {
        text = FillMessage("noVault", MessageTemplate("noVault"));
    }
    if (!player) return;

    // The joined text goes out as it is: it is not a template any more.
    SendNotificationLine(player, GreenText(), kDisplayScale, kDisplaySeconds, text);
}

void List(AShooterPlayerController* player) {
    const uint64 steamId = player ? player->GetUniqueNetIdAsUINT64() : 0;
    StoreWorker* worker = storeWorker().get();
    if (player && worker && worker->InFlight(steamId)) {
        ReplyMoveInFlight(player);
        return;
    }
    // Until the recovery has run, the vaults may still hold moves it will undo.
    if (!worker || !CrashSafety::VaultReady(player)) {
        Show(player, VaultRead<VaultList>{true, {}});
        return;
    }
    worker->Submit(steamId, [steamId](IDatabase& store) {
        VaultRead<VaultList> read = store.ReadVaultList(steamId);
        return StoreWorker::Outcome([steamId, read = std::move(read)] {
            // A list for nobody (no player) still reads, as before; it is shown to nobody.
            Show(steamId ? FindOnlinePlayer(steamId) : nullptr, read);
        });
    });
}

}  // namespace

void ListVault(AShooterPlayerController* player, FString*, EChatSendMode::Type) {
    Guarded("Private/Commands", "Lockbury::Commands::ListVault", [&] { List(player); });
}

}  // namespace Lockbury::Commands
