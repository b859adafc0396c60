#pragma once
#include "Host/ArkApi.h"

namespace Lockbury {

// The storable items an inventory holds at most: a load gives no more rows than places are free.
constexpr int kInventoryPlaces = 299;

// Items that take one of the inventory's places: not engrams, not in a slot, not initial items.
// 0 without a valid inventory.
int CountStorableItems(AShooterPlayerController* player);

}  // namespace Lockbury
