#pragma once
// Every function the plugin hands to the host: the damage hook, the chat command handlers and
// the console command handlers. Load registers them; Unload removes them.
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
}  // namespace Lockbury
