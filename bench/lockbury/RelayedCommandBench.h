#pragma once
// The save, list and load of one vault with the plugin's connection going through a relay: how
// many statements each command sends, and how long each holds the game thread when every round
// trip to the database takes longer.
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "bench/lockbury/RawDatabase.h"
#include "bench/lockbury/RelayedServer.h"

namespace Bench {

// One number per command, in the order a round runs them.
template <typename T>
struct PerCommand {
    T save{};
    T list{};
    T load{};
};

// The statements of each command as the relay passed them on (their first characters), on a
// connection already in use. Saves `items` items of `itemBytes` bytes, lists, loads them back.
PerCommand<std::vector<std::string>> RecordStatements(RelayedServer& server, RawDatabase& db, int items,
                                                      std::size_t itemBytes);

// The time of each command in `runs` rounds, ms, with every chunk the relay passes on either way
// delayed by `oneWay` first. The plugin's store works on the game thread, so each is how long the
// command held the game thread, and also how long the player waited for its outcome.
PerCommand<std::vector<double>> MeasureOverDelay(RelayedServer& server, RawDatabase& db, int items, std::size_t itemBytes,
                                                 std::chrono::microseconds oneWay, int runs);

}  // namespace Bench
