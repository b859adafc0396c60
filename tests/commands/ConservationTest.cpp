// Nothing is lost and nothing is doubled: over any sequence of saves and loads, every item is
// either in the inventory or in exactly one vault row, with its class, quantity and bytes.
#include <cstring>
#include <random>

#include "support/PluginTest.h"

namespace {

using TestSupport::Holdings;
using TestSupport::Item;

class Conservation : public TestSupport::PluginStoreTest {};

TEST_F(Conservation, RandomSavesAndLoadsKeepEveryItemOnce) {
    Start();
    auto& alice = Join("alice");
    std::mt19937 random(4242);
    const std::vector<std::string> vaults{"a", "b", "c"};
    const std::vector<std::string> itemClasses{"PrimalItem_WeaponStoneHatchet", "PrimalItemArmor_ClothShirt"};
    const std::vector<std::string> resourceClasses{"PrimalItemResource_Wood", "PrimalItemResource_Stone"};

    Holdings expected;
    std::uint32_t serial = 0;
    auto giveSome = [&] {
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 3 == 0) {
                const std::string& cls = resourceClasses[random() % resourceClasses.size()];
                const int quantity = 1 + static_cast<int>(random() % 100);
                alice.PicksUp(Item(cls).Quantity(quantity));
                expected.units[cls] += quantity;
            } else {
                ++serial;
                std::vector<std::uint8_t> payload(4 + random() % 3000, static_cast<std::uint8_t>(serial));
                std::memcpy(payload.data(), &serial, 4);
                Item item(itemClasses[random() % itemClasses.size()]);
                item.Payload(std::move(payload));
                expected.items.insert(alice.PicksUp(item).bytes);
            }
        }
    };

    for (int step = 0; step < 40; ++step) {
        const std::string& vault = vaults[random() % vaults.size()];
        switch (random() % 4) {
            case 0: giveSome(); break;
            case 1: alice.Types("/savevault " + vault); break;
            case 2: alice->SetInventoryCapacity(static_cast<int>(random() % 60)); [[fallthrough]];
            default: alice.Types("/loadvault " + vault); break;
        }
        alice->SetInventoryCapacity(1000);
        ASSERT_EQ(HoldingsOf(alice), expected) << "after step " << step;
    }
}

}  // namespace
