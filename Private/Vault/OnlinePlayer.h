#pragma once
// A player found again by steam id when a move's outcome arrives: between the command and the
// outcome the player may have left, and the controller the command saw may be gone.
#include <cstdint>

#include "Host/ArkApi.h"

namespace Lockbury {

// The player's controller while it is on the server, or null.
AShooterPlayerController* FindOnlinePlayer(std::uint64_t steamId);

// The item of this id in the inventory, or null.
UPrimalItem* FindInventoryItem(UPrimalInventoryComponent* inventory, const FItemNetID& id);

}  // namespace Lockbury
