#include "bench/lockbury/ItemFill.h"

#include <algorithm>

namespace Bench {

void ItemFill::TopUp(BenchServer& server, Sim::Player& player, int items, std::size_t itemBytes) {
    for (int have = static_cast<int>(player.ItemCount()); have < items; ++have) {
        Sim::ItemSpec spec;
        spec.className = "PrimalItem_WeaponStoneHatchet";
        spec.payload.resize(itemBytes);
        for (auto& b : spec.payload) b = static_cast<std::uint8_t>(random_());
        ++serial_;
        std::copy_n(reinterpret_cast<const std::uint8_t*>(&serial_), std::min<std::size_t>(4, itemBytes),
                    spec.payload.begin());
        server.Give(player, spec);
    }
}

}  // namespace Bench
