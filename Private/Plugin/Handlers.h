#pragma once
// Every function the plugin hands to the host: the hooks, the chat, console and RCON command
// handlers. Load registers them; Unload removes them.
#include "Host/ArkApi.h"

namespace Lockbury::Commands {
// Vault chat commands (Private/Commands).
void SaveVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type mode);
void LoadVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type mode);
void ListVault(AShooterPlayerController* player, FString* message, EChatSendMode::Type mode);
}  // namespace Lockbury::Commands

namespace Lockbury {
// Combat cooldown report (Private/Combat).
void CheckCd(AShooterPlayerController* player, FString* message, EChatSendMode::Type mode);
// Detour of "APrimalCharacter.TakeDamage" (Private/Combat).
float Hook_APrimalCharacter_TakeDamage(APrimalCharacter* character, float damage, FDamageEvent* damageEvent,
                                       AController* instigator, AActor* causer);

// Administrator console commands: kits (Private/Kits) and dumps (Private/Dumps).
void MakeKit(APlayerController* controller, FString* command, bool fromCheat);
void GetKit(APlayerController* controller, FString* command, bool fromCheat);
void DumpStructures(APlayerController* controller, FString* command, bool fromCheat);
void DumpItems(APlayerController* controller, FString* command, bool fromCheat);

// Administrators' vault commands (Private/Admin), from the console and over RCON; the take is
// console only: it loads into the administrator's own inventory.
void VaultsConsole(APlayerController* controller, FString* line, bool fromCheat);
void VaultItemsConsole(APlayerController* controller, FString* line, bool fromCheat);
void VaultLogConsole(APlayerController* controller, FString* line, bool fromCheat);
void VaultTakeConsole(APlayerController* controller, FString* line, bool fromCheat);
void VaultsRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);
void VaultItemsRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);
void VaultLogRcon(RCONClientConnection* connection, RCONPacket* packet, UWorld* world);
}  // namespace Lockbury
