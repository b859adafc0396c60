// The administrators' vault commands as the host calls them: from the console, the answer goes
// to the administrator as server messages, one per line; over RCON, it is the reply, one packet
// with a line each.

#include "Private/Admin/AdminCommands.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"
#include "Private/Text/Utf8.h"

namespace Lockbury {
namespace {

constexpr const char* kFile = "Private/Admin";

using Report = Admin::Lines (*)(const FString&);

void ToConsole(APlayerController* controller, const Admin::Lines& lines) {
    auto* player = static_cast<AShooterPlayerController*>(controller);
    for (const std::string& text : lines) SendServerLine(player, GreenText(), Text::FromUtf8(text));
}

void ToRcon(RCONClientConnection* connection, RCONPacket* packet, const Admin::Lines& lines) {
    if (!connection || !packet) return;
    FString reply = Text::FromUtf8(Formatting::Join(lines, "\n"));
    connection->SendMessageW(packet->Id, 0, &reply);
}

void Console(const char* function, Report report, APlayerController* controller, FString* line) {
    Guarded(kFile, function, [&] {
        if (controller && line) ToConsole(controller, report(*line));
    });
}

void Rcon(const char* function, Report report, RCONClientConnection* connection, RCONPacket* packet) {
    Guarded(kFile, function, [&] {
        if (packet) ToRcon(connection, packet, report(packet->Body));
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
            ToConsole(controller, Admin::VaultTake(static_cast<AShooterPlayerController*>(controller), *line));
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
