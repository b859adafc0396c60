// The administrators' vault commands as the host calls them: from the console, the answer goes
// to the administrator as server messages, one per line; over RCON, it is the reply, one packet
// with a line each.

#include "Private/Admin/AdminCommands.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"
#include "Private/Text/Utf8.h"
#include "Private/Vault/OnlinePlayer.h"

namespace Lockbury {
namespace {

constexpr const char* kFile = "Private/Admin";

using Report = void (*)(const FString&, const Admin::Reply&);

// The console's answer goes to the administrator, found again by steam id when it comes.
Admin::Reply ToConsole(APlayerController* controller) {
    const std::uint64_t admin = static_cast<AShooterPlayerController*>(controller)->GetUniqueNetIdAsUINT64();
    return {admin, [admin](const Admin::Lines& lines) {
                AShooterPlayerController* player = FindOnlinePlayer(admin);
                if (!player) return;
                for (const std::string& text : lines) SendServerLine(player, GreenText(), Text::FromUtf8(text));
            }};
}

// Over RCON the answer is sent before the handler returns, while the connection surely exists.
Admin::Reply ToRcon(RCONClientConnection* connection, RCONPacket* packet) {
    return {0, [connection, id = packet->Id](const Admin::Lines& lines) {
                FString reply = Text::FromUtf8(Formatting::Join(lines, "\n"));
                connection->SendMessageW(id, 0, &reply);
            }};
}

void Console(const char* function, Report report, APlayerController* controller, FString* line) {
    Guarded(kFile, function, [&] {
        if (controller && line) report(*line, ToConsole(controller));
    });
}

void Rcon(const char* function, Report report, RCONClientConnection* connection, RCONPacket* packet) {
    Guarded(kFile, function, [&] {
        if (connection && packet) report(packet->Body, ToRcon(connection, packet));
    });
}

}  // namespace

void VaultsConsole(APlayerController* controller, FString* line, bool) {
    Console("Lockbury::VaultsConsole", &Admin::Vaults, controller, line);
}
void VaultItemsConsole(APlayerController* controller, FString* line, bool) {
    Console("Lockbury::VaultItemsConsole", &Admin::VaultItems, controller, line);
}
void VaultLogConsole(APlayerController* controller, FString* line, bool) {
    Console("Lockbury::VaultLogConsole", &Admin::VaultLog, controller, line);
}
void VaultTakeConsole(APlayerController* controller, FString* line, bool) {
    Guarded(kFile, "Lockbury::VaultTakeConsole", [&] {
        if (controller && line)
            Admin::VaultTake(static_cast<AShooterPlayerController*>(controller), *line, ToConsole(controller));
    });
}

void VaultsRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld*) {
    Rcon("Lockbury::VaultsRcon", &Admin::Vaults, connection, packet);
}
void VaultItemsRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld*) {
    Rcon("Lockbury::VaultItemsRcon", &Admin::VaultItems, connection, packet);
}
void VaultLogRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld*) {
    Rcon("Lockbury::VaultLogRcon", &Admin::VaultLog, connection, packet);
}

}  // namespace Lockbury
