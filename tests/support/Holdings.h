#pragma once
// Where a player's things are, counted so that a move between the inventory and the vault
// changes nothing: items told apart by their bytes, resources as units per class (a load may
// split a stack in two, a save joins none).
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Sim/Server.h"
#include "support/StoredRow.h"

namespace TestSupport {

struct Holdings {
    std::multiset<std::vector<std::uint8_t>> items;
    std::map<std::string, long> units;

    static Holdings InInventory(const Sim::Player& player);
    static Holdings InRows(const std::vector<StoredRow>& rows);
    Holdings& operator+=(const Holdings& other);
    friend bool operator==(const Holdings&, const Holdings&) = default;
    // What a failed comparison shows: the item count and every class's units.
    friend void PrintTo(const Holdings& holdings, std::ostream* out);
};

}  // namespace TestSupport
