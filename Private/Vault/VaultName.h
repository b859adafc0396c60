#pragma once
#include "Host/ArkApi.h"

namespace Lockbury {

// The longest vault name the u_vault column holds.
constexpr int kMaxVaultNameLength = 400;

// A copy of the name in which every UTF-16 unit outside a-z, A-Z, 0-9 becomes "_".
FString SanitizeVaultName(const FString& name);

}  // namespace Lockbury
