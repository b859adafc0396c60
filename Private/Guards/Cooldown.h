#pragma once
#include <cstdint>

namespace Lockbury {

// The save and load commands' shared per-player cooldown. Returns the whole seconds left while
// the player's cooldown runs (nothing changes); otherwise 0, and a new cooldown starts now.
std::int32_t CheckCooldown(std::uint64_t steamId);

}  // namespace Lockbury
