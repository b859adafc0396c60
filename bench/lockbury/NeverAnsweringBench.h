#pragma once
// The vault commands once the database stops answering: the plugin's connection is cut and
// every new one is accepted but never answered. How long the first command holds the game
// thread (it tries one reconnect), and the commands after it (they fail without trying).
#include <cstddef>
#include <string>
#include <vector>

#include "bench/lockbury/RawDatabase.h"

namespace Bench {

enum class VaultCommand { Save, Load, List };

struct Unanswered {
    double first = 0;  // ms
    std::vector<double> later;  // ms, in order
};

// A fresh server connected through a relay, with reconnectTimeout set to `reconnectTimeout`
// seconds; one save of `items` items of `itemBytes` bytes goes through first, then the database
// goes dark and `command` is typed 1 + `later` times. Throws when a command did not answer that
// the store is unavailable, or moved an item.
Unanswered MeasureNeverAnswering(const DbServer& db, const std::string& database, VaultCommand command,
                                 int reconnectTimeout, int items, std::size_t itemBytes, int later);

}  // namespace Bench
