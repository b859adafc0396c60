// A node of the Galera cluster (scripts/cluster) killed under a running server, as a database
// machine dies: while it is down the vault commands say the store is unavailable and move
// nothing; once the node answers again they work. Every item is in exactly one place throughout.
#include <cstdlib>
#include <set>

#include "Private/Vault/ItemText.h"
#include "support/PluginTest.h"
#include "support/TestConfig.h"

namespace {

using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;
const Strings kUnavailable{"Store unavailable"};

class NodeLoss : public TestSupport::PluginStoreTest {
protected:
    static constexpr int kNode = 3;

    NodeLoss() {
        config = TestSupport::DefaultConfig(db.OnNode(kNode));
        config["queryTimeout"] = 2;
        config["reconnectTimeout"] = 1;
        config["reconnectInterval"] = 0;
        config["messages"]["vaultList"] = "{}: {} items\n";
    }
    ~NodeLoss() override {
        if (down_) Cluster("revive");
    }

    void Cluster(const std::string& verb) {
        const std::string command =
            "bash '" LOCKBURY_SOURCE_DIR "/scripts/cluster' " + verb + " " + std::to_string(kNode) + " 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        down_ = verb == "kill";
    }

    // Each hatchet's payload, in the inventory and in the rows (read through node 1).
    std::multiset<std::uint8_t> Hatchets(const Player& player, std::multiset<std::uint8_t>& stored) {
        std::multiset<std::uint8_t> held;
        for (const auto& item : player->Inventory())
            if (!item.payload.empty()) held.insert(item.payload[0]);
        stored.clear();
        for (const auto& row : Rows(player)) {
            const TArray<unsigned char> bytes = Lockbury::HexToBytes(row.itemdata);
            if (auto item = Sim::Server::Decode({begin(bytes), end(bytes)}); item && !item->payload.empty())
                stored.insert(item->payload[0]);
        }
        return held;
    }

    bool down_ = false;
};

TEST_F(NodeLoss, CommandsSayTheStoreIsUnavailableUntilTheNodeAnswersAgain) {
    ASSERT_NE(db.OnNode(kNode).port, db.Params().port) << "runs on the three-node cluster: scripts/cluster start";
    Start();
    auto& alice = Join("alice");
    for (std::uint8_t i = 0; i < 5; ++i) alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({i}));
    alice.Types("/savevault trip");
    for (std::uint8_t i = 5; i < 7; ++i) alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({i}));
    std::multiset<std::uint8_t> stored;
    ASSERT_EQ(Hatchets(alice, stored), (std::multiset<std::uint8_t>{5, 6}));
    ASSERT_EQ(stored, (std::multiset<std::uint8_t>{0, 1, 2, 3, 4}));

    // The node dies with the server's connection to it open. Each refused command logs its failure
    // (the connection lost, or no new one made, whichever the command meets).
    Cluster("kill");
    for (const char* function : {"ClaimVaultItems", "AddVaultRows", "ReadVaultList"})
        ExpectErrorLog(std::string("(Database/MysqlDB MySql::") + function + ") The vault store failed: ");
    EXPECT_EQ(alice.Types("/loadvault trip"), kUnavailable);
    EXPECT_EQ(alice.Types("/savevault more"), kUnavailable);
    EXPECT_EQ(alice.Types("/listvault"), kUnavailable) << "never \"No vaults\"";
    EXPECT_EQ(Hatchets(alice, stored), (std::multiset<std::uint8_t>{5, 6})) << "nothing moved";
    EXPECT_EQ(stored, (std::multiset<std::uint8_t>{0, 1, 2, 3, 4})) << "the other nodes still hold the vault";

    Cluster("revive");
    EXPECT_EQ(alice.Types("/listvault"), Strings{"trip: 5 items\n"});
    EXPECT_EQ(alice.Types("/loadvault trip"), Strings{});
    EXPECT_EQ(Hatchets(alice, stored), (std::multiset<std::uint8_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(stored.empty());
}

}  // namespace
