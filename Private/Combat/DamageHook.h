#pragma once
#include "Host/ArkApi.h"

namespace Lockbury {

using TakeDamageFn = float (*)(APrimalCharacter*, float, FDamageEvent*, AController*, AActor*);

// The game's own "APrimalCharacter.TakeDamage", filled in by the host when Load sets the hook.
extern TakeDamageFn APrimalCharacter_TakeDamage_game;

}  // namespace Lockbury
