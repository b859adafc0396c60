#pragma once
// The two calls into sibling plugins. A sibling that is not loaded counts as a refusal (no
// permission; cannot pay), and the missing plugin is named in one error line.
#include "Host/ArkApi.h"

namespace Lockbury {

// Permissions::IsPlayerHasPermission; false when the Permissions plugin is missing.
bool HasPermission(uint64 steamId, const FString& permission);
// ArkShop::Points::SpendPoints; false when the ArkShop plugin is missing.
bool SpendPoints(int amount, uint64 steamId);

}  // namespace Lockbury
