#pragma once
// Fills a player's inventory with items of random payload, as the save and load benchmarks need
// before every save.
#include <cstddef>
#include <cstdint>
#include <random>

#include "bench/lockbury/BenchServer.h"

namespace Bench {

class ItemFill {
public:
    explicit ItemFill(std::uint32_t seed) : random_(seed) {}

    // Gives stone hatchets until the inventory holds `items` items. Each carries `itemBytes`
    // random bytes, its first four a serial number so that no two are alike.
    void TopUp(BenchServer& server, Sim::Player& player, int items, std::size_t itemBytes);

private:
    std::mt19937 random_;
    std::uint32_t serial_ = 0;
};

}  // namespace Bench
