#pragma once
#include "Host/Game/Actors.h"

namespace Lockbury {

// Items that take one of the inventory's places: not engrams, not in a slot, not initial items.
// 0 without a valid inventory.
int CountStorableItems(AShooterPlayerController* player);

}  // namespace Lockbury
