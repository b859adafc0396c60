#pragma once
// The vault commands with "storeThread" true: how long the game thread is held by a command (its
// own call, and the longest frame that applies its outcome), and how long until the player sees
// the outcome, with every round trip to the database slowed down, or with the database dark.
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "bench/lockbury/NeverAnsweringBench.h"
#include "bench/lockbury/RawDatabase.h"
#include "bench/lockbury/RelayedCommandBench.h"

namespace Bench {

struct Threaded {
    PerCommand<std::vector<double>> gameThread;  // ms per command
    PerCommand<std::vector<double>> call;  // of it, the command's own call
    PerCommand<std::vector<double>> outcome;  // ms from the command to what the player sees
};

// `runs` rounds of save, list and load of `items` items of `itemBytes` bytes, with every chunk
// the relay passes on delayed by `oneWay` first. Throws when a command did not do its work.
Threaded MeasureStoreThread(const DbServer& db, const std::string& database, int items, std::size_t itemBytes,
                            std::chrono::microseconds oneWay, int runs);

// The game thread's time for each command typed after the database went dark (1 + `later` per
// command), each waited for until the player is told the store is unavailable.
std::vector<double> MeasureStoreThreadDark(const DbServer& db, const std::string& database,
                                           const std::vector<VaultCommand>& commands, int reconnectTimeout, int items,
                                           std::size_t itemBytes, int later);

}  // namespace Bench
