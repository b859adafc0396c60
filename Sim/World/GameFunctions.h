#pragma once
// Registers every game name of the simulated game with the host's name registry, with exactly
// the signature the plugin calls it with (both from its entry in Host/GameNameTable.h), and
// removes them again.
#include <string>
#include <vector>

namespace Sim {
// Returns the names it registered.
std::vector<std::string> RegisterGameFunctions();
void UnregisterGameFunctions(const std::vector<std::string>& names);
}  // namespace Sim
