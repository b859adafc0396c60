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

struct ListTimes {
    double list = 0;  // ms, median: the list command
    double floor = 0;  // ms, median: its statement alone, read out through the client library
};

// The list command for a player with `vaults` vaults and its floor, taken in alternation so that
// both meet the same state of the server and the machine (a statement sent back to back on an
// idle two-core machine answers faster than one that follows other work).
ListTimes MeasureList(BenchServer& server, RawDatabase& db, int vaults, int decay, int runs);

}  // namespace Bench
