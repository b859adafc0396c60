#pragma once
// The game functions crash safety hooks: the world save, and a player joining.
#include "Host/ArkApi.h"

namespace Lockbury::CrashSafety {

using SaveWorldFn = void (*)(AShooterGameMode*);
using HandleNewPlayerFn = bool (*)(AShooterGameMode*, AShooterPlayerController*, UPrimalPlayerData*, AShooterCharacter*,
                                   bool);

// The game's own functions, filled in by the host when Load sets the hooks.
extern SaveWorldFn AShooterGameMode_SaveWorld_game;
extern HandleNewPlayerFn AShooterGameMode_HandleNewPlayer_Implementation_game;

// Detour of "AShooterGameMode.SaveWorld": the journal is told before and after the game writes.
void Hook_AShooterGameMode_SaveWorld(AShooterGameMode* mode);
// Detour of "AShooterGameMode.HandleNewPlayer_Implementation": the joining player's unwinds.
bool Hook_AShooterGameMode_HandleNewPlayer_Implementation(AShooterGameMode* mode, AShooterPlayerController* player,
                                                          UPrimalPlayerData* data, AShooterCharacter* character,
                                                          bool isFromLogin);

}  // namespace Lockbury::CrashSafety
