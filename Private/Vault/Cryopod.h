#pragma once
#include "Host/ArkApi.h"

namespace Lockbury {

// An empty cryopod given back (from a vault or a kit) starts a fresh hour before its creature
// must be released, and gets the durability it was stored with added again. Without a world
// there is no game time to date it by: only the durability is topped up. False, and nothing
// done, for any other item.
bool RestartCryopod(UPrimalItem* added, float storedDurability);

}  // namespace Lockbury
