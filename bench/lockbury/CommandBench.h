#pragma once
// The vault commands as a player types them, timed around the chat line (the whole stall of the
// game thread), on a simulated server with the real plugin.
#include <cstddef>
#include <cstdint>

#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/RawDatabase.h"

namespace Bench {

struct SaveLoad {
    double save = 0;  // ms, median
    double load = 0;  // ms, median
};

// Saves `items` items of `itemBytes` bytes each into a vault and loads it back, `runs` times.
// Throws when a command did not move every item it should have.
SaveLoad MeasureSaveLoad(BenchServer& server, RawDatabase& db, int items, std::size_t itemBytes, int runs);

// The list command for a player with `vaults` vaults (median ms); the player's steam id for the floor.
double MeasureList(BenchServer& server, RawDatabase& db, int vaults, int runs, std::uint64_t& steamid);

}  // namespace Bench
