#pragma once
// What crashSafe adds: the save and the load of a vault and the world save after them, each
// timed on the game thread with the mode off and on, and their statements counted by a relay.
#include <cstddef>
#include <string>
#include <vector>

#include "bench/lockbury/RawDatabase.h"

namespace Bench {

struct CrashSafeMode {
    double save = 0, load = 0, worldSave = 0;  // ms, medians
    std::vector<std::string> saveStatements, loadStatements, worldSaveStatements;
};

struct CrashSafeCost {
    CrashSafeMode off, on;
};

// Rounds of: `items` items of `itemBytes` bytes saved into a vault, loaded back, then the world
// saved (so the journal holds exactly those two moves when it is cleaned up). Statements come
// from the second round through a relay; times are medians of `runs` rounds on a server that
// reaches the database directly. Throws when a command did not move every item.
CrashSafeCost MeasureCrashSafe(const DbServer& server, const std::string& database, int items, std::size_t itemBytes,
                               int runs);

}  // namespace Bench
